#include "core/macro/ShootFile.h"

#include <algorithm>
#include <fstream>
#include <system_error>

#include "core/macro/MacroEvent.h"
#include "core/profile/JsonAccess.h"
#include "core/profile/JsonFileStore.h"

namespace q840::macro {

namespace fs = std::filesystem;
namespace json = profile::json;

namespace {

// Offsets of the steps inside a bullet.
enum BulletStep : int {
    kPress = 0,
    kRelease = 1,
    kMoveX = 2,
    kMoveY = 3,
    kResetX = 4,
    kResetY = 5,
};

const char* Direction(bool down) {
    return down ? "down" : "up";
}

Json::Value Step(const char* action, int button, int delay, int type) {
    Json::Value step(Json::objectValue);
    step["Action"] = action;
    step["Button"] = button;
    step["Delay"] = delay;
    step["Type"] = type;
    return step;
}

// A bounded read of a regular file: a FIFO or a device could block for ever.
ShootCheck ReadBytes(const fs::path& path, std::string* bytes) {
    std::error_code ec;
    const fs::file_status status = fs::status(path, ec);
    if (path.empty() || status.type() == fs::file_type::not_found) {
        return ShootCheck::Missing;
    }
    if (status.type() != fs::file_type::regular) {
        return ShootCheck::Unreadable;
    }
    const std::uintmax_t size = fs::file_size(path, ec);
    if (ec || size > kMaxShootFileBytes) {
        return ShootCheck::Unreadable;
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return ShootCheck::Unreadable;
    }
    // One byte more than allowed: a file that grew since it was measured is refused too.
    std::string data(static_cast<size_t>(kMaxShootFileBytes) + 1, '\0');
    in.read(data.data(), static_cast<std::streamsize>(data.size()));
    if (in.bad() || static_cast<size_t>(in.gcount()) > kMaxShootFileBytes) {
        return ShootCheck::Unreadable;
    }
    data.resize(static_cast<size_t>(in.gcount()));
    *bytes = std::move(data);
    return ShootCheck::Ok;
}

}  // namespace

std::string ShootFileName(int gun) {
    if (gun < 0 || gun >= kShootGuns) {
        return {};
    }
    return "ShootData_" + std::to_string(gun) + ".Shoot";
}

ShootCheck ShootFile::Check(const Json::Value& root) {
    if (!root.isObject()) {
        return ShootCheck::NotJson;
    }
    const Json::Value& events = json::Member(root, "Events");
    if (!events.isArray() || events.size() != Json::ArrayIndex(kShootFileSteps)) {
        return ShootCheck::WrongShape;
    }
    for (Json::ArrayIndex i = 0; i < events.size(); ++i) {
        const std::optional<MacroEvent> step = MacroEvent::FromJson(events[i]);
        if (!step || step->button < 0 || step->button > kMaxShootMove || step->type < 0 ||
            step->type > 0xFF) {
            return ShootCheck::WrongShape;
        }
        const long long delay = ParseDelay(step->delay);
        if (delay < 0 || delay > kMaxStepDelay) {
            return ShootCheck::WrongShape;
        }
        const int place = int(i) % kShootStepsPerBullet;
        if ((place == kMoveX && step->type != kStepMoveHorizontal) ||
            (place == kMoveY && step->type != kStepMoveVertical)) {
            return ShootCheck::WrongShape;
        }
    }
    return ShootCheck::Ok;
}

ShootCheck ShootFile::Read(const fs::path& path, Json::Value* root, std::string* bytes) {
    if (root != nullptr) {
        *root = Json::Value();
    }
    std::string data;
    if (const ShootCheck read = ReadBytes(path, &data); read != ShootCheck::Ok) {
        return read;
    }
    Json::Value parsed = profile::JsonFileStore::ParseText(data);
    const ShootCheck check = Check(parsed);
    if (check != ShootCheck::Ok) {
        return check;
    }
    if (root != nullptr) {
        *root = std::move(parsed);
    }
    if (bytes != nullptr) {
        *bytes = std::move(data);
    }
    return ShootCheck::Ok;
}

ShootBullet ShootFile::GetBullet(const Json::Value& root, int bullet) {
    ShootBullet shown;
    if (bullet < 0 || bullet >= kShootBullets) {
        return shown;
    }
    const Json::Value& events = json::Member(root, "Events");
    const auto at = [&](int place) {
        return MacroEvent::FromJson(
            json::Element(events, Json::ArrayIndex(bullet * kShootStepsPerBullet + place)));
    };
    const std::optional<MacroEvent> x = at(kMoveX);
    const std::optional<MacroEvent> y = at(kMoveY);
    // The direction shown is the one the mouse plays: only "down" is a press (a left or an
    // upward move), exactly as the step's device record takes it.
    if (x) {
        shown.x = std::clamp(x->button, 0, kMaxShootMove);
        shown.left = x->IsDown();
    }
    if (y) {
        shown.y = std::clamp(y->button, 0, kMaxShootMove);
        shown.up = y->IsDown();
        shown.delay = ShownDelay(y->delay);
    }
    return shown;
}

Json::Value ShootFile::Blank() {
    Json::Value root(Json::objectValue);
    Json::Value& events = root["Events"] = Json::Value(Json::arrayValue);
    for (int b = 0; b < kShootBullets; ++b) {
        events.append(Step("down", 1, 10, kStepMouseButton));
        events.append(Step("up", 1, 0, kStepMouseButton));
        events.append(Step("up", 0, 5, kStepMoveHorizontal));
        events.append(Step("up", 0, 0, kStepMoveVertical));
        events.append(Step("up", 0, 0, kStepMoveHorizontal));
        events.append(Step("up", 0, 0, kStepMoveVertical));
    }
    return root;
}

bool ShootFile::SetBullet(Json::Value& root, int bullet, ShootBullet value) {
    if (bullet < 0 || bullet >= kShootBullets) {
        return false;
    }
    if (Check(root) != ShootCheck::Ok) {
        // Other members of an object are kept; its steps were not a pattern.
        Json::Value blank = Blank();
        if (root.isObject()) {
            root["Events"] = blank["Events"];
        } else {
            root = std::move(blank);
        }
    }
    // A step carries a distance of at most 255: a larger number would reach the mouse as its
    // low byte, a different pull than the one typed.
    value.x = std::clamp(value.x, 0, kMaxShootMove);
    value.y = std::clamp(value.y, 0, kMaxShootMove);
    value.delay = std::clamp(value.delay, 0, kMaxStepDelay);
    Json::Value& events = root["Events"];
    const auto put = [&](int place, Json::Value step) {
        events[Json::ArrayIndex(bullet * kShootStepsPerBullet + place)] = std::move(step);
    };
    put(kPress, Step("down", 1, 10, kStepMouseButton));
    put(kRelease, Step("up", 1, 0, kStepMouseButton));
    put(kMoveX, Step(Direction(value.left), value.x, 5, kStepMoveHorizontal));
    put(kMoveY, Step(Direction(value.up), value.y, value.delay, kStepMoveVertical));
    put(kResetX, Step(Direction(value.left), 0, 0, kStepMoveHorizontal));
    put(kResetY, Step(Direction(value.up), 0, 0, kStepMoveVertical));
    return true;
}

std::vector<protocol::MacroStep> ShootFile::Steps(const Json::Value& root) {
    std::vector<protocol::MacroStep> steps;
    if (Check(root) != ShootCheck::Ok) {
        return steps;
    }
    const Json::Value& events = root["Events"];
    steps.reserve(events.size());
    for (const Json::Value& e : events) {
        steps.push_back(ToMacroStep(*MacroEvent::FromJson(e)));
    }
    return steps;
}

// --- the working files ------------------------------------------------------------------------

fs::path ShootStore::WorkFile(int gun) const {
    const std::string name = ShootFileName(gun);
    return name.empty() || m_work.empty() ? fs::path() : m_work / name;
}

fs::path ShootStore::FactoryFile(int gun) const {
    const std::string name = ShootFileName(gun);
    return name.empty() || m_factory.empty() ? fs::path() : m_factory / name;
}

int ShootStore::InitWorkingFiles() const {
    int ready = 0;
    for (int gun = 0; gun < kShootGuns; ++gun) {
        if (ShootFile::Read(WorkFile(gun), nullptr) == ShootCheck::Ok || RestoreGun(gun)) {
            ++ready;
        }
    }
    return ready;
}

bool ShootStore::RestoreGun(int gun) const {
    std::string bytes;
    const fs::path target = WorkFile(gun);
    if (target.empty() || ShootFile::Read(FactoryFile(gun), nullptr, &bytes) != ShootCheck::Ok) {
        return false;
    }
    return profile::JsonFileStore().WriteFileBytes(target, bytes) == 0;
}

ShootCheck ShootStore::ImportGun(int gun, const fs::path& file) const {
    const fs::path target = WorkFile(gun);
    if (target.empty()) {
        return ShootCheck::Missing;
    }
    std::string bytes;
    const ShootCheck check = ShootFile::Read(file, nullptr, &bytes);
    if (check != ShootCheck::Ok) {
        return check;
    }
    return profile::JsonFileStore().WriteFileBytes(target, bytes) == 0 ? ShootCheck::Ok
                                                                       : ShootCheck::Unreadable;
}

bool ShootStore::ExportGun(int gun, const fs::path& file) const {
    std::string bytes;
    if (file.empty() || ShootFile::Read(WorkFile(gun), nullptr, &bytes) != ShootCheck::Ok) {
        return false;
    }
    return profile::JsonFileStore().WriteFileBytes(file, bytes) == 0;
}

}  // namespace q840::macro
