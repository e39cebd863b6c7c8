#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

namespace q840 {

// The scale the main window uses on a monitor of this size (the whole monitor, not the work
// area): 144 when it is wider than 1500 and higher than 960 pixels, 96 otherwise.
int ChooseWindowScale(QSize monitor);
// A scale the layouts support (48, 72, 96, 120, 144, 168, 192); anything else becomes 96 (the
// caller writes the debug line when that happens).
bool IsSupportedScale(int scale);

// Where the tray menu opens: at the cursor, menu's left/top corner there (alignment 6), unless a
// panel (the strip of the screen that the available area leaves out; on Windows the taskbar) sits
// at an edge. Then the menu keeps clear of it:
//   panel at the top    -> anchor y = panel height + 1, alignment 12 (top|right: opens down-left)
//   panel at the left   -> anchor x = panel width + 1,  alignment 18 (left|bottom: opens up-right)
//   panel at the bottom -> anchor y = panel top - 20,   alignment 24 (right|bottom: opens up-left)
//   panel at the right  -> anchor x = panel left - 1,   alignment 24
struct MenuPlacement {
    QPoint anchor;
    int alignment = 6;
};
MenuPlacement PlaceTrayMenu(QPoint cursor, QRect screen, QRect available);

}  // namespace q840
