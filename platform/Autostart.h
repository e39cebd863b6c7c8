#pragma once

#include <QString>

namespace q840 {

// "Start with the desktop session": an XDG autostart entry in $XDG_CONFIG_HOME/autostart/
// (~/.config/autostart/ by default) that starts the program hidden in the tray. The entry is
// ours alone: turning the choice off removes it.
class Autostart {
public:
    static constexpr char kEntryName[] = "com.halvorn.Q840Vex.desktop";
    // The option the entry starts the program with.
    static constexpr char kHiddenOption[] = "--hidden";

    static QString EntryPath();
    // On when our entry is there and not switched off by the desktop ("Hidden=true" or
    // "X-GNOME-Autostart-enabled=false", as session settings tools leave it).
    static bool IsEnabled();
    // Writes the entry (starting `program`, an absolute path) or removes it. False when the
    // folder or file cannot be written or removed; the entry is then as it was.
    static bool SetEnabled(bool enabled, const QString& program);
    // The Exec line's command for `program`: its name alone when that is what the PATH finds,
    // so that the entry survives an update that moves the real file; otherwise its path, quoted.
    static QString ExecCommand(const QString& program);
};

}  // namespace q840
