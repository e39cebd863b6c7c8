#include "core/profile/JsonAccess.h"

#include <cmath>
#include <limits>

namespace q840::profile::json {

namespace {
const Json::Value& NullValue() {
    static const Json::Value null;
    return null;
}
}  // namespace

const Json::Value& Member(const Json::Value& obj, const char* key) {
    if (!obj.isObject()) {
        return NullValue();
    }
    const Json::Value* found = obj.find(key, key + std::char_traits<char>::length(key));
    return found ? *found : NullValue();
}

const Json::Value& Element(const Json::Value& arr, Json::ArrayIndex index) {
    if (!arr.isArray() || index >= arr.size()) {
        return NullValue();
    }
    return arr[index];
}

int64_t Int(const Json::Value& v) {
    switch (v.type()) {
        case Json::intValue:
            return v.asInt64();
        case Json::uintValue:
            return static_cast<int64_t>(v.asUInt64());
        case Json::realValue: {
            const double d = v.asDouble();
            if (!std::isfinite(d) || d >= 9.2e18 || d <= -9.2e18) {
                return 0;
            }
            return static_cast<int64_t>(d);
        }
        case Json::booleanValue:
            return v.asBool() ? 1 : 0;
        default:
            return 0;
    }
}

bool Flag(const Json::Value& v) {
    switch (v.type()) {
        case Json::booleanValue:
            return v.asBool();
        case Json::intValue:
        case Json::uintValue:
            return Int(v) != 0;
        case Json::realValue:
            return v.asDouble() != 0.0;
        default:
            return false;
    }
}

std::string String(const Json::Value& v) {
    return v.isString() ? v.asString() : std::string();
}

Json::Value& AsObject(Json::Value& v) {
    if (!v.isObject()) {
        v = Json::Value(Json::objectValue);
    }
    return v;
}

Json::Value& AsArray(Json::Value& v) {
    if (!v.isArray()) {
        v = Json::Value(Json::arrayValue);
    }
    return v;
}

Json::Value& ObjectMember(Json::Value& v, const char* key) {
    return AsObject(AsObject(v)[key]);
}

Json::Value& ArrayMember(Json::Value& v, const char* key) {
    return AsArray(AsObject(v)[key]);
}

Json::Value& ElementAt(Json::Value& v, Json::ArrayIndex index) {
    Json::Value& arr = AsArray(v);
    if (index >= arr.size()) {
        arr.resize(index + 1);
    }
    return arr[index];
}

}  // namespace q840::profile::json
