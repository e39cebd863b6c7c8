#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QString>
#include <QWidget>
#include <memory>
#include <vector>

#include "controls/Controls.h"
#include "platform/ui/CControlFactory.h"
#include "platform/ui/CPaintManagerUI.h"
#include "platform/ui/CResourceManager.h"
#include "platform/ui/StyleSheet.h"

namespace q840::controls::test {

// Collects a window's notifications.
class PowerRecorder : public ui::INotifyUI {
public:
    void Notify(ui::TNotifyUI& msg) override { notices.push_back({msg.sType, msg.pSender}); }
    struct Notice {
        QString type;
        QWidget* sender;
    };
    std::vector<Notice> notices;
};

inline QString PowerSourceSkin() {
    return QString::fromLocal8Bit(qgetenv("Q840_SOURCE_DIR")) + "/skin/";
}

// The source skin with its English texts, the global style at a scale and the controls of the
// library registered with the factory.
inline void UsePowerSkin(int dpi) {
    ui::CPaintManagerUI::SetResourcePath(PowerSourceSkin());
    ui::CResourceManager::GetInstance().SetResourcePath(PowerSourceSkin());
    ui::CResourceManager::GetInstance().LoadLanguage(QStringLiteral("lan_en.xml"));
    ui::ApplyGlobalStyleSheet(QStringLiteral("style.qss"), dpi);
    ui::CControlFactory::GetInstance().Clear();
    RegisterControls();
}

// Saves a picture into the build folder for a person to look at.
inline bool SaveShot(const QImage& image, const QString& name) {
    return image.save(QString::fromLocal8Bit(qgetenv("Q840_BUILD_DIR")) + "/" + name, "PNG");
}

}  // namespace q840::controls::test
