#include "core/catalogue/Catalogue.h"

#include "core/hid/HidPath.h"

namespace q840::catalogue {

namespace {

// Partner rows must name each other and be the same device's command/event interface of the
// other path; a broken edit of the table fails the build instead of binding the wrong page.
constexpr bool PartnersAreMutual() {
    for (size_t i = 0; i < kInterfaceTable.size(); ++i) {
        const InterfaceRow& r = kInterfaceTable[i];
        if (!r.hasPartner) {
            continue;
        }
        if (r.partner >= kInterfaceTable.size() || r.partner == i) {
            return false;
        }
        const InterfaceRow& p = kInterfaceTable[r.partner];
        if (!p.hasPartner || p.partner != i || p.role != r.role) {
            return false;
        }
    }
    return true;
}
static_assert(PartnersAreMutual(), "interface table: partner rows must point at each other");

constexpr bool NoRowStartsConnected() {
    for (const InterfaceRow& r : kInterfaceTable) {
        if (r.connected != 0) {
            return false;
        }
    }
    return true;
}
static_assert(NoRowStartsConnected(), "interface table: rows start unconnected");

}  // namespace

uint32_t PathVendorId(std::string_view path) {
    return hid::ParseHexAfterMarker(path, "vid_");
}
uint32_t PathProductId(std::string_view path) {
    return hid::ParseHexAfterMarker(path, "pid_");
}
uint32_t PathInterfaceNumber(std::string_view path) {
    return hid::ParseHexAfterMarker(path, "&mi_");
}
uint32_t PathCollectionNumber(std::string_view path) {
    return hid::ParseHexAfterMarker(path, "&col");
}

PathNumbers ReadPathNumbers(std::string_view path) {
    PathNumbers n;
    n.vendorId = PathVendorId(path);
    n.productId = PathProductId(path);
    n.interfaceNumber = PathInterfaceNumber(path);
    n.collectionNumber = PathCollectionNumber(path);
    return n;
}

int FindDeviceTypeRow(uint32_t vendorId, uint32_t productId, uint16_t typeCode, uint16_t subIndex) {
    for (size_t i = 0; i < kDeviceTypeTable.size(); ++i) {
        const DeviceTypeRow& r = kDeviceTypeTable[i];
        if (r.vendorId == vendorId && r.productId == productId && r.typeCode == typeCode &&
            r.subIndex == subIndex) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

int FindInterfaceRow(uint32_t vendorId, uint32_t productId, uint16_t typeCode, uint16_t role) {
    for (size_t i = 0; i < kInterfaceTable.size(); ++i) {
        const InterfaceRow& r = kInterfaceTable[i];
        if (r.vendorId == vendorId && r.productId == productId && r.typeCode == typeCode &&
            r.role == role) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

int FindInterfaceRowByUsage(const PathNumbers& numbers, uint32_t usagePage, uint32_t usage) {
    for (size_t i = 0; i < kInterfaceTable.size(); ++i) {
        const InterfaceRow& r = kInterfaceTable[i];
        if (r.vendorId == numbers.vendorId && r.productId == numbers.productId &&
            r.interfaceNumber == numbers.interfaceNumber &&
            r.collectionNumber == numbers.collectionNumber && r.usagePage == usagePage &&
            r.usage == usage) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

bool IsReceiverType(uint16_t typeCode) {
    return typeCode == kTypeMouseReceiver || typeCode == kTypeKeyboardReceiver;
}

uint16_t CableTypeOf(uint16_t typeCode) {
    switch (typeCode) {
        case kTypeMouseReceiver:
            return kTypeMouse;
        case kTypeKeyboardReceiver:
            return kTypeKeyboard;
        default:
            return typeCode;
    }
}

int DeviceTypeRowForInterfaceRow(int row) {
    if (row < 0 || static_cast<size_t>(row) >= kInterfaceTable.size()) {
        return -1;
    }
    const InterfaceRow& r = kInterfaceTable[static_cast<size_t>(row)];
    if (IsReceiverType(r.typeCode)) {
        if (!r.hasPartner || r.partner >= kInterfaceTable.size()) {
            return -1;
        }
        const InterfaceRow& cable = kInterfaceTable[r.partner];
        return FindDeviceTypeRow(cable.vendorId, cable.productId, CableTypeOf(r.typeCode), 0);
    }
    return FindDeviceTypeRow(r.vendorId, r.productId, r.typeCode, 0);
}

PageKind PageKindOfType(uint16_t typeCode) {
    switch (typeCode) {
        case kTypeKeyboard:
        case kTypeKeyboardReceiver:
            return PageKind::Keyboard;
        case kTypeMouse:
        case kTypeMouseReceiver:
            return PageKind::Mouse;
        case kTypeMousePad:
            return PageKind::MousePad;
        case kTypeHeadset:
            return PageKind::Headset;
        default:
            return PageKind::None;
    }
}

}  // namespace q840::catalogue
