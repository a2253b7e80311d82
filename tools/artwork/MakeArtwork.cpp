// Draws Lumetra's artwork into resources/images: the main window's background, the ten button
// images, the login picture and the icon. The PNGs are committed; run this again after a change:
//   cmake --build <build> --target lumetra-artwork && QT_QPA_PLATFORM=offscreen \
//     <build>/bin/lumetra-artwork resources/images
#include <QApplication>
#include <QDir>
#include <QFont>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <cstdio>
#include <functional>

namespace {

const QColor kNavy(15, 76, 131);
const QColor kSky(176, 219, 241);
const QColor kAccent(46, 170, 220);

QFont CjkFont(int pixels, bool bold) {
    QFont font(QStringLiteral("WenQuanYi Micro Hei"));
    font.setPixelSize(pixels);
    font.setBold(bold);
    return font;
}

bool Save(const QImage& image, const QString& dir, const char* name) {
    const QString path = dir + "/" + name;
    if (!image.save(path)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return false;
    }
    return true;
}

QImage Background() {
    QImage image(1024, 668, QImage::Format_RGB32);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, 0, 668);
    sky.setColorAt(0, QColor(22, 48, 82));
    sky.setColorAt(1, QColor(10, 26, 48));
    p.fillRect(image.rect(), sky);

    // Banner with the program's name and a thin accent line.
    QLinearGradient banner(0, 0, 1024, 0);
    banner.setColorAt(0, QColor(18, 92, 152));
    banner.setColorAt(1, QColor(12, 52, 96));
    p.fillRect(0, 0, 1024, 72, banner);
    p.fillRect(0, 72, 1024, 3, kAccent);
    // Radio waves beside the name.
    p.setPen(QPen(QColor(255, 255, 255, 200), 3, Qt::SolidLine, Qt::RoundCap));
    for (int r = 10; r <= 28; r += 9) p.drawArc(QRectF(44 - r, 36 - r, 2 * r, 2 * r), -45 * 16, 90 * 16);
    p.setBrush(Qt::white);
    p.drawEllipse(QPointF(44, 36), 4, 4);
    p.setPen(Qt::white);
    p.setFont(CjkFont(30, true));
    p.drawText(QRect(84, 8, 400, 40), Qt::AlignVCenter | Qt::AlignLeft, QStringLiteral("Lumetra"));
    p.setFont(CjkFont(14, false));
    p.setPen(QColor(200, 225, 245));
    p.drawText(QRect(86, 44, 500, 22), Qt::AlignVCenter | Qt::AlignLeft,
               QStringLiteral("无线调频广播控制系统"));

    // Left column behind the page buttons.
    QPainterPath column;
    column.addRoundedRect(QRectF(20, 96, 142, 520), 12, 12);
    p.fillPath(column, QColor(28, 62, 102));
    p.setPen(QPen(QColor(255, 255, 255, 50), 1));
    p.setBrush(Qt::NoBrush);
    p.drawPath(column);

    // Title strip over the page area, where the page's name is written.
    QPainterPath title;
    title.addRoundedRect(QRectF(197, 96, 790, 36), 8, 8);
    p.fillPath(title, kSky);

    // The page area itself.
    QPainterPath page;
    page.addRoundedRect(QRectF(193, 136, 798, 478), 6, 6);
    p.fillPath(page, QColor(236, 242, 248));

    // Status bar with the link state on the left and the clock on the right.
    p.fillRect(0, 630, 1024, 38, kNavy);
    p.fillRect(0, 630, 1024, 2, kAccent);
    return image;
}

