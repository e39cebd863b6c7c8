#pragma once

// The text shown for the name of a key assignment code: its language texts joined with "+", or
// its literal as it stands. The key list, the key tool tips and the key editor show the same.

#include <QString>
#include <QStringList>

#include "core/keys/KeyNames.h"
#include "platform/ui/CResourceManager.h"

namespace q840::editors {

inline QString CodeNameText(const keys::CodeName& name) {
    if (name.isLiteral) {
        return QString::fromStdString(name.literal);
    }
    QStringList parts;
    for (const std::string& key : name.keys) {
        parts << ui::CResourceManager::GetInstance().Resolve(QString::fromStdString(key));
    }
    return parts.join(QLatin1Char('+'));
}

}  // namespace q840::editors
