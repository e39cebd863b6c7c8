#pragma once

#include <QMenu>
#include <QPoint>
#include <QString>

#include "platform/MessageTarget.h"

namespace q840::ui {

// What a menu click hands to its owner (wParam of the menu message points at a heap copy that
// the receiver releases).
struct MenuCmd {
    QString name;
    QString userData;
    QString text;
    bool checked = false;
};

// Menu alignment bits as the tray code combines them: where the menu sits relative to the anchor.
enum MenuAlignment {
    eMenuAlignment_Left = 1 << 1,    // menu's left edge at the anchor
    eMenuAlignment_Top = 1 << 2,     // menu's top edge at the anchor
    eMenuAlignment_Right = 1 << 3,   // menu's right edge at the anchor
    eMenuAlignment_Bottom = 1 << 4,  // menu's bottom edge at the anchor
};

// A pop-up menu built from a menu XML file of the skin:
//   <Menu><MenuElement name="exit" text="menu_exit" userdata="" checked="false"/>...</Menu>
// Texts may be language keys. A click posts `message` to the owner with wParam = new MenuCmd*.
class CMenuWnd : public QMenu {
    Q_OBJECT
public:
    CMenuWnd(HWND owner, UINT message);

    bool LoadFromFile(const QString& xmlFile);
    bool LoadFromText(const QString& xml);
    // Top-left corner of a menu of the given size placed at the anchor with the alignment bits.
    static QPoint PlaceAt(QPoint anchor, int alignment, QSize menuSize);
    void ShowAt(QPoint anchor, int alignment);

private:
    HWND m_owner;
    UINT m_message;
};

}  // namespace q840::ui
