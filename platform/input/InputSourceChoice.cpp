#include "platform/input/InputSourceChoice.h"

#include <QGuiApplication>
#include <cstdlib>

#include "platform/input/CWindowInputSource.h"
#include "platform/input/CX11InputSource.h"

namespace q840::input {

std::unique_ptr<IInputSource> CreateInputSource(std::string* why) {
    const char* forced = std::getenv("Q840_INPUT_SOURCE");
    const std::string choice = forced != nullptr ? forced : "";
    const QString platform = QGuiApplication::platformName();
    const char* display = std::getenv("DISPLAY");
    const bool hasDisplay = display != nullptr && *display != '\0';
    if (choice == "none") {
        *why = "recording is switched off (Q840_INPUT_SOURCE=none)";
        return nullptr;
    }
    if (choice == "window" || (choice.empty() && platform.startsWith(QLatin1String("wayland")))) {
        return std::make_unique<CWindowInputSource>();
    }
    // Offscreen (screenshots, tests) there is no window to record for: a desktop that happens
    // to be at $DISPLAY is not captured unless asked for.
    const bool windowSystem = platform != QLatin1String("offscreen") &&
                              platform != QLatin1String("minimal");
    if (choice == "x11" || (hasDisplay && windowSystem)) {
        return std::make_unique<CX11InputSource>();
    }
    *why = "there is no X server or Wayland session to record from";
    return nullptr;
}

}  // namespace q840::input
