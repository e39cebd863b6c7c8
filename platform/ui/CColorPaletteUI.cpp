#include "platform/ui/CColorPaletteUI.h"

#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>
#include <algorithm>

#include "platform/ui/CPaintManagerUI.h"

namespace q840::ui {

CColorPaletteUI::CColorPaletteUI(QWidget* parent) : QWidget(parent) {
    setCursor(Qt::CrossCursor);
    setMinimumSize(120, 60);
}

QRect CColorPaletteUI::FieldRect() const {
    const int bar = kBarHeight * logicalDpiY() / 96;
    const int gap = kGap * logicalDpiY() / 96;
    return QRect(0, 0, width(), std::max(1, height() - bar - gap));
}

QRect CColorPaletteUI::BarRect() const {
    const int bar = kBarHeight * logicalDpiY() / 96;
    return QRect(0, height() - bar, width(), bar);
}

uint32_t CColorPaletteUI::GetSelectColor() const {
    return m_colour;
}

void CColorPaletteUI::SetSelectColor(uint32_t argb) {
    m_colour = 0xFF000000u | (argb & 0x00FFFFFFu);
    const QColor c = QColor::fromRgb(m_colour);
    int h = 0, s = 0, v = 0;
    c.getHsv(&h, &s, &v);
    // A grey has no hue of its own: keep the one shown.
    if (h >= 0) {
        m_hue = h;
    }
    m_saturation = s;
    m_value = v;
    update();
}

void CColorPaletteUI::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    m_field = QImage();
}

void CColorPaletteUI::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const QRect field = FieldRect();
    if (m_field.size() != field.size()) {
        m_field = QImage(field.size(), QImage::Format_RGB32);
        for (int y = 0; y < field.height(); ++y) {
            auto* line = reinterpret_cast<QRgb*>(m_field.scanLine(y));
            const int s = 255 - y * 255 / std::max(1, field.height() - 1);
            for (int x = 0; x < field.width(); ++x) {
                line[x] = QColor::fromHsv(x * 359 / std::max(1, field.width() - 1), s, 255).rgb();
            }
        }
    }
    p.drawImage(field.topLeft(), m_field);
    const QRect bar = BarRect();
    QLinearGradient gradient(bar.topLeft(), bar.topRight());
    gradient.setColorAt(0, Qt::black);
    gradient.setColorAt(1, QColor::fromHsv(m_hue, m_saturation, 255));
    p.fillRect(bar, gradient);

    // The markers: a ring on the field, a tick on the bar.
    p.setRenderHint(QPainter::Antialiasing);
    const QPoint at(field.left() + m_hue * (field.width() - 1) / 359,
                    field.top() + (255 - m_saturation) * (field.height() - 1) / 255);
    p.setPen(QPen(Qt::white, 2));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(at, 5, 5);
    p.setPen(QPen(Qt::black, 1));
    p.drawEllipse(at, 7, 7);
    const int x = bar.left() + m_value * (bar.width() - 1) / 255;
    p.setPen(QPen(Qt::white, 3));
    p.drawLine(x, bar.top() - 2, x, bar.bottom() + 2);
}

void CColorPaletteUI::PickAt(const QPoint& point, Part part) {
    if (part == Part::Field) {
        const QRect field = FieldRect();
        const int x = std::clamp(point.x() - field.left(), 0, field.width() - 1);
        const int y = std::clamp(point.y() - field.top(), 0, field.height() - 1);
        m_hue = x * 359 / std::max(1, field.width() - 1);
        m_saturation = 255 - y * 255 / std::max(1, field.height() - 1);
        if (m_value == 0) {
            m_value = 255;  // a pick on the field of a black colour means a colour
        }
    } else if (part == Part::Bar) {
        const QRect bar = BarRect();
        const int x = std::clamp(point.x() - bar.left(), 0, bar.width() - 1);
        m_value = x * 255 / std::max(1, bar.width() - 1);
    } else {
        return;
    }
    const uint32_t colour = 0xFF000000u | QColor::fromHsv(m_hue, m_saturation, m_value).rgb();
    update();
    if (colour == m_colour) {
        return;
    }
    m_colour = colour;
    if (CPaintManagerUI* manager = CPaintManagerUI::FromControl(this)) {
        manager->SendNotify(this, notify::kColorChanged, m_colour);
    }
}

void CColorPaletteUI::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !isEnabled()) {
        return;
    }
    const QPoint point = event->position().toPoint();
    m_dragging = BarRect().adjusted(0, -4, 0, 4).contains(point) ? Part::Bar : Part::Field;
    PickAt(point, m_dragging);
}

void CColorPaletteUI::mouseMoveEvent(QMouseEvent* event) {
    PickAt(event->position().toPoint(), m_dragging);
}

void CColorPaletteUI::mouseReleaseEvent(QMouseEvent*) {
    m_dragging = Part::None;
}

}  // namespace q840::ui
