// gadget-device: one simulated device behind the gadget-side nodes of a USB gadget.
//
//   gadget-device descriptors DEVICE FOLDER
//       writes FOLDER/if0.bin, if1.bin, ... (one report descriptor per USB interface, in order)
//       and prints "VID PID" for gadget-up
//   gadget-device serve DEVICE STATE_FILE HIDG0 HIDG1 [--stall] [--no-reply] [--cut-after N]
//       answers the host's command reports on the command interface's node and forwards the
//       device's event reports to the event interface's node, until SIGTERM. The device's state
//       is loaded from STATE_FILE when it exists and written there after every command.
//       --stall      never reads the command node (the host's writes back up in the kernel)
//       --no-reply   reads every command and answers none
//       --cut-after N  after the N-th command answers nothing more and creates STATE_FILE.cut,
//                    so that the job can unplug the gadget at that moment
//
// DEVICE: cable, receiver (the mouse reachable), receiver-asleep, pad. The headset's only
// interface is number 3, which a gadget of one function cannot give, so it is not offered.
// Reports cross the gadget nodes as the host sees them: report ID first.

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <atomic>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "core/sim/DemoDevices.h"
#include "core/sim/SimState.h"
#include "core/sim/VirtualBus.h"
#include "core/sim/VirtualHidDevice.h"

using namespace q840;

