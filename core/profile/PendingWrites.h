#pragma once

// Which areas of a profile have not reached the device yet.
//
// A write that did not run to its end (the device pulled out, the mouse asleep behind its
// receiver, a command refused) leaves the profile holding a change the device does not have, and
// the device perhaps holding an area half old and half new. Reading such an area back into the
// profile would lose the change and keep a mix nobody chose, so on the device's next arrival a
// marked area is written from the profile instead, and its mark goes only once the device holds
// it.
//
// The marks live in a small file beside the profile file: the profile's path with the extension
// ".pending" ({"KeyTable" : 1, "Settings" : 1}, stored form), removed once no mark is left. So a
// mark survives the program ending before the device comes back, while the profile file keeps its
// stored form and moves between machines without a state that belongs to this machine's device.
// No file, or one that cannot be read, means nothing pending.
//
// No lock: an object belongs to one device page.

#include <cstdint>
#include <filesystem>

namespace q840::profile {

enum class PendingArea : uint8_t {
    Settings,   // the settings block
    KeyTable,   // the key table
    MacroArea,  // the macro area
    ShootArea,  // the shoot area
};

class PendingWrites {
public:
    // The file that keeps the marks of the profile file at profilePath.
    static std::filesystem::path MarkFileOf(const std::filesystem::path& profilePath);

    // Takes the marks of the profile at profilePath from its mark file. An empty path (no
    // profile is kept): no marks, and marks made later are kept in memory only.
    void Load(const std::filesystem::path& profilePath);

    bool Has(PendingArea area) const { return (m_marks & Bit(area)) != 0; }
    bool Any() const { return m_marks != 0; }

    // Sets or clears a mark. The mark file is rewritten (or removed once no mark is left) only
    // when the marks change; true when they changed.
    bool Mark(PendingArea area);
    bool Clear(PendingArea area);

private:
    static uint8_t Bit(PendingArea area) { return uint8_t(1u << unsigned(area)); }
    void Store() const;

    std::filesystem::path m_file;
    uint8_t m_marks = 0;
};

}  // namespace q840::profile
