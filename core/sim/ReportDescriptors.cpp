#include "core/sim/ReportDescriptors.h"

namespace q840::sim {

namespace {

// Short items of the HID report descriptor grammar.
enum : uint8_t {
    kUsagePage1 = 0x05,
    kUsagePage2 = 0x06,
    kUsage1 = 0x09,
    kUsage2 = 0x0A,
    kUsageMin1 = 0x19,
    kUsageMax1 = 0x29,
    kUsageMax2 = 0x2A,
    kCollection = 0xA1,
    kEndCollection = 0xC0,
    kReportId = 0x85,
    kLogicalMin1 = 0x15,
    kLogicalMax1 = 0x25,
    kLogicalMax2 = 0x26,
    kLogicalMin2 = 0x16,
    kReportSize = 0x75,
    kReportCount = 0x95,
    kInput = 0x81,
    kOutput = 0x91,
};
constexpr uint8_t kApplication = 0x01;
constexpr uint8_t kPhysical = 0x00;
constexpr uint8_t kDataVarAbs = 0x02;
constexpr uint8_t kDataArrayAbs = 0x00;
constexpr uint8_t kConstant = 0x01;
constexpr uint8_t kDataVarRel = 0x06;

void Page(std::vector<uint8_t>& d, uint16_t page) {
    if (page > 0xFF) {
        d.insert(d.end(), {kUsagePage2, uint8_t(page & 0xFF), uint8_t(page >> 8)});
    } else {
        d.insert(d.end(), {kUsagePage1, uint8_t(page)});
    }
}

void Usage(std::vector<uint8_t>& d, uint16_t usage) {
    if (usage > 0xFF) {
        d.insert(d.end(), {kUsage2, uint8_t(usage & 0xFF), uint8_t(usage >> 8)});
    } else {
        d.insert(d.end(), {kUsage1, uint8_t(usage)});
    }
}

// 8-bit variable fields, count bytes, logical 0..255.
void ByteFields(std::vector<uint8_t>& d, uint8_t mainItem, uint8_t count) {
    d.insert(d.end(), {kLogicalMin1, 0x00, kLogicalMax2, 0xFF, 0x00, kReportSize, 0x08,
                       kReportCount, count});
    Usage(d, 0x01);
    d.insert(d.end(), {mainItem, kDataVarAbs});
}

CollectionLayout Begin(uint16_t page, uint16_t usage, CollectionRole role, uint8_t reportId) {
    CollectionLayout c;
    c.usagePage = page;
    c.usage = usage;
    c.role = role;
    Page(c.descriptor, page);
    Usage(c.descriptor, usage);
    c.descriptor.insert(c.descriptor.end(), {kCollection, kApplication, kReportId, reportId});
    return c;
}

}  // namespace

CollectionLayout CommandCollection() {
    CollectionLayout c = Begin(0xFF1C, 0x92, CollectionRole::Command, kCommandReportId);
    ByteFields(c.descriptor, kInput, kCommandReportSize - 1);
    ByteFields(c.descriptor, kOutput, kCommandReportSize - 1);
    c.descriptor.push_back(kEndCollection);
    return c;
}

CollectionLayout EventCollection() {
    CollectionLayout c = Begin(0x0C, 0x01, CollectionRole::Event, kEventReportId);
    // One 16-bit array field: the code arrives as the selected usage, low byte first.
    c.descriptor.insert(c.descriptor.end(),
                        {kLogicalMin1, 0x00, kLogicalMax2, 0xFF, 0x7F, kUsageMin1, 0x00, kUsageMax2,
                         0xFF, 0x7F, kReportSize, 0x10, kReportCount, 0x01, kInput, kDataArrayAbs});
    c.descriptor.push_back(kEndCollection);
    return c;
}

CollectionLayout HeadsetCollection() {
    CollectionLayout c = Begin(0x0C, 0x01, CollectionRole::Command, kCommandReportId);
    ByteFields(c.descriptor, kInput, kCommandReportSize - 1);
    ByteFields(c.descriptor, kOutput, kCommandReportSize - 1);
    c.descriptor.insert(c.descriptor.end(), {kReportId, kHeadsetLedReportId});
    ByteFields(c.descriptor, kOutput, kHeadsetLedReportSize - 1);
    c.descriptor.push_back(kEndCollection);
    return c;
}

CollectionLayout MouseCollection(uint8_t reportId) {
    CollectionLayout c = Begin(0x01, 0x02, CollectionRole::Filler, reportId);
    auto& d = c.descriptor;
    Usage(d, 0x01);  // pointer
    d.insert(d.end(), {kCollection, kPhysical});
    Page(d, 0x09);  // buttons 1-5
    d.insert(d.end(), {kUsageMin1,  0x01,         kUsageMax1, 0x05,         kLogicalMin1,
                       0x00,        kLogicalMax1, 0x01,       kReportCount, 0x05,
                       kReportSize, 0x01,         kInput,     kDataVarAbs,  kReportCount,
                       0x01,        kReportSize,  0x03,       kInput,       kConstant});
    Page(d, 0x01);
    Usage(d, 0x30);
    Usage(d, 0x31);
    d.insert(d.end(), {kLogicalMin2, 0x01, 0x80, kLogicalMax2, 0xFF, 0x7F, kReportSize, 0x10,
                       kReportCount, 0x02, kInput, kDataVarRel});
    Usage(d, 0x38);  // wheel
    d.insert(d.end(), {kLogicalMin1, 0x81, kLogicalMax1, 0x7F, kReportSize, 0x08, kReportCount,
                       0x01, kInput, kDataVarRel, kEndCollection, kEndCollection});
    return c;
}

CollectionLayout KeyboardCollection(uint8_t reportId) {
    CollectionLayout c = Begin(0x01, 0x06, CollectionRole::Filler, reportId);
    auto& d = c.descriptor;
    Page(d, 0x07);
    d.insert(d.end(), {kUsageMin1,   0xE0,          kUsageMax1,    0xE7, kLogicalMin1, 0x00,
                       kLogicalMax1, 0x01,          kReportSize,   0x01, kReportCount, 0x08,
                       kInput,       kDataVarAbs,   kReportSize,   0x08, kReportCount, 0x01,
                       kInput,       kConstant,     kLogicalMax2,  0xFF, 0x00,         kUsageMin1,
                       0x00,         kUsageMax2,    0xFF,          0x00, kReportCount, 0x06,
                       kInput,       kDataArrayAbs, kEndCollection});
    return c;
}

CollectionLayout SystemControlCollection(uint8_t reportId) {
    CollectionLayout c = Begin(0x01, 0x80, CollectionRole::Filler, reportId);
    auto& d = c.descriptor;
    d.insert(d.end(),
             {kUsageMin1, 0x81, kUsageMax1, 0x83, kLogicalMin1, 0x00, kLogicalMax1, 0x03,
              kReportSize, 0x08, kReportCount, 0x01, kInput, kDataArrayAbs, kEndCollection});
    return c;
}

CollectionLayout VendorFillerCollection(uint8_t reportId, uint16_t usage) {
    CollectionLayout c = Begin(0xFF00, usage, CollectionRole::Filler, reportId);
    ByteFields(c.descriptor, kInput, 7);
    c.descriptor.push_back(kEndCollection);
    return c;
}

}  // namespace q840::sim
