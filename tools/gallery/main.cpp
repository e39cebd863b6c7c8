// Renders the gallery of custom controls to a PNG file:
//   q840_gallery [output.png [dpi [skin folder]]]
// Defaults: gallery.png beside the program, scale 96, the skin folder beside the program.
#include <QApplication>
#include <QDir>
#include <cstdio>

#include "tools/gallery/Gallery.h"

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM",
            qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    const QString folder = QCoreApplication::applicationDirPath() + '/';
    const QString output = argc > 1 ? QString::fromLocal8Bit(argv[1]) : folder + "gallery.png";
    const int dpi = argc > 2 ? atoi(argv[2]) : 96;
    QString skin = argc > 3 ? QString::fromLocal8Bit(argv[3]) : folder + "skin/";
    if (!skin.endsWith('/')) {
        skin += '/';
    }
    if (dpi != 96 && dpi != 144) {
        std::fprintf(stderr, "q840_gallery: the scale is 96 or 144\n");
        return 2;
    }
    const QImage image = q840::gallery::RenderGallery(skin, dpi);
    if (image.isNull()) {
        std::fprintf(stderr, "q840_gallery: cannot build %sXML/Gallery.xml\n", qPrintable(skin));
        return 1;
    }
    if (!image.save(output, "PNG")) {
        std::fprintf(stderr, "q840_gallery: cannot write %s\n", qPrintable(output));
        return 1;
    }
    std::printf("%s\n", qPrintable(QDir::cleanPath(output)));
    return 0;
}
