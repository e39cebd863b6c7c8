#pragma once

// How the page shows an LED's preview colour on its button. Kept behind one function so that the
// page does not depend on the button class: the key/LED button control paints the colour itself.

#include <cstdint>

class QWidget;

namespace q840::pages {

// Paints `button` with the LED value (red bits 0-7, green 8-15, blue 16-23, level 24-31): a key/LED
// button gets it as its background colour with the level as alpha; the value is also kept in the
// button's "ledColour" property (a QColor whose alpha is the level). A null button is ignored.
void PaintLedButton(QWidget* button, uint32_t ledValue);
// The value last painted on `button`, 0 when it was never painted.
uint32_t PaintedLedValue(const QWidget* button);

}  // namespace q840::pages
