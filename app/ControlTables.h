#pragma once

#include <QString>
#include <array>

class QWidget;

namespace q840::ui {
class CPaintManagerUI;
}

namespace q840 {

using ControlCreator = QWidget* (*)();

// The custom control classes registered with the control factory at start-up, in registration
// order. A class without a creator is not registered.
struct FactoryEntry {
    const char* name;
    ControlCreator create;
};
extern const std::array<FactoryEntry, 24> kFactoryControls;

// Registers every entry that has a creator; returns how many were registered.
int RegisterCustomControls();

// The main window's own layout tags (compared case-insensitively, in table order): a tag either
// makes a control or is built as a sub-layout from a file of the skin.
struct MainTagEntry {
    const char* tag;
    ControlCreator create;  // null: no class of its own (a sub-layout), or none built
    const char* subLayout;  // file below the skin folder, or null
};
extern const std::array<MainTagEntry, 26> kMainWindowTags;

// The main window's CreateControl: the control for a tag of the table, or null for every other
// tag (and for table tags without a creator), so that the factory and
// the built-in tags are asked next. Sub-layouts are built with a fresh builder, no callback, the
// given paint manager and no parent.
QWidget* CreateMainWindowControl(const QString& tag, ui::CPaintManagerUI* manager);

}  // namespace q840
