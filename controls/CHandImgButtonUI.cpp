#include "controls/CHandImgButtonUI.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPointer>

namespace q840::controls {

CHandImgButtonUI::CHandImgButtonUI(QWidget* parent) : QPushButton(parent) {
    setAttribute(Qt::WA_Hover);
    setMouseTracking(true);  // the delete mark follows the pointer without a button held
    setFocusPolicy(Qt::NoFocus);
}

void CHandImgButtonUI::SetAttribute(const QString& name, const QString& value) {
    if (name == "handimage") {
        SetHandImage(value);
    } else if (name == "deletenormalimage") {
        SetDeleteNormalImage(value);
    } else if (name == "deletehotimage") {
        SetDeleteHotImage(value);
    } else {
        setProperty(("dui_" + name).toUtf8().constData(), value);
    }
}

void CHandImgButtonUI::SetHandImage(const QString& image) {
    m_handImage = image;
    update();
}

void CHandImgButtonUI::SetDeleteNormalImage(const QString& image) {
    m_deleteNormalImage = image;
    update();
}

void CHandImgButtonUI::SetDeleteHotImage(const QString& image) {
    m_deleteHotImage = image;
    update();
}

void CHandImgButtonUI::SetDeleteSwitch(bool on) {
    if (m_deleteSwitch != on) {
        m_deleteSwitch = on;
        update();
    }
}

QRect CHandImgButtonUI::GetDeleteRect() const {
    const int left = width() - ScaleForControl(this, 30);
    const int top = height() - ScaleForControl(this, 29);
    const int size = ScaleForControl(this, 20);
    return QRect(left, top, size, size);
}

void CHandImgButtonUI::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    if (!HasStatusImage(this) && !testAttribute(Qt::WA_StyledBackground)) {
        DrawFallbackButton(painter, this, m_hot, isDown());
    }
    DrawImage(painter, m_handImage, rect());
    if (!text().isEmpty()) {
        painter.setPen(palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled,
                                       QPalette::ButtonText));
        painter.drawText(rect(), Qt::AlignCenter, text());
    }
    if (m_hot && m_deleteSwitch) {
        DrawImage(painter, m_deleteHot ? m_deleteHotImage : m_deleteNormalImage, GetDeleteRect());
    }
}

void CHandImgButtonUI::Press(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !isEnabled() || !rect().contains(event->pos())) {
        event->ignore();
        return;
    }
    m_captured = true;
    setDown(true);
    event->accept();
}

void CHandImgButtonUI::mousePressEvent(QMouseEvent* event) {
    Press(event);
}

void CHandImgButtonUI::mouseDoubleClickEvent(QMouseEvent* event) {
    Press(event);
}

void CHandImgButtonUI::mouseMoveEvent(QMouseEvent* event) {
    const bool deleteHot = GetDeleteRect().contains(event->pos());
    if (deleteHot != m_deleteHot) {
        m_deleteHot = deleteHot;
        update();
    }
    if (m_captured) {
        setDown(rect().contains(event->pos()));
    }
    event->accept();
}

void CHandImgButtonUI::mouseReleaseEvent(QMouseEvent* event) {
    if (!m_captured || event->button() != Qt::LeftButton) {
        event->ignore();
        return;
    }
    m_captured = false;
    setDown(false);
    event->accept();
    const QPoint pos = event->pos();
    if (m_deleteSwitch && GetDeleteRect().contains(pos)) {
        NotifyFrom(this, QStringLiteral("click_handdelete"));
    } else if (rect().contains(pos)) {
        // click() emits pressed and clicked (and toggles a checkable button); the window's pump
        // turns them into "click" (and "selectchanged").
        click();
    }
}

void CHandImgButtonUI::enterEvent(QEnterEvent* event) {
    QPushButton::enterEvent(event);
    if (!isEnabled()) {
        return;
    }
    m_hot = true;
    m_deleteHot = GetDeleteRect().contains(event->position().toPoint());
    update();
    NotifyFrom(this, QStringLiteral("msenter"));
}

void CHandImgButtonUI::leaveEvent(QEvent* event) {
    QPushButton::leaveEvent(event);
    m_hot = false;
    m_deleteHot = false;
    update();
    NotifyFrom(this, QStringLiteral("msleave"));
}

void CHandImgButtonUI::changeEvent(QEvent* event) {
    QPushButton::changeEvent(event);
    if (event->type() == QEvent::EnabledChange && !isEnabled()) {
        // A disabled button drops what it was doing; it must not send a click later.
        m_captured = false;
        m_hot = false;
        setDown(false);
    }
}

}  // namespace q840::controls
