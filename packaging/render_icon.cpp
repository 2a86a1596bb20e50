// Build tool: renders a picture into a square PNG of the given size, or, for an OUT
// ending in .argb, into the bare premultiplied 32-bit pixels as the program holds
// them in memory (rows top down, no header), which it can show without decoding.
// Usage: byteloom_render_icon PICTURE.svg SIZE OUT.png|OUT.argb
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>

#include <cstdio>

int main(int argc, char** argv)
{
    if (argc != 4) {
        std::fprintf(stderr, "usage: %s PICTURE.svg SIZE OUT.png\n", argv[0]);
        return 2;
    }
    // The picture's text needs the font database, which needs a platform; no screen is used.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QSvgRenderer svg(QString::fromLocal8Bit(argv[1]));
    const int size = QByteArray(argv[2]).toInt();
    if (!svg.isValid() || size <= 0 || size > 4096) {
        std::fprintf(stderr, "cannot render %s at %s px\n", argv[1], argv[2]);
        return 1;
    }
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    svg.render(&painter);
    painter.end();
    const QString out = QString::fromLocal8Bit(argv[3]);
    if (out.endsWith(QLatin1String(".argb"))) {
        QFile file(out);
        const auto bytes = static_cast<qint64>(image.sizeInBytes());
        if (!file.open(QIODevice::WriteOnly) || file.write(reinterpret_cast<const char*>(image.constBits()), bytes) != bytes) {
            std::fprintf(stderr, "cannot write %s\n", argv[3]);
            return 1;
        }
        return 0;
    }
    if (!image.save(out, "PNG")) {
        std::fprintf(stderr, "cannot write %s\n", argv[3]);
        return 1;
    }
    return 0;
}
