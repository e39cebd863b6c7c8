#pragma once

#include <QObject>
#include <QTimer>
#include <deque>
#include <utility>
#include <vector>

#include "platform/MessageTarget.h"
#include "windows/UpdateInfo.h"

namespace q840 {

// A small stand-in for the outside update process, for the simulated devices: it offers a newer
// firmware for the first device in the update list and, once the user starts the update, sends
// the progress messages the real process would (download 0-100 %, installation 0-100 %, done) to
// the main window, which passes them to the settings window. Nothing is downloaded or written.
class UpdateStandIn : public QObject {
    Q_OBJECT
public:
    static constexpr int kDefaultStepMs = 150;

    UpdateStandIn(HWND mainWindow, UINT progressMessage, QObject* parent = nullptr);

    // The first device entry with a version gets state 1 and a version one above its own.
    void Offer(std::vector<windows::UpdateEntry>& entries) const;
    // Walks `rows` queued rows through download and installation, one after the other.
    void Start(int rows);
    bool IsRunning() const { return !m_steps.empty(); }
    void SetStepMs(int ms) { m_timer.setInterval(ms); }

private:
    void Step();

    HWND m_main;
    UINT m_message;
    QTimer m_timer;
    std::deque<std::pair<WPARAM, LPARAM>> m_steps;
};

}  // namespace q840
