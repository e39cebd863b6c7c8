// Fuzz target: arbitrary bytes as what sysfs and a device hand over when interfaces are found and
// opened: a HID device's uevent text, its report descriptor and the input reports decoded with
// it. Nothing may crash, hang or read outside the bytes given.
//
// Input: one switch byte, the uevent text up to a NUL byte, two bytes (little-endian) giving the
// descriptor's length, the descriptor, then input reports (each one length byte and its bytes).
// The parsers are called directly, then the same files go into a fake sysfs tree that the hidraw
// backend enumerates, and the descriptor backs an opened device that decodes the reports.
//
// Built with clang and -DQ840_LIBFUZZER=ON this is a libFuzzer target; otherwise
// tests/support/FuzzDriver.cpp runs it over the seed corpus and fixed mutations under CTest.

#include <unistd.h>
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "core/hid/CHidDevice.h"
#include "core/hid/HidReportDescriptor.h"
#include "core/hid/HidrawBackend.h"
#include "hid/FakeHidBackend.h"
#include "tests/support/FuzzWorkDir.h"

using namespace q840::hid;
namespace fs = std::filesystem;

namespace {

const std::filesystem::path& WorkDir() { return q840::test::FuzzWorkDir(); }

void WriteFile(const fs::path& p, const std::string& bytes) {
    std::ofstream out(p, std::ios::binary | std::ios::trunc);
    out << bytes;
}

// The tree of one node, hidraw0, made once; its files are rewritten for every input.
struct SysfsTree {
    fs::path sys;
    fs::path dev;
    fs::path usbDir;
    fs::path ifDir;
    fs::path hidDir;

    SysfsTree() {
        sys = WorkDir() / "sys";
        dev = WorkDir() / "dev";
        usbDir = sys / "devices/usb1/1-1";
        ifDir = usbDir / "1-1:1.1";
        hidDir = ifDir / "0003:320F:226E.0001";
        fs::create_directories(hidDir);
        fs::create_directories(sys / "class/hidraw/hidraw0");
        fs::create_directories(dev);
        fs::create_symlink(hidDir, sys / "class/hidraw/hidraw0/device");
    }
};

void Decode(CHidDevice& device, const std::vector<std::vector<uint8_t>>& reports) {
    for (const auto& report : reports) {
        device.UnpackInputReport(report.data(), report.size());
        // The same report padded to the collection's length, as hidraw hands it over.
        std::vector<uint8_t> padded = report;
        padded.resize(std::max<size_t>(padded.size(), device.GetCaps().inputReportByteLength));
        if (!padded.empty()) {
            device.UnpackInputReport(padded.data(), padded.size());
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) {
        return 0;
    }
    const uint8_t switches = data[0];
    size_t pos = 1;
    std::string uevent;
    while (pos < size && data[pos] != 0) {
        uevent += static_cast<char>(data[pos++]);
    }
    ++pos;  // the NUL
    size_t descriptorLength = 0;
    if (pos + 2 <= size) {
        descriptorLength = data[pos] | (data[pos + 1] << 8);
        pos += 2;
    }
    descriptorLength = std::min(descriptorLength, pos < size ? size - pos : 0);
    const std::vector<uint8_t> descriptor(data + std::min(pos, size),
                                          data + std::min(pos, size) + descriptorLength);
    pos += descriptorLength;
    std::vector<std::vector<uint8_t>> reports;
    while (pos < size) {
        const size_t length = data[pos];
        ++pos;
        const size_t n = std::min(length, size - pos);
        reports.emplace_back(data + pos, data + pos + n);
        pos += n;
    }

    // The parsers alone.
    uint16_t vendor = 0;
    uint16_t product = 0;
    ParseUeventHidId(uevent, &vendor, &product);
    uint32_t value = 0;
    ParseHexText(uevent, &value);
    HidReportDescriptor parsed;
    std::string why;
    if (ParseReportDescriptor(descriptor, &parsed, &why)) {
        for (const HidCollectionInfo& c : parsed.collections) {
            for (int k = 0; k < kHidReportKindCount; ++k) {
                for (const auto& report : reports) {
                    for (const HidFieldCaps& caps : c.buttonCaps[k]) {
                        std::vector<uint16_t> pressed;
                        GetPressedUsages(caps, report.data(), report.size(), &pressed);
                    }
                    for (const HidFieldCaps& caps : c.valueCaps[k]) {
                        for (int i = 0; i < std::min<int>(caps.reportCount, 64); ++i) {
                            uint32_t raw = 0;
                            if (GetFieldValue(caps, i, report.data(), report.size(), &raw)) {
                                ScaleFieldValue(caps, raw);
                                SignExtendBits(raw, caps.bitSize);
                            }
                        }
                    }
                }
            }
        }
    }

    // The same bytes as sysfs files, found by the hidraw backend.
    static SysfsTree tree;
    WriteFile(tree.hidDir / "uevent", uevent);
    WriteFile(tree.hidDir / "report_descriptor",
              std::string(descriptor.begin(), descriptor.end()));
    const char* const interfaceTexts[] = {"01\n", "0\n", "zz\n", "ffffffffff\n"};
    WriteFile(tree.ifDir / "bInterfaceNumber", interfaceTexts[switches & 3]);
    WriteFile(tree.usbDir / "idVendor", (switches & 4) ? uevent : std::string("320f\n"));
    WriteFile(tree.usbDir / "idProduct", "226e\n");
    WriteFile(tree.usbDir / "bcdDevice", (switches & 8) ? uevent : std::string("0102\n"));
    auto backend = CreateHidrawBackend(tree.sys.string(), tree.dev.string());
    std::vector<std::string> paths;
    backend->Enumerate(paths);
    for (const std::string& path : paths) {
        ParseInterfaceNumber(path);
        ParseCollectionNumber(path);
        std::string error;
        // No node in the fake /dev: the open fails after the descriptor has been read again.
        backend->Open(path, false, false, false, &error);
    }

    // The descriptor behind an opened device, decoding the reports, one collection at a time.
    auto fake = std::make_shared<test::FakeHidBackend>();
    const int collections = std::max<int>(1, std::min<int>(parsed.collections.size(), 8));
    for (int c = 0; c < collections; ++c) {
        const std::string path =
            "fake:vid_320f&pid_226e&mi_01&col0" + std::to_string(c + 1);
        fake->Add(path, vendor, product, descriptor, c);
    }
    SetHidBackend(fake);
    for (int c = 0; c < collections; ++c) {
        CHidDevice device;
        if (device.Open("fake:vid_320f&pid_226e&mi_01&col0" + std::to_string(c + 1), true, true,
                        true, false)) {
            Decode(device, reports);
            (void)device.GetInputDataItems();
        }
    }
    SetHidBackend(nullptr);
    return 0;
}
