#include "core/hid/HidReportDescriptor.h"

#include <algorithm>
#include <array>
#include <cstdio>

namespace q840::hid {

namespace {

// Item types and tags of the short items we act on.
enum ItemType : uint8_t { kMain = 0, kGlobal = 1, kLocal = 2, kReserved = 3 };

enum MainTag : uint8_t {
    kInput = 0x8,
    kOutput = 0x9,
    kCollection = 0xA,
    kFeature = 0xB,
    kEndCollection = 0xC,
};

enum GlobalTag : uint8_t {
    kUsagePage = 0x0,
    kLogicalMin = 0x1,
    kLogicalMax = 0x2,
    kPhysicalMin = 0x3,
    kPhysicalMax = 0x4,
    kReportSize = 0x7,
    kReportId = 0x8,
    kReportCount = 0x9,
    kPush = 0xA,
    kPop = 0xB,
};

enum LocalTag : uint8_t { kUsage = 0x0, kUsageMin = 0x1, kUsageMax = 0x2 };

constexpr uint8_t kLongItemPrefix = 0xFE;
constexpr uint32_t kMainFlagConstant = 0x01;
constexpr uint32_t kMainFlagVariable = 0x02;

struct GlobalState {
    uint16_t usagePage = 0;
    int64_t logicalMin = 0;
    int64_t logicalMax = 0;
    int64_t physicalMin = 0;
    int64_t physicalMax = 0;
    // The maxima as written, for devices that mean 0xFF in one byte as 255 (see MaxOf).
    uint32_t logicalMaxRaw = 0;
    uint32_t physicalMaxRaw = 0;
    uint32_t reportSize = 0;
    uint32_t reportCount = 0;
    uint8_t reportId = 0;
};

// A usage as written in a local item: 32-bit when it carries its own page.
struct LocalUsage {
    uint32_t value = 0;
    bool extended = false;
};

struct LocalState {
    std::vector<LocalUsage> usages;
    bool hasMin = false;
    bool hasMax = false;
    LocalUsage usageMin;
    LocalUsage usageMax;

    void Clear() { *this = LocalState(); }
};

uint16_t PageOf(const LocalUsage& u, uint16_t globalPage) {
    return u.extended ? static_cast<uint16_t>(u.value >> 16) : globalPage;
}
uint16_t IdOf(const LocalUsage& u) {
    return static_cast<uint16_t>(u.value & 0xFFFF);
}

int32_t ClampToInt32(int64_t v) {
    return static_cast<int32_t>(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX));
}

class Parser {
public:
    Parser(const uint8_t* data, size_t size) : m_data(data), m_size(size) {}

    bool Run(HidReportDescriptor* out, std::string* error) {
        if (!m_data || m_size == 0) {
            return Fail(error, "empty report descriptor");
        }
        if (m_size > kHidMaxDescriptorSize) {
            return Fail(error, "report descriptor larger than 4096 bytes");
        }
        size_t pos = 0;
        while (pos < m_size) {
            const uint8_t prefix = m_data[pos];
            if (prefix == kLongItemPrefix) {
                // Long items carry vendor data we have no use for; skip them whole.
                if (pos + 3 > m_size) {
                    return Fail(error, Where(pos, "truncated long item"));
                }
                const size_t dataSize = m_data[pos + 1];
                if (pos + 3 + dataSize > m_size) {
                    return Fail(error, Where(pos, "truncated long item"));
                }
                pos += 3 + dataSize;
                continue;
            }
            static constexpr size_t kSizes[4] = {0, 1, 2, 4};
            const size_t dataSize = kSizes[prefix & 0x03];
            if (pos + 1 + dataSize > m_size) {
                return Fail(error, Where(pos, "truncated item"));
            }
            uint32_t value = 0;
            for (size_t i = 0; i < dataSize; ++i) {
                value |= static_cast<uint32_t>(m_data[pos + 1 + i]) << (8 * i);
            }
            const auto type = static_cast<ItemType>((prefix >> 2) & 0x03);
            const uint8_t tag = prefix >> 4;
            std::string reason;
            bool ok = true;
            switch (type) {
                case kMain:
                    ok = Main(tag, value, &reason);
                    break;
                case kGlobal:
                    ok = Global(tag, value, dataSize, &reason);
                    break;
                case kLocal:
                    ok = Local(tag, value, dataSize, &reason);
                    break;
                case kReserved:
                    break;  // reserved short items are ignored, as the HID rules ask
            }
            if (!ok) {
                return Fail(error, Where(pos, reason));
            }
            pos += 1 + dataSize;
        }
        if (m_depth != 0) {
            return Fail(error, "collection not closed (truncated descriptor?)");
        }
        if (m_result.collections.empty()) {
            return Fail(error, "no top-level collection");
        }
        if (m_result.usesReportIds && m_fieldWithoutId) {
            return Fail(error, "report without an ID in a descriptor that uses report IDs");
        }
        Finish();
        *out = std::move(m_result);
        return true;
    }

private:
    static bool Fail(std::string* error, const std::string& reason) {
        if (error) {
            *error = reason;
        }
        return false;
    }
    static std::string Where(size_t pos, const std::string& what) {
        char buf[32];
        std::snprintf(buf, sizeof buf, " at byte %zu", pos);
        return what + buf;
    }

