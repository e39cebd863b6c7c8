#include "windows/WindowSupport.h"

#include <QApplication>
#include <QFile>
#include <QWidget>

#include "platform/ui/CResourceManager.h"
#include "platform/ui/StyleSheet.h"
#include "platform/ui/WindowImplBase.h"

namespace q840::windows {

namespace {
QString ReadSkinFile(const QString& name) {
    QFile file(ui::CResourceManager::GetInstance().GetResourcePath() + name);
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    return QString::fromUtf8(file.readAll());
}
}  // namespace

bool IsSupportedScale(int dpi) {
    switch (dpi) {
        case 48:
        case 72:
        case 96:
        case 120:
        case 144:
        case 168:
        case 192:
            return true;
        default:
            return false;
    }
}

void SetScaleOfAllWindows(int dpi) {
    if (qApp == nullptr) {
        return;
    }
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        auto* window = dynamic_cast<ui::WindowImplBase*>(widget);
        if (window == nullptr || window->IsDestroyed()) {
            continue;
        }
        window->PaintManager().SetDPI(dpi);
        if (auto* scaled = dynamic_cast<IScaledWindow*>(window)) {
            scaled->OnScaleChanged();
        }
    }
}

void ReleaseFixedSize(QWidget* window) {
    if (window != nullptr) {
        window->setMinimumSize(0, 0);
        window->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    }
}

void ApplyWindowStyle(QWidget* window, int dpi) {
    if (window == nullptr) {
        return;
    }
    QString sheet = ReadSkinFile("style.qss") + '\n' + ReadSkinFile("windows/windows.qss");
    // Image urls in the sheets are relative to the skin folder.
    sheet.replace("url(", "url(" + ui::CResourceManager::GetInstance().GetResourcePath());
    window->setStyleSheet(ui::ScaleStyleSheet(sheet, dpi));
}

LRESULT ResponseDefaultKeyEvent(ui::WindowImplBase& window, WPARAM key) {
    if (key == VK_ESCAPE) {
        window.Close();
        return 1;
    }
    return 0;
}

WPARAM VirtualKeyOf(int qtKey) {
    switch (qtKey) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            return VK_RETURN;
        case Qt::Key_Escape:
            return VK_ESCAPE;
        default:
            return 0;
    }
}

}  // namespace q840::windows
