#pragma once

// Report descriptors of the simulated interfaces. They are real HID descriptors, so that the
// capability parser reads the same usage pages, usages and report lengths it would read from
// the hardware.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace q840::sim {

// Report IDs the simulated devices use.
constexpr uint8_t kCommandReportId = 4;  // 64-byte command and reply reports
constexpr uint8_t kEventReportId = 3;    // consumer collection: 16-bit event code
constexpr uint8_t kHeadsetLedReportId = 0xFF;
constexpr size_t kCommandReportSize = 64;  // report ID included
constexpr size_t kEventReportSize = 3;     // report ID + 16-bit code
constexpr size_t kHeadsetLedReportSize = 17;

// One top-level collection: its own descriptor bytes and what it stands for.
enum class CollectionRole { Filler, Command, Event };

struct CollectionLayout {
    uint16_t usagePage = 0;
    uint16_t usage = 0;
    CollectionRole role = CollectionRole::Filler;
    std::vector<uint8_t> descriptor;
};

// Vendor page 0xFF1C usage 0x92, report ID 4, 63 data bytes each way.
CollectionLayout CommandCollection();
// Consumer page 0x0C usage 0x01, report ID 3, one 16-bit array field carrying the event code.
CollectionLayout EventCollection();
// The headset's single collection: consumer page 0x0C usage 0x01 carrying the 64-byte command
// reports (ID 4) and the 17-byte LED output report (ID 0xFF).
CollectionLayout HeadsetCollection();
// Collections a mouse also exposes; they only make the interface look like the real one.
CollectionLayout MouseCollection(uint8_t reportId);
CollectionLayout KeyboardCollection(uint8_t reportId);
CollectionLayout SystemControlCollection(uint8_t reportId);
CollectionLayout VendorFillerCollection(uint8_t reportId, uint16_t usage);

}  // namespace q840::sim
