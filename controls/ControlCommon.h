#pragma once

#include <QString>

#include "platform/ui/ImageDesc.h"
#include "platform/ui/UIDefs.h"

class QPainter;
class QWidget;

namespace q840::controls {

// Every custom control answers its class name, the name layouts and panels look for
// ("DeviceKeyButton", "HandImgButton", ...).
class IControlClass {
public:
    virtual ~IControlClass() = default;
    virtual QString GetClass() const = 0;
};

// The class name a control answers, or an empty text for controls that are not ours.
QString ControlClassOf(const QWidget* control);

// The window's scale of the control (96 = 100 %); 96 while the control belongs to no window.
int ControlDpi(const QWidget* control);
// A length written for scale 96, in the control's current scale.
int ScaleForControl(const QWidget* control, int value);

// Sends a notification through the window the control belongs to; nothing when it belongs to none.
void NotifyFrom(QWidget* control, const QString& type, quint64 wParam = 0, qint64 lParam = 0);

// True for "true" (any case) and "1", as layouts write flags.
bool IsTrueAttribute(const QString& value);

// Draws an image description over a rectangle; false when there is nothing to draw.
bool DrawImage(QPainter& painter, const QString& description, const QRectF& target);

// True when the layout gave the control one of the button status images.
bool HasStatusImage(const QWidget* control);

// The quiet look of a button that has no status images: a raised card, accent border when hot or
// pressed. Used so that a control without pictures is still visible and usable.
void DrawFallbackButton(QPainter& painter, const QWidget* control, bool hot, bool pressed);

}  // namespace q840::controls
