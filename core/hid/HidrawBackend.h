#pragma once

// The Linux HID backend over hidraw.
//
// Interfaces are found under <sysfs>/class/hidraw/hidrawN: the HID device folder behind the
// "device" link gives the vendor and product IDs (its uevent's HID_ID line, or the USB device's
// idVendor/idProduct two levels up) and the report descriptor; its parent, the USB interface
// folder, gives bInterfaceNumber. Each top-level collection of the descriptor is one path:
//   <dev>/hidraw3#vid_320f&pid_226e&mi_01          (one collection)
//   <dev>/hidraw3#vid_320f&pid_226e&mi_01&col02    (several; 01-based)
// so the catalogue can read the numbers from the path as it would on Windows.
//
// Reads wait with poll() on the node and on an eventfd that stands for the cancel event, keep
// only reports of the opened collection's own report IDs and hand them over in the Windows form
// (report ID first, 0 without IDs, zero-padded to the collection's input report length).
// Writes run on a thread of their own (HidrawWriter.h) because the kernel's write blocks.

#include <unistd.h>

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "core/hid/HidBackend.h"
#include "core/hid/HidrawWriter.h"

namespace q840::hid {

// What sysfs says about one hidraw node.
struct HidrawNodeInfo {
    std::string name;  // "hidraw3"
    uint16_t vendorId = 0;
    uint16_t productId = 0;
    uint16_t versionNumber = 0;
    bool hasInterfaceNumber = false;  // false for nodes that are not on USB
    uint32_t interfaceNumber = 0;
    bool descriptorRead = false;
    std::vector<uint8_t> reportDescriptor;
};

class CHidrawBackend : public IHidBackend {
public:
    // sysfsRoot and devRoot are "/sys" and "/dev" on a real system; tests point them at a
    // fake tree in a temporary folder.
    explicit CHidrawBackend(std::string sysfsRoot = "/sys", std::string devRoot = "/dev");

    bool Enumerate(std::vector<std::string>& paths) override;
    std::unique_ptr<IHidConnection> Open(const std::string& path, bool readAccess, bool writeAccess,
                                         bool exclusive, std::string* errorText) override;

    // The write system call of connections opened from now on; tests stand in for the kernel.
    void SetWriteCall(HidrawWriteCall call) { m_writeCall = call; }

    // Reads sysfs for one node ("hidraw3"); false when the node is not there.
    bool ReadNodeInfo(const std::string& name, HidrawNodeInfo* info) const;

private:
    // The paths of one node as last enumerated. The kernel names each HID device folder with a
    // sequence number of its own ("0003:320F:226E.0005"), so while a node's link still resolves
    // to the same folder nothing about it has changed and the scan (every 100 ms) need not read
    // and parse its files again.
    struct CachedNode {
        std::string hidDir;
        std::vector<std::string> paths;
    };

    // Paths of one node, from the cache when its device folder is unchanged. False when the
    // node is not there.
    bool NodePaths(const std::string& name, std::vector<std::string>* paths);

    std::string m_sysfsRoot;
    std::string m_devRoot;
    HidrawWriteCall m_writeCall = &::write;
    std::mutex m_cacheMutex;
    std::map<std::string, CachedNode> m_cache;
    // The last open failure written per path, so a repeated failure is not written again.
    std::map<std::string, std::string> m_lastFailure;
};

std::shared_ptr<IHidBackend> CreateHidrawBackend(const std::string& sysfsRoot = "/sys",
                                                 const std::string& devRoot = "/dev");

// The parsers of what sysfs hands over. A hexadecimal number as in idVendor ("320f\n"); false
// when the text does not start with one or it does not fit in 32 bits.
bool ParseHexText(const std::string& text, uint32_t* value);
// The IDs of a HID device's uevent text: "HID_ID=0003:0000320F:0000226E" gives vendor 0x320F and
// product 0x226E. False when there is no HID_ID line or the first one is malformed.
bool ParseUeventHidId(const std::string& uevent, uint16_t* vendor, uint16_t* product);

// Builds the path of collection `collection` (0-based) of `collectionCount` on a node.
std::string MakeHidrawPath(const std::string& devNode, const HidrawNodeInfo& info, int collection,
                           int collectionCount);

}  // namespace q840::hid
