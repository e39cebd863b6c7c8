// The main window's side of the settings window: opening it with the language list and the
// update information list, passing on the update process's progress, and the stand-in update
// process of the simulated devices.
#include <QCoreApplication>

#include "app/CMainWnd.h"
#include "app/Language.h"
#include "app/RegisteredMessages.h"
#include "app/UpdateStandIn.h"
#include "core/base/DebugLine.h"
#include "core/catalogue/Catalogue.h"
#include "entry/CDeviceOptionUI.h"
#include "pages/COrvenixUSBDevice.h"
#include "windows/CSetWnd.h"

#ifndef Q840_VERSION
#define Q840_VERSION "0"
#endif

namespace q840 {

std::vector<windows::UpdateEntry> CMainWnd::BuildUpdateEntries() {
    std::vector<windows::UpdateEntry> all;
    const std::vector<entry::CDeviceOptionUI*>& entries = m_devices->Entries();
    for (size_t i = 0; i < catalogue::kDeviceModelTable.size(); ++i) {
        const catalogue::DeviceModelRow& row = catalogue::kDeviceModelTable[i];
        windows::UpdateEntry entry;
        entry.flag = row.numbers[0];
        entry.vendorWord = QString::fromLatin1(row.makerWord);
        entry.modelCode = QString::fromLatin1(row.modelCode);
        entry.shortName = QString::fromLatin1(row.typeAbbreviation);
        entry.displayName = QString::fromLatin1(row.typeAbbreviation2);
        entry.versionText = QString::fromLatin1(row.version);
        // The device behind the selector entry at the same place, when it is open.
        pages::COrvenixUSBDevice* page = i < entries.size() ? entries[i]->GetPage() : nullptr;
        if (page != nullptr && page->CommandProtocol().IsOpen()) {
            protocol::CDeviceProtocol& proto = page->CommandProtocol();
            hid::CHidDevice& channel =
                proto.GetChannel() == protocol::CDeviceProtocol::kReceiverChannel
                    ? proto.ReceiverChannel()
                    : proto.PrimaryChannel();
            entry.versionNumber = channel.GetAttributes().versionNumber;
        }
        DebugLine("update list: %s %s, version %04x", row.modelCode,
                  page == nullptr                    ? "no page"
                  : page->CommandProtocol().IsOpen() ? "open"
                                                     : "closed",
                  entry.versionNumber);
        all.push_back(entry);
    }
    // The last entry is the program itself, with its package's version ("1.0.2" is 102).
    if (!all.empty()) {
        all.back().versionNumber = windows::VersionNumberFromText(QStringLiteral(Q840_VERSION));
    }
    std::vector<windows::UpdateEntry> versioned;
    for (windows::UpdateEntry& entry : all) {
        if (entry.versionNumber != 0) {
            versioned.push_back(std::move(entry));
        }
    }
    if (m_updateStandIn != nullptr) {
        m_updateStandIn->Offer(versioned);
    }
    return versioned;
}

CSetWnd::Options CMainWnd::SettingsOptions(bool besideButton) {
    CSetWnd::Options options;
    options.mainHandle = GetHWND();
    options.scale = m_uiScale;
    options.languageIndex = m_languageIndex;
    for (const LanguageEntry& language : ReadLanguageList()) {
        options.languageTexts << language.text;
    }
    options.entries = BuildUpdateEntries();
    options.progressMessage = Messages().UWM_UPDATE_PROGRESS_MSG;
    options.besideOwner = besideButton;
    options.onUpdateRequested = [this](int rows) {
        if (m_updateStandIn != nullptr) {
            m_updateStandIn->Start(rows);
        } else {
            DebugLine("update requested for %d rows: the update program takes it from here", rows);
        }
    };
    return options;
}

void CMainWnd::OpenSettings(bool besideButton) {
    if (m_settingsHandle != nullptr) {
        return;  // one at a time
    }
    CSetWnd::ShowSettings(this, m_settingsHandle, SettingsOptions(besideButton));
}

void CMainWnd::OnUpdateProgress(UINT msg, WPARAM wParam, LPARAM lParam) {
    // The settings window shows it; with none open there is nothing to show it on.
    if (m_settingsHandle != nullptr) {
        PostMessageW(m_settingsHandle, msg, wParam, lParam);
    }
}

void CMainWnd::SetUpdateStandIn(UpdateStandIn* standIn) {
    m_updateStandIn = standIn;
}

}  // namespace q840
