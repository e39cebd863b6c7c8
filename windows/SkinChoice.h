#pragma once

// The background choice beyond one run and on the screen: "main.ini" in the per-user data
// folder, the custom pictures kept there, and what a choice does to a window's root control.

#include <QString>
#include <optional>

#include "windows/SkinObserver.h"

class QWidget;

namespace q840::ui {
class CPaintManagerUI;
}

namespace q840::windows {

// The image "skin_reset" goes back to.
inline constexpr char kDefaultBackground[] = "common/background.png";
// Custom pictures larger than this on a side, or than this many bytes, are refused.
inline constexpr int kMaxCustomSide = 8192;
inline constexpr qint64 kMaxCustomBytes = 32 * 1024 * 1024;

QString MainIniPath();

// "main.ini", section "SKINIMAGE": "FLAGS" "1" and "IMAGE" after an image was chosen, "0" and
// the default image after a reset, "2" and "COLOR" (8 hexadecimal digits) after a colour.
// False when the file cannot be written.
bool WriteSkinChoice(const SkinChangedParam& choice, bool reset);
// The stored choice, or nothing when the file is missing, malformed, or names an image that is
// no longer there: the layout's own background stays.
std::optional<SkinChangedParam> ReadSkinChoice();

// Sets `root`'s background as the choice says: the colour and no image, or the image and no
// colour of its own.
void ApplySkin(QWidget* root, const SkinChangedParam& choice, ui::CPaintManagerUI* manager);

// Checks a picture the user chose and copies it into the per-user data folder, so that moving
// or deleting the original leaves the background as it is. Returns the copy's path, or an empty
// string and the language key of the reason (`refusal`) when it is not a readable PNG, is too
// large, or cannot be copied.
QString KeepCustomImage(const QString& chosen, QString* refusal);

}  // namespace q840::windows