namespace {

std::atomic<bool> g_stop{false};

void OnSignal(int) { g_stop = true; }

struct Choice {
    const char* channel = nullptr;
    bool asleep = false;
};

bool Choose(const std::string& name, Choice& choice) {
    if (name == "cable") {
        choice.channel = sim::kCableChannel;
    } else if (name == "receiver") {
        choice.channel = sim::kReceiverChannel;
    } else if (name == "receiver-asleep") {
        choice.channel = sim::kReceiverChannel;
        choice.asleep = true;
    } else if (name == "pad") {
        choice.channel = sim::kPadChannel;
    } else {
        return false;
    }
    return true;
}

// The demo bus with only the chosen device plugged, or the state file's devices.
std::shared_ptr<sim::VirtualBus> MakeBus(const Choice& choice, const std::string& stateFile) {
    sim::DemoOptions options;
    options.cable = options.receiver = options.mousePad = options.headset = false;
    auto bus = sim::MakeDemoBus(options);
    if (!stateFile.empty()) {
        std::ifstream probe(stateFile);
        if (probe && !sim::LoadState(*bus, stateFile)) {
            std::fprintf(stderr, "gadget-device: cannot read %s\n", stateFile.c_str());
        }
    }
    for (const auto& d : bus->Devices()) {
        bus->Unplug(d);
    }
    if (auto device = bus->Find(choice.channel)) {
        bus->Plug(device);
        if (choice.asleep) {
            device->Peripheral()->SetAsleep(true);
        }
    }
    return bus;
}

int Descriptors(const Choice& choice, const std::string& folder) {
    auto bus = MakeBus(choice, "");
    auto device = bus->Find(choice.channel);
    if (!device) {
        return 1;
    }
    for (size_t i = 0;; ++i) {
        bool exists = false;
        for (const auto& c : device->Collections()) {
            exists = exists || c.interfaceIndex == i;
        }
        if (!exists) {
            break;
        }
        const auto& bytes = device->InterfaceDescriptor(i);
        std::ofstream out(folder + "/if" + std::to_string(i) + ".bin", std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    }
    std::printf("0x%04X 0x%04X\n", device->VendorId(), device->ProductId());
    return 0;
}

// The paths of the device's command and event collections on the simulated bus.
bool FindPaths(const sim::VirtualHidDevice& device, std::string& command, std::string& event) {
    for (size_t i = 0; i < device.Collections().size(); ++i) {
        const auto& layout = device.Collections()[i].layout;
        if (layout.role == sim::CollectionRole::Command) {
            command = device.PathOf(i);
        } else if (layout.role == sim::CollectionRole::Event) {
            event = device.PathOf(i);
        }
    }
    return !command.empty();
}

bool WriteAll(int fd, const uint8_t* bytes, size_t length) {
    while (length > 0 && !g_stop) {
        const ssize_t n = ::write(fd, bytes, length);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        bytes += n;
        length -= size_t(n);
    }
    return true;
}

int Serve(const Choice& choice, const std::string& stateFile, const std::string& eventNode,
          const std::string& commandNode, bool stall, bool noReply, int cutAfter) {
    auto bus = MakeBus(choice, stateFile);
    auto device = bus->Find(choice.channel);
    std::string commandPath, eventPath;
    if (!device || !FindPaths(*device, commandPath, eventPath)) {
        std::fprintf(stderr, "gadget-device: no such device\n");
        return 1;
    }
    auto command = bus->Open(commandPath, true, true, false, nullptr);
    auto events = eventPath.empty() ? nullptr : bus->Open(eventPath, true, false, false, nullptr);
    const int commandFd = ::open(commandNode.c_str(), O_RDWR);
    const int eventFd = ::open(eventNode.c_str(), O_RDWR);
    if (!command || commandFd < 0 || eventFd < 0) {
        std::fprintf(stderr, "gadget-device: cannot open the nodes\n");
        return 1;
    }
    // The state file holds the device from the start, so that the simulator reads the same one.
    if (!stateFile.empty()) {
        sim::SaveState(*bus, stateFile);
    }
    std::signal(SIGTERM, OnSignal);
    std::signal(SIGINT, OnSignal);

    // The device's own events (battery, DPI changes) go out on the event interface.
    std::thread eventThread([&] {
        uint8_t report[64];
        while (events && !g_stop) {
            size_t n = 0;
            if (events->Read(report, sizeof report, &n, 100) == hid::HidIoStatus::Ok && n > 0) {
                WriteAll(eventFd, report, n);
            }
        }
    });

    int commands = 0;
    while (!g_stop) {
        if (stall) {
            ::usleep(100 * 1000);
            continue;
        }
        pollfd p{commandFd, POLLIN, 0};
        if (::poll(&p, 1, 100) <= 0) {
            continue;
        }
        uint8_t report[64] = {};
        const ssize_t n = ::read(commandFd, report, sizeof report);
        if (n <= 0) {
            continue;
        }
        ++commands;
        if (noReply || (cutAfter > 0 && commands > cutAfter)) {
            continue;
        }
        size_t written = 0;
        command->FlushQueue();
        if (command->Write(report, sizeof report, &written, 1000) != hid::HidIoStatus::Ok) {
            continue;
        }
        uint8_t reply[64] = {};
        size_t got = 0;
        if (command->Read(reply, sizeof reply, &got, 1000) == hid::HidIoStatus::Ok && got > 0) {
            WriteAll(commandFd, reply, got);
        }
        if (!stateFile.empty()) {
            sim::SaveState(*bus, stateFile);
        }
        if (cutAfter > 0 && commands == cutAfter) {
            std::ofstream(stateFile + ".cut") << commands << "\n";
        }
    }
    g_stop = true;
    eventThread.join();
    if (!stateFile.empty()) {
        sim::SaveState(*bus, stateFile);
    }
    ::close(commandFd);
    ::close(eventFd);
    return 0;
}

int Usage() {
    std::fprintf(stderr,
                 "usage: gadget-device descriptors DEVICE FOLDER\n"
                 "       gadget-device serve DEVICE STATE_FILE HIDG_EVENTS HIDG_COMMANDS "
                 "[--stall] [--no-reply] [--cut-after N]\n"
                 "DEVICE: cable, receiver, receiver-asleep, pad\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    Choice choice;
    if (args.size() < 3 || !Choose(args[1], choice)) {
        return Usage();
    }
    if (args[0] == "descriptors" && args.size() == 3) {
        return Descriptors(choice, args[2]);
    }
    if (args[0] != "serve" || args.size() < 5) {
        return Usage();
    }
    bool stall = false, noReply = false;
    int cutAfter = 0;
    for (size_t i = 5; i < args.size(); ++i) {
        if (args[i] == "--stall") {
            stall = true;
        } else if (args[i] == "--no-reply") {
            noReply = true;
        } else if (args[i] == "--cut-after" && i + 1 < args.size()) {
            cutAfter = std::atoi(args[++i].c_str());
        } else {
            return Usage();
        }
    }
    return Serve(choice, args[2], args[3], args[4], stall, noReply, cutAfter);
}
