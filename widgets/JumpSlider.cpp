#include "widgets/JumpSlider.h"

#include <QProxyStyle>

namespace lumetra {
namespace {

class CJumpStyle : public QProxyStyle {
public:
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returnData) const override {
        if (hint == SH_Slider_AbsoluteSetButtons) return Qt::LeftButton;
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
};

}  // namespace

CJumpSlider::CJumpSlider(Qt::Orientation orientation, QWidget* parent) : QSlider(orientation, parent) {
    auto* style = new CJumpStyle;
    style->setParent(this);  // a widget does not own the style it is given
    setStyle(style);
}

}  // namespace lumetra
