#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QWidget>
#include <memory>
#include <vector>

#include "platform/ui/CPaintManagerUI.h"
#include "platform/ui/CResourceManager.h"

namespace q840::controls::test {

struct Notice {
    QString type;
    QWidget* sender;
    quint64 wParam;
    qint64 lParam;
    QPoint ptMouse;
};

// Collects a window's notifications.
class Recorder : public ui::INotifyUI {
public:
    void Notify(ui::TNotifyUI& msg) override {
        notices.push_back({msg.sType, msg.pSender, msg.wParam, msg.lParam, msg.ptMouse});
    }
    int Count(const QString& type) const {
        int n = 0;
        for (const Notice& notice : notices) {
            n += notice.type == type ? 1 : 0;
        }
        return n;
    }
    QStringList Types() const {
        QStringList types;
        for (const Notice& notice : notices) {
            types << notice.type;
        }
        return types;
    }
    std::vector<Notice> notices;
};

// A window root with its paint manager and a notification recorder; controls are placed on the
// root by the tests.
class WindowFixture : public ::testing::Test {
protected:
    void SetUp() override {
        root = std::make_unique<QWidget>();
        root->setAttribute(Qt::WA_DontShowOnScreen);
        root->resize(400, 300);
        pm.AttachRoot(root.get());
        pm.AddNotifier(&recorder);
    }
    void TearDown() override {
        pm.RemoveNotifier(&recorder);
        root.reset();
    }
    void ShowRoot() {
        root->show();
        QApplication::processEvents();
    }

    ui::CPaintManagerUI pm;
    Recorder recorder;
    std::unique_ptr<QWidget> root;
};

// The skin folder of the source tree (layouts and the controls' pictures).
inline QString SourceSkin() {
    return QString::fromLocal8Bit(qgetenv("Q840_SOURCE_DIR")) + "/skin/";
}

inline void UseSourceSkin() {
    ui::CResourceManager::GetInstance().SetResourcePath(SourceSkin());
}

}  // namespace q840::controls::test