    static int64_t Signed(uint32_t value, size_t dataSize) {
        switch (dataSize) {
            case 1:
                return static_cast<int8_t>(value);
            case 2:
                return static_cast<int16_t>(value);
            case 4:
                return static_cast<int32_t>(value);
            default:
                return 0;
        }
    }

    bool Global(uint8_t tag, uint32_t value, size_t dataSize, std::string* reason) {
        switch (tag) {
            case kUsagePage:
                m_global.usagePage = static_cast<uint16_t>(value);
                break;
            case kLogicalMin:
                m_global.logicalMin = Signed(value, dataSize);
                break;
            case kLogicalMax:
                m_global.logicalMax = Signed(value, dataSize);
                m_global.logicalMaxRaw = value;
                break;
            case kPhysicalMin:
                m_global.physicalMin = Signed(value, dataSize);
                break;
            case kPhysicalMax:
                m_global.physicalMax = Signed(value, dataSize);
                m_global.physicalMaxRaw = value;
                break;
            case kReportSize:
                if (value > 32) {
                    *reason = "report size above 32 bits";
                    return false;
                }
                m_global.reportSize = value;
                break;
            case kReportId:
                if (value == 0 || value > 0xFF) {
                    *reason = "invalid report ID";
                    return false;
                }
                m_global.reportId = static_cast<uint8_t>(value);
                m_result.usesReportIds = true;
                break;
            case kReportCount:
                if (value > kHidMaxReportBits) {
                    *reason = "report count too large";
                    return false;
                }
                m_global.reportCount = value;
                break;
            case kPush:
                if (m_stack.size() >= kHidMaxGlobalStackDepth) {
                    *reason = "global item stack too deep";
                    return false;
                }
                m_stack.push_back(m_global);
                break;
            case kPop:
                if (m_stack.empty()) {
                    *reason = "pop without push";
                    return false;
                }
                m_global = m_stack.back();
                m_stack.pop_back();
                break;
            default:
                break;  // unit, unit exponent and reserved tags do not affect the layout
        }
        return true;
    }

    bool Local(uint8_t tag, uint32_t value, size_t dataSize, std::string* reason) {
        const LocalUsage usage{value, dataSize == 4};
        switch (tag) {
            case kUsage:
                if (m_local.usages.size() >= kHidMaxLocalUsages) {
                    *reason = "too many usages";
                    return false;
                }
                m_local.usages.push_back(usage);
                break;
            case kUsageMin:
                m_local.usageMin = usage;
                m_local.hasMin = true;
                break;
            case kUsageMax:
                m_local.usageMax = usage;
                m_local.hasMax = true;
                break;
            default:
                break;  // designators, strings and delimiters are not needed
        }
        return true;
    }

