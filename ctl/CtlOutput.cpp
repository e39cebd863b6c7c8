#include "ctl/CtlOutput.h"

#include <json/writer.h>

#include <cstdio>

namespace q840::ctl {

std::string Hex(unsigned value, int digits) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "0x%0*X", digits, value);
    return buffer;
}

std::string HexBytes(const uint8_t* bytes, size_t length, bool wrap) {
    std::string text;
    char buffer[4];
    for (size_t i = 0; i < length; ++i) {
        std::snprintf(buffer, sizeof buffer, "%02x", bytes[i]);
        if (i) {
            text += (wrap && i % 16 == 0) ? "\n       " : " ";
        }
        text += buffer;
    }
    return text;
}

std::string ColourText(uint8_t red, uint8_t green, uint8_t blue) {
    char buffer[8];
    std::snprintf(buffer, sizeof buffer, "#%02X%02X%02X", red, green, blue);
    return buffer;
}

void WriteJson(std::ostream& out, const Json::Value& value) {
    Json::StreamWriterBuilder builder;
    builder["indentation"] = "";
    builder["emitUTF8"] = true;
    out << Json::writeString(builder, value) << "\n";
}

int Fail(std::ostream& err, int code, const std::string& text) {
    err << "q840ctl: " << text << "\n";
    return code;
}

}  // namespace q840::ctl
