#include "core/base/UserFolders.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace q840 {

const char* const kProductTitle = "Halvorn Q840-VEX GAMING MOUSE";

namespace {

std::string Environment(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}

std::string WithSlash(std::string folder) {
    if (!folder.empty() && folder.back() != '/') {
        folder += '/';
    }
    return folder;
}

bool IsFolder(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

}  // namespace

std::string DefaultUserDataFolder() {
    std::string folder = Environment("Q840_USER_DATA_DIR");
    if (folder.empty()) {
        std::string base = Environment("XDG_DATA_HOME");
        if (base.empty()) {
            const std::string home = Environment("HOME");
            if (home.empty()) {
                return {};
            }
            base = home + "/.local/share";
        }
        folder = base + '/' + kProductTitle;
    }
    return WithSlash(folder);
}

std::string ExecutableFolder() {
    const std::string fromEnv = Environment("Q840_PROGRAM_DIR");
    if (!fromEnv.empty()) {
        return WithSlash(fromEnv);
    }
    std::error_code error;
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error || self.empty()) {
        return WithSlash(std::filesystem::current_path(error).string());
    }
    return WithSlash(self.parent_path().string());
}

std::string RuntimeInstanceLockFile() {
    const std::string runtime = Environment("XDG_RUNTIME_DIR");
    if (runtime.empty() || !IsFolder(runtime)) {
        return {};
    }
    return WithSlash(runtime) + "halvorn-q840vex.lock";
}

}  // namespace q840
