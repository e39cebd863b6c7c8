#pragma once

#include <QString>

namespace q840::ui {

// The global style sheet of the skin ("style.qss") followed by the style sheets the resource index
// lists, with every "Npx" length scaled from 96 DPI to the given scale, applied to the whole
// application.
bool ApplyGlobalStyleSheet(const QString& file, int dpi);
// The scaling on its own (for tests).
QString ScaleStyleSheet(const QString& styleSheet, int dpi);

}  // namespace q840::ui
