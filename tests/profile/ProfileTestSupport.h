#pragma once

// Note for tests: fields of the packed records may be misaligned; compare them by value
// (EXPECT_EQ(+stage.dpiX, 400)), since gtest binds references to its arguments.

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "tests/support/TempDir.h"

namespace q840::test {

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
