// A transparent label: text in its own font and colour, drawn straight over whatever the parent
// paints beneath it (the main window's background), so it needs no background of its own.
#pragma once

#include <QLabel>

namespace lumetra {

class CTransparentLabel : public QLabel {
    Q_OBJECT
public:
    CTransparentLabel(const QColor& textColour, int pixelHeight, QWidget* parent);

    void SetTextColour(const QColor& textColour);
    QColor TextColour() const;
};

}  // namespace lumetra
