// gadget-device: one simulated device behind the gadget-side nodes of a USB gadget.
//
//   gadget-device descriptors DEVICE FOLDER
//       writes FOLDER/if0.bin, if1.bin, ... (one report descriptor per USB interface number, in
//       order) and prints "VID PID" for gadget-up. An interface number the device does not use
//       below its highest one gets a small vendor-page filler, so that the device's own
//       interfaces keep their numbers (the headset's only interface is number 3).
//   gadget-device serve DEVICE STATE_FILE HIDG0 HIDG1 ... [options]
//       answers the host's command reports on the command interface's node and forwards the
//       device's event reports to the event interface's node, until SIGTERM. The nodes are those
//       gadget-up printed, one per interface number. The device's state is loaded from
//       STATE_FILE when it exists and written there after every command.
//       --stall        never reads the command node (the host's writes back up in the kernel)
//       --no-reply     reads every command and answers none
//       --cut-after N  after the N-th command answers nothing more and creates STATE_FILE.cut,
//                      so that the job can unplug the gadget at that moment
//       --cut-at CODE  the same from the first command with that code on: it and every later
//                      command reach nothing (0x06: a settings write is cut before its data)
//       --log FILE     appends one line per command: its code and the code the reply echoes
//                      (the receiver echoes 0xaa for a mouse that is asleep), "-" unanswered
//       --control FILE takes orders from FILE whenever it appears (write it elsewhere and
//                      rename it), one per line, and removes it once they are carried out (the
//                      next file after that):
//                        asleep 0|1        the mouse behind the receiver wakes or falls asleep
//                        event CODE        the device sends that event code
//                        stage P S         the mouse's buttons chose profile P, DPI stage S
//                        set ADDR BYTE     a byte of the settings area changes on the device
//
// DEVICE: cable, receiver (the mouse reachable), receiver-asleep, pad, headset.
// Reports cross the gadget nodes as the host sees them: report ID first.

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <mutex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "core/sim/DemoDevices.h"
#include "core/sim/ReportDescriptors.h"
#include "core/sim/SimState.h"
#include "core/sim/VirtualBus.h"
#include "core/sim/VirtualHidDevice.h"

using namespace q840;