    bool Main(uint8_t tag, uint32_t value, std::string* reason) {
        bool ok = true;
        switch (tag) {
            case kCollection:
                ok = BeginCollection(reason);
                break;
            case kEndCollection:
                if (m_depth == 0) {
                    *reason = "end collection without collection";
                    return false;
                }
                --m_depth;
                break;
            case kInput:
                ok = Field(HidReportKind::Input, value, reason);
                break;
            case kOutput:
                ok = Field(HidReportKind::Output, value, reason);
                break;
            case kFeature:
                ok = Field(HidReportKind::Feature, value, reason);
                break;
            default:
                break;
        }
        m_local.Clear();  // local items end with every main item
        return ok;
    }

    bool BeginCollection(std::string* reason) {
        if (m_depth >= kHidMaxCollectionDepth) {
            *reason = "collections nested too deep";
            return false;
        }
        if (m_depth == 0) {
            HidCollectionInfo tlc;
            if (!m_local.usages.empty()) {
                tlc.usagePage = PageOf(m_local.usages.front(), m_global.usagePage);
                tlc.usage = IdOf(m_local.usages.front());
            } else if (m_local.hasMin) {
                tlc.usagePage = PageOf(m_local.usageMin, m_global.usagePage);
                tlc.usage = IdOf(m_local.usageMin);
            } else {
                tlc.usagePage = m_global.usagePage;
            }
            m_result.collections.push_back(std::move(tlc));
            m_collectionKindIds.emplace_back();
            for (auto& ids : m_collectionKindIds.back()) {
                ids.fill(false);
            }
        }
        ++m_depth;
        return true;
    }

    // Many devices write e.g. 0xFF in one byte for 255; a maximum is read unsigned when its
    // minimum is not negative and the signed reading would fall below it, as the operating
    // systems do.
    static int64_t MaxOf(int64_t min, int64_t max, uint32_t raw) {
        return (min >= 0 && max < min) ? int64_t{raw} : max;
    }

    bool Field(HidReportKind kind, uint32_t flags, std::string* reason) {
        if (m_depth == 0) {
            *reason = "report field outside a collection";
            return false;
        }
        const int k = static_cast<int>(kind);
        const uint8_t id = m_global.reportId;
        const uint64_t bits = static_cast<uint64_t>(m_global.reportSize) * m_global.reportCount;
        uint32_t& counter = m_bitCounter[k][id];
        if (counter + bits > kHidMaxReportBits) {
            *reason = "report longer than 4096 bytes";
            return false;
        }
        const uint32_t base = counter;
        counter += static_cast<uint32_t>(bits);
        if (bits == 0) {
            return true;
        }
        if (id == 0) {
            m_fieldWithoutId = true;
        }
        HidCollectionInfo& tlc = m_result.collections.back();
        if (id != 0 && !tlc.OwnsReportId(id)) {
            tlc.reportIds.push_back(id);
        }
        m_collectionKindIds[m_result.collections.size() - 1][k][id] = true;

        // Padding carries no control.
        const bool constant = (flags & kMainFlagConstant) != 0;
        const bool hasUsages = !m_local.usages.empty() || (m_local.hasMin && m_local.hasMax);
        if (constant || !hasUsages) {
            return true;
        }

        HidFieldCaps caps;
        caps.kind = kind;
        caps.reportId = id;
        caps.logicalMin = ClampToInt32(m_global.logicalMin);
        caps.logicalMax =
            ClampToInt32(MaxOf(m_global.logicalMin, m_global.logicalMax, m_global.logicalMaxRaw));
        caps.physicalMin = ClampToInt32(m_global.physicalMin);
        caps.physicalMax = ClampToInt32(
            MaxOf(m_global.physicalMin, m_global.physicalMax, m_global.physicalMaxRaw));
        caps.bitSize = static_cast<uint16_t>(m_global.reportSize);
        caps.bitPosition = base;
        const bool variable = (flags & kMainFlagVariable) != 0;
        caps.isArray = !variable;
        caps.isButton = !variable || m_global.reportSize == 1;

        std::vector<HidFieldCaps>& list = caps.isButton ? tlc.buttonCaps[k] : tlc.valueCaps[k];
        const uint16_t count = static_cast<uint16_t>(m_global.reportCount);

        if (m_local.hasMin && m_local.hasMax) {
            caps.isRange = true;
            caps.usagePage = PageOf(m_local.usageMin, m_global.usagePage);
            caps.usageMin = IdOf(m_local.usageMin);
            caps.usageMax = IdOf(m_local.usageMax);
            if (caps.usageMin > caps.usageMax) {
                *reason = "usage minimum above usage maximum";
                return false;
            }
            caps.reportCount = count;
            list.push_back(std::move(caps));
            return true;
        }

        caps.usagePage = PageOf(m_local.usages.front(), m_global.usagePage);
        if (caps.isArray) {
            // One capability whose slots index the usage list.
            for (const LocalUsage& u : m_local.usages) {
                caps.usages.push_back(IdOf(u));
            }
            auto [lo, hi] = std::minmax_element(caps.usages.begin(), caps.usages.end());
            caps.usageMin = *lo;
            caps.usageMax = *hi;
            caps.reportCount = count;
            list.push_back(std::move(caps));
            return true;
        }

        // Variable fields given usage by usage: one capability per usage; the last usage also
        // covers the fields left over when there are fewer usages than fields.
        const size_t n = std::min<size_t>(m_local.usages.size(), count);
        for (size_t i = 0; i < n; ++i) {
            HidFieldCaps one = caps;
            one.usagePage = PageOf(m_local.usages[i], m_global.usagePage);
            one.usageMin = one.usageMax = IdOf(m_local.usages[i]);
            one.bitPosition = base + static_cast<uint32_t>(i) * caps.bitSize;
            one.reportCount = (i + 1 == n) ? static_cast<uint16_t>(count - i) : 1;
            list.push_back(std::move(one));
        }
        return true;
    }

