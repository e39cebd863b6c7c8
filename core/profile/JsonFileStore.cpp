#include "core/profile/JsonFileStore.h"

#include <json/reader.h>
#include <json/writer.h>

#include <atomic>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <mutex>
#include <system_error>
#include <vector>

#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include "core/base/DebugLine.h"
#include "core/base/HexDigit.h"

// Json::Reader and Json::StyledWriter are marked deprecated in current JsonCpp, but their output
// is exactly the stored form the files have always had, so they stay.
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"

namespace q840::profile {

namespace {

// A profile is a few kilobytes; anything this large is not one of our files.
constexpr std::uintmax_t kMaxFileSize = 64u * 1024u * 1024u;

std::atomic<JsonFileStore::BeforeRenameHook> g_beforeRename{nullptr};
std::atomic<bool> g_syncToDisk{true};

void AppendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

// Four hex digits at text[pos], or -1.
int Hex4(const std::string& text, size_t pos) {
    if (pos + 4 > text.size())
        return -1;
    int v = 0;
    for (size_t i = 0; i < 4; ++i) {
        const int h = HexDigitValue(text[pos + i]);
        if (h < 0)
            return -1;
        v = v * 16 + h;
    }
    return v;
}

// JsonCpp escapes every non-ASCII character as \uXXXX; our files keep text as UTF-8 bytes.
// Puts the characters back, leaving the escapes of control characters and lone surrogates, and
// switches the line breaks to CR LF. Comments (kept from files that had them) pass unchanged.
std::string ToStoredForm(const std::string& styled) {
    std::string out;
    out.reserve(styled.size() + styled.size() / 16 + 8);
    const size_t n = styled.size();
    size_t i = 0;
    auto newline = [&out]() {
        if (out.empty() || out.back() != '\r')
            out += '\r';
        out += '\n';
    };
    while (i < n) {
        const char c = styled[i];
        if (c == '"') {
            out += c;
            ++i;
            while (i < n && styled[i] != '"') {
                if (styled[i] == '\\' && i + 1 < n) {
                    if (styled[i + 1] == 'u') {
                        const int cp = Hex4(styled, i + 2);
                        if (cp >= 0xD800 && cp <= 0xDBFF && i + 11 < n &&
                            styled.compare(i + 6, 2, "\\u") == 0) {
                            const int lo = Hex4(styled, i + 8);
                            if (lo >= 0xDC00 && lo <= 0xDFFF) {
                                AppendUtf8(out, 0x10000 + ((char32_t(cp) - 0xD800) << 10) +
                                                    (char32_t(lo) - 0xDC00));
                                i += 12;
                                continue;
                            }
                        }
                        if (cp >= 0x80 && !(cp >= 0xD800 && cp <= 0xDFFF)) {
                            AppendUtf8(out, char32_t(cp));
                            i += 6;
                            continue;
                        }
                    }
                    out += styled[i];
                    out += styled[i + 1];
                    i += 2;
                    continue;
                }
                out += styled[i++];
            }
            if (i < n) {
                out += '"';
                ++i;
            }
        } else if (c == '/' && i + 1 < n && styled[i + 1] == '/') {
            while (i < n && styled[i] != '\n')
                out += styled[i++];
        } else if (c == '/' && i + 1 < n && styled[i + 1] == '*') {
            const size_t end = styled.find("*/", i + 2);
            const size_t stop = end == std::string::npos ? n : end + 2;
            for (; i < stop; ++i) {
                if (styled[i] == '\n') {
                    newline();
                } else {
                    out += styled[i];
                }
            }
        } else if (c == '\n') {
            newline();
            ++i;
        } else {
            out += c;
            ++i;
        }
    }
    return out;
}

// The code point of the UTF-8 sequence at text[i] and its length in bytes; false for a byte
// that does not start a sequence in its shortest form, a cut sequence, a surrogate or a code
// point above U+10FFFF.
bool DecodeUtf8At(std::string_view text, size_t i, char32_t* cp, size_t* length) {
    const auto b0 = static_cast<unsigned char>(text[i]);
    if (b0 < 0x80) {
        *cp = b0;
        *length = 1;
        return true;
    }
    size_t need = 0;
    char32_t value = 0;
    char32_t min = 0;
    if ((b0 & 0xE0) == 0xC0) {
        need = 1, value = b0 & 0x1F, min = 0x80;
    } else if ((b0 & 0xF0) == 0xE0) {
        need = 2, value = b0 & 0x0F, min = 0x800;
    } else if ((b0 & 0xF8) == 0xF0) {
        need = 3, value = b0 & 0x07, min = 0x10000;
    } else {
        return false;
    }
    if (text.size() - i <= need) {
        return false;
    }
    for (size_t k = 1; k <= need; ++k) {
        const auto b = static_cast<unsigned char>(text[i + k]);
        if ((b & 0xC0) != 0x80) {
            return false;
        }
        value = (value << 6) | (b & 0x3F);
    }
    if (value < min || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) {
        return false;
    }
    *cp = value;
    *length = need + 1;
    return true;
}

// Whether text is UTF-8 without NUL characters.
bool IsNulFreeUtf8(std::string_view text) {
    size_t i = 0;
    while (i < text.size()) {
        char32_t cp = 0;
        size_t length = 0;
        if (!DecodeUtf8At(text, i, &cp, &length) || cp == 0) {
            return false;
        }
        i += length;
    }
    return true;
}

// Whether the member names of text need the walk below: only a NUL, a byte outside ASCII or a
// \u escape can make a name the writer changes. Most files hold none of these.
bool NamesNeedChecking(std::string_view text) {
    for (const char c : text) {
        if (c == '\0' || static_cast<unsigned char>(c) >= 0x80) {
            return true;
        }
    }
    return text.find("\\u") != std::string_view::npos;
}

// Calls visit on value and on every value inside it. Iterative: the reader lets nesting go as
// deep as its stack limit.
template <typename Value, typename Visit>
void VisitEach(Value& value, Visit visit) {
    std::vector<Value*> pending{&value};
    while (!pending.empty()) {
        Value& v = *pending.back();
        pending.pop_back();
        visit(v);
        if (v.isObject() || v.isArray()) {
            for (Value& child : v) {
                pending.push_back(&child);
            }
        }
    }
}

// Whether some object in value has a member name the writer would not write back as it is. The
// writer cuts names at a NUL and replaces bytes that are not UTF-8, so two members could become
// one, or change places, when the file is saved again.
bool HasUnwritableMemberName(const Json::Value& value) {
    bool found = false;
    VisitEach(value, [&found](const Json::Value& v) {
        if (v.isObject()) {
            for (auto it = v.begin(); it != v.end() && !found; ++it) {
                found = !IsNulFreeUtf8(it.name());
            }
        }
    });
    return found;
}

// The writer puts a line comment that follows a value on that value's line and takes a comment
// ending in a space for the next line's indentation: the next line would be written into the
// comment and lost. Blanks at the end of a comment say nothing, so they go.
void TrimCommentsAfterValues(Json::Value& value) {
    VisitEach(value, [](Json::Value& v) {
        if (!v.hasComment(Json::commentAfterOnSameLine)) {
            return;
        }
        std::string comment = v.getComment(Json::commentAfterOnSameLine);
        const size_t last = comment.find_last_not_of(" \t");
        if (last != std::string::npos && last + 1 < comment.size()) {
            comment.erase(last + 1);
            v.setComment(std::move(comment), Json::commentAfterOnSameLine);
        }
    });
}

// Whether a file that parsed to null says so itself ("null"), rather than failing to parse.
bool IsJsonNullText(std::string_view text) {
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back()))) {
        text.remove_suffix(1);
    }
    while (!text.empty() && (std::isspace(static_cast<unsigned char>(text.front())) ||
                             static_cast<unsigned char>(text.front()) >= 0x80)) {
        text.remove_prefix(1);  // white space and a byte-order mark
    }
    return text == "null";
}

