#pragma once

#include <QImage>
#include <QString>
#include <memory>

class QWidget;

namespace q840::ui {
class CPaintManagerUI;
}

namespace q840::gallery {

// The gallery layout ("XML/Gallery.xml") built with one of each custom control, put into the
// states worth seeing: lit, key-set cleared and rubber-band selected key buttons, the delete mark
// of a hot picture button, a dragged picture, a selected step row, a level wave and two charts.
struct Gallery {
    std::unique_ptr<ui::CPaintManagerUI> manager;
    std::unique_ptr<QWidget> root;
};

// skinFolder ends with '/'. Null root when the layout cannot be built.
Gallery BuildGallery(const QString& skinFolder, int dpi);

// Renders the gallery offscreen; a null image when it cannot be built.
QImage RenderGallery(const QString& skinFolder, int dpi);

}  // namespace q840::gallery
