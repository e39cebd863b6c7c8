#pragma once

// What the main window's command classes share: the device kinds their commands distinguish and
// the filling of a language text's number.

#include <QString>

namespace q840 {

inline constexpr int kKeyboardKind = 1;
inline constexpr int kMouseKind = 2;

// A language text with one "%d" for a number. The text comes from a file, so it is not handed to
// a printf-style formatter: only that one place is filled in.
inline QString FillNumber(QString text, int number) {
    const int at = text.indexOf(QLatin1String("%d"));
    if (at >= 0) {
        text.replace(at, 2, QString::number(number));
    }
    return text;
}

}  // namespace q840
