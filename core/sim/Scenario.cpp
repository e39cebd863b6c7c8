#include "core/sim/Scenario.h"

#include <array>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <sstream>

#include "core/sim/DemoDevices.h"

namespace q840::sim {

namespace {

struct FaultName {
    const char* name;
    ScenarioFault fault;
};

constexpr std::array<FaultName, 6> kFaults = {{
    {"no-reply", ScenarioFault::NoReply},
    {"wrong-echo", ScenarioFault::WrongEcho},
    {"status-ff", ScenarioFault::StatusFF},
    {"status-fe", ScenarioFault::StatusFE},
    {"write-timeout", ScenarioFault::WriteTimeout},
    {"lost-writes", ScenarioFault::LostWrites},
}};

constexpr std::array<const char*, 4> kChannels = {kCableChannel, kReceiverChannel, kPadChannel,
                                                  kHeadsetChannel};

std::vector<std::string> Words(const std::string& line) {
    std::string text = line.substr(0, line.find('#'));
    std::istringstream in(text);
    std::vector<std::string> words;
    for (std::string w; in >> w;) {
        words.push_back(w);
    }
    return words;
}

// "1500ms", "1.5s", "2min", "1h" -> milliseconds; false for anything else.
bool ParseDuration(const std::string& text, std::chrono::milliseconds& out) {
    double number = 0;
    const char* begin = text.data();
    const char* end = text.data() + text.size();
    const auto [rest, ec] = std::from_chars(begin, end, number, std::chars_format::fixed);
    if (ec != std::errc() || rest == begin || !std::isfinite(number) || number < 0) {
        return false;
    }
    const std::string unit(rest, end);
    double factor = 0;
    if (unit == "ms") {
        factor = 1;
    } else if (unit == "s") {
        factor = 1000;
    } else if (unit == "min") {
        factor = 60000;
    } else if (unit == "h") {
        factor = 3600000;
    } else {
        return false;
    }
    const double ms = std::round(number * factor);
    if (ms > double(kScenarioMaxTime.count())) {
        return false;
    }
    out = std::chrono::milliseconds(int64_t(ms));
    return true;
}

bool ParseInt(const std::string& text, int& out) {
    int base = 10;
    const char* begin = text.data();
    const char* end = text.data() + text.size();
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        base = 16;
        begin += 2;
    }
    const auto [rest, ec] = std::from_chars(begin, end, out, base);
    return ec == std::errc() && rest == end && begin != end;
}

bool IsChannel(const std::string& name) {
    for (const char* c : kChannels) {
        if (name == c) {
            return true;
        }
    }
    return false;
}

std::string Quoted(const std::string& s) {
    return "\"" + s + "\"";
}

// The event part of a line (after its time); false with the reason in `error`.
bool ParseEvent(const std::vector<std::string>& w, ScenarioEvent& e, std::string& error) {
    const std::string& name = w[1];
    const size_t args = w.size() - 2;
    auto needArgs = [&](size_t least, size_t most, const char* form) {
        if (args < least || args > most) {
            error = std::string("\"") + name + "\" takes: " + form;
            return false;
        }
        return true;
    };
    auto channelAt = [&](size_t i) {
        if (!IsChannel(w[i])) {
            error = "unknown channel " + Quoted(w[i]) + " (cable, receiver, pad, headset)";
            return false;
        }
        e.channel = w[i];
        return true;
    };
    if (name == "plug" || name == "unplug") {
        e.action = name == "plug" ? ScenarioAction::Plug : ScenarioAction::Unplug;
        return needArgs(1, 1, "CHANNEL") && channelAt(2);
    }
    if (name == "sleep" || name == "wake") {
        e.action = name == "sleep" ? ScenarioAction::Sleep : ScenarioAction::Wake;
        return needArgs(0, 0, "nothing");
    }
    if (name == "link") {
        if (!needArgs(1, 1, "up or down")) {
            return false;
        }
        if (w[2] != "up" && w[2] != "down") {
            error = "\"link\" takes up or down, not " + Quoted(w[2]);
            return false;
        }
        e.action = w[2] == "up" ? ScenarioAction::LinkUp : ScenarioAction::LinkDown;
        return true;
    }
    if (name == "battery") {
        e.action = ScenarioAction::Battery;
        if (!needArgs(1, 2, "LEVEL (0-100) [charging]")) {
            return false;
        }
        std::string level = w[2];
        if (!level.empty() && level.back() == '%') {
            level.pop_back();
        }
        if (!ParseInt(level, e.value) || e.value < 0 || e.value > 100) {
            error = "battery level " + Quoted(w[2]) + " is not 0-100";
            return false;
        }
        if (args == 2 && w[3] != "charging") {
            error = "after the battery level only \"charging\" may follow, not " + Quoted(w[3]);
            return false;
        }
        e.charging = args == 2;
        return true;
    }
    if (name == "fault") {
        e.action = ScenarioAction::Fault;
        if (!needArgs(2, 3, "CHANNEL KIND [COUNT]") || !channelAt(2)) {
            return false;
        }
        bool known = false;
        for (const FaultName& f : kFaults) {
            if (w[3] == f.name) {
                e.fault = f.fault;
                known = true;
            }
        }
        if (!known) {
            error = "unknown fault " + Quoted(w[3]) +
                    " (no-reply, wrong-echo, status-ff, status-fe, write-timeout, lost-writes)";
            return false;
        }
        e.count = 1;
        if (args == 3 && (!ParseInt(w[4], e.count) || (e.count < 1 && e.count != -1))) {
            error = "fault count " + Quoted(w[4]) + " is not a number of commands (or -1)";
            return false;
        }
        return true;
    }
    if (name == "clear") {
        e.action = ScenarioAction::ClearFaults;
        return needArgs(1, 1, "CHANNEL") && channelAt(2);
    }
    if (name == "event") {
        e.action = ScenarioAction::Event;
        if (!needArgs(1, 1, "CODE (0x0401 ...)")) {
            return false;
        }
        if (!ParseInt(w[2], e.value) || e.value < 0 || e.value > 0xFFFF) {
            error = "event code " + Quoted(w[2]) + " is not 0-0xFFFF";
            return false;
        }
        return true;
    }
    if (name == "profile") {
        e.action = ScenarioAction::SwitchProfile;
        if (!needArgs(1, 1, "PROFILE (0-15)")) {
            return false;
        }
        if (!ParseInt(w[2], e.value) || e.value < 0 || e.value > 15) {
            error = "profile " + Quoted(w[2]) + " is not 0-15";
            return false;
        }
        return true;
    }
    error = "unknown event " + Quoted(name);
    return false;
}

}  // namespace

