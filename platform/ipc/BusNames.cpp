#include "platform/ipc/BusNames.h"

#include <QList>

namespace q840::ipc {

namespace {
constexpr int kMaxBusNameLength = 255;

bool IsNameChar(uint c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_';
}
}  // namespace

QString WindowBusName(const QString& title) {
    if (title.isEmpty()) {
        return {};
    }
    QString element;
    // Per code point, so that a character outside the BMP becomes one '_' and not two.
    for (const uint c : title.toUcs4()) {
        element += IsNameChar(c) ? QChar(static_cast<char16_t>(c)) : QChar(u'_');
    }
    if (element.at(0).isDigit()) {
        element.prepend(u'_');
    }
    QString name = QString::fromLatin1(kWindowBusPrefix) + element;
    if (name.size() > kMaxBusNameLength) {
        return {};
    }
    return name;
}

}  // namespace q840::ipc
