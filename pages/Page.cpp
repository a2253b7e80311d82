#include "pages/Page.h"

#include <QMouseEvent>

namespace lumetra {

CPage::CPage(const QRect& place, QWidget* parent) : QWidget(parent) {
    setGeometry(place);
    setAutoFillBackground(true);
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, QColor(236, 242, 248));
    setPalette(palette);
}

void CPage::mousePressEvent(QMouseEvent* event) {
    event->accept();
}

}  // namespace lumetra