std::string ErrorText(int code) {
    return std::system_category().message(code);
}

#ifndef _WIN32
bool WriteAll(int fd, std::string_view data) {
    size_t done = 0;
    while (done < data.size()) {
        const ssize_t w = ::write(fd, data.data() + done, data.size() - done);
        if (w < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        done += static_cast<size_t>(w);
    }
    return true;
}
#endif

std::filesystem::path TemporaryPathFor(const std::filesystem::path& target) {
    static std::atomic<unsigned> counter{0};
#ifndef _WIN32
    const long pid = static_cast<long>(::getpid());
#else
    const long pid = 0;
#endif
    std::filesystem::path tmp = target;
    tmp += ".~" + std::to_string(pid) + "_" + std::to_string(counter.fetch_add(1)) + ".tmp";
    return tmp;
}

}  // namespace

namespace {

// A block comment that runs to the end of the text: the reader keeps it as a comment, but the
// stored form ends the text with line breaks the next read would take into it, so what is saved
// would not read back the same. Such text is not a file of ours.
bool HasUnterminatedBlockComment(std::string_view text) {
    bool inString = false;
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (inString) {
            if (c == '\\') {
                ++i;
            } else if (c == '"') {
                inString = false;
            }
            continue;
        }
        if (c == '"') {
            inString = true;
        } else if (c == '/' && i + 1 < text.size() && text[i + 1] == '/') {
            // The reader ends a line comment at a CR as well as at an LF.
            const size_t end = text.find_first_of("\r\n", i);
            if (end == std::string_view::npos) {
                return false;
            }
            i = end;
        } else if (c == '/' && i + 1 < text.size() && text[i + 1] == '*') {
            const size_t end = text.find("*/", i + 2);
            if (end == std::string_view::npos) {
                return true;
            }
            i = end + 1;
        }
    }
    return false;
}

}  // namespace

