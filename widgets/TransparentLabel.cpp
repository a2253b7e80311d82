#include "widgets/TransparentLabel.h"

namespace lumetra {

CTransparentLabel::CTransparentLabel(const QColor& textColour, int pixelHeight, QWidget* parent)
    : QLabel(parent) {
    // 宋体 where it exists; the CJK sans font of the system everywhere else.
    QFont font(QStringLiteral("SimSun"));
    font.setFamilies({QStringLiteral("SimSun"), QStringLiteral("WenQuanYi Micro Hei")});
    font.setPixelSize(pixelHeight);
    font.setBold(true);
    setFont(font);
    SetTextColour(textColour);
    setAutoFillBackground(false);
    setAttribute(Qt::WA_TransparentForMouseEvents);  // a click on it drags the window like the background
    setAlignment(Qt::AlignVCenter | Qt::AlignLeft);
}

void CTransparentLabel::SetTextColour(const QColor& textColour) {
    QPalette palette = this->palette();
    palette.setColor(QPalette::WindowText, textColour);
    setPalette(palette);
}

QColor CTransparentLabel::TextColour() const {
    return palette().color(QPalette::WindowText);
}

}  // namespace lumetra
