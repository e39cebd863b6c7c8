#pragma once

#include <QString>

class QWidget;

namespace q840::controls {

// The program's own controls for the control factory (registered names "CChartViewUI", ...)
// and for the main window's tag table ("DeviceKeyButton", ...). The program registers them from
// its start-up tables; tests and the gallery use these two helpers.
struct ControlEntry {
    const char* factoryName;  // name registered with the control factory
    const char* tag;          // tag of the main window's table; null when the class has none
    QWidget* (*create)();
};

// Every control of this library, in the program's registration order.
const ControlEntry* ControlEntries(int* count);

// Registers each control under its factory name and, for convenience, under its tag.
void RegisterControls();

}  // namespace q840::controls
