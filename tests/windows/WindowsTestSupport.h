#pragma once

// Shared by the window tests: one offscreen QApplication with the source tree's skin and the
// English texts loaded, and small helpers to find, grab and inspect the windows.

#include <QImage>
#include <QString>
#include <QWidget>

#include <string>
#include <vector>

namespace q840::test {

// The first visible, not yet closed top-level window of type T.
template <typename T>
T* OpenWindow();

// Loads a language of the skin ("lan_en.xml", "lan_cn.xml") and re-resolves every control text.
void SwitchLanguage(const QString& file);

// Grabs the window; saves it as <name>.png when Q840_SCREENSHOT_DIR is set.
QImage Screenshot(QWidget& window, const QString& name);

// Collects debug lines while it lives.
class DebugLines {
public:
    DebugLines();
    ~DebugLines();
    bool Contains(const std::string& text) const;
    static std::vector<std::string>& Lines();
};

}  // namespace q840::test

#include <QApplication>

template <typename T>
T* q840::test::OpenWindow() {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        auto* window = dynamic_cast<T*>(widget);
        if (window != nullptr && window->isVisible() && !window->IsDestroyed()) {
            return window;
        }
    }
    return nullptr;
}
