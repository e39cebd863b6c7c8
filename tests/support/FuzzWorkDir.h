#pragma once

// The fuzz targets' one scratch folder: memory-backed (/dev/shm) when possible, because the file
// system's flushing on replace would otherwise dominate the run time; made once, removed at exit.

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>

namespace q840::test {

inline const std::filesystem::path& FuzzWorkDir() {
    // Never destroyed, so that the clean-up at exit can still use it.
    static const std::filesystem::path* dir = [] {
        std::error_code ec;
        const std::filesystem::path base = std::filesystem::is_directory("/dev/shm", ec)
                                               ? std::filesystem::path("/dev/shm")
                                               : std::filesystem::temp_directory_path();
        std::string tmpl = (base / "q840fuzz.XXXXXX").string();
        const char* made = ::mkdtemp(tmpl.data());
        if (!made) {
            std::perror("mkdtemp");
            std::abort();
        }
        std::atexit([] {
            std::error_code ec;
            std::filesystem::remove_all(FuzzWorkDir(), ec);
        });
        return new std::filesystem::path(made);
    }();
    return *dir;
}

}  // namespace q840::test