Json::Value JsonFileStore::ParseText(std::string_view text) {
    if (text.size() >= 3 && static_cast<unsigned char>(text[0]) == 0xEF &&
        static_cast<unsigned char>(text[1]) == 0xBB &&
        static_cast<unsigned char>(text[2]) == 0xBF) {
        text.remove_prefix(3);
    }
    if (text.empty()) {
        return Json::Value();
    }
    if (text.find("/*") != std::string_view::npos && HasUnterminatedBlockComment(text)) {
        return Json::Value();
    }
    Json::Value root;
    try {
        Json::Reader reader(Json::Features::all());
        if (!reader.parse(text.data(), text.data() + text.size(), root, true)) {
            return Json::Value();
        }
    } catch (const std::exception&) {
        // The reader throws on nesting deeper than its stack limit.
        return Json::Value();
    }
    // Our keys are plain text; a file whose member names could not be saved again as they are
    // is not one of ours.
    if (NamesNeedChecking(text) && HasUnwritableMemberName(root)) {
        return Json::Value();
    }
    if (text.find("//") != std::string_view::npos) {
        TrimCommentsAfterValues(root);
    }
    return root;
}

Json::Value JsonFileStore::ReadJsonFile(const std::filesystem::path& path) const {
    return ReadJsonFile(path, nullptr);
}

Json::Value JsonFileStore::ReadJsonFile(const std::filesystem::path& path,
                                        ReadStatus* status) const {
    ReadStatus result = ReadStatus::Unreadable;
    std::string text;
    // Only regular files: opening a FIFO or a device chosen by mistake could block for ever.
    std::error_code ec;
    const auto type = std::filesystem::status(path, ec).type();
    const bool regular = type == std::filesystem::file_type::regular;
    if (type == std::filesystem::file_type::not_found || path.empty()) {
        result = ReadStatus::Missing;
    }
    errno = 0;
#ifndef _WIN32
    std::FILE* file = regular ? std::fopen(path.c_str(), "rb") : nullptr;
#else
    std::FILE* file = regular ? _wfopen(path.c_str(), L"rb") : nullptr;
#endif
    if (!regular && errno == 0) {
        errno = ec ? ec.value() : ENOENT;
    }
    DebugLine("readjsonFile 错误吗：：%d\n", file ? 0 : errno);
    if (file) {
        long size = -1;
        if (std::fseek(file, 0, SEEK_END) == 0) {
            size = std::ftell(file);
        }
        if (size == 0) {
            result = ReadStatus::Empty;
        } else if (size > 0 && static_cast<std::uintmax_t>(size) <= kMaxFileSize &&
                   std::fseek(file, 0, SEEK_SET) == 0) {
            text.resize(static_cast<size_t>(size));
            const size_t got = std::fread(text.data(), 1, text.size(), file);
            if (got != text.size()) {
                text.clear();  // a short read is as good as no file
            }
        }
        std::fclose(file);
    }
    Json::Value root;
    if (text.empty()) {
        OutputDebugLine(path.string());
    } else {
        root = ParseText(text);
        result = root.isNull() && !IsJsonNullText(text) ? ReadStatus::Malformed : ReadStatus::Ok;
    }
    if (status) {
        *status = result;
    }
    return root;
}

std::string JsonFileStore::StoredText(const Json::Value& value) {
    Json::StyledWriter writer;
    std::string styled = writer.write(value);
    styled += '\n';
    return ToStoredForm(styled);
}

int JsonFileStore::WriteJsonFile(const std::filesystem::path& path,
                                 const Json::Value& value) const {
    return WriteFileBytes(path, StoredText(value));
}

int JsonFileStore::WriteFileBytes(const std::filesystem::path& path, std::string_view data) const {
    if (path.empty()) {
        return -1;
    }
    const std::filesystem::path tmp = TemporaryPathFor(path);
    bool ok = false;
#ifndef _WIN32
    mode_t mode = 0666;
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0) {
        mode = st.st_mode & 07777;
    }
    const int fd = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
    if (fd >= 0) {
        ok = WriteAll(fd, data) && (!g_syncToDisk.load() || ::fsync(fd) == 0);
        ok = (::close(fd) == 0) && ok;
    }
#else
    {
        std::ofstream out(tmp, std::ios::binary | std::ios::trunc);
        out.write(data.data(), static_cast<std::streamsize>(data.size()));
        out.flush();
        ok = static_cast<bool>(out);
    }
