#pragma once

// The mouse page built from the skin the way the main window builds it: the page's own tag is a
// plain container here, the picture's tags are the real controls.

#include <QApplication>
#include <QFile>
#include <QGridLayout>
#include <QWidget>
#include <memory>

#include "controls/CDeviceKeyButtonUI.h"
#include "controls/CDeviceProfileUI.h"
#include "controls/CSelectPanelUI.h"
#include "editors/CKeySetControlUI.h"
#include "editors/CLightControlUI.h"
#include "editors/CMacroControlUI.h"
#include "editors/CShootControlUI.h"
#include "platform/ui/CDialogBuilder.h"
#include "platform/ui/CPaintManagerUI.h"
#include "platform/ui/CResourceManager.h"
#include "platform/ui/StyleSheet.h"

namespace q840::skin::test {

inline constexpr char kMouseLayout[] = "XML/DeviceXml/mousedevice.xml";
inline constexpr int kPageWidth = 1000;  // the main window's page area at scale 96
inline constexpr int kPageHeight = 544;

inline QString SourceSkin() {
    return QString::fromLocal8Bit(qgetenv("Q840_SOURCE_DIR")) + "/skin/";
}

inline QString BuildDir() {
    return QString::fromLocal8Bit(qgetenv("Q840_BUILD_DIR"));
}

// The main window's tag table, reduced to the tags this page uses.
class MouseTags : public ui::IDialogBuilderCallback {
public:
    QWidget* CreateControl(const QString& tag) override {
        if (tag == "OrvenixMouseDevice") {
            auto* page = new QWidget();
            auto* grid = new QGridLayout(page);
            grid->setContentsMargins(0, 0, 0, 0);
            return page;
        }
        if (tag == "SelectPanel") {
            return controls::CSelectPanelUI::Create();
        }
        if (tag == "DeviceKeyButton") {
            return controls::CDeviceKeyButtonUI::Create();
        }
        if (tag == "CLightControlUI") {
            return editors::CLightControlUI::Create();
        }
        if (tag == "LightSetControlUI") {
            ui::CDialogBuilder nested;
            return nested.Create(QString::fromLatin1(editors::CLightControlUI::kLayoutFile), this,
                                 manager);
        }
        if (tag == "CMacroControlUI") {
            return editors::CMacroControlUI::Create();
        }
        if (tag == "MacroSetControlUI") {
            ui::CDialogBuilder nested;
            return nested.Create(QString::fromLatin1(editors::CMacroControlUI::kLayoutFile), this,
                                 manager);
        }
        if (tag == "CKeySetControlUI") {
            return editors::CKeySetControlUI::Create();
        }
        if (tag == "KeySetControlUI") {
            ui::CDialogBuilder nested;
            return nested.Create(QString::fromLatin1(editors::CKeySetControlUI::kLayoutFile), this,
                                 manager);
        }
        if (tag == "CShootControlUI") {
            return editors::CShootControlUI::Create();
        }
        if (tag == "ShootKeySetControlUI") {
            ui::CDialogBuilder nested;
            return nested.Create(QString::fromLatin1(editors::CShootControlUI::kLayoutFile), this,
                                 manager);
        }
        if (tag == "CDeviceProfileUI") {
            return controls::CDeviceProfileUI::Create();
        }
        if (tag == "DeviceProfileUI") {
            ui::CDialogBuilder nested;
            return nested.Create(QString::fromLatin1(controls::CDeviceProfileUI::kLayoutFile), this,
                                 manager);
        }
        return nullptr;
    }
    ui::CPaintManagerUI* manager = nullptr;  // the page's, for the bar's own layout
};

inline QString ReadSkinFile(const QString& file) {
    QFile source(SourceSkin() + file);
    return source.open(QIODevice::ReadOnly) ? QString::fromUtf8(source.readAll()) : QString();
}

// One built page at one scale, laid out at the page area's size and shown off screen.
struct MousePage {
    explicit MousePage(int dpi, const QString& language = QStringLiteral("lan_en.xml")) {
        ui::CPaintManagerUI::SetResourcePath(SourceSkin());
        ui::CResourceManager& resources = ui::CResourceManager::GetInstance();
        resources.SetResourcePath(SourceSkin());
        resources.LoadLanguage(language);
        ui::ApplyGlobalStyleSheet(QStringLiteral("style.qss"), dpi);
        pm.SetDPI(dpi);
        tags.manager = &pm;
        ui::CDialogBuilder builder;
        root.reset(builder.Create(kMouseLayout, &tags, &pm));
        if (!root) {
            return;
        }
        pm.AttachRoot(root.get());
        // The page's own looks (and its editors') come after the global sheet, scaled the same
        // way, as res.xml lists them.
        QString sheet = ReadSkinFile("mouse/mouse.qss") + ReadSkinFile("macro/macro.qss") +
                        ReadSkinFile("keyset/keyset.qss");
        sheet.replace("url(", "url(" + SourceSkin());
        root->setStyleSheet(ui::ScaleStyleSheet(sheet, dpi));
        root->setAttribute(Qt::WA_DontShowOnScreen);
        root->resize(pm.Scale(kPageWidth), pm.Scale(kPageHeight));
        root->show();
        Settle();
    }
    ~MousePage() { root.reset(); }

    static void Settle() {
        for (int i = 0; i < 4; ++i) {
            QApplication::processEvents();
        }
    }

    template <typename T = QWidget>
    T* Find(const QString& name) const {
        return pm.FindControl<T>(name);
    }

    MouseTags tags;
    ui::CPaintManagerUI pm;
    std::unique_ptr<QWidget> root;
};

}  // namespace q840::skin::test
