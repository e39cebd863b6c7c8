#include "app/DisplayEvents.h"

#include <QGuiApplication>
#include <QScreen>
#include <QTimer>
#include <QWidget>
#include <cmath>

namespace q840 {

DisplayEvents::DisplayEvents(HWND target, QWidget* window, QObject* parent)
    : QObject(parent), m_target(target), m_window(window) {
    auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance());
    if (app == nullptr) {
        return;
    }
    for (QScreen* screen : QGuiApplication::screens()) {
        Watch(screen);
    }
    connect(app, &QGuiApplication::screenAdded, this, [this](QScreen* screen) {
        Watch(screen);
        DisplayChanged();
    });
    connect(app, &QGuiApplication::screenRemoved, this, [this](QScreen*) { DisplayChanged(); });
    connect(app, &QGuiApplication::primaryScreenChanged, this,
            [this](QScreen*) { DisplayChanged(); });
    if (QScreen* screen =
            window && window->screen() ? window->screen() : QGuiApplication::primaryScreen()) {
        m_lastDpi = qRound(screen->logicalDotsPerInch());
    }
}

QRect DisplayEvents::SuggestedRect(const QRect& window, int oldDpi, int newDpi) {
    if (oldDpi <= 0 || newDpi <= 0) {
        return window;
    }
    QRect rect(QPoint(), QSize(int(std::lround(double(window.width()) * newDpi / oldDpi)),
                               int(std::lround(double(window.height()) * newDpi / oldDpi))));
    rect.moveCenter(window.center());
    return rect;
}

void DisplayEvents::Watch(QScreen* screen) {
    connect(screen, &QScreen::geometryChanged, this, [this](const QRect&) { DisplayChanged(); });
    connect(screen, &QScreen::logicalDotsPerInchChanged, this,
            [this, screen](qreal dpi) { DpiChanged(screen, dpi); });
}

void DisplayEvents::DisplayChanged() {
    m_displayPending = true;
    if (!m_deliveryQueued) {
        m_deliveryQueued = true;
        QTimer::singleShot(0, this, &DisplayEvents::Deliver);
    }
}

void DisplayEvents::DpiChanged(QScreen* screen, qreal dpi) {
    // Only the screen the window is on rescales it.
    QScreen* own =
        m_window && m_window->screen() ? m_window->screen() : QGuiApplication::primaryScreen();
    if (screen != own) {
        return;
    }
    m_pendingDpi = qRound(dpi);
    if (!m_deliveryQueued) {
        m_deliveryQueued = true;
        QTimer::singleShot(0, this, &DisplayEvents::Deliver);
    }
}

void DisplayEvents::Deliver() {
    m_deliveryQueued = false;
    if (m_pendingDpi > 0 && m_pendingDpi != m_lastDpi) {
        const int dpi = m_pendingDpi;
        const QRect suggested =
            SuggestedRect(m_window ? m_window->geometry() : QRect(), m_lastDpi, dpi);
        m_lastDpi = dpi;
        SendMessageW(m_target, WM_DPICHANGED, WPARAM((dpi << 16) | dpi),
                     reinterpret_cast<LPARAM>(&suggested));
    }
    m_pendingDpi = 0;
    if (m_displayPending) {
        m_displayPending = false;
        SendMessageW(m_target, WM_DISPLAYCHANGE, 0, 0);
    }
}

}  // namespace q840
