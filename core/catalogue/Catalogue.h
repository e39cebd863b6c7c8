#pragma once

// The supported devices, as data: the interface table (one row per HID interface we talk to),
// the device type table, the device layout table and the device model table, plus the look-ups
// that work on the tables alone. The run-time copy of the interface table with its connection
// state is DeviceList (DeviceList.h).
//
// A supported device has a command interface (vendor page 0xFF1C, usage 0x92) for the 64-byte
// command reports and an event interface (consumer page 0x0C, usage 0x01) on which it reports
// events by itself. A wireless device also answers through its receiver, which has a product ID
// of its own; the cable and receiver rows of one device point at each other as partners.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace q840::catalogue {

// Type codes of the interface and device type tables.
constexpr uint16_t kTypeKeyboard = 1;
constexpr uint16_t kTypeMouse = 2;
constexpr uint16_t kTypeMousePad = 3;
constexpr uint16_t kTypeMouseReceiver = 6;  // the mouse through its wireless receiver
constexpr uint16_t kTypeHeadset = 7;
constexpr uint16_t kTypeKeyboardReceiver = 9;

// Roles of an interface row.
constexpr uint16_t kRoleCommand = 0x00;
constexpr uint16_t kRoleEvent = 0xFF;

constexpr uint16_t kUsagePageVendor = 0xFF1C;
constexpr uint16_t kUsageVendorCommand = 0x92;
constexpr uint16_t kUsagePageConsumer = 0x0C;
constexpr uint16_t kUsageConsumerControl = 0x01;

struct InterfaceRow {
    uint16_t vendorId;
    uint16_t productId;
    uint16_t interfaceNumber;   // the number after "&mi_" in the path
    uint16_t collectionNumber;  // the number after "&col"; 0 when the path has none
    uint16_t typeCode;
    uint16_t role;
    uint16_t connected;  // always 0 here; DeviceList keeps the live flag
    uint16_t usagePage;
    uint16_t usage;
    uint16_t hasPartner;
    uint16_t partner;  // index of the partner row
};

constexpr size_t kInterfaceRowCount = 11;

// Rows 0-3 (keyboard) carry product ID 0 and so match no real device; the keyboard page is still
// built from them.
// clang-format off
constexpr std::array<InterfaceRow, kInterfaceRowCount> kInterfaceTable = {{
    // vendor product  mi col type                   role          conn usage page          usage                  has partner, partner
    {0x320F, 0x0000, 1, 4, kTypeKeyboard,         kRoleCommand, 0, kUsagePageVendor,   kUsageVendorCommand,   1, 2},
    {0x320F, 0x0000, 0, 3, kTypeKeyboard,         kRoleEvent,   0, kUsagePageConsumer, kUsageConsumerControl, 1, 3},
    {0x320F, 0x0000, 1, 4, kTypeKeyboardReceiver, kRoleCommand, 0, kUsagePageVendor,   kUsageVendorCommand,   1, 0},
    {0x320F, 0x0000, 0, 3, kTypeKeyboardReceiver, kRoleEvent,   0, kUsagePageConsumer, kUsageConsumerControl, 1, 1},
    {0x320F, 0x226E, 1, 2, kTypeMouse,            kRoleCommand, 0, kUsagePageVendor,   kUsageVendorCommand,   1, 6},
    {0x320F, 0x226E, 0, 3, kTypeMouse,            kRoleEvent,   0, kUsagePageConsumer, kUsageConsumerControl, 1, 7},
    {0x320F, 0x226F, 1, 2, kTypeMouseReceiver,    kRoleCommand, 0, kUsagePageVendor,   kUsageVendorCommand,   1, 4},
    {0x320F, 0x226F, 0, 3, kTypeMouseReceiver,    kRoleEvent,   0, kUsagePageConsumer, kUsageConsumerControl, 1, 5},
    {0x320F, 0x1004, 1, 4, kTypeMousePad,         kRoleCommand, 0, kUsagePageVendor,   kUsageVendorCommand,   0, 0},
    {0x320F, 0x1004, 0, 3, kTypeMousePad,         kRoleEvent,   0, kUsagePageConsumer, kUsageConsumerControl, 0, 0},
    {0x0C76, 0x1630, 3, 0, kTypeHeadset,          kRoleCommand, 0, kUsagePageConsumer, kUsageConsumerControl, 0, 0},
}};
// clang-format on

struct DeviceTypeRow {
    const char* entryLayout;  // layout of the device selector entry
    const char* tabHeaderControl;
    const char* powerSwitchControl;
    const char* kindName;  // names the device's folder of stored files
    int lightListIndex;    // entry in "DefaultLightName" / "AreaLightName"
    uint16_t vendorId;
    uint16_t productId;
    uint16_t typeCode;
    uint16_t subIndex;
};

constexpr size_t kDeviceTypeRowCount = 4;

