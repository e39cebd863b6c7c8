#pragma once

// The tests' one temporary folder: a fresh folder under the system's temporary folder, removed
// with everything in it when the object goes. No Qt, so the core's tests use it too.

#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>

namespace q840::test {

class TempDir {
public:
    explicit TempDir(const std::string& prefix = "q840") {
        std::string tmpl = (std::filesystem::temp_directory_path() / (prefix + ".XXXXXX")).string();
        if (char* made = ::mkdtemp(tmpl.data())) {
            m_path = made;
        }
    }
    ~TempDir() {
        if (!m_path.empty()) {
            std::error_code ec;
            std::filesystem::remove_all(m_path, ec);
        }
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    // Empty when the folder could not be made.
    bool IsValid() const { return !m_path.empty(); }
    const std::filesystem::path& path() const { return m_path; }
    std::filesystem::path operator/(const std::string& name) const { return m_path / name; }

private:
    std::filesystem::path m_path;
};

}  // namespace q840::test
