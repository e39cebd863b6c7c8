#pragma once

#include <QObject>
#include <QPointer>
#include <QRect>

#include "platform/MessageTarget.h"

class QScreen;
class QWidget;

namespace q840 {

// Changes of the displays reach the main window the way the window system reports them
// elsewhere: a screen added, removed or resized (resolution, rotation, primary screen) as one
// WM_DISPLAYCHANGE, and a new logical DPI of the window's screen as WM_DPICHANGED with the new
// DPI in both words of wParam and a suggested rectangle (const QRect*) in lParam. Several
// signals of one change (X11 sends geometry, available geometry and DPI together) make one
// message, sent once the event loop is back.
class DisplayEvents : public QObject {
    Q_OBJECT
public:
    DisplayEvents(HWND target, QWidget* window, QObject* parent = nullptr);

    // The window's rectangle at the new DPI: its size scaled by newDpi / oldDpi around its centre.
    static QRect SuggestedRect(const QRect& window, int oldDpi, int newDpi);

private:
    void Watch(QScreen* screen);
    void DisplayChanged();
    void DpiChanged(QScreen* screen, qreal dpi);
    void Deliver();

    HWND m_target;
    QPointer<QWidget> m_window;
    bool m_displayPending = false;
    int m_pendingDpi = 0;
    int m_lastDpi = 0;
    bool m_deliveryQueued = false;
};

}  // namespace q840