    void Finish() {
        for (size_t c = 0; c < m_result.collections.size(); ++c) {
            HidCollectionInfo& tlc = m_result.collections[c];
            for (int k = 0; k < kHidReportKindCount; ++k) {
                uint32_t maxBits = 0;
                bool any = false;
                for (int id = 0; id < 256; ++id) {
                    if (m_collectionKindIds[c][k][id]) {
                        any = true;
                        maxBits = std::max(maxBits, m_bitCounter[k][id]);
                    }
                }
                // Windows counts the report ID byte even when the device sends none.
                tlc.reportByteLength[k] = any ? static_cast<uint16_t>(1 + (maxBits + 7) / 8) : 0;
            }
            std::sort(tlc.reportIds.begin(), tlc.reportIds.end());
        }
    }

    const uint8_t* m_data;
    size_t m_size;
    HidReportDescriptor m_result;
    GlobalState m_global;
    std::vector<GlobalState> m_stack;
    LocalState m_local;
    int m_depth = 0;
    bool m_fieldWithoutId = false;
    uint32_t m_bitCounter[kHidReportKindCount][256] = {};
    // Which (kind, report ID) pairs each top-level collection declares fields for.
    std::vector<std::array<std::array<bool, 256>, kHidReportKindCount>> m_collectionKindIds;
};

}  // namespace

bool HidCollectionInfo::OwnsReportId(uint8_t id) const {
    return std::find(reportIds.begin(), reportIds.end(), id) != reportIds.end();
}

bool ParseReportDescriptor(const uint8_t* data, size_t size, HidReportDescriptor* out,
                           std::string* error) {
    if (out) {
        *out = HidReportDescriptor();
    }
    HidReportDescriptor result;
    Parser parser(data, size);
    if (!parser.Run(&result, error)) {
        return false;
    }
    if (out) {
        *out = std::move(result);
    }
    return true;
}

bool ExtractReportBits(const uint8_t* report, size_t length, uint32_t bitPosition, uint16_t bitSize,
                       uint32_t* value) {
    if (!report || bitSize == 0 || bitSize > 32 || length < 1) {
        return false;
    }
    const uint64_t end = static_cast<uint64_t>(bitPosition) + bitSize;  // in data bits
    if ((end + 7) / 8 > length - 1) {
        return false;
    }
    const uint8_t* data = report + 1;
    uint64_t v = 0;
    for (uint16_t i = 0; i < bitSize; ++i) {
        const uint32_t bit = bitPosition + i;
        if (data[bit / 8] & (1u << (bit % 8))) {
            v |= uint64_t{1} << i;
        }
    }
    *value = static_cast<uint32_t>(v);
    return true;
}

