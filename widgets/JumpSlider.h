// A slider whose handle jumps to where the groove is clicked, instead of moving one page towards
// it: a position slider is aimed at, not paged through. Dragging and keys work as on any slider.
#pragma once

#include <QSlider>

namespace lumetra {

class CJumpSlider : public QSlider {
    Q_OBJECT
public:
    CJumpSlider(Qt::Orientation orientation, QWidget* parent);
};

}  // namespace lumetra