bool ParseScenario(const std::string& text, Scenario& out, std::string& error) {
    Scenario scenario;
    // An editor's byte order mark is not part of the first line.
    const bool bom = text.rfind("\xEF\xBB\xBF", 0) == 0;
    std::istringstream in(bom ? text.substr(3) : text);
    std::string line;
    int number = 0;
    std::chrono::milliseconds previous{0};
    while (std::getline(in, line)) {
        ++number;
        const std::vector<std::string> w = Words(line);
        if (w.empty()) {
            continue;
        }
        const std::string where = "line " + std::to_string(number) + ": ";
        if (w[0] == "repeat") {
            if (w.size() != 2 || !ParseDuration(w[1], scenario.repeat) ||
                scenario.repeat.count() == 0) {
                error = where + "\"repeat\" takes one time above zero (60s, 1500ms, 2min, 1h)";
                return false;
            }
            if (!scenario.events.empty()) {
                error = where + "\"repeat\" goes before the first event";
                return false;
            }
            continue;
        }
        if (w.size() < 2) {
            error = where + "a time and an event, e.g. \"10s unplug receiver\"";
            return false;
        }
        ScenarioEvent e;
        e.line = number;
        const bool relative = w[0][0] == '+';
        std::chrono::milliseconds at{0};
        if (!ParseDuration(relative ? w[0].substr(1) : w[0], at)) {
            error = where + "bad time " + Quoted(w[0]) + " (e.g. 10s, 1500ms, 2min, 1h, +1s)";
            return false;
        }
        e.at = relative ? previous + at : at;
        if (e.at < previous) {
            error = where + "the events must come in time order (" + w[0] + " is before " +
                    std::to_string(previous.count()) + "ms)";
            return false;
        }
        if (e.at > kScenarioMaxTime) {
            error = where + "time beyond a week";
            return false;
        }
        std::string why;
        if (!ParseEvent(w, e, why)) {
            error = where + why;
            return false;
        }
        previous = e.at;
        scenario.events.push_back(e);
    }
    if (scenario.repeat.count() > 0 && !scenario.events.empty() &&
        scenario.events.back().at >= scenario.repeat) {
        error = "line " + std::to_string(scenario.events.back().line) +
                ": an event of a repeated scenario must come before the end of its round (" +
                std::to_string(scenario.repeat.count()) + "ms)";
        return false;
    }
    out = std::move(scenario);
    return true;
}

bool LoadScenario(const std::string& path, Scenario& out, std::string& error) {
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        error = "cannot read " + path;
        return false;
    }
    std::string text;
    text.resize(kScenarioMaxFileBytes + 1);
    file.read(text.data(), std::streamsize(text.size()));
    text.resize(size_t(file.gcount()));
    if (text.size() > kScenarioMaxFileBytes) {
        error = path + " is larger than " + std::to_string(kScenarioMaxFileBytes) + " bytes";
        return false;
    }
    std::string why;
    if (!ParseScenario(text, out, why)) {
        error = path + ": " + why;
        return false;
    }
    return true;
}

std::string DescribeEvent(const ScenarioEvent& e) {
    switch (e.action) {
        case ScenarioAction::Plug:
            return "plug " + e.channel;
        case ScenarioAction::Unplug:
            return "unplug " + e.channel;
        case ScenarioAction::Sleep:
            return "sleep";
        case ScenarioAction::Wake:
            return "wake";
        case ScenarioAction::LinkDown:
            return "link down";
        case ScenarioAction::LinkUp:
            return "link up";
        case ScenarioAction::Battery:
            return "battery " + std::to_string(e.value) + (e.charging ? " charging" : "");
        case ScenarioAction::Fault:
            for (const FaultName& f : kFaults) {
                if (f.fault == e.fault) {
                    return "fault " + e.channel + " " + f.name + " " + std::to_string(e.count);
                }
            }
            return "fault " + e.channel;
        case ScenarioAction::ClearFaults:
            return "clear " + e.channel;
        case ScenarioAction::Event: {
            char code[8];
            std::snprintf(code, sizeof code, "0x%04X", unsigned(e.value));
            return std::string("event ") + code;
        }
        case ScenarioAction::SwitchProfile:
            return "profile " + std::to_string(e.value);
    }
    return "?";
}

}  // namespace q840::sim
