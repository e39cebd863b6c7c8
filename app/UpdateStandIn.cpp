#include "app/UpdateStandIn.h"

#include "platform/MessageTarget.h"

namespace q840 {

namespace {
constexpr WPARAM kRowDone = 1;
constexpr WPARAM kRowProgress = 4;
}  // namespace

UpdateStandIn::UpdateStandIn(HWND mainWindow, UINT progressMessage, QObject* parent)
    : QObject(parent), m_main(mainWindow), m_message(progressMessage) {
    m_timer.setInterval(kDefaultStepMs);
    connect(&m_timer, &QTimer::timeout, this, &UpdateStandIn::Step);
}

void UpdateStandIn::Offer(std::vector<windows::UpdateEntry>& entries) const {
    for (windows::UpdateEntry& entry : entries) {
        if (entry.flag != 0 && entry.versionNumber != 0) {
            entry.state = 1;
            entry.newVersionText = QString::asprintf("V%04x", entry.versionNumber + 1);
            return;
        }
    }
}

void UpdateStandIn::Start(int rows) {
    for (int row = 0; row < rows; ++row) {
        for (int percent = 0; percent <= 100; percent += 20) {  // the download
            m_steps.emplace_back(kRowProgress, percent);
        }
        for (int percent = 0; percent <= 100; percent += 25) {  // the installation
            m_steps.emplace_back(kRowProgress, percent);
        }
        m_steps.emplace_back(kRowDone, 0);
    }
    if (!m_steps.empty() && !m_timer.isActive()) {
        m_timer.start();
    }
}

void UpdateStandIn::Step() {
    if (m_steps.empty()) {
        m_timer.stop();
        return;
    }
    const auto [wParam, lParam] = m_steps.front();
    m_steps.pop_front();
    PostMessageW(m_main, m_message, wParam, lParam);
}

}  // namespace q840
