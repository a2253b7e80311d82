// A page of the main window: a child widget at a fixed place in the main window's client area,
// painted with the light page colour so it reads as one panel over the background.
#pragma once

#include <QWidget>

namespace lumetra {

class CPage : public QWidget {
    Q_OBJECT
public:
    CPage(const QRect& place, QWidget* parent);

protected:
    // A click on a page's free area belongs to the page; it must not drag the main window.
    void mousePressEvent(QMouseEvent* event) override;
};

}  // namespace lumetra
