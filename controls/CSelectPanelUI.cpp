#include "controls/CSelectPanelUI.h"

#include <QMouseEvent>
#include <QPainter>
#include <QVBoxLayout>

#include "controls/CDeviceKeyButtonUI.h"

namespace q840::controls {

namespace {
// The rubber band: a child above every other child that lets the mouse through.
class BandOverlay : public QWidget {
public:
    explicit BandOverlay(QWidget* parent) : QWidget(parent) {
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setAttribute(Qt::WA_NoSystemBackground);
        setObjectName(QString());
        hide();
    }
    QRect band;

protected:
    void paintEvent(QPaintEvent*) override {
        if (band.isEmpty()) {
            return;
        }
        QPainter painter(this);
        const QRectF box = QRectF(band).adjusted(0.5, 0.5, -0.5, -0.5);
        painter.setPen(QPen(QColor(0xFF00B4FF), 1, Qt::DashLine));
        painter.setBrush(QColor(0x00, 0xB4, 0xFF, 0x30));
        painter.drawRect(box);
    }
};
}  // namespace

CSelectPanelUI::CSelectPanelUI(QWidget* parent) : QWidget(parent) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    m_band = new BandOverlay(this);
}

void CSelectPanelUI::SetAttribute(const QString& name, const QString& value) {
    setProperty(("dui_" + name).toUtf8().constData(), value);
}

QRect CSelectPanelUI::GetSelectRect() const {
    if (!m_pressed && !m_dragging) {
        return {};
    }
    return QRect(m_start, m_current).normalized();
}

void CSelectPanelUI::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !isEnabled()) {
        QWidget::mousePressEvent(event);
        return;
    }
    m_pressed = true;
    m_dragging = false;
    m_start = m_current = event->pos();
    event->accept();
}

void CSelectPanelUI::mouseMoveEvent(QMouseEvent* event) {
    if (!m_pressed || !(event->buttons() & Qt::LeftButton)) {
        QWidget::mouseMoveEvent(event);
        return;
    }
    m_current = event->pos();
    m_dragging = true;
    UpdateBand();
    event->accept();
}

void CSelectPanelUI::mouseReleaseEvent(QMouseEvent* event) {
    if (!m_pressed || event->button() != Qt::LeftButton) {
        QWidget::mouseReleaseEvent(event);
        return;
    }
    event->accept();
    m_current = event->pos();
    const bool dragged = m_dragging;
    if (dragged) {
        ApplySelection();
    }
    m_pressed = false;
    m_dragging = false;
    UpdateBand();
    if (dragged) {
        NotifyFrom(this, ui::notify::kClickSelectEnd);
    }
}

void CSelectPanelUI::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::EnabledChange && !isEnabled()) {
        m_pressed = false;
        m_dragging = false;
        UpdateBand();
    }
}

void CSelectPanelUI::UpdateBand() {
    auto* band = static_cast<BandOverlay*>(m_band.data());
    if (band == nullptr) {
        return;
    }
    if (m_dragging) {
        band->setGeometry(rect());
        band->band = GetSelectRect();
        band->raise();
        band->show();
    } else {
        band->band = QRect();
        band->hide();
    }
    band->update();
}

void CSelectPanelUI::ApplySelection() {
    // A band of no width or height (a straight drag) still selects what it crosses.
    QRect selection = QRect(m_start, m_current).normalized();
    const QList<CDeviceKeyButtonUI*> buttons = findChildren<CDeviceKeyButtonUI*>();
    for (CDeviceKeyButtonUI* button : buttons) {
        if (button->GetClass() != QLatin1String("DeviceKeyButton")) {
            continue;
        }
        const QRect area(button->mapTo(this, QPoint(0, 0)), button->size());
        button->SetSelected(area.intersects(selection));
    }
}

}  // namespace q840::controls
