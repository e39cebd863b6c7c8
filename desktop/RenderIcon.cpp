// Renders the program's SVG icon as PNG files of the sizes the icon theme wants:
//   q840_render_icon ICON.svg OUT_FOLDER SIZE...
// writes OUT_FOLDER/SIZExSIZE/apps/<icon name>.png for each size.
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>
#include <cstdio>

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: q840_render_icon ICON.svg OUT_FOLDER SIZE...\n");
        return 2;
    }
    const QString svg = QString::fromLocal8Bit(argv[1]);
    QSvgRenderer renderer(svg);
    if (!renderer.isValid()) {
        std::fprintf(stderr, "q840_render_icon: cannot read %s\n", argv[1]);
        return 1;
    }
    const QString name = QFileInfo(svg).completeBaseName();
    for (int i = 3; i < argc; ++i) {
        const int size = QString::fromLatin1(argv[i]).toInt();
        if (size <= 0) {
            std::fprintf(stderr, "q840_render_icon: bad size %s\n", argv[i]);
            return 2;
        }
        const QString folder =
            QString::fromLocal8Bit(argv[2]) + QStringLiteral("/%1x%1/apps").arg(size);
        QDir().mkpath(folder);
        QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        renderer.render(&painter, QRectF(0, 0, size, size));
        painter.end();
        if (!image.save(folder + '/' + name + ".png", "PNG")) {
            std::fprintf(stderr, "q840_render_icon: cannot write %s\n", qPrintable(folder));
            return 1;
        }
    }
    return 0;
}
