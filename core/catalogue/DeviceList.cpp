#include "core/catalogue/DeviceList.h"

namespace q840::catalogue {

bool IdenticalEntries(const DeviceListEntry& a, const DeviceListEntry& b) {
    return a.vendorId == b.vendorId && a.productId == b.productId &&
           a.interfaceNumber == b.interfaceNumber && a.collectionNumber == b.collectionNumber &&
           a.typeCode == b.typeCode && a.role == b.role && a.usagePage == b.usagePage &&
           a.usage == b.usage;
}

DeviceList::DeviceList() {
    m_entries.reserve(kInterfaceTable.size());
    for (const InterfaceRow& r : kInterfaceTable) {
        DeviceListEntry e;
        e.vendorId = r.vendorId;
        e.productId = r.productId;
        e.interfaceNumber = r.interfaceNumber;
        e.collectionNumber = r.collectionNumber;
        e.typeCode = r.typeCode;
        e.role = r.role;
        e.connected = 0;
        e.usagePage = r.usagePage;
        e.usage = r.usage;
        e.hasPartner = r.hasPartner;
        e.partner = r.partner;
        m_entries.push_back(std::move(e));
    }
}

const DeviceListEntry& DeviceList::Entry(int index) const {
    static const DeviceListEntry kNone;
    return IsValidIndex(index) ? m_entries[static_cast<size_t>(index)] : kNone;
}

bool DeviceList::PreMatch(const PathNumbers& n) const {
    for (const DeviceListEntry& e : m_entries) {
        if (e.vendorId == n.vendorId && e.productId == n.productId &&
            e.interfaceNumber == n.interfaceNumber && e.collectionNumber == n.collectionNumber &&
            e.IsFree()) {
            return true;
        }
    }
    return false;
}

int DeviceList::FullMatch(const PathNumbers& pathNumbers, uint32_t vendorId, uint32_t productId,
                          uint32_t usagePage, uint32_t usage, const std::string& path,
                          MatchResult* result) {
    if (path.empty() || FindByPath(path) >= 0) {
        return -1;
    }
    PathNumbers numbers = pathNumbers;
    numbers.vendorId = vendorId;
    numbers.productId = productId;
    const int row = FindInterfaceRowByUsage(numbers, usagePage, usage);
    if (row < 0) {
        return -1;
    }
    for (size_t i = 0; i < m_entries.size(); ++i) {
        DeviceListEntry& e = m_entries[i];
        if (e.vendorId == vendorId && e.productId == productId &&
            e.interfaceNumber == numbers.interfaceNumber &&
            e.collectionNumber == numbers.collectionNumber && e.usagePage == usagePage &&
            e.usage == usage && e.IsFree()) {
            e.connected = 1;
            e.path = path;
            if (result) {
                const InterfaceRow& r = kInterfaceTable[static_cast<size_t>(row)];
                result->catalogueRow = row;
                result->typeCode = r.typeCode;
                result->role = r.role;
            }
            return static_cast<int>(i);
        }
    }
    return -1;
}

bool DeviceList::AllConnected() const {
    for (const DeviceListEntry& e : m_entries) {
        if (e.IsFree()) {
            return false;
        }
    }
    return true;
}

int DeviceList::FindByPath(const std::string& path) const {
    if (path.empty()) {
        return -1;
    }
    for (size_t i = 0; i < m_entries.size(); ++i) {
        if (m_entries[i].path == path) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

bool DeviceList::Release(int index) {
    if (!IsValidIndex(index)) {
        return false;
    }
    DeviceListEntry& e = m_entries[static_cast<size_t>(index)];
    e.connected = 0;
    e.path.clear();
    return true;
}

bool DeviceList::PartnerBound(int index) const {
    if (!IsValidIndex(index)) {
        return false;
    }
    const DeviceListEntry& e = m_entries[static_cast<size_t>(index)];
    if (!e.hasPartner || !IsValidIndex(e.partner)) {
        return false;
    }
    const DeviceListEntry& p = m_entries[e.partner];
    return p.connected != 0 && !p.path.empty() && p.hasPartner &&
           p.partner == static_cast<uint16_t>(index);
}

bool DeviceList::ShouldBindCommandInterface(int index) const {
    return IsValidIndex(index) && m_entries[static_cast<size_t>(index)].role == kRoleCommand &&
           !PartnerBound(index);
}

bool DeviceList::SwitchesChannel(int index) const {
    return IsValidIndex(index) && m_entries[static_cast<size_t>(index)].typeCode == kTypeMouse &&
           PartnerBound(index);
}

int DeviceList::DeviceEntryOf(int index) const {
    if (!IsValidIndex(index)) {
        return -1;
    }
    const DeviceListEntry& e = m_entries[static_cast<size_t>(index)];
    if (IsReceiverType(e.typeCode) && e.hasPartner && IsValidIndex(e.partner)) {
        return e.partner;
    }
    return index;
}

int DeviceList::DeviceTypeRowOf(int index) const {
    if (!IsValidIndex(index)) {
        return -1;
    }
    const DeviceListEntry& e = m_entries[static_cast<size_t>(index)];
    const DeviceListEntry& device = m_entries[static_cast<size_t>(DeviceEntryOf(index))];
    return FindDeviceTypeRow(device.vendorId, device.productId, CableTypeOf(e.typeCode), 0);
}

}  // namespace q840::catalogue