#endif
    if (ok) {
        const BeforeRenameHook hook = g_beforeRename.load();
        if (hook && !hook(tmp, path)) {
            // Simulated crash: the temporary file stays behind, as it would after a real one.
            DebugLine("WriteJsonFile: interrupted before replacing %s", path.string().c_str());
            return -1;
        }
        std::error_code ec;
        std::filesystem::rename(tmp, path, ec);
        if (!ec) {
            return 0;
        }
        DebugLine("WriteJsonFile: cannot replace %s: %s", path.string().c_str(),
                  ec.message().c_str());
    } else {
        DebugLine("WriteJsonFile: cannot write %s: %s", tmp.string().c_str(),
                  ErrorText(errno).c_str());
    }
    std::error_code ignored;
    std::filesystem::remove(tmp, ignored);
    return -1;
}

void JsonFileStore::SetBeforeRenameHook(BeforeRenameHook hook) {
    g_beforeRename.store(hook);
}

void JsonFileStore::SetSyncToDisk(bool sync) {
    g_syncToDisk.store(sync);
}

std::string JsonFileStore::FormatTimestampId(const std::tm& t, int millisecond) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%d_%02d_%02d_%02d_%02d_%02d_%03d", t.tm_year + 1900,
                  t.tm_mon + 1, t.tm_mday, t.tm_hour, t.tm_min, t.tm_sec, millisecond);
    return buf;
}

std::string JsonFileStore::MakeTimestampId() {
    static std::mutex mutex;
    static int64_t lastMs = 0;
    using namespace std::chrono;
    int64_t ms = duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
    {
        std::lock_guard lock(mutex);
        if (ms <= lastMs) {
            ms = lastMs + 1;
        }
        lastMs = ms;
    }
    const std::time_t seconds = static_cast<std::time_t>(ms / 1000);
    std::tm local{};
#ifndef _WIN32
    localtime_r(&seconds, &local);
#else
    localtime_s(&local, &seconds);
#endif
    return FormatTimestampId(local, static_cast<int>(ms % 1000));
}

bool IsSafeFileStem(std::string_view name) {
    if (name.empty() || name == "." || name == "..") {
        return false;
    }
    if (name.find("..") != std::string_view::npos) {
        return false;
    }
    for (const char c : name) {
        const auto u = static_cast<unsigned char>(c);
        if (u < 0x20 || u == 0x7F || std::strchr("/\\:*?\"<>|", c) != nullptr) {
            return false;
        }
    }
    // Profiles move between machines: names that are devices on Windows are refused everywhere.
    std::string upper;
    for (const char c : name.substr(0, name.find('.'))) {
        upper += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    while (!upper.empty() && upper.back() == ' ') {
        upper.pop_back();
    }
    static const char* const kDevices[] = {"CON", "PRN", "AUX", "NUL"};
    for (const char* device : kDevices) {
        if (upper == device) {
            return false;
        }
    }
    if (upper.size() == 4 && (upper.compare(0, 3, "COM") == 0 || upper.compare(0, 3, "LPT") == 0) &&
        upper[3] >= '1' && upper[3] <= '9') {
        return false;
    }
    return true;
}

std::wstring Utf8ToWide(std::string_view s) {
    std::wstring out;
    out.reserve(s.size());
    size_t i = 0;
    while (i < s.size()) {
        char32_t cp = 0;
        size_t len = 0;
        if (!DecodeUtf8At(s, i, &cp, &len)) {
            cp = 0xFFFD;
            len = 1;
        }
        if constexpr (sizeof(wchar_t) == 2) {
            if (cp >= 0x10000) {
                cp -= 0x10000;
                out += static_cast<wchar_t>(0xD800 + (cp >> 10));
                out += static_cast<wchar_t>(0xDC00 + (cp & 0x3FF));
            } else {
                out += static_cast<wchar_t>(cp);
            }
        } else {
            out += static_cast<wchar_t>(cp);
        }
        i += len;
    }
    return out;
}

std::string WideToUtf8(std::wstring_view w) {
    std::string out;
    out.reserve(w.size());
    for (size_t i = 0; i < w.size(); ++i) {
        char32_t cp = static_cast<char32_t>(w[i]);
        if constexpr (sizeof(wchar_t) == 2) {
            if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < w.size() &&
                static_cast<char32_t>(w[i + 1]) >= 0xDC00 &&
                static_cast<char32_t>(w[i + 1]) <= 0xDFFF) {
                cp = 0x10000 + ((cp - 0xD800) << 10) + (static_cast<char32_t>(w[i + 1]) - 0xDC00);
                ++i;
            }
        }
        if ((cp >= 0xD800 && cp <= 0xDFFF) || cp > 0x10FFFF) {
            cp = 0xFFFD;
        }
        AppendUtf8(out, cp);
    }
    return out;
}

}  // namespace q840::profile
