#include "controls/CHandImgSelectButtonUI.h"

#include <QImageReader>
#include <QMouseEvent>
#include <QPainter>
#include <QSvgRenderer>
#include <cmath>

#include "platform/ui/CResourceManager.h"

namespace q840::controls {

namespace {
// The size of a picture file in pixels, without decoding it; empty when it cannot be read.
QSize PictureSize(const QString& file) {
    const QString path = ui::CResourceManager::GetInstance().GetResourcePath() + file;
    if (file.endsWith(QLatin1String(".svg"), Qt::CaseInsensitive)) {
        QSvgRenderer svg(path);
        return svg.isValid() ? svg.viewBox().size() : QSize();
    }
    QImageReader reader(path);
    return reader.canRead() ? reader.size() : QSize();
}
}  // namespace

CHandImgSelectButtonUI::CHandImgSelectButtonUI(QWidget* parent) : QPushButton(parent) {
    setAttribute(Qt::WA_Hover);
    setFocusPolicy(Qt::NoFocus);
}

void CHandImgSelectButtonUI::SetAttribute(const QString& name, const QString& value) {
    if (name == "handimage") {
        SetHandImage(value);
    } else if (name == "cursor") {
        SetCursorName(value);
    } else {
        setProperty(("dui_" + name).toUtf8().constData(), value);
    }
}

void CHandImgSelectButtonUI::SetHandImage(const QString& file) {
    m_file = ui::ImageDesc::Parse(file).file;
    m_imageSize = m_file.isEmpty() ? QSize() : PictureSize(m_file);
    if (!m_imageSize.isValid()) {
        m_imageSize = QSize(0, 0);
    }
    m_source = QPoint(0, 0);
    m_carry = QPointF();
    RebuildDrawImage();
}

bool CHandImgSelectButtonUI::SetCursorName(const QString& name) {
    static const QHash<QString, Qt::CursorShape> kCursors = {
        {"arrow", Qt::ArrowCursor},        {"ibeam", Qt::IBeamCursor},
        {"wait", Qt::WaitCursor},          {"cross", Qt::CrossCursor},
        {"uparrow", Qt::UpArrowCursor},    {"size", Qt::SizeAllCursor},
        {"icon", Qt::ArrowCursor},         {"sizenwse", Qt::SizeFDiagCursor},
        {"sizenesw", Qt::SizeBDiagCursor}, {"sizewe", Qt::SizeHorCursor},
        {"sizens", Qt::SizeVerCursor},     {"sizeall", Qt::SizeAllCursor},
        {"hand", Qt::PointingHandCursor}};
    const auto found = kCursors.constFind(name.trimmed().toLower());
    if (found == kCursors.constEnd()) {
        return false;
    }
    setCursor(*found);
    return true;
}

QSize CHandImgSelectButtonUI::ViewSize() const {
    const int dpi = ControlDpi(this);
    return QSize(width() * 96 / dpi, height() * 96 / dpi);
}

bool CHandImgSelectButtonUI::Cropped() const {
    const QSize view = ViewSize();
    return !m_file.isEmpty() && view.width() > 0 && view.height() > 0 &&
           (view.width() < m_imageSize.width() || view.height() < m_imageSize.height());
}

QRect CHandImgSelectButtonUI::GetSourceRect() const {
    if (!Cropped()) {
        return {};
    }
    const QSize view = ViewSize().boundedTo(m_imageSize);
    return QRect(m_source, view);
}

void CHandImgSelectButtonUI::ClampSource() {
    const QSize view = ViewSize().boundedTo(m_imageSize);
    m_source.setX(qBound(0, m_source.x(), qMax(0, m_imageSize.width() - view.width())));
    m_source.setY(qBound(0, m_source.y(), qMax(0, m_imageSize.height() - view.height())));
}

void CHandImgSelectButtonUI::RebuildDrawImage() {
    if (m_file.isEmpty()) {
        m_drawImage.clear();
    } else if (Cropped()) {
        ClampSource();
        const QRect source = GetSourceRect();
        m_drawImage = QString("file='%1' ").arg(m_file) + QString("source='%1,%2,%3,%4'")
                                                              .arg(source.left())
                                                              .arg(source.top())
                                                              .arg(source.left() + source.width())
                                                              .arg(source.top() + source.height());
    } else {
        m_drawImage = m_file;
    }
    update();
}

void CHandImgSelectButtonUI::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    if (m_drawImage.isEmpty() && !HasStatusImage(this)) {
        DrawFallbackButton(painter, this, underMouse(), isDown());
    }
    QRectF target = rect();
    if (Cropped()) {
        // A picture narrower (or lower) than the button on one axis keeps its own size there.
        const QRect source = GetSourceRect();
        const qreal scale = ControlDpi(this) / 96.0;
        target.setSize(QSizeF(source.width() * scale, source.height() * scale));
    }
    DrawImage(painter, m_drawImage, target);
    if (!text().isEmpty()) {
        painter.setPen(palette().color(QPalette::ButtonText));
        painter.drawText(rect(), Qt::AlignCenter, text());
    }
}

void CHandImgSelectButtonUI::resizeEvent(QResizeEvent* event) {
    QPushButton::resizeEvent(event);
    RebuildDrawImage();
}

void CHandImgSelectButtonUI::Press(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !isEnabled() || !rect().contains(event->pos())) {
        event->ignore();
        return;
    }
    m_captured = true;
    m_lastPos = event->pos();
    m_carry = QPointF();
    setDown(true);
    event->accept();
}

void CHandImgSelectButtonUI::mousePressEvent(QMouseEvent* event) {
    Press(event);
}

void CHandImgSelectButtonUI::mouseDoubleClickEvent(QMouseEvent* event) {
    Press(event);
}

void CHandImgSelectButtonUI::mouseMoveEvent(QMouseEvent* event) {
    if (!m_captured) {
        event->ignore();
        return;
    }
    event->accept();
    setDown(rect().contains(event->pos()));
    const QPoint moved = event->pos() - m_lastPos;
    m_lastPos = event->pos();
    if (!Cropped() || moved.isNull()) {
        return;
    }
    // The picture follows the pointer, so the visible part moves the other way.
    const qreal toPicture = 96.0 / ControlDpi(this);
    m_carry -= QPointF(moved) * toPicture;
    const QPoint whole(static_cast<int>(std::trunc(m_carry.x())),
                       static_cast<int>(std::trunc(m_carry.y())));
    m_carry -= whole;
    m_source += whole;
    RebuildDrawImage();
}

void CHandImgSelectButtonUI::mouseReleaseEvent(QMouseEvent* event) {
    if (!m_captured || event->button() != Qt::LeftButton) {
        event->ignore();
        return;
    }
    m_captured = false;
    setDown(false);
    event->accept();
    if (rect().contains(event->pos())) {
        click();
    }
}

void CHandImgSelectButtonUI::enterEvent(QEnterEvent* event) {
    QPushButton::enterEvent(event);
    if (isEnabled()) {
        update();
        NotifyFrom(this, QStringLiteral("msenter"));
    }
}

void CHandImgSelectButtonUI::leaveEvent(QEvent* event) {
    QPushButton::leaveEvent(event);
    update();
    NotifyFrom(this, QStringLiteral("msleave"));
}

void CHandImgSelectButtonUI::changeEvent(QEvent* event) {
    QPushButton::changeEvent(event);
    if (event->type() == QEvent::EnabledChange && !isEnabled()) {
        m_captured = false;
        setDown(false);
    }
}

}  // namespace q840::controls
