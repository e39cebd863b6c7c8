#include "controls/CDeviceKeyButtonUI.h"

#include <QMouseEvent>
#include <QPainter>

namespace q840::controls {

CDeviceKeyButtonUI::CDeviceKeyButtonUI(QWidget* parent) : QPushButton(parent) {
    setAttribute(Qt::WA_Hover);
    setFocusPolicy(Qt::NoFocus);
}

void CDeviceKeyButtonUI::SetAttribute(const QString& name, const QString& value) {
    if (name == "lightimage") {
        SetLightImage(value);
    } else if (name == "keysetimage") {
        SetKeySetImage(value);
    } else {
        setProperty(("dui_" + name).toUtf8().constData(), value);
    }
}

void CDeviceKeyButtonUI::SetLight(bool lit) {
    if (m_light != lit) {
        m_light = lit;
        update();
    }
}

void CDeviceKeyButtonUI::SetKeySet(bool set) {
    if (m_keySet != set) {
        m_keySet = set;
        update();
    }
}

void CDeviceKeyButtonUI::SetSelected(bool selected) {
    if (m_selected != selected) {
        m_selected = selected;
        update();
    }
}

void CDeviceKeyButtonUI::SetBkColor(QRgb argb) {
    if (m_bkColor != argb) {
        m_bkColor = argb;
        update();
    }
}

void CDeviceKeyButtonUI::SetLightImage(const QString& image) {
    m_lightImage = image;
    update();
}

void CDeviceKeyButtonUI::SetKeySetImage(const QString& image) {
    m_keySetImage = image;
    update();
}

void CDeviceKeyButtonUI::paintEvent(QPaintEvent*) {
    // The status image (normal, hot, pushed, disabled) is already drawn by the skin's image
    // painter under this; a button without one gets the quiet default look.
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    const QRectF box = rect();
    if (qAlpha(m_bkColor) != 0) {
        const qreal radius = ScaleForControl(this, 4);
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor::fromRgba(m_bkColor));
        painter.drawRoundedRect(box, radius, radius);
    } else if (!HasStatusImage(this) && !testAttribute(Qt::WA_StyledBackground)) {
        DrawFallbackButton(painter, this, underMouse(), isDown());
    }
    if (m_light) {
        DrawImage(painter, m_lightImage, box);
    }
    if (!m_keySet) {
        DrawImage(painter, m_keySetImage, box);
    }
    if (m_selected && !DrawImage(painter, property("dui_selectedimage").toString(), box)) {
        // No picture for the selection: an accent ring inside the button.
        const qreal width = qMax(1, ScaleForControl(this, 2));
        painter.setPen(QPen(QColor(0xFF00B4FF), width));
        painter.setBrush(Qt::NoBrush);
        const qreal inset = width / 2;
        const qreal radius = ScaleForControl(this, 4);
        painter.drawRoundedRect(box.adjusted(inset, inset, -inset, -inset), radius, radius);
    }
    if (!text().isEmpty()) {
        painter.setPen(palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled,
                                       QPalette::ButtonText));
        painter.drawText(box, Qt::AlignCenter, text());
    }
}

void CDeviceKeyButtonUI::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !isEnabled() || !rect().contains(event->pos())) {
        QPushButton::mouseDoubleClickEvent(event);
        return;
    }
    // Pressed and captured as for a press, so the release that follows is an ordinary click.
    QPushButton::mousePressEvent(event);
    NotifyFrom(this, ui::notify::kDbClick);
}

void CDeviceKeyButtonUI::enterEvent(QEnterEvent* event) {
    QPushButton::enterEvent(event);
    update();
}

void CDeviceKeyButtonUI::leaveEvent(QEvent* event) {
    QPushButton::leaveEvent(event);
    update();
}

}  // namespace q840::controls
