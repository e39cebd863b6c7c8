#include "platform/ui/IndexedName.h"

namespace q840::ui {

IndexedName SplitIndexedName(const QString& name) {
    IndexedName result;
    const qsizetype at = name.lastIndexOf(QLatin1Char('_'));
    if (at < 0) {
        result.prefix = name;
        return result;
    }
    result.prefix = name.left(at + 1);
    result.hasIndex = true;
    bool ok = false;
    const int value = name.mid(at + 1).toInt(&ok, 10);
    result.numeric = ok;
    result.index = ok ? value : 0;
    return result;
}

}  // namespace q840::ui
