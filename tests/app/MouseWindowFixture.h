#pragma once

// The real main window over a simulated mouse on the cable, as a user drives it: notifications
// sent to the window's controls, the messages read from the message box (answered with
// m_answer), the file dialogs answered with m_open and m_saveAs.

#include <gtest/gtest.h>

#include <QLabel>
#include <QSignalSpy>
#include <memory>

#include "app/AppEntry.h"
#include "app/CMainWnd.h"
#include "app/RegisteredMessages.h"
#include "core/hid/HidBackend.h"
#include "core/sim/DemoDevices.h"
#include "pages/COrvenixMouseDevice.h"
#include "platform/ui/CPaintManagerUI.h"
#include "platform/ui/CResourceManager.h"
#include "platform/ui/WindowImplBase.h"
#include "tests/support/WaitFor.h"

namespace q840::test {

class MouseWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        RegisterStaticMessages();
        RegisterActivateMessage();
        RegisterGuidMessages();
        ResourceSetup();
        sim::DemoOptions options;
        options.cable = true;
        options.receiver = options.mousePad = options.headset = false;
        m_bus = sim::MakeDemoBus(options);
        hid::SetHidBackend(m_bus);
        m_mouse = m_bus->Mouse();
        m_wnd = std::make_unique<CMainWnd>();
        ASSERT_TRUE(m_wnd->Create(nullptr, "Halvorn Q840-VEX GAMING MOUSE"));
        QSignalSpy activated(m_wnd.get(), &CMainWnd::activated);
        m_wnd->show();
        ASSERT_TRUE(activated.wait(5000));
        ui::ModalSeam::SetAnswerer([this](ui::WindowImplBase& box) {
            auto* text = qobject_cast<QLabel*>(box.FindControl("MessageText"));
            m_messages.push_back(text != nullptr ? text->text() : QString());
            return m_answer;
        });
        m_wnd->SetProfileFileChooser([this](bool save) { return save ? m_saveAs : m_open; });
        m_wnd->SetMacroFileChooser([this](bool save) { return save ? m_saveAs : m_open; });
        m_wnd->SetShootFileChooser([this](bool save) { return save ? m_saveAs : m_open; });
        ASSERT_TRUE(WaitFor([&] {
            return m_wnd->CurrentPage() != nullptr && Page()->CommandProtocol().IsOpen() &&
                   m_wnd->FirstReadsDone();
        }));
        ASSERT_NE(Page()->GetProfileBar(), nullptr);
    }
    void TearDown() override {
        ui::ModalSeam::SetAnswerer(nullptr);
        if (m_wnd && !m_wnd->IsDestroyed()) {
            m_wnd->Close();
        }
        m_wnd.reset();
        hid::SetHidBackend(nullptr);
    }

    pages::COrvenixMouseDevice* Page() {
        return qobject_cast<pages::COrvenixMouseDevice*>(m_wnd->CurrentPage());
    }
    static QString Text(const char* key) {
        return ui::CResourceManager::GetInstance().GetText(QString::fromLatin1(key));
    }
    // The last message shown, and forgets them all.
    QString TakeMessage() {
        const QString last = m_messages.isEmpty() ? QString() : m_messages.back();
        m_messages.clear();
        return last;
    }
    std::vector<uint8_t> MouseSettings() { return m_mouse->Settings(); }

    std::shared_ptr<sim::VirtualBus> m_bus;
    std::shared_ptr<sim::VirtualPeripheral> m_mouse;
    std::unique_ptr<CMainWnd> m_wnd;
    QStringList m_messages;
    int m_answer = 1;
    QString m_open;
    QString m_saveAs;
};

}  // namespace q840::test
