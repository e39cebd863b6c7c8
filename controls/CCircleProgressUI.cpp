#include "controls/CCircleProgressUI.h"

#include "platform/ui/CDialogBuilder.h"

#include <QPainter>
#include <QRegularExpression>
#include <QVariantMap>
#include <cmath>

namespace q840::controls {

namespace {

const QColor kPanelColour(0x1D, 0x20, 0x27);
const QColor kAccentColour(0x00, 0xB4, 0xFF);

// Layout colours: "#AARRGGBB", "#RRGGBB" or "0x..."; invalid when unreadable.
QColor ParseLayoutColour(QString value) {
    value = value.trimmed();
    if (value.startsWith(QLatin1String("0x"), Qt::CaseInsensitive)) {
        value = value.mid(2);
    } else if (value.startsWith('#')) {
        value = value.mid(1);
    }
    bool ok = false;
    const quint32 argb = value.toUInt(&ok, 16);
    if (!ok || (value.size() != 6 && value.size() != 8)) {
        return {};
    }
    QColor colour = QColor::fromRgb((argb >> 16) & 0xFF, (argb >> 8) & 0xFF, argb & 0xFF);
    colour.setAlpha(value.size() == 8 ? int((argb >> 24) & 0xFF) : 0xFF);
    return colour;
}

}  // namespace

CCircleProgressUI::CCircleProgressUI(QWidget* parent)
    : QProgressBar(parent), m_foreColour(kAccentColour) {
    setRange(0, 100);
    setValue(0);
    setTextVisible(false);
    // Only the circle is painted: the corners show what lies under the control, even when the
    // layout's "bkcolor" gives it a styled background.
    setAttribute(Qt::WA_NoSystemBackground);
}

void CCircleProgressUI::SetAttribute(const QString& name, const QString& value) {
    if (name == QLatin1String("forecolor") || name == QLatin1String("fgcolor")) {
        const QColor colour = ParseLayoutColour(value);
        if (colour.isValid()) {
            SetForeColor(colour);
        }
    } else if (name == QLatin1String("bkcolor")) {
        const QColor colour = ParseLayoutColour(value);
        if (colour.isValid()) {
            SetBkColor(colour);
        }
    } else {
        setProperty(("dui_" + name).toUtf8().constData(), value);
    }
}

void CCircleProgressUI::SetBkColor(const QColor& colour) {
    m_bkColour = colour;
    update();
}

void CCircleProgressUI::SetForeColor(const QColor& colour) {
    m_foreColour = colour;
    update();
}

QColor CCircleProgressUI::GetBkColor() const {
    if (m_bkColour.isValid()) {
        return m_bkColour;
    }
    const QColor fromLayout = ui::CDialogBuilder::StylePieceColour(this, QStringLiteral("background-color"));
    return fromLayout.isValid() ? fromLayout : kPanelColour;
}

int CCircleProgressUI::GetSweepDegrees() const {
    const double range = double(maximum()) - double(minimum());
    if (range <= 0) {
        // An empty range has no share to show.
        return 0;
    }
    const double degrees = std::trunc(double(value()) / range * 360.0);
    return int(qBound(0.0, degrees, 360.0));
}

QRectF CCircleProgressUI::GetInnerRect(const QSizeF& size) const {
    const qreal inset = ScaleForControl(this, 10);
    return QRectF(QPointF(0, 0), size).adjusted(inset, inset, -inset, -inset);
}

void CCircleProgressUI::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    const QRectF circle(rect());
    painter.setBrush(GetBkColor());
    painter.drawEllipse(circle);
    const int span = GetSpanAngle();
    if (span != 0) {
        painter.setBrush(m_foreColour);
        painter.drawPie(circle, GetStartAngle(), span);
    }
    const QRectF inner = GetInnerRect(circle.size());
    if (inner.width() > 0 && inner.height() > 0) {
        painter.setBrush(Qt::white);
        painter.drawEllipse(inner);
    }
}

}  // namespace q840::controls
