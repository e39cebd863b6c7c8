#pragma once

// Note for tests: fields of the packed records may be misaligned; compare them by value
// (EXPECT_EQ(+stage.dpiX, 400)), since gtest binds references to its arguments.

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace q840::test {

// A fresh folder under the system's temporary folder, removed with everything in it at the end.
class TempDir {
public:
    TempDir() {
        std::string tmpl = (std::filesystem::temp_directory_path() / "q840prof.XXXXXX").string();
        if (char* made = ::mkdtemp(tmpl.data())) {
            m_path = made;
        }
    }
    ~TempDir() {
        std::error_code ec;
        std::filesystem::remove_all(m_path, ec);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return m_path; }
    std::filesystem::path operator/(const std::string& name) const { return m_path / name; }

private:
    std::filesystem::path m_path;
};

inline std::string ReadBytes(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteBytes(const std::filesystem::path& p, const std::string& bytes) {
    std::ofstream out(p, std::ios::binary | std::ios::trunc);
    out << bytes;
}

}  // namespace q840::test

#include <json/writer.h>
#include <ostream>

// Readable failure messages for JSON values.
namespace Json {
inline void PrintTo(const Value& v, std::ostream* os) {
    *os << v.toStyledString();
}
}  // namespace Json
