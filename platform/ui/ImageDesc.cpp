#include "platform/ui/ImageDesc.h"

#include <QAbstractButton>
#include <QCache>
#include <QDir>
#include <QEvent>
#include <QFileInfo>
#include <QPainter>
#include <QPixmap>
#include <QPixmapCache>
#include <QRegularExpression>
#include <QSvgRenderer>
#include <QWidget>

#include "platform/ui/CResourceManager.h"

namespace q840::ui {

namespace {
QRect ParseRect(const QString& text) {
    const QStringList parts = text.split(',');
    if (parts.size() != 4) {
        return {};
    }
    const int l = parts[0].trimmed().toInt();
    const int t = parts[1].trimmed().toInt();
    const int r = parts[2].trimmed().toInt();
    const int b = parts[3].trimmed().toInt();
    return QRect(QPoint(l, t), QPoint(r - 1, b - 1));
}

// Loaded images, by absolute path. SVGs are kept as renderers so they draw at any size.
struct LoadedImage {
    QPixmap pixmap;
    std::shared_ptr<QSvgRenderer> svg;
    QRectF viewBox;
};

const LoadedImage* Load(const QString& file) {
    static QHash<QString, LoadedImage> cache;
    // Images of the skin are named relative to its folder; a chosen background may be anywhere.
    const QString path = QDir::isAbsolutePath(file)
                             ? file
                             : CResourceManager::GetInstance().GetResourcePath() + file;
    auto found = cache.constFind(path);
    if (found != cache.constEnd()) {
        return &*found;
    }
    LoadedImage image;
    if (file.endsWith(".svg", Qt::CaseInsensitive)) {
        auto renderer = std::make_shared<QSvgRenderer>(path);
        if (renderer->isValid()) {
            image.viewBox = renderer->viewBoxF();
            image.svg = renderer;
        }
    } else {
        image.pixmap.load(path);
    }
    return &*cache.insert(path, image);
}
// An SVG drawn at one size, kept: a control repaints its pictures far more often than their size
// changes (the LED preview repaints the device picture under its buttons many times a second),
// and rendering the vector drawing each time costs milliseconds.
QPixmap RenderedSvg(const LoadedImage& image, const QString& file, const QRect& source,
                    const QSizeF& size, const QPaintDevice* device) {
    const qreal ratio = device != nullptr ? device->devicePixelRatioF() : 1.0;
    const QSize pixels = (size * ratio).toSize();
    const QString key = QStringLiteral("q840svg:%1|%2,%3,%4,%5|%6x%7")
                            .arg(file)
                            .arg(source.x())
                            .arg(source.y())
                            .arg(source.width())
                            .arg(source.height())
                            .arg(pixels.width())
                            .arg(pixels.height());
    QPixmap pixmap;
    if (QPixmapCache::find(key, &pixmap)) {
        return pixmap;
    }
    pixmap = QPixmap(pixels.expandedTo(QSize(1, 1)));
    pixmap.fill(Qt::transparent);
    {
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        image.svg->setViewBox(source.isNull() ? image.viewBox : QRectF(source));
        image.svg->render(&painter, QRectF(QPointF(0, 0), QSizeF(pixels)));
    }
    pixmap.setDevicePixelRatio(ratio);
    QPixmapCache::insert(key, pixmap);
    return pixmap;
}
}  // namespace

bool IsImageAttribute(const QString& name) {
    static const QStringList kNames = {"bkimage",       "normalimage",        "hotimage",
                                       "pushedimage",   "selectedimage",      "selectedhotimage",
                                       "disabledimage", "foreimage",          "focusedimage",
                                       "thumbimage",    "selectedpushedimage"};
    return kNames.contains(name);
}

ImageDesc ImageDesc::Parse(const QString& description) {
    ImageDesc desc;
    const QString text = description.trimmed();
    if (!text.contains('=')) {
        desc.file = text;
        return desc;
    }
    static const QRegularExpression kPair(R"((\w+)\s*=\s*'([^']*)')");
    auto it = kPair.globalMatch(text);
    while (it.hasNext()) {
        const auto match = it.next();
        const QString key = match.captured(1);
        const QString value = match.captured(2);
        if (key == "file") {
            desc.file = value;
        } else if (key == "source") {
            desc.source = ParseRect(value);
        } else if (key == "fade") {
            desc.fade = qBound(0, value.toInt(), 255);
        }
    }
    return desc;
}

bool ImageDesc::Draw(QPainter& painter, const QRectF& target) const {
    if (file.isEmpty()) {
        return false;
    }
    const LoadedImage* image = Load(file);
    if (image == nullptr || (image->pixmap.isNull() && !image->svg)) {
        return false;
    }
    const qreal oldOpacity = painter.opacity();
    painter.setOpacity(oldOpacity * fade / 255.0);
    if (image->svg) {
        painter.drawPixmap(target.topLeft(),
                           RenderedSvg(*image, file, source, target.size(), painter.device()));
    } else if (source.isNull()) {
        painter.drawPixmap(target, image->pixmap, QRectF(image->pixmap.rect()));
    } else {
        painter.drawPixmap(target, image->pixmap, QRectF(source));
    }
    painter.setOpacity(oldOpacity);
    return true;
}

ImagePainter* ImagePainter::Instance() {
    static ImagePainter* instance = new ImagePainter();
    return instance;
}

void ImagePainter::Attach(QWidget* control) {
    if (!control->property("dui_imagepainter").toBool()) {
        control->setProperty("dui_imagepainter", true);
        control->setAttribute(Qt::WA_Hover);
        control->installEventFilter(Instance());
    }
}

bool ImagePainter::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::Paint) {
        return false;
    }
    auto* control = qobject_cast<QWidget*>(watched);
    if (control == nullptr) {
        return false;
    }
    auto image = [control](const char* name) {
        return ImageDesc::Parse(control->property(name).toString());
    };
    QPainter painter(control);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF rect = control->rect();
    image("dui_bkimage").Draw(painter, rect);

    auto* button = qobject_cast<QAbstractButton*>(control);
    const bool hot = control->underMouse();
    QString state;
    if (!control->isEnabled()) {
        state = "dui_disabledimage";
    } else if (button && button->isDown()) {
        state = "dui_pushedimage";
    } else if (button && button->isChecked()) {
        state = hot && control->property("dui_selectedhotimage").isValid() ? "dui_selectedhotimage"
                                                                           : "dui_selectedimage";
    } else if (hot) {
        state = "dui_hotimage";
    }
    if (state.isEmpty() || !image(state.toUtf8().constData()).Draw(painter, rect)) {
        image("dui_normalimage").Draw(painter, rect);
    }
    image("dui_foreimage").Draw(painter, rect);
    return false;  // the control paints its own text on top
}

}  // namespace q840::ui
