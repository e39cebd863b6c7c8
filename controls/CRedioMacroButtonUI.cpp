#include "controls/CRedioMacroButtonUI.h"

namespace q840::controls {

void CRedioMacroButtonUI::SetAttribute(const QString& name, const QString& value) {
    if (name == "redioimage") {
        SetRedioImage(value);
    } else {
        setProperty(("dui_" + name).toUtf8().constData(), value);
    }
}

}  // namespace q840::controls
