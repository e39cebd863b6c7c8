#pragma once

// Guarded access to values read from stored files. JsonCpp's asInt(), operator[] and friends
// throw when a value has an unexpected type; stored files are user data and may hold anything, so
// the readers go through these helpers instead: a member of the wrong type counts as missing.

#include <json/value.h>

#include <cstdint>
#include <string>

namespace q840::profile::json {

// obj[key] when obj is an object holding key, else a null value.
const Json::Value& Member(const Json::Value& obj, const char* key);
// arr[index] when arr is an array holding that index, else a null value.
const Json::Value& Element(const Json::Value& arr, Json::ArrayIndex index);

// Integer value: integers as they are (unsigned ones above the signed range wrap), finite reals in
// range truncated, booleans 0/1; anything else 0.
int64_t Int(const Json::Value& v);
inline uint8_t Byte(const Json::Value& v) {
    return static_cast<uint8_t>(Int(v));
}
inline uint16_t Word(const Json::Value& v) {
    return static_cast<uint16_t>(Int(v));
}
inline int32_t Int32(const Json::Value& v) {
    return static_cast<int32_t>(Int(v));
}
// Boolean conversion of flags: true/false, and numbers (non-zero is true); anything else false.
bool Flag(const Json::Value& v);
// String value; anything else "".
std::string String(const Json::Value& v);

inline uint8_t MemberByte(const Json::Value& obj, const char* key) {
    return Byte(Member(obj, key));
}
inline uint16_t MemberWord(const Json::Value& obj, const char* key) {
    return Word(Member(obj, key));
}
inline int32_t MemberInt32(const Json::Value& obj, const char* key) {
    return Int32(Member(obj, key));
}
inline bool MemberFlag(const Json::Value& obj, const char* key) {
    return Flag(Member(obj, key));
}

// Writers. Each turns a value that is not of the needed kind into an empty one of that kind
// (null included), so writing into a damaged node repairs it instead of throwing.
Json::Value& AsObject(Json::Value& v);
Json::Value& AsArray(Json::Value& v);
// The member key of v as an object / as an array, created when missing or of another kind.
Json::Value& ObjectMember(Json::Value& v, const char* key);
Json::Value& ArrayMember(Json::Value& v, const char* key);
// Element index of v (made an array), growing the array with nulls when needed.
Json::Value& ElementAt(Json::Value& v, Json::ArrayIndex index);

}  // namespace q840::profile::json
