#include "app/WindowPlacement.h"

#include "windows/WindowSupport.h"

namespace q840 {

int ChooseWindowScale(QSize monitor) {
    return monitor.width() > 1500 && monitor.height() > 960 ? 144 : 96;
}

bool IsSupportedScale(int scale) {
    // One list of scales for every window: the auxiliary windows' own.
    return windows::IsSupportedScale(scale);
}

MenuPlacement PlaceTrayMenu(QPoint cursor, QRect screen, QRect available) {
    MenuPlacement placement{cursor, 6};
    if (!screen.isValid() || !available.isValid() || screen == available) {
        return placement;  // no panel: plain cursor placement
    }
    // The panel is the strip the available area leaves out; take the widest such strip.
    const int top = available.top() - screen.top();
    const int bottom = screen.bottom() - available.bottom();
    const int left = available.left() - screen.left();
    const int right = screen.right() - available.right();
    const int widest = std::max(std::max(top, bottom), std::max(left, right));
    if (widest <= 0) {
        return placement;
    }
    if (widest == top) {
        // A panel along the top edge, wider than high.
        placement.anchor.setY(screen.top() + top + 1);
        placement.alignment = 12;
    } else if (widest == left) {
        placement.anchor.setX(screen.left() + left + 1);
        placement.alignment = 18;
    } else if (widest == bottom) {
        placement.anchor.setY(available.bottom() + 1 - 20);
        placement.alignment = 24;
    } else {
        placement.anchor.setX(available.right() + 1 - 1);
        placement.alignment = 24;
    }
    return placement;
}

}  // namespace q840
