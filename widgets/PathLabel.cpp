#include "widgets/PathLabel.h"

#include <QPainter>

namespace lumetra {

CPathLabel::CPathLabel(QWidget* parent) : QLabel(parent) {
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
}

void CPathLabel::SetPath(const QString& path) {
    setText(path);
    setToolTip(path);
}

QSize CPathLabel::minimumSizeHint() const {
    // Room for the ellipsis and a few characters either side; the rest is drawn shortened.
    return {fontMetrics().horizontalAdvance(QStringLiteral("/…/xxxxxx")), QLabel::minimumSizeHint().height()};
}

void CPathLabel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QRect room = contentsRect();
    painter.drawText(room, int(alignment()), fontMetrics().elidedText(text(), Qt::ElideMiddle, room.width()));
}

}  // namespace lumetra
