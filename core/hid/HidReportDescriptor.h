#pragma once

// Our own HID report descriptor parser.
//
// A USB HID interface describes its reports with one report descriptor; the interface can hold
// several top-level collections (the mouse's vendor command collection next to its consumer
// event collection, for instance). The parser splits the descriptor into those collections and
// gives each the numbers Windows would report for it: top-level usage page and usage, the report
// IDs it owns, input/output/feature report byte lengths (the report ID byte included, present
// even when the interface uses no report IDs) and its button and value capabilities with their
// bit positions, so report bytes can be decoded without the operating system's help.
//
// The descriptor comes from the device: every read is bounded and anything malformed or
// truncated makes the parse fail with a reason rather than produce half-understood collections.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace q840::hid {

enum class HidReportKind : uint8_t { Input = 0, Output = 1, Feature = 2 };
constexpr int kHidReportKindCount = 3;

// One capability of a report: a run of fields from one Input/Output/Feature main item.
struct HidFieldCaps {
    HidReportKind kind = HidReportKind::Input;
    uint8_t reportId = 0;  // 0 when the interface uses no report IDs
    uint16_t usagePage = 0;
    bool isRange = false;   // usageMin..usageMax came from Usage Minimum/Maximum
    bool isArray = false;   // array field: each slot holds an index into the usages
    bool isButton = false;  // one-bit variable fields or an array (Windows reports both as buttons)
    uint16_t usageMin = 0;  // the single usage twice when not a range
    uint16_t usageMax = 0;
    // Explicit usages when not a range (buttons given usage by usage). Empty for ranges.
    std::vector<uint16_t> usages;
    int32_t logicalMin = 0;
    int32_t logicalMax = 0;
    int32_t physicalMin = 0;
    int32_t physicalMax = 0;
    uint32_t bitPosition = 0;  // of the first field, counted from the first byte after the ID
    uint16_t bitSize = 0;      // of one field
    uint16_t reportCount = 0;  // number of fields
};

struct HidCollectionInfo {
    uint16_t usagePage = 0;
    uint16_t usage = 0;
    std::vector<uint8_t> reportIds;  // IDs of the reports this collection owns (empty: no IDs)
    uint16_t reportByteLength[kHidReportKindCount] = {0, 0, 0};
    std::vector<HidFieldCaps> buttonCaps[kHidReportKindCount];
    std::vector<HidFieldCaps> valueCaps[kHidReportKindCount];

    uint16_t InputReportByteLength() const { return reportByteLength[0]; }
    uint16_t OutputReportByteLength() const { return reportByteLength[1]; }
    uint16_t FeatureReportByteLength() const { return reportByteLength[2]; }
    bool OwnsReportId(uint8_t id) const;
};

struct HidReportDescriptor {
    bool usesReportIds = false;
    std::vector<HidCollectionInfo> collections;
};

// Limits that keep a hostile or broken descriptor from costing unbounded memory or time.
constexpr size_t kHidMaxDescriptorSize = 4096;  // the largest a HID descriptor can be
constexpr uint32_t kHidMaxReportBits = 8 * 4096;
constexpr int kHidMaxCollectionDepth = 32;
constexpr int kHidMaxGlobalStackDepth = 16;
constexpr size_t kHidMaxLocalUsages = 1024;

// Parses a whole report descriptor. False (with *error set, if given) when it is empty, truncated
// or malformed; *out is then left empty.
bool ParseReportDescriptor(const uint8_t* data, size_t size, HidReportDescriptor* out,
                           std::string* error);
inline bool ParseReportDescriptor(const std::vector<uint8_t>& data, HidReportDescriptor* out,
                                  std::string* error) {
    return ParseReportDescriptor(data.data(), data.size(), out, error);
}

// Field access in a report in the Windows form (byte 0 = report ID, data from byte 1).
// bitPosition counts from byte 1. False when the field does not fit in the report or bitSize is
// not 1..32.
bool ExtractReportBits(const uint8_t* report, size_t length, uint32_t bitPosition, uint16_t bitSize,
                       uint32_t* value);
bool InsertReportBits(uint8_t* report, size_t length, uint32_t bitPosition, uint16_t bitSize,
                      uint32_t value);
// Sign-extends a field of bitSize bits.
int32_t SignExtendBits(uint32_t value, uint16_t bitSize);

// The usages one button capability reports pressed in a report (not filtered, in field order,
// usage 0 left out). False when the fields lie beyond the report.
bool GetPressedUsages(const HidFieldCaps& caps, const uint8_t* report, size_t length,
                      std::vector<uint16_t>* usages);

// The raw value of field `index` of a value capability (not sign-extended), and the same value
// scaled from the logical to the physical range (physical = logical when both physical limits
// are 0). False when the field lies beyond the report.
bool GetFieldValue(const HidFieldCaps& caps, int index, const uint8_t* report, size_t length,
                   uint32_t* raw);
int32_t ScaleFieldValue(const HidFieldCaps& caps, uint32_t raw);

}  // namespace q840::hid