bool InsertReportBits(uint8_t* report, size_t length, uint32_t bitPosition, uint16_t bitSize,
                      uint32_t value) {
    if (!report || bitSize == 0 || bitSize > 32 || length < 1) {
        return false;
    }
    const uint64_t end = static_cast<uint64_t>(bitPosition) + bitSize;
    if ((end + 7) / 8 > length - 1) {
        return false;
    }
    uint8_t* data = report + 1;
    for (uint16_t i = 0; i < bitSize; ++i) {
        const uint32_t bit = bitPosition + i;
        const uint8_t mask = static_cast<uint8_t>(1u << (bit % 8));
        if ((static_cast<uint64_t>(value) >> i) & 1) {
            data[bit / 8] |= mask;
        } else {
            data[bit / 8] &= static_cast<uint8_t>(~mask);
        }
    }
    return true;
}

int32_t SignExtendBits(uint32_t value, uint16_t bitSize) {
    if (bitSize == 0 || bitSize >= 32) {
        return static_cast<int32_t>(value);
    }
    const uint32_t sign = 1u << (bitSize - 1);
    value &= (1u << bitSize) - 1;
    return static_cast<int32_t>((value ^ sign) - sign);
}

bool GetPressedUsages(const HidFieldCaps& caps, const uint8_t* report, size_t length,
                      std::vector<uint16_t>* usages) {
    for (uint32_t slot = 0; slot < caps.reportCount; ++slot) {
        uint32_t raw = 0;
        if (!ExtractReportBits(report, length, caps.bitPosition + slot * caps.bitSize, caps.bitSize,
                               &raw)) {
            return false;
        }
        uint16_t usage = 0;
        if (caps.isArray) {
            // A slot holds an index into the usages; values outside the logical range mean
            // "nothing pressed".
            const int64_t v =
                caps.logicalMin < 0 ? SignExtendBits(raw, caps.bitSize) : int64_t{raw};
            if (v < caps.logicalMin || v > caps.logicalMax) {
                continue;
            }
            const int64_t index = v - caps.logicalMin;
            if (caps.isRange) {
                const int64_t u = caps.usageMin + index;
                if (u > caps.usageMax) {
                    continue;
                }
                usage = static_cast<uint16_t>(u);
            } else {
                if (index >= static_cast<int64_t>(caps.usages.size())) {
                    continue;
                }
                usage = caps.usages[static_cast<size_t>(index)];
            }
        } else {
            if (raw == 0) {
                continue;
            }
            if (caps.isRange) {
                const uint32_t u = caps.usageMin + slot;
                if (u > caps.usageMax) {
                    continue;
                }
                usage = static_cast<uint16_t>(u);
            } else {
                usage = caps.usageMin;
            }
        }
        if (usage != 0) {
            usages->push_back(usage);
        }
    }
    return true;
}

bool GetFieldValue(const HidFieldCaps& caps, int index, const uint8_t* report, size_t length,
                   uint32_t* raw) {
    if (index < 0 || index >= caps.reportCount) {
        return false;
    }
    return ExtractReportBits(report, length,
                             caps.bitPosition + static_cast<uint32_t>(index) * caps.bitSize,
                             caps.bitSize, raw);
}

int32_t ScaleFieldValue(const HidFieldCaps& caps, uint32_t raw) {
    const int64_t v =
        caps.logicalMin < 0 ? SignExtendBits(raw, caps.bitSize) : static_cast<int64_t>(raw);
    int64_t pmin = caps.physicalMin;
    int64_t pmax = caps.physicalMax;
    if (pmin == 0 && pmax == 0) {
        pmin = caps.logicalMin;
        pmax = caps.logicalMax;
    }
    const int64_t lrange = static_cast<int64_t>(caps.logicalMax) - caps.logicalMin;
    if (lrange == 0) {
        return ClampToInt32(v);
    }
    return ClampToInt32((v - caps.logicalMin) * (pmax - pmin) / lrange + pmin);
}

}  // namespace q840::hid
