#pragma once

#include <QString>

namespace q840::ui {

// Indexed control names: "color_option_3" -> prefix "color_option_", index 3. The split is at the
// last underscore and the prefix keeps it. A name without an underscore has no index. An empty or
// non-numeric rest reads as index 0 (the main window's routing reads it so); `numeric` tells a
// real number from that reading, for code that must not take such a name for item 0.
struct IndexedName {
    QString prefix;
    int index = 0;
    bool hasIndex = false;  // the name has an underscore
    bool numeric = false;   // the rest after it is a decimal number
};
IndexedName SplitIndexedName(const QString& name);

}  // namespace q840::ui
