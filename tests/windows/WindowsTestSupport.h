#pragma once

// Shared by the window tests: one offscreen QApplication with the source tree's skin and the
// English texts loaded, and helpers to run modal windows, find controls and take screenshots.

#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QLabel>
#include <QString>
#include <QTimer>

#include <functional>
#include <string>
#include <vector>

#include "platform/ui/WindowImplBase.h"

namespace q840::test {

// The first visible, not yet closed top-level window of type T.
template <typename T>
T* OpenWindow() {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        auto* window = dynamic_cast<T*>(widget);
        if (window != nullptr && window->isVisible() && !window->IsDestroyed()) {
            return window;
        }
    }
    return nullptr;
}

template <typename T>
T* Find(ui::WindowImplBase& window, const char* name) {
    T* control = qobject_cast<T*>(window.FindControl(name));
    EXPECT_NE(control, nullptr) << name;
    return control;
}

inline QString Text(ui::WindowImplBase& window, const char* name) {
    auto* label = qobject_cast<QLabel*>(window.FindControl(name));
    return label ? label->text() : QString("<no label %1>").arg(name);
}

inline bool Shown(ui::WindowImplBase& window, const char* name) {
    QWidget* control = window.FindControl(name);
    return control != nullptr && control->isVisibleTo(&window);
}

// Runs open() with the modal seam set to answerer, which looks at the window of type T first.
template <typename T>
int AnswerModal(const std::function<int(T&)>& answerer, const std::function<int()>& open) {
    bool asked = false;
    ui::ModalSeam::SetAnswerer([&](ui::WindowImplBase& window) {
        asked = true;
        auto* typed = dynamic_cast<T*>(&window);
        EXPECT_NE(typed, nullptr);
        return typed ? answerer(*typed) : -1;
    });
    const int result = open();
    ui::ModalSeam::SetAnswerer(nullptr);
    EXPECT_TRUE(asked) << "the window did not open";
    return result;
}

// Runs open() with a real modal loop; act plays the user on the open window from inside it.
// A window still open after 5 s is closed, so that a fault never hangs the suite.
template <typename T>
int RunModal(const std::function<void(T&)>& act, const std::function<int()>& open) {
    bool acted = false;
    QTimer user;
    user.setSingleShot(true);
    QObject::connect(&user, &QTimer::timeout, [&] {
        T* window = OpenWindow<T>();
        ASSERT_NE(window, nullptr);
        acted = true;
        act(*window);
    });
    user.start(0);
    QTimer guard;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, [] {
        if (T* window = OpenWindow<T>()) {
            ADD_FAILURE() << "the window did not close";
            window->Close();
        }
    });
    guard.start(5000);
    const int result = open();
    EXPECT_TRUE(acted) << "the window did not run";
    return result;
}

// Loads a language of the skin ("lan_en.xml", "lan_cn.xml") and re-resolves every control text.
void SwitchLanguage(const QString& file);

// Shows and grabs the window; saves it as <name>.png when Q840_SCREENSHOT_DIR is set.
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
