#pragma once

#include <QString>
#include <array>
#include <functional>
#include <vector>

#include "platform/ui/IndexedName.h"
#include "platform/ui/UIDefs.h"

namespace q840 {

using ui::IndexedName;
using ui::SplitIndexedName;

// Who handles a routed control. Each area's handler is installed by the code that owns it (the
// device page, an editor, the device list, the main window commands).
enum class RouteArea {
    PageSettings,      // device settings of the current page
    PageTabs,          // tabs of the current page
    KeyEditor,         // key assignment editor of the current page
    LightingEditor,    // lighting editor of the current page
    KeyboardLighting,  // keyboard page only
    MacroEditor,
    ShootEditor,  // mouse page only
    AudioLight,
    Headset,  // headset page only
    DeviceList,
    MainCommands,  // profile, macro and shoot file commands
    Count
};
const char* RouteAreaName(RouteArea area);

// One row: a notification type and a control name; `indexed` rows match the prefix of an indexed
// name ("DPI_slider_" + N). Names compare without regard to case unless `caseSensitive`.
struct RouteRow {
    QString type;  // one of ui::notify's types
    const char* name;
    bool indexed;
    RouteArea area;
    bool caseSensitive = false;
};

// The routing table, kept as data.
const std::vector<RouteRow>& RouteTable();

// The first row that matches the notification, or null.
const RouteRow* FindRoute(const QString& type, const QString& controlName);

// Handlers per area. A handler gets the notification and the split name; it returns false when
// it did nothing (no current page, kind does not match).
using RouteHandler = std::function<bool(ui::TNotifyUI& msg, const IndexedName& name)>;

class NotifyRouter {
public:
    void SetHandler(RouteArea area, RouteHandler handler);
    bool HasHandler(RouteArea area) const;
    // Routes the notification when a row matches. Result: true when a row matched (handled, or
    // waiting for its area's handler: then a debug line names the row), false when no row matched.
    bool Route(ui::TNotifyUI& msg);

private:
    std::array<RouteHandler, static_cast<size_t>(RouteArea::Count)> m_handlers;
};

}  // namespace q840
