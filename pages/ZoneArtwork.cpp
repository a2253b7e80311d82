#include "pages/ZoneArtwork.h"

#include <QPainter>
#include <QPainterPath>
#include <functional>

namespace lumetra {
namespace {

// One pixmap per scale, so high-density screens get a sharp image too.
void AddDrawn(QIcon& icon, int side, QIcon::State state, const std::function<void(QPainter&)>& draw) {
    for (int scale : {1, 2}) {
        QPixmap pixmap(side * scale, side * scale);
        pixmap.setDevicePixelRatio(scale);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        draw(painter);
        painter.end();
        icon.addPixmap(pixmap, QIcon::Normal, state);
    }
}

void DrawPowerButton(QPainter& p, const QColor& face, const QColor& mark) {
    p.setPen(QPen(face.darker(150), 1.5));
    p.setBrush(face);
    p.drawEllipse(QRectF(2, 2, 28, 28));
    p.setPen(QPen(mark, 2.6, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(9, 9, 14, 14), 120 * 16, 300 * 16);
    p.drawLine(QPointF(16, 7), QPointF(16, 15));
}

}  // namespace

QIcon ZoneItemIcon() {
    QIcon icon;
    AddDrawn(icon, 16, QIcon::Off, [](QPainter& p) {
        QPainterPath speaker;
        speaker.moveTo(2, 6);
        speaker.lineTo(5, 6);
        speaker.lineTo(9, 2.5);
        speaker.lineTo(9, 13.5);
        speaker.lineTo(5, 10);
        speaker.lineTo(2, 10);
        speaker.closeSubpath();
        p.setPen(QPen(QColor(15, 76, 131), 1));
        p.setBrush(QColor(46, 170, 220));
        p.drawPath(speaker);
        p.setPen(QPen(QColor(15, 76, 131), 1.2, Qt::SolidLine, Qt::RoundCap));
        p.setBrush(Qt::NoBrush);
        p.drawArc(QRectF(7, 5, 6, 6), -50 * 16, 100 * 16);
        p.drawArc(QRectF(6, 3, 9, 10), -50 * 16, 100 * 16);
    });
    return icon;
}

QIcon PowerOutletIcon() {
    QIcon icon;
    AddDrawn(icon, 32, QIcon::On, [](QPainter& p) { DrawPowerButton(p, QColor(64, 190, 90), Qt::white); });
    AddDrawn(icon, 32, QIcon::Off,
             [](QPainter& p) { DrawPowerButton(p, QColor(205, 210, 216), QColor(110, 116, 124)); });
    return icon;
}

}  // namespace lumetra
