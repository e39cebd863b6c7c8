#pragma once

#include <QObject>
#include <QRect>
#include <QString>

class QPainter;
class QWidget;

namespace q840::ui {

// An image description as layouts write it: either a bare file name ("icons/close.svg") or
// "file='icons/close.svg' source='0,0,16,16' fade='128'". Files are relative to the skin folder;
// SVG files render crisply at every scale.
struct ImageDesc {
    QString file;
    QRect source;  // part of the image to draw; null = whole image
    int fade = 255;

    bool IsEmpty() const { return file.isEmpty(); }
    static ImageDesc Parse(const QString& description);
    // Draws the image stretched over the target rectangle; false when the file cannot be loaded.
    bool Draw(QPainter& painter, const QRectF& target) const;
};

// Paints a control's state images under its own painting: bkimage, then the image of the current
// state (normal/hot/pushed/selected/disabled), then foreimage. Installed by the builder on every
// control that has an image attribute; reads the images from the control's "dui_*image" properties.
class ImagePainter : public QObject {
    Q_OBJECT
public:
    static ImagePainter* Instance();
    // Installs the painter on the control (idempotent).
    static void Attach(QWidget* control);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};

// Image names a control may carry.
bool IsImageAttribute(const QString& name);

}  // namespace q840::ui
