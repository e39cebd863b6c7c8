#include "controls/ControlCommon.h"

#include <QPainter>
#include <QWidget>

#include "platform/ui/CPaintManagerUI.h"

namespace q840::controls {

QString ControlClassOf(const QWidget* control) {
    if (const auto* custom = dynamic_cast<const IControlClass*>(control)) {
        return custom->GetClass();
    }
    return {};
}

int ControlDpi(const QWidget* control) {
    if (const ui::CPaintManagerUI* pm = ui::CPaintManagerUI::FromControl(control)) {
        return pm->GetDPI() > 0 ? pm->GetDPI() : 96;
    }
    return 96;
}

int ScaleForControl(const QWidget* control, int value) {
    return value * ControlDpi(control) / 96;
}

void NotifyFrom(QWidget* control, const QString& type, quint64 wParam, qint64 lParam) {
    if (ui::CPaintManagerUI* pm = ui::CPaintManagerUI::FromControl(control)) {
        pm->SendNotify(control, type, wParam, lParam);
    }
}

bool IsTrueAttribute(const QString& value) {
    return value.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0 || value == "1";
}

bool DrawImage(QPainter& painter, const QString& description, const QRectF& target) {
    if (description.trimmed().isEmpty() || target.isEmpty()) {
        return false;
    }
    return ui::ImageDesc::Parse(description).Draw(painter, target);
}

bool HasStatusImage(const QWidget* control) {
    for (const char* name : {"dui_normalimage", "dui_hotimage", "dui_pushedimage", "dui_bkimage",
                             "dui_disabledimage"}) {
        if (!control->property(name).toString().isEmpty()) {
            return true;
        }
    }
    return false;
}

void DrawFallbackButton(QPainter& painter, const QWidget* control, bool hot, bool pressed) {
    const qreal radius = ScaleForControl(control, 4);
    const QRectF box = QRectF(control->rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QColor(hot || pressed ? 0xFF00B4FF : 0xFF2F343E));
    painter.setBrush(QColor(pressed ? 0xFF1D2027 : 0xFF272B34));
    painter.drawRoundedRect(box, radius, radius);
    painter.restore();
}

}  // namespace q840::controls
