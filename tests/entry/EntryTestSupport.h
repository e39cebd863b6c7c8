#pragma once

// An entry built from its own layout inside a window root, with the window's notifications
// recorded.

#include <QApplication>
#include <QHBoxLayout>

#include "entry/CDeviceOptionUI.h"
#include "platform/ui/CControlFactory.h"
#include "platform/ui/CDialogBuilder.h"
#include "tests/controls/ControlsTestSupport.h"

namespace q840::entry::test {

class EntryFixture : public controls::test::WindowFixture {
protected:
    void SetUp() override {
        WindowFixture::SetUp();
        controls::test::UseSourceSkin();
        ui::CResourceManager::GetInstance().LoadLanguage(QStringLiteral("lan_en.xml"));
        ui::CControlFactory::GetInstance().RegistControl(QStringLiteral("CDeviceOptionUI"),
                                                         &CDeviceOptionUI::Create);
        strip = new QWidget(root.get());
        strip->setObjectName(QStringLiteral("device_select_layout"));
        new QHBoxLayout(strip);
        strip->layout()->setContentsMargins(0, 0, 0, 0);
    }

    // Builds one entry from the skin's layout into the strip, as the main window does.
    CDeviceOptionUI* AddEntry() {
        ui::CDialogBuilder builder;
        QWidget* built = builder.Create(QString::fromLatin1(CDeviceOptionUI::kLayoutFile), nullptr,
                                        &pm, nullptr);
        auto* entry = qobject_cast<CDeviceOptionUI*>(built);
        if (entry != nullptr) {
            strip->layout()->addWidget(entry);
        }
        return entry;
    }

    QWidget* strip = nullptr;
};

}  // namespace q840::entry::test