// A rounded, softly lit button face with a glyph above a label (or a glyph alone).
QImage Button(int w, int h, const QString& label, const std::function<void(QPainter&, QRectF)>& glyph) {
    QImage image(w, h, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath face;
    face.addRoundedRect(QRectF(1, 1, w - 2, h - 2), 9, 9);
    QLinearGradient fill(0, 0, 0, h);
    fill.setColorAt(0, QColor(58, 150, 214));
    fill.setColorAt(1, QColor(20, 88, 150));
    p.fillPath(face, fill);
    p.setPen(QPen(QColor(255, 255, 255, 110), 1));
    p.drawPath(face);
    QPainterPath shine;
    shine.addRoundedRect(QRectF(3, 3, w - 6, h / 2.0 - 3), 7, 7);
    p.fillPath(shine, QColor(255, 255, 255, 36));

    p.setPen(QPen(Qt::white, 2.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    if (label.isEmpty()) {
        glyph(p, QRectF(w / 2.0 - 14, h / 2.0 - 14, 28, 28));
    } else {
        glyph(p, QRectF(12, h / 2.0 - 13, 26, 26));
        p.setPen(Qt::white);
        p.setFont(CjkFont(17, true));
        p.drawText(QRect(42, 0, w - 46, h), Qt::AlignVCenter | Qt::AlignLeft, label);
    }
    return image;
}

void ListGlyph(QPainter& p, QRectF r) {
    for (int i = 0; i < 3; ++i) {
        const double y = r.top() + 5 + i * 8;
        p.drawPoint(QPointF(r.left() + 3, y));
        p.drawLine(QPointF(r.left() + 9, y), QPointF(r.right() - 2, y));
    }
}

void PlayGlyph(QPainter& p, QRectF r) {
    p.drawEllipse(r.adjusted(1, 1, -1, -1));
    QPolygonF triangle({QPointF(r.left() + 10, r.top() + 7), QPointF(r.right() - 7, r.center().y()),
                        QPointF(r.left() + 10, r.bottom() - 7)});
    p.setBrush(Qt::white);
    p.drawPolygon(triangle);
    p.setBrush(Qt::NoBrush);
}

void ReceiverGlyph(QPainter& p, QRectF r) {
    const QPointF c(r.center().x(), r.top() + 9);
    p.drawLine(c, QPointF(c.x(), r.bottom() - 1));
    for (int rad = 5; rad <= 11; rad += 6) {
        p.drawArc(QRectF(c.x() - rad, c.y() - rad, 2 * rad, 2 * rad), 30 * 16, 120 * 16);
    }
}

void LedGlyph(QPainter& p, QRectF r) {
    p.drawRoundedRect(r.adjusted(0, 4, 0, -4), 3, 3);
    p.setBrush(Qt::white);
    for (int i = 0; i < 4; ++i) p.drawEllipse(QPointF(r.left() + 5 + i * 5.5, r.center().y()), 1.3, 1.3);
    p.setBrush(Qt::NoBrush);
}

void UsersGlyph(QPainter& p, QRectF r) {
    p.drawEllipse(QPointF(r.center().x(), r.top() + 8), 5, 5);
    p.drawArc(QRectF(r.left() + 3, r.top() + 15, r.width() - 6, 18), 0, 180 * 16);
}

void GearGlyph(QPainter& p, QRectF r) {
    const QPointF c = r.center();
    for (int i = 0; i < 8; ++i) {
        p.save();
        p.translate(c);
        p.rotate(i * 45);
        p.drawLine(QPointF(0, -9), QPointF(0, -12));
        p.restore();
    }
    p.drawEllipse(c, 8, 8);
    p.drawEllipse(c, 3, 3);
}

// A clock face with a hand turned back: what went out.
void HistoryGlyph(QPainter& p, QRectF r) {
    p.drawEllipse(r.adjusted(4, 4, -4, -4));
    const QPointF centre = r.center();
    p.drawLine(centre, centre + QPointF(0, -r.height() / 3));
    p.drawLine(centre, centre + QPointF(-r.width() / 4, 0));
}

void LoginGlyph(QPainter& p, QRectF r) {
    p.drawEllipse(QPointF(r.left() + 9, r.center().y()), 6, 6);
    p.drawLine(QPointF(r.left() + 15, r.center().y()), QPointF(r.right(), r.center().y()));
    p.drawLine(QPointF(r.right() - 4, r.center().y()), QPointF(r.right() - 4, r.center().y() + 6));
}

void LogoffGlyph(QPainter& p, QRectF r) {
    p.drawRect(QRectF(r.left() + 2, r.top() + 2, 14, r.height() - 4));
    p.drawLine(QPointF(r.left() + 10, r.center().y()), QPointF(r.right(), r.center().y()));
    p.drawLine(QPointF(r.right() - 6, r.center().y() - 6), QPointF(r.right(), r.center().y()));
    p.drawLine(QPointF(r.right() - 6, r.center().y() + 6), QPointF(r.right(), r.center().y()));
}

void MinimiseGlyph(QPainter& p, QRectF r) {
    p.drawLine(QPointF(r.left() + 4, r.bottom() - 6), QPointF(r.right() - 4, r.bottom() - 6));
}

void PowerGlyph(QPainter& p, QRectF r) {
    p.drawArc(r.adjusted(3, 4, -3, -2), 120 * 16, 300 * 16);
    p.drawLine(QPointF(r.center().x(), r.top() + 1), QPointF(r.center().x(), r.center().y()));
}

QImage LoginPicture() {
    QImage image(306, 76, QImage::Format_RGB32);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient fill(0, 0, 306, 0);
    fill.setColorAt(0, QColor(18, 92, 152));
    fill.setColorAt(1, QColor(46, 170, 220));
    p.fillRect(image.rect(), fill);
    p.setPen(QPen(QColor(255, 255, 255, 210), 3, Qt::SolidLine, Qt::RoundCap));
    for (int r = 10; r <= 28; r += 9) p.drawArc(QRectF(38 - r, 38 - r, 2 * r, 2 * r), -45 * 16, 90 * 16);
    p.setBrush(Qt::white);
    p.drawEllipse(QPointF(38, 38), 4, 4);
    p.setPen(Qt::white);
    p.setFont(CjkFont(26, true));
    p.drawText(QRect(80, 6, 220, 38), Qt::AlignVCenter | Qt::AlignLeft, QStringLiteral("Lumetra"));
    p.setFont(CjkFont(14, false));
    p.drawText(QRect(82, 42, 220, 24), Qt::AlignVCenter | Qt::AlignLeft,
               QStringLiteral("请输入用户名和密码"));
    return image;
}

QImage Icon() {
    QImage image(64, 64, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QRadialGradient fill(QPointF(24, 20), 50);
    fill.setColorAt(0, QColor(58, 150, 214));
    fill.setColorAt(1, QColor(15, 76, 131));
    p.setBrush(fill);
    p.setPen(Qt::NoPen);
    p.drawRoundedRect(QRectF(2, 2, 60, 60), 14, 14);
    p.setPen(QPen(Qt::white, 4, Qt::SolidLine, Qt::RoundCap));
    for (int r = 10; r <= 26; r += 8) p.drawArc(QRectF(18 - r, 46 - r, 2 * r, 2 * r), 0, 90 * 16);
    p.setBrush(Qt::white);
    p.drawEllipse(QPointF(18, 46), 4, 4);
    return image;
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: lumetra-artwork OUTPUT-DIRECTORY\n");
        return 2;
    }
    const QString dir = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(dir);
    const int page_w = 118, page_h = 60, small_w = 44, small_h = 54;
    bool ok =
        Save(Background(), dir, "background.png") && Save(LoginPicture(), dir, "login.png") &&
        Save(Icon(), dir, "icon.png") &&
        Save(Button(page_w, page_h, QStringLiteral("任务列表"), ListGlyph), dir, "btn_tasks.png") &&
        Save(Button(page_w, page_h, QStringLiteral("即时播放"), PlayGlyph), dir, "btn_play.png") &&
        Save(Button(page_w, page_h, QStringLiteral("接收管理"), ReceiverGlyph), dir, "btn_receiver.png") &&
        Save(Button(page_w, page_h, QStringLiteral("LED管理"), LedGlyph), dir, "btn_led.png") &&
        Save(Button(page_w, page_h, QStringLiteral("用户管理"), UsersGlyph), dir, "btn_users.png") &&
        Save(Button(page_w, page_h, QStringLiteral("系统设置"), GearGlyph), dir, "btn_settings.png") &&
        Save(Button(page_w, page_h, QStringLiteral("播放记录"), HistoryGlyph), dir, "btn_history.png") &&
        Save(Button(small_w, small_h, QString(), LoginGlyph), dir, "btn_login.png") &&
        Save(Button(small_w, small_h, QString(), LogoffGlyph), dir, "btn_logoff.png") &&
        Save(Button(59, small_h, QString(), MinimiseGlyph), dir, "btn_minimise.png") &&
        Save(Button(small_w, small_h, QString(), PowerGlyph), dir, "btn_exit.png");
    return ok ? 0 : 1;
}