namespace {

std::atomic<bool> g_stop{false};

void OnSignal(int) {
    g_stop = true;
}

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
    } else if (name == "headset") {
        choice.channel = sim::kHeadsetChannel;
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

// The highest USB interface number of the device, -1 without any.
int HighestInterface(const sim::VirtualHidDevice& device) {
    int highest = -1;
    for (const auto& c : device.Collections()) {
        highest = std::max(highest, int(device.InterfaceNumber(c.interfaceIndex)));
    }
    return highest;
}

int Descriptors(const Choice& choice, const std::string& folder) {
    auto bus = MakeBus(choice, "");
    auto device = bus->Find(choice.channel);
    if (!device) {
        return 1;
    }
    const int highest = HighestInterface(*device);
    for (int number = 0; number <= highest; ++number) {
        std::vector<uint8_t> bytes =
            sim::VendorFillerCollection(1, uint16_t(0x10 + number)).descriptor;
        for (const auto& c : device->Collections()) {
            if (device->InterfaceNumber(c.interfaceIndex) == number) {
                bytes = device->InterfaceDescriptor(c.interfaceIndex);
                break;
            }
        }
        std::ofstream out(folder + "/if" + std::to_string(number) + ".bin", std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    }
    std::printf("0x%04X 0x%04X\n", device->VendorId(), device->ProductId());
    return 0;
}

// The device's command and event collections: their paths on the simulated bus and the USB
// interface numbers that carry them.
struct Endpoints {
    std::string commandPath, eventPath;
    int commandInterface = -1, eventInterface = -1;
};

bool FindEndpoints(const sim::VirtualHidDevice& device, Endpoints& e) {
    for (size_t i = 0; i < device.Collections().size(); ++i) {
        const auto& c = device.Collections()[i];
        if (c.layout.role == sim::CollectionRole::Command) {
            e.commandPath = device.PathOf(i);
            e.commandInterface = device.InterfaceNumber(c.interfaceIndex);
        } else if (c.layout.role == sim::CollectionRole::Event) {
            e.eventPath = device.PathOf(i);
            e.eventInterface = device.InterfaceNumber(c.interfaceIndex);
        }
    }
    return !e.commandPath.empty();
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

struct ServeOptions {
    bool stall = false;
    bool noReply = false;
    int cutAfter = 0;
    int cutAt = -1;  // a command code, -1 none
    std::string log;
    std::string control;
};

// Carries out the orders of one control file; false for an order it does not know.
bool RunOrders(const std::string& text, sim::VirtualPeripheral& peripheral) {
    std::istringstream lines(text);
    std::string line;
    bool ok = true;
    while (std::getline(lines, line)) {
        std::istringstream words(line);
        std::string order;
        if (!(words >> order)) {
            continue;
        }
        std::string a, b;
        words >> a >> b;
        const long x = std::strtol(a.c_str(), nullptr, 0);
        const long y = std::strtol(b.c_str(), nullptr, 0);
        if (order == "asleep" && !a.empty()) {
            peripheral.SetAsleep(x != 0);
        } else if (order == "event" && !a.empty()) {
            peripheral.RaiseEvent(uint16_t(x));
        } else if (order == "stage" && !b.empty()) {
            peripheral.SwitchProfileAndDpiStage(uint8_t(x), uint8_t(y));
        } else if (order == "set" && !b.empty()) {
            std::vector<uint8_t> settings = peripheral.Settings();
            if (x < 0 || size_t(x) >= settings.size()) {
                ok = false;
                continue;
            }
            settings[size_t(x)] = uint8_t(y);
            peripheral.SetSettings(settings);
        } else {
            ok = false;
        }
    }
    return ok;
}

int Serve(const Choice& choice, const std::string& stateFile, const std::vector<std::string>& nodes,
          const ServeOptions& o) {
    auto bus = MakeBus(choice, stateFile);
    auto device = bus->Find(choice.channel);
    Endpoints e;
    if (!device || !FindEndpoints(*device, e) || size_t(e.commandInterface) >= nodes.size() ||
        (e.eventInterface >= 0 && size_t(e.eventInterface) >= nodes.size())) {
        std::fprintf(stderr, "gadget-device: no such device, or too few nodes\n");
        return 1;
    }
    auto command = bus->Open(e.commandPath, true, true, false, nullptr);
    auto events =
        e.eventPath.empty() ? nullptr : bus->Open(e.eventPath, true, false, false, nullptr);
    const int commandFd = ::open(nodes[size_t(e.commandInterface)].c_str(), O_RDWR);
    const int eventFd =
        e.eventInterface < 0 ? -1 : ::open(nodes[size_t(e.eventInterface)].c_str(), O_RDWR);
    if (!command || commandFd < 0 || (events && eventFd < 0)) {
        std::fprintf(stderr, "gadget-device: cannot open the nodes\n");
        return 1;
    }
    // The model and the state file are shared by the command loop and the control thread.
    std::mutex stateMutex;
    auto save = [&] {
        if (!stateFile.empty()) {
            std::lock_guard<std::mutex> lock(stateMutex);
            sim::SaveState(*bus, stateFile);
        }
    };
    // The state file holds the device from the start, so that the simulator reads the same one.
    save();
    std::signal(SIGTERM, OnSignal);
    std::signal(SIGINT, OnSignal);

    // The device's own events (settings changed, profile and DPI stage chosen by its buttons) go
    // out on the event interface.
    std::thread eventThread([&] {
        uint8_t report[64];
        while (events && !g_stop) {
            size_t n = 0;
            if (events->Read(report, sizeof report, &n, 100) == hid::HidIoStatus::Ok && n > 0) {
                WriteAll(eventFd, report, n);
            }
        }
    });

    // Orders from the job: what the mouse does by itself (falls asleep, wakes, sends events).
    std::thread controlThread([&] {
        while (!o.control.empty() && !g_stop) {
            std::ifstream in(o.control);
            if (!in) {
                std::this_thread::sleep_for(std::chrono::milliseconds(20));
                continue;
            }
            std::stringstream text;
            text << in.rdbuf();
            in.close();
            if (!RunOrders(text.str(), *device->Peripheral())) {
                std::fprintf(stderr, "gadget-device: unknown order in %s\n", o.control.c_str());
            }
            save();
            std::remove(o.control.c_str());
        }
    });

    std::ofstream log;
    if (!o.log.empty()) {
        log.open(o.log, std::ios::app);
    }
    auto note = [&](const uint8_t* cmd, const uint8_t* reply) {
        if (log.is_open()) {
            char line[16];
            if (reply) {
                std::snprintf(line, sizeof line, "%02x %02x\n", cmd[3], reply[3]);
            } else {
                std::snprintf(line, sizeof line, "%02x -\n", cmd[3]);
            }
            log << line << std::flush;
        }
    };

    int commands = 0;
    bool cut = false;
    while (!g_stop) {
        if (o.stall) {
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
        if (!cut && o.cutAt >= 0 && report[3] == o.cutAt) {
            cut = true;
            std::ofstream(stateFile + ".cut") << commands << "\n";
        }
        if (o.noReply || cut || report[0] != sim::kCommandReportId) {
            // Reports other than commands (the headset's LED frames) go to the model unanswered.
            if (!o.noReply && !cut) {
                size_t written = 0;
                command->Write(report, size_t(n), &written, 1000);
            }
            note(report, nullptr);
            continue;
        }
        size_t written = 0;
        command->FlushQueue();
        if (command->Write(report, sizeof report, &written, 1000) != hid::HidIoStatus::Ok) {
            note(report, nullptr);
            continue;
        }
        uint8_t reply[64] = {};
        size_t got = 0;
        if (command->Read(reply, sizeof reply, &got, 1000) == hid::HidIoStatus::Ok && got > 0) {
            WriteAll(commandFd, reply, got);
            note(report, reply);
        } else {
            note(report, nullptr);
        }
        save();
        if (o.cutAfter > 0 && commands == o.cutAfter) {
            cut = true;
            std::ofstream(stateFile + ".cut") << commands << "\n";
        }
    }
    g_stop = true;
    eventThread.join();
    controlThread.join();
    save();
    ::close(commandFd);
    if (eventFd >= 0) {
        ::close(eventFd);
    }
    return 0;
}

int Usage() {
    std::fprintf(stderr,
                 "usage: gadget-device descriptors DEVICE FOLDER\n"
                 "       gadget-device serve DEVICE STATE_FILE HIDG0 HIDG1 ... [--stall] "
                 "[--no-reply] [--cut-after N] [--cut-at CODE] [--log FILE] [--control FILE]\n"
                 "DEVICE: cable, receiver, receiver-asleep, pad, headset\n");
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
    if (args[0] != "serve" || args.size() < 4) {
        return Usage();
    }
    std::vector<std::string> nodes;
    size_t i = 3;
    for (; i < args.size() && args[i].rfind("--", 0) != 0; ++i) {
        nodes.push_back(args[i]);
    }
    ServeOptions o;
    for (; i < args.size(); ++i) {
        const bool hasValue = i + 1 < args.size();
        if (args[i] == "--stall") {
            o.stall = true;
        } else if (args[i] == "--no-reply") {
            o.noReply = true;
        } else if (args[i] == "--cut-after" && hasValue) {
            o.cutAfter = std::atoi(args[++i].c_str());
        } else if (args[i] == "--cut-at" && hasValue) {
            o.cutAt = int(std::strtol(args[++i].c_str(), nullptr, 0));
        } else if (args[i] == "--log" && hasValue) {
            o.log = args[++i];
        } else if (args[i] == "--control" && hasValue) {
            o.control = args[++i];
        } else {
            return Usage();
        }
    }
    if (nodes.empty()) {
        return Usage();
    }
    return Serve(choice, args[2], nodes, o);
}
