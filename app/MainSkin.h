#pragma once

#include "windows/SkinObserver.h"

namespace q840 {

class CMainWnd;

// The main window as a receiver of skin changes: its root control takes the chosen background.
class MainSkinReceiver : public windows::ReceiverImpl<int, windows::SkinChangedParam> {
public:
    explicit MainSkinReceiver(CMainWnd& window) : m_window(window) {}
    int Receive(windows::SkinChangedParam choice) override;
    // The background kept in "main.ini" at the last choice, when there is a sound one.
    void Restore();

private:
    CMainWnd& m_window;
};

}  // namespace q840
