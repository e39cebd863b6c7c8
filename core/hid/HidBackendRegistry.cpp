#include <mutex>

#include "core/hid/HidBackend.h"
#include "core/hid/HidrawBackend.h"

namespace q840::hid {

namespace {

std::mutex g_backendMutex;
std::shared_ptr<IHidBackend> g_backend;

}  // namespace

void SetHidBackend(std::shared_ptr<IHidBackend> backend) {
    std::lock_guard<std::mutex> lock(g_backendMutex);
    g_backend = std::move(backend);
}

std::shared_ptr<IHidBackend> GetHidBackend() {
    std::lock_guard<std::mutex> lock(g_backendMutex);
    if (!g_backend) {
        // Nobody chose one (or a test put null back): the real bus.
        g_backend = CreateHidrawBackend();
    }
    return g_backend;
}

}  // namespace q840::hid
