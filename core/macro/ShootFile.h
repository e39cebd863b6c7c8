#pragma once

// Shoot patterns: how the mouse pulls the pointer back while a fire button is held. Each of the
// four guns has a file "ShootData_N.Shoot" (N = 0 to 3) in the device folder, made from the
// installed copy of the same name in DefaultData/. A file is an object whose "Events" array holds
// macro steps (MacroEvent.h), six per bullet and thirty bullets, so 180 steps; other members are
// kept as they are. Bullet b owns the steps 6b to 6b + 5:
//
//   6b      "down"  Button 1  Delay 10  Type 1    left button press
//   6b + 1  "up"    Button 1  Delay 0   Type 1    left button release
//   6b + 2  X dir   Button X  Delay 5   Type 4    horizontal move by X ("down" left, "up" right)
//   6b + 3  Y dir   Button Y  Delay D   Type 5    vertical move by Y ("down" up, "up" down), D ms
//   6b + 4  X dir   Button 0  Delay 0   Type 4
//   6b + 5  Y dir   Button 0  Delay 0   Type 5
//
// "Delay" is written as an integer; text is read as well.
//
// A file of another shape is not a pattern this program can show or the mouse can play as the
// user sees it: anything but 180 steps, a step that is not a step, a move or button beyond what a
// step carries (0-255), a delay beyond 0-65535, or bullets whose moves are not at 6b + 2 (Type 4)
// and 6b + 3 (Type 5). Such a file is refused (Check), never shown or sent in part.

#include <json/value.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "core/protocol/codecs/EventArea.h"

namespace q840::macro {

inline constexpr int kShootGuns = 4;
inline constexpr int kShootBullets = 30;
inline constexpr int kShootStepsPerBullet = 6;
inline constexpr int kShootFileSteps = kShootBullets * kShootStepsPerBullet;
// What one move step carries.
inline constexpr int kMaxShootMove = 255;
// A real pattern file is about 15 kB; anything much larger is not one and is not read.
inline constexpr std::uintmax_t kMaxShootFileBytes = 256 * 1024;

// "ShootData_" + gun + ".Shoot"; empty for a gun outside 0-3.
std::string ShootFileName(int gun);

// What the editor shows of a bullet.
struct ShootBullet {
    int x = 0;          // horizontal distance, 0-255
    bool left = false;  // horizontal direction: left ("down") or right ("up")
    int y = 0;          // vertical distance, 0-255
    bool up = false;    // vertical direction: up ("down") or down ("up")
    int delay = 0;      // pause after the bullet's moves, 0-65535 ms
    bool operator==(const ShootBullet&) const = default;
};

enum class ShootCheck {
    Ok,
    Missing,     // no such file
    Unreadable,  // not a regular file, larger than kMaxShootFileBytes, or not readable
    NotJson,     // not valid JSON, or not an object
    WrongShape,  // JSON, but not thirty bullets of the layout above
};

class ShootFile {
public:
    // Whether a parsed file is a pattern of the layout above.
    static ShootCheck Check(const Json::Value& root);
    // Reads and checks a file; *root (may be null) gets the parsed file when it is Ok, null
    // otherwise. *bytes (may be null) gets the file's bytes when it is Ok.
    static ShootCheck Read(const std::filesystem::path& path, Json::Value* root,
                           std::string* bytes = nullptr);

    // Bullet b (0-29) of a checked file; zeros for a bullet outside the file.
    static ShootBullet GetBullet(const Json::Value& root, int bullet);
    // Writes the six steps of bullet b (all members of each), distances limited to 0-255 and
    // the delay to 0-65535. A root that is not a checked pattern first becomes a blank one (see
    // Blank), so that what the user types is kept. False for a bullet outside 0-29.
    static bool SetBullet(Json::Value& root, int bullet, ShootBullet value);
    // A pattern of thirty bullets without moves and pauses.
    static Json::Value Blank();

    // The steps as the mouse plays them, in file order; empty for a file that is not Ok.
    static std::vector<protocol::MacroStep> Steps(const Json::Value& root);
};

// The working files of a device folder and the factory files they come from. Copies go byte for
// byte through JsonFileStore (temporary file and rename), so a working file is always either the
// old one or the new one whole.
class ShootStore {
public:
    void SetFolders(const std::filesystem::path& work, const std::filesystem::path& factory) {
        m_work = work;
        m_factory = factory;
    }
    std::filesystem::path WorkFile(int gun) const;
    std::filesystem::path FactoryFile(int gun) const;

    // Every working file that is missing or not a pattern is made again from its factory file.
    // Returns the number of guns that have a pattern afterwards.
    int InitWorkingFiles() const;
    // Copies the factory file of the gun over its working file. False (and the working file
    // untouched) when the factory file is not a pattern or the copy failed.
    bool RestoreGun(int gun) const;
    // Copies a chosen file over the working file of the gun: Ok, the file's check when it is not
    // a pattern (nothing changes), or Unreadable when the copy failed.
    ShootCheck ImportGun(int gun, const std::filesystem::path& file) const;
    // Copies the working file of the gun to `file`: false when the working file is not a pattern
    // or the copy failed.
    bool ExportGun(int gun, const std::filesystem::path& file) const;

private:
    std::filesystem::path m_work;
    std::filesystem::path m_factory;
};

}  // namespace q840::macro
