// Renders the application icon's SVG into a square PNG for the hicolor theme, at build time:
//   lumetra-icon SVG SIZE OUTPUT.png
#include <QGuiApplication>
#include <QImage>
#include <QImageReader>
#include <cstdio>

int main(int argc, char** argv) {
    // Nothing is shown: no display is needed, also on a build machine without one.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc != 4) {
        std::fprintf(stderr, "usage: lumetra-icon SVG SIZE OUTPUT.png\n");
        return 2;
    }
    const int size = QString::fromLocal8Bit(argv[2]).toInt();
    QImageReader reader(QString::fromLocal8Bit(argv[1]));
    reader.setScaledSize(QSize(size, size));
    const QImage image = reader.read();
    if (image.isNull() || image.size() != QSize(size, size) ||
        !image.save(QString::fromLocal8Bit(argv[3]), "PNG")) {
        std::fprintf(stderr, "lumetra-icon: cannot render %s at %d px: %s\n", argv[1], size,
                     qPrintable(reader.errorString()));
        return 1;
    }
    return 0;
}
