#include "widgets/ImageButton.h"

#include <QPainter>
#include <QPainterPath>

namespace lumetra {

CImageButton::CImageButton(const QString& imagePath, const QString& toolTip, QWidget* parent)
    : QAbstractButton(parent), m_image(imagePath) {
    setToolTip(toolTip);
    setAccessibleName(toolTip);
    setCursor(Qt::PointingHandCursor);
    // Reached with Tab, never taken by a click: the page below keeps its field.
    setFocusPolicy(Qt::TabFocus);
    // The grey picture keeps the alpha channel so the rounded corners stay transparent.
    m_disabledImage = m_image.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < m_disabledImage.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(m_disabledImage.scanLine(y));
        for (int x = 0; x < m_disabledImage.width(); ++x) {
            const int grey = qGray(line[x]);
            line[x] = qRgba(grey, grey, grey, qAlpha(line[x]) / 2);
        }
    }
}

void CImageButton::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    p.drawImage(rect(), isEnabled() ? m_image : m_disabledImage);
    if (!isEnabled()) return;
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath shape;
    shape.addRoundedRect(QRectF(rect()).adjusted(1, 1, -1, -1), 9, 9);
    if (isDown())
        p.fillPath(shape, QColor(0, 0, 0, 60));
    else if (m_hovered)
        p.fillPath(shape, QColor(255, 255, 255, 45));
    // Where Space would press after Tab.
    if (hasFocus()) p.strokePath(shape, QPen(Qt::white, 2, Qt::DotLine));
}

void CImageButton::enterEvent(QEnterEvent* event) {
    m_hovered = true;
    update();
    QAbstractButton::enterEvent(event);
}

void CImageButton::leaveEvent(QEvent* event) {
    m_hovered = false;
    update();
    QAbstractButton::leaveEvent(event);
}

}  // namespace lumetra
