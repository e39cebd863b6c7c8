#pragma once

// The device list: the run-time copy of the interface table, in the same order, with the
// connection state of each row. Its indices are the ones the arrival and removal messages carry.
//
// No lock: the scan thread changes entries and then waits until the UI thread has handled the
// change (a blocking call into the UI thread), so the two never touch an entry at the same time.

#include <cstdint>
#include <string>
#include <vector>

#include "core/catalogue/Catalogue.h"

namespace q840::catalogue {

struct DeviceListEntry {
    uint16_t vendorId = 0;
    uint16_t productId = 0;
    uint16_t interfaceNumber = 0;
    uint16_t collectionNumber = 0;
    uint16_t typeCode = 0;
    uint16_t role = 0;
    uint16_t connected = 0;  // 1 while an interface is bound to this entry
    uint16_t usagePage = 0;
    uint16_t usage = 0;
    uint16_t hasPartner = 0;
    uint16_t partner = 0;
    std::string path;  // of the bound interface; empty when not connected

    // Not connected and holding no path.
    bool IsFree() const { return connected == 0 && path.empty(); }
};

// Same vendor, product, interface, collection, type code, role, usage page and usage.
bool IdenticalEntries(const DeviceListEntry& a, const DeviceListEntry& b);

// Type code, role and row of a successful full match.
struct MatchResult {
    int catalogueRow = -1;
    uint16_t typeCode = 0;
    uint16_t role = 0;
};

class DeviceList {
public:
    // One entry per interface table row, all free.
    DeviceList();

    size_t Size() const { return m_entries.size(); }
    bool IsValidIndex(int index) const {
        return index >= 0 && static_cast<size_t>(index) < m_entries.size();
    }
    // A bad index gives an empty entry (never connected, matching nothing) rather than a throw.
    const DeviceListEntry& Entry(int index) const;
    const std::vector<DeviceListEntry>& Entries() const { return m_entries; }

    // Before probing a path: true when some free entry has the path's vendor ID, product ID,
    // interface number and collection number.
    bool PreMatch(const PathNumbers& numbers) const;

    // After probing: the attributes' vendor and product ID, the path's interface and collection
    // numbers and the top-level usage page and usage must equal those of a catalogue row; the
    // first free entry with the same six values is then marked connected with `path` and its
    // index returned. -1 when no row matches, no entry is free, the path is empty or another
    // entry already holds this very path (one interface is never bound twice).
    int FullMatch(const PathNumbers& pathNumbers, uint32_t vendorId, uint32_t productId,
                  uint32_t usagePage, uint32_t usage, const std::string& path,
                  MatchResult* result = nullptr);

    // True when every entry is connected or holds a path (the scan then skips enumerating).
    bool AllConnected() const;

    // Index of the entry holding `path`, or -1.
    int FindByPath(const std::string& path) const;

    // The interface of entry `index` is gone: free it again. False for a bad index.
    bool Release(int index);

    // The partner of `index` is bound: it exists, is connected, holds a path and names `index`
    // as its own partner.
    bool PartnerBound(int index) const;

    // A command interface is bound to its page only while its partner is not; a cable interface
    // (type 2) that comes or goes while its receiver partner is bound switches the page's
    // channel instead.
    bool ShouldBindCommandInterface(int index) const;
    bool SwitchesChannel(int index) const;

    // The device type row of the page that serves entry `index` (receiver entries use their
    // cable partner's numbers), or -1.
    int DeviceTypeRowOf(int index) const;

    // The entry that stands for the device of `index`: the partner for a receiver entry that has
    // one, otherwise `index` itself. -1 for a bad index.
    int DeviceEntryOf(int index) const;

private:
    std::vector<DeviceListEntry> m_entries;
};

}  // namespace q840::catalogue
