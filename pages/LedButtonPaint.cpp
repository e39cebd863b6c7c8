#include "pages/LedButtonPaint.h"

#include <QColor>
#include <QVariant>
#include <QWidget>

#include "controls/CDeviceKeyButtonUI.h"
#include "pages/PreviewTables.h"

namespace q840::pages {

namespace {
constexpr const char* kColourProperty = "ledColour";
constexpr const char* kValueProperty = "ledValue";
}  // namespace

void PaintLedButton(QWidget* button, uint32_t ledValue) {
    if (button == nullptr) {
        return;
    }
    button->setProperty(kColourProperty, QColor(LedRed(ledValue), LedGreen(ledValue),
                                                LedBlue(ledValue), LedLevel(ledValue)));
    button->setProperty(kValueProperty, QVariant::fromValue<quint32>(ledValue));
    // The key/LED button draws the colour itself; the level is its opacity.
    if (auto* key = qobject_cast<controls::CDeviceKeyButtonUI*>(button)) {
        key->SetBkColor(
            qRgba(LedRed(ledValue), LedGreen(ledValue), LedBlue(ledValue), LedLevel(ledValue)));
        return;
    }
    button->update();
}

uint32_t PaintedLedValue(const QWidget* button) {
    if (button == nullptr) {
        return 0;
    }
    const QVariant v = button->property(kValueProperty);
    return v.isValid() ? v.value<quint32>() : 0;
}

}  // namespace q840::pages