// clang-format off
constexpr std::array<DeviceTypeRow, kDeviceTypeRowCount> kDeviceTypeTable = {{
    {"XML\\CustomControlXML\\DeviceOption.xml", "tab_header_device", "device_power_switch", "mouse",    1, 0x320F, 0x226E, kTypeMouse,    0},
    {"XML\\CustomControlXML\\DeviceOption.xml", "tab_header_device", "device_power_switch", "keyboard", 0, 0x320F, 0x0000, kTypeKeyboard, 0},
    {"XML\\CustomControlXML\\DeviceOption.xml", "tab_header_device", "device_power_switch", "MousePad", 2, 0x320F, 0x1004, kTypeMousePad, 0},
    {"XML\\CustomControlXML\\DeviceOption.xml", "tab_header_device", "device_power_switch", "HD",       3, 0x0C76, 0x1630, kTypeHeadset,  0},
}};
// clang-format on

// Indexed by the device type table's row.
struct DeviceLayoutRow {
    int lightButtons;      // "light_" buttons, one per LED
    int keyButtons;        // "key_" buttons the page binds
    int powerDisplayMode;  // handed to the battery display
    int logoLed;           // LED whose colour the "logo" button shows; -1 for none
    const char* pageLayoutFile;
    const char* lightConfigName;
};

// clang-format off
constexpr std::array<DeviceLayoutRow, kDeviceTypeRowCount> kDeviceLayoutTable = {{
    {15,  11,  1, -1, "XML\\DeviceXml\\mousedevice.xml",    "zelta_light"},
    {170, 170, 0, -1, "XML\\DeviceXml\\keyboarddevice.xml", "zelta_light"},
    {15,  0,   0, -1, "XML\\DeviceXml\\mousepaddevice.xml", "zelta_light"},
    {13,  0,   0, -1, "XML\\DeviceXml\\va6533device.xml",   "zelta_light"},
}};
// clang-format on

// Shown by the settings window's update page.
struct DeviceModelRow {
    std::array<int, 3> numbers;
    const char* makerWord;
    const char* modelCode;
    const char* typeAbbreviation;
    const char* typeAbbreviation2;  // the table carries the abbreviation twice
    const char* version;
};

constexpr size_t kDeviceModelRowCount = 4;

// clang-format off
constexpr std::array<DeviceModelRow, kDeviceModelRowCount> kDeviceModelTable = {{
    {{1, 1, 0}, "ZELTA", "TR28M07A",   "MS",          "MS",  ""},
    {{1, 1, 0}, "ZELTA", "TR28M06A",   "KB",          "KB",  ""},
    {{2, 1, 0}, "ZELTA", "TR28M03A_1", "R40",         "R40", ""},
    {{0, 1, 0}, "ZELTA", "ALL",        "R40_BQ2_BQ1", "AP",  "V0100"},
}};
// clang-format on

// The four numbers a device path carries. Values are kept at full width, so a path number that
// does not fit in 16 bits matches no row instead of being cut down to one that does.
struct PathNumbers {
    uint32_t vendorId = 0;
    uint32_t productId = 0;
    uint32_t interfaceNumber = 0;
    uint32_t collectionNumber = 0;
};

// Hexadecimal number after "vid_", "pid_", "&mi_", "&col" (any letter case); 0 when absent.
uint32_t PathVendorId(std::string_view path);
uint32_t PathProductId(std::string_view path);
uint32_t PathInterfaceNumber(std::string_view path);
uint32_t PathCollectionNumber(std::string_view path);
PathNumbers ReadPathNumbers(std::string_view path);

// Index of the first device type row with these values, or -1.
int FindDeviceTypeRow(uint32_t vendorId, uint32_t productId, uint16_t typeCode, uint16_t subIndex);
// Index of the first interface row with these values, or -1.
int FindInterfaceRow(uint32_t vendorId, uint32_t productId, uint16_t typeCode, uint16_t role);
// Index of the first interface row whose vendor, product, interface, collection, usage page and
// usage all match, or -1.
int FindInterfaceRowByUsage(const PathNumbers& numbers, uint32_t usagePage, uint32_t usage);

// The device type row whose page serves interface row `row`: a receiver row (type 6, and 9 for
// the keyboard) is looked up as its cable partner's device (type 2 or 1 with the partner row's
// vendor and product ID), so a mouse seen only through its receiver still gets the mouse page.
// -1 when none.
int DeviceTypeRowForInterfaceRow(int row);

// Receiver rows talk through the protocol's receiver channel.
bool IsReceiverType(uint16_t typeCode);
// The cable type a receiver type stands for (6 -> 2, 9 -> 1); other codes unchanged.
uint16_t CableTypeOf(uint16_t typeCode);

// The page list an interface of this type code belongs to.
enum class PageKind { None, Keyboard, Mouse, MousePad, Headset };
PageKind PageKindOfType(uint16_t typeCode);

}  // namespace q840::catalogue
