#include <gtest/gtest.h>

#include <random>

#include "core/hid/HidReportDescriptor.h"
#include "hid/TestDescriptors.h"

namespace q840::hid {
namespace {

using test::Concat;

HidReportDescriptor Parse(const std::vector<uint8_t>& bytes) {
    HidReportDescriptor d;
    std::string error;
    EXPECT_TRUE(ParseReportDescriptor(bytes, &d, &error)) << error;
    return d;
}

TEST(HidDescriptorTest, VendorCommandCollectionAlone) {
    const HidReportDescriptor d = Parse(test::kVendorCollection);
    ASSERT_EQ(d.collections.size(), 1u);
    EXPECT_TRUE(d.usesReportIds);
    const HidCollectionInfo& c = d.collections[0];
    EXPECT_EQ(c.usagePage, 0xFF1C);
    EXPECT_EQ(c.usage, 0x92);
    EXPECT_EQ(c.reportIds, std::vector<uint8_t>{4});
    // 63 data bytes plus the ID byte: the 64-byte command report.
    EXPECT_EQ(c.InputReportByteLength(), 64);
    EXPECT_EQ(c.OutputReportByteLength(), 64);
    EXPECT_EQ(c.FeatureReportByteLength(), 0);
    ASSERT_EQ(c.valueCaps[0].size(), 1u);
    EXPECT_EQ(c.valueCaps[0][0].reportCount, 63);
    EXPECT_EQ(c.valueCaps[0][0].bitSize, 8);
    EXPECT_EQ(c.valueCaps[0][0].logicalMax, 255);  // 0xFF in a 2-byte item, and 0..255 anyway
    EXPECT_TRUE(c.buttonCaps[0].empty());
}

TEST(HidDescriptorTest, EventInterfaceSplitsIntoThreeCollections) {
    const HidReportDescriptor d = Parse(test::EventInterfaceDescriptor());
    ASSERT_EQ(d.collections.size(), 3u);

    const HidCollectionInfo& mouse = d.collections[0];
    EXPECT_EQ(mouse.usagePage, 0x01);
    EXPECT_EQ(mouse.usage, 0x02);
    EXPECT_EQ(mouse.reportIds, std::vector<uint8_t>{1});
    // 1 byte buttons + padding, 2 x 2 bytes X/Y, 1 byte wheel, plus the ID.
    EXPECT_EQ(mouse.InputReportByteLength(), 7);
    EXPECT_EQ(mouse.OutputReportByteLength(), 0);
    ASSERT_EQ(mouse.buttonCaps[0].size(), 1u);
    const HidFieldCaps& buttons = mouse.buttonCaps[0][0];
    EXPECT_TRUE(buttons.isRange);
    EXPECT_EQ(buttons.usagePage, 0x09);
    EXPECT_EQ(buttons.usageMin, 1);
    EXPECT_EQ(buttons.usageMax, 5);
    EXPECT_EQ(buttons.bitPosition, 0u);
    ASSERT_EQ(mouse.valueCaps[0].size(), 3u);
    const HidFieldCaps& x = mouse.valueCaps[0][0];
    const HidFieldCaps& y = mouse.valueCaps[0][1];
    const HidFieldCaps& wheel = mouse.valueCaps[0][2];
    EXPECT_EQ(x.usageMin, 0x30);
    EXPECT_EQ(x.bitPosition, 8u);
    EXPECT_EQ(x.logicalMin, -32767);
    EXPECT_EQ(x.logicalMax, 32767);
    EXPECT_EQ(y.usageMin, 0x31);
    EXPECT_EQ(y.bitPosition, 24u);
    EXPECT_EQ(wheel.usageMin, 0x38);
    EXPECT_EQ(wheel.bitPosition, 40u);
    EXPECT_EQ(wheel.logicalMin, -127);

    const HidCollectionInfo& keyboard = d.collections[1];
    EXPECT_EQ(keyboard.usage, 0x06);
    EXPECT_EQ(keyboard.InputReportByteLength(), 8);
    ASSERT_EQ(keyboard.buttonCaps[0].size(), 2u);
    EXPECT_FALSE(keyboard.buttonCaps[0][0].isArray);
    EXPECT_TRUE(keyboard.buttonCaps[0][1].isArray);
    EXPECT_EQ(keyboard.buttonCaps[0][1].bitPosition, 8u);

    const HidCollectionInfo& consumer = d.collections[2];
    EXPECT_EQ(consumer.usagePage, 0x0C);
    EXPECT_EQ(consumer.usage, 0x01);
    EXPECT_EQ(consumer.reportIds, std::vector<uint8_t>{3});
    EXPECT_EQ(consumer.InputReportByteLength(), 3);
    ASSERT_EQ(consumer.buttonCaps[0].size(), 1u);
    EXPECT_TRUE(consumer.buttonCaps[0][0].isArray);
    EXPECT_EQ(consumer.buttonCaps[0][0].usageMax, 0x3FF);
}

TEST(HidDescriptorTest, ReportLengthsCountTheIdByteWithoutIds) {
    const HidReportDescriptor d = Parse(test::kConsumerNoIdCollection);
    EXPECT_FALSE(d.usesReportIds);
    ASSERT_EQ(d.collections.size(), 1u);
    EXPECT_TRUE(d.collections[0].reportIds.empty());
    EXPECT_EQ(d.collections[0].InputReportByteLength(), 2);
    // Usage by usage: one capability per usage.
    ASSERT_EQ(d.collections[0].buttonCaps[0].size(), 3u);
    EXPECT_EQ(d.collections[0].buttonCaps[0][2].usageMin, 0xE2);
    EXPECT_EQ(d.collections[0].buttonCaps[0][2].bitPosition, 2u);
}

TEST(HidDescriptorTest, PushPopAndLongItemsAreHonoured) {
    std::vector<uint8_t> bytes = {
        0x06, 0x1C, 0xFF, 0x09, 0x92, 0xA1, 0x01, 0x85,
        0x04, 0x15, 0x00, 0x25, 0xFF,        // logical 0..255, written as 0xFF in one byte
        0xA4,                                // push (page 0xFF1C, ID 4, 0..255)
        0x05, 0x09, 0x85, 0x05, 0x25, 0x01,  // page 9, ID 5, 0..1
        0xFE, 0x02, 0x10, 0xAA, 0xBB,        // a long item: skipped
        0xB4,                                // pop
        0x09, 0x01, 0x75, 0x08, 0x95, 0x02, 0xB1, 0x02,  // feature
        0xC0,
    };
    const HidReportDescriptor d = Parse(bytes);
    ASSERT_EQ(d.collections.size(), 1u);
    ASSERT_EQ(d.collections[0].valueCaps[2].size(), 1u);
    EXPECT_EQ(d.collections[0].valueCaps[2][0].usagePage, 0xFF1C);
    EXPECT_EQ(d.collections[0].valueCaps[2][0].reportId, 4);
    EXPECT_EQ(d.collections[0].valueCaps[2][0].logicalMax, 255);
    EXPECT_EQ(d.collections[0].FeatureReportByteLength(), 3);
}

TEST(HidDescriptorTest, TruncationNeverYieldsAHalfCollection) {
    const std::vector<std::vector<uint8_t>> samples = {test::EventInterfaceDescriptor(),
                                                       test::CommandInterfaceDescriptor(),
                                                       test::kConsumerNoIdCollection};
    for (const auto& full : samples) {
        const HidReportDescriptor whole = Parse(full);
        for (size_t n = 0; n < full.size(); ++n) {
            HidReportDescriptor d;
            std::string error;
            // Cut in a copy of its own, so a read past the end shows up under a sanitizer.
            std::vector<uint8_t> cut(full.begin(), full.begin() + static_cast<long>(n));
            if (!ParseReportDescriptor(cut.data(), cut.size(), &d, &error)) {
                EXPECT_FALSE(error.empty());
                EXPECT_TRUE(d.collections.empty());
                continue;
            }
            // A cut right after a collection is a shorter but whole descriptor: the collections
            // it keeps are exactly the first ones of the full descriptor.
            ASSERT_LT(d.collections.size(), whole.collections.size()) << n;
            for (size_t c = 0; c < d.collections.size(); ++c) {
                EXPECT_EQ(d.collections[c].usage, whole.collections[c].usage);
                EXPECT_EQ(d.collections[c].InputReportByteLength(),
                          whole.collections[c].InputReportByteLength());
            }
        }
    }
}

TEST(HidDescriptorTest, MalformedDescriptorsAreRejectedWithAReason) {
    struct Case {
        const char* what;
        std::vector<uint8_t> bytes;
    };
    const std::vector<Case> cases = {
        {"end collection without collection", {0xC0}},
        {"field outside any collection", {0x05, 0x01, 0x75, 0x08, 0x95, 0x01, 0x81, 0x02}},
        {"pop without push", {0x05, 0x01, 0x09, 0x02, 0xA1, 0x01, 0xB4, 0xC0}},
        {"report size above 32", {0x05, 0x01, 0x09, 0x02, 0xA1, 0x01, 0x75, 0x40, 0xC0}},
        {"report ID 0", {0x05, 0x01, 0x09, 0x02, 0xA1, 0x01, 0x85, 0x00, 0xC0}},
        {"usage minimum above maximum",
         {0x05, 0x09, 0x09, 0x01, 0xA1, 0x01, 0x19, 0x05, 0x29, 0x01, 0x75, 0x01, 0x95, 0x05, 0x81,
          0x02, 0xC0}},
        {"truncated long item", {0x05, 0x01, 0x09, 0x02, 0xA1, 0x01, 0xFE, 0x10, 0x00, 0x01}},
        {"no collection at all", {0x05, 0x01, 0x09, 0x02}},
        {"report larger than 4096 bytes",
         {0x06, 0x1C, 0xFF, 0x09, 0x92, 0xA1, 0x01, 0x09, 0x01, 0x75, 0x20,
          0x96, 0x00, 0x04, 0x81, 0x02, 0x09, 0x01, 0x81, 0x02, 0xC0}},
        {"a report without ID beside reports with IDs",
         Concat({test::kConsumerNoIdCollection, test::kVendorCollection})},
    };
    for (const Case& c : cases) {
        HidReportDescriptor d;
        std::string error;
        EXPECT_FALSE(ParseReportDescriptor(c.bytes, &d, &error)) << c.what;
        EXPECT_FALSE(error.empty()) << c.what;
    }
}

TEST(HidDescriptorTest, NestingAndStackLimitsHoldOnHostileInput) {
    std::vector<uint8_t> deep = {0x05, 0x01, 0x09, 0x02};
    for (int i = 0; i < 100; ++i) {
        deep.insert(deep.end(), {0xA1, 0x00});
    }
    HidReportDescriptor d;
    EXPECT_FALSE(ParseReportDescriptor(deep, &d, nullptr));

    std::vector<uint8_t> pushes = {0x05, 0x01, 0x09, 0x02, 0xA1, 0x01};
    pushes.insert(pushes.end(), 100, 0xA4);
    pushes.push_back(0xC0);
    EXPECT_FALSE(ParseReportDescriptor(pushes, &d, nullptr));
}

TEST(HidDescriptorTest, RandomBytesNeverCrash) {
    std::mt19937 rng(840);
    const std::vector<uint8_t> seed = test::EventInterfaceDescriptor();
    for (int round = 0; round < 3000; ++round) {
        std::vector<uint8_t> bytes = seed;
        // Flip a few bytes of a valid descriptor, or take pure noise now and then.
        if (round % 10 == 0) {
            bytes.resize(rng() % 300);
            for (auto& b : bytes) {
                b = static_cast<uint8_t>(rng());
            }
        } else {
            for (int i = 0; i < 4; ++i) {
                bytes[rng() % bytes.size()] = static_cast<uint8_t>(rng());
            }
        }
        HidReportDescriptor d;
        std::string error;
        if (ParseReportDescriptor(bytes, &d, &error)) {
            for (const auto& c : d.collections) {
                for (int k = 0; k < kHidReportKindCount; ++k) {
                    EXPECT_LE(c.reportByteLength[k], 4097);
                }
            }
        } else {
            EXPECT_FALSE(error.empty());
        }
    }
}

TEST(HidDescriptorTest, FieldBitsRoundTripAndStayInsideTheReport) {
    uint8_t report[4] = {0x07, 0, 0, 0};
    // A 12-bit field straddling bytes, at data bit 4.
    ASSERT_TRUE(InsertReportBits(report, sizeof report, 4, 12, 0xABC));
    EXPECT_EQ(report[0], 0x07);  // the ID byte is never touched
    EXPECT_EQ(report[1], 0xC0);
    EXPECT_EQ(report[2], 0xAB);
    uint32_t v = 0;
    ASSERT_TRUE(ExtractReportBits(report, sizeof report, 4, 12, &v));
    EXPECT_EQ(v, 0xABCu);
    EXPECT_EQ(SignExtendBits(0xABC, 12), 0xABC - 0x1000);
    EXPECT_EQ(SignExtendBits(0x7F, 8), 127);
    EXPECT_EQ(SignExtendBits(0xFFFFFFFF, 32), -1);

    // Fields reaching past the end, zero-size or over-wide fields are refused.
    EXPECT_FALSE(ExtractReportBits(report, sizeof report, 20, 8, &v));
    EXPECT_FALSE(InsertReportBits(report, sizeof report, 17, 8, 1));
    EXPECT_FALSE(ExtractReportBits(report, sizeof report, 0, 0, &v));
    EXPECT_FALSE(ExtractReportBits(report, sizeof report, 0, 33, &v));
    EXPECT_FALSE(ExtractReportBits(report, 1, 0, 1, &v));
    EXPECT_TRUE(ExtractReportBits(report, sizeof report, 16, 8, &v));
}

TEST(HidDescriptorTest, ScalingUsesThePhysicalRangeWhenThereIsOne) {
    HidFieldCaps c;
    c.bitSize = 8;
    c.logicalMin = 0;
    c.logicalMax = 255;
    EXPECT_EQ(ScaleFieldValue(c, 200), 200);  // no physical range: logical units
    c.physicalMin = 0;
    c.physicalMax = 100;
    EXPECT_EQ(ScaleFieldValue(c, 255), 100);
    EXPECT_EQ(ScaleFieldValue(c, 0), 0);
    c.logicalMin = -127;
    c.logicalMax = 127;
    c.physicalMin = -1270;
    c.physicalMax = 1270;
    EXPECT_EQ(ScaleFieldValue(c, 0x81), -1270);  // -127 in 8 bits
    c.logicalMin = c.logicalMax = 5;             // a degenerate range must not divide by zero
    EXPECT_EQ(ScaleFieldValue(c, 5), 5);
}

}  // namespace
}  // namespace q840::hid
