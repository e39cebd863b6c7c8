#include <gtest/gtest.h>

#include <set>
#include <string>

#include "core/catalogue/Catalogue.h"
#include "core/catalogue/DeviceList.h"

namespace q840::catalogue {
namespace {

// Paths the way the hidraw backend writes them for the mouse on cable and through its receiver.
const std::string kCableCommand = "/dev/hidraw4#vid_320f&pid_226e&mi_01&col02";
const std::string kCableEvent = "/dev/hidraw3#vid_320f&pid_226e&mi_00&col03";
const std::string kReceiverCommand = "/dev/hidraw7#vid_320f&pid_226f&mi_01&col02";
const std::string kReceiverEvent = "/dev/hidraw6#vid_320f&pid_226f&mi_00&col03";
const std::string kHeadset = "/dev/hidraw9#vid_0c76&pid_1630&mi_03";

// What the scan thread does with one enumerated path, given what probing it showed.
int Scan(DeviceList& list, const std::string& path, uint32_t usagePage, uint32_t usage) {
    const PathNumbers n = ReadPathNumbers(path);
    if (!list.PreMatch(n)) {
        return -1;
    }
    return list.FullMatch(n, n.vendorId, n.productId, usagePage, usage, path);
}

TEST(CatalogueTablesTest, PartnersPointAtEachOtherAcrossCableAndReceiver) {
    for (size_t i = 0; i < kInterfaceTable.size(); ++i) {
        const InterfaceRow& r = kInterfaceTable[i];
        EXPECT_EQ(r.connected, 0) << i;
        if (!r.hasPartner) {
            continue;
        }
        ASSERT_LT(r.partner, kInterfaceTable.size()) << i;
        const InterfaceRow& p = kInterfaceTable[r.partner];
        EXPECT_EQ(p.partner, i) << i;
        EXPECT_EQ(p.role, r.role) << i;
        EXPECT_EQ(p.usagePage, r.usagePage) << i;
        EXPECT_EQ(p.usage, r.usage) << i;
        // One side is the receiver, the other its cable device.
        EXPECT_NE(IsReceiverType(r.typeCode), IsReceiverType(p.typeCode)) << i;
        EXPECT_EQ(CableTypeOf(r.typeCode), CableTypeOf(p.typeCode)) << i;
    }
}

TEST(CatalogueTablesTest, RolesMatchTheirUsages) {
    for (size_t i = 0; i < kInterfaceTable.size(); ++i) {
        const InterfaceRow& r = kInterfaceTable[i];
        ASSERT_TRUE(r.role == kRoleCommand || r.role == kRoleEvent) << i;
        if (r.role == kRoleEvent) {
            EXPECT_EQ(r.usagePage, kUsagePageConsumer) << i;
            EXPECT_EQ(r.usage, kUsageConsumerControl) << i;
        } else if (r.typeCode != kTypeHeadset) {
            // The headset's only interface is its consumer collection; everyone else's command
            // interface is the vendor collection.
            EXPECT_EQ(r.usagePage, kUsagePageVendor) << i;
            EXPECT_EQ(r.usage, kUsageVendorCommand) << i;
        }
    }
}

TEST(CatalogueTablesTest, EveryInterfaceRowReachesItsDeviceTypeRow) {
    // Each device type row is reached by its own command row, and every interface row leads to
    // a device type row of the same kind.
    for (size_t t = 0; t < kDeviceTypeTable.size(); ++t) {
        const DeviceTypeRow& d = kDeviceTypeTable[t];
        const int row = FindInterfaceRow(d.vendorId, d.productId, d.typeCode, kRoleCommand);
        ASSERT_GE(row, 0) << d.kindName;
        EXPECT_EQ(DeviceTypeRowForInterfaceRow(row), static_cast<int>(t)) << d.kindName;
    }
    for (size_t i = 0; i < kInterfaceTable.size(); ++i) {
        const int t = DeviceTypeRowForInterfaceRow(static_cast<int>(i));
        ASSERT_GE(t, 0) << i;
        EXPECT_EQ(kDeviceTypeTable[static_cast<size_t>(t)].typeCode,
                  CableTypeOf(kInterfaceTable[i].typeCode))
            << i;
    }
    const std::set<std::string> kinds = {kDeviceTypeTable[0].kindName, kDeviceTypeTable[1].kindName,
                                         kDeviceTypeTable[2].kindName,
                                         kDeviceTypeTable[3].kindName};
    EXPECT_EQ(kinds, (std::set<std::string>{"mouse", "keyboard", "MousePad", "HD"}));
    EXPECT_STREQ(kDeviceLayoutTable[0].pageLayoutFile, "XML\\DeviceXml\\mousedevice.xml");
    EXPECT_EQ(kDeviceLayoutTable[0].lightButtons, 15);
    EXPECT_EQ(kDeviceLayoutTable[0].keyButtons, 11);
    EXPECT_STREQ(kDeviceModelTable[3].version, "V0100");
}

TEST(CatalogueTablesTest, LookUpsReturnMinusOneWhenNothingMatches) {
    EXPECT_EQ(FindDeviceTypeRow(0x320F, 0x226E, kTypeMouse, 0), 0);
    EXPECT_EQ(FindDeviceTypeRow(0x320F, 0x226E, kTypeMouse, 1), -1);
    EXPECT_EQ(FindDeviceTypeRow(0x320F, 0x226F, kTypeMouseReceiver, 0), -1);
    EXPECT_EQ(FindInterfaceRow(0x320F, 0x226F, kTypeMouseReceiver, kRoleEvent), 7);
    EXPECT_EQ(FindInterfaceRow(0x1234, 0x226F, kTypeMouseReceiver, kRoleEvent), -1);
    EXPECT_EQ(DeviceTypeRowForInterfaceRow(-1), -1);
    EXPECT_EQ(DeviceTypeRowForInterfaceRow(11), -1);
    EXPECT_EQ(PageKindOfType(kTypeKeyboardReceiver), PageKind::Keyboard);
    EXPECT_EQ(PageKindOfType(kTypeMouseReceiver), PageKind::Mouse);
    EXPECT_EQ(PageKindOfType(5), PageKind::None);
}

TEST(CataloguePathTest, NumbersComeFromTheMarkersInAnyCase) {
    const PathNumbers n = ReadPathNumbers(R"(\\?\hid#VID_320F&PID_226E&MI_01&Col02#7&2a)");
    EXPECT_EQ(n.vendorId, 0x320Fu);
    EXPECT_EQ(n.productId, 0x226Eu);
    EXPECT_EQ(n.interfaceNumber, 1u);
    EXPECT_EQ(n.collectionNumber, 2u);
    EXPECT_EQ(PathCollectionNumber(kHeadset), 0u);
    EXPECT_EQ(PathInterfaceNumber("/dev/hidraw1#vid_320f&pid_226e"), 0u);
    EXPECT_EQ(PathVendorId("no markers"), 0u);
}

TEST(CatalogueMatchTest, MouseOnCableBindsBothInterfaces) {
    DeviceList list;
    ASSERT_EQ(list.Size(), kInterfaceTable.size());
    EXPECT_FALSE(list.AllConnected());
    MatchResult m;
    const PathNumbers n = ReadPathNumbers(kCableCommand);
    ASSERT_TRUE(list.PreMatch(n));
    EXPECT_EQ(list.FullMatch(n, 0x320F, 0x226E, 0xFF1C, 0x92, kCableCommand, &m), 4);
    EXPECT_EQ(m.catalogueRow, 4);
    EXPECT_EQ(m.typeCode, kTypeMouse);
    EXPECT_EQ(m.role, kRoleCommand);
    EXPECT_EQ(list.Entry(4).connected, 1);
    EXPECT_EQ(list.Entry(4).path, kCableCommand);
    EXPECT_EQ(Scan(list, kCableEvent, 0x0C, 0x01), 5);

    EXPECT_TRUE(list.ShouldBindCommandInterface(4));
    EXPECT_FALSE(list.SwitchesChannel(4));
    EXPECT_EQ(list.DeviceTypeRowOf(4), 0);
    EXPECT_EQ(list.FindByPath(kCableEvent), 5);

    // Seen again on the next scan: its entry is taken, so it is not even probed.
    EXPECT_FALSE(list.PreMatch(ReadPathNumbers(kCableCommand)));
    // Unplugged: the entry is free again and the path can come back.
    ASSERT_TRUE(list.Release(4));
    EXPECT_TRUE(list.Entry(4).IsFree());
    EXPECT_EQ(Scan(list, kCableCommand, 0xFF1C, 0x92), 4);
    EXPECT_FALSE(list.Release(11));
    EXPECT_FALSE(list.Release(-1));
    // Indices from a message are checked, not trusted.
    EXPECT_TRUE(list.Entry(42).IsFree());
    EXPECT_EQ(list.Entry(-1).vendorId, 0);
    EXPECT_FALSE(list.PartnerBound(42));
    EXPECT_EQ(list.DeviceTypeRowOf(42), -1);
}

TEST(CatalogueMatchTest, ReceiverOnlyMouseGetsTheMousePageOnTheReceiverChannel) {
    DeviceList list;
    const int index = Scan(list, kReceiverCommand, 0xFF1C, 0x92);
    ASSERT_EQ(index, 6);
    EXPECT_EQ(list.Entry(index).typeCode, kTypeMouseReceiver);
    EXPECT_TRUE(IsReceiverType(list.Entry(index).typeCode));
    // Looked up as type 2 with the partner row's numbers: device type row 0, the mouse.
    EXPECT_EQ(list.DeviceTypeRowOf(index), 0);
    EXPECT_EQ(list.DeviceEntryOf(index), 4);
    EXPECT_STREQ(kDeviceTypeTable[0].kindName, "mouse");
    // The cable is not there, so the receiver's command interface binds to the page.
    EXPECT_TRUE(list.ShouldBindCommandInterface(index));
    EXPECT_EQ(Scan(list, kReceiverEvent, 0x0C, 0x01), 7);
    EXPECT_EQ(list.DeviceTypeRowOf(7), 0);
}

TEST(CatalogueMatchTest, CableArrivingBesideItsReceiverSwitchesTheChannel) {
    DeviceList list;
    ASSERT_EQ(Scan(list, kReceiverCommand, 0xFF1C, 0x92), 6);
    ASSERT_EQ(Scan(list, kCableCommand, 0xFF1C, 0x92), 4);
    EXPECT_TRUE(list.PartnerBound(4));
    EXPECT_TRUE(list.PartnerBound(6));
    EXPECT_TRUE(list.SwitchesChannel(4)) << "cable arrives while the receiver is bound";
    EXPECT_FALSE(list.ShouldBindCommandInterface(4));
    EXPECT_FALSE(list.SwitchesChannel(6)) << "only the cable side switches";
    // The receiver goes away: the cable is on its own again.
    list.Release(6);
    EXPECT_FALSE(list.PartnerBound(4));
    EXPECT_TRUE(list.ShouldBindCommandInterface(4));
    // Event interfaces never bind as command interfaces.
    ASSERT_EQ(Scan(list, kCableEvent, 0x0C, 0x01), 5);
    EXPECT_FALSE(list.ShouldBindCommandInterface(5));
}

TEST(CatalogueMatchTest, WrongUsagePassesThePreMatchButFailsTheFullMatch) {
    DeviceList list;
    // Another collection of the mouse's command interface carries the numbers of row 4 in its
    // path but is the keyboard collection.
    const PathNumbers n = ReadPathNumbers(kCableCommand);
    EXPECT_TRUE(list.PreMatch(n));
    EXPECT_EQ(list.FullMatch(n, 0x320F, 0x226E, 0x01, 0x06, kCableCommand), -1);
    EXPECT_EQ(list.FullMatch(n, 0x320F, 0x226E, 0xFF1C, 0x01, kCableCommand), -1);
    EXPECT_TRUE(list.Entry(4).IsFree()) << "a failed match marks nothing";
    // The attributes decide the vendor and product, not the path.
    EXPECT_EQ(list.FullMatch(n, 0x320F, 0x1004, 0xFF1C, 0x92, kCableCommand), -1);
    EXPECT_EQ(list.FullMatch(n, 0x320F, 0x226E, 0xFF1C, 0x92, ""), -1);
}

TEST(CatalogueMatchTest, NoColInThePathMatchesOnlyCollectionZeroRows) {
    DeviceList list;
    // The headset has one collection, so no "&col": collection number 0, row 10.
    EXPECT_EQ(Scan(list, kHeadset, 0x0C, 0x01), 10);
    EXPECT_EQ(list.DeviceTypeRowOf(10), 3);
    // A mouse path without "&col" does not match the mouse rows, whose collections are 2 and 3.
    EXPECT_FALSE(list.PreMatch(ReadPathNumbers("/dev/hidraw2#vid_320f&pid_226e&mi_01")));
    EXPECT_EQ(Scan(list, "/dev/hidraw2#vid_320f&pid_226e&mi_01", 0xFF1C, 0x92), -1);
}

TEST(CatalogueMatchTest, TwoIdenticalDevicesOnlyTheFirstIsMatched) {
    DeviceList list;
    EXPECT_EQ(Scan(list, kCableCommand, 0xFF1C, 0x92), 4);
    const std::string second = "/dev/hidraw12#vid_320f&pid_226e&mi_01&col02";
    EXPECT_FALSE(list.PreMatch(ReadPathNumbers(second)));
    EXPECT_EQ(list.FullMatch(ReadPathNumbers(second), 0x320F, 0x226E, 0xFF1C, 0x92, second), -1);
    EXPECT_EQ(list.FindByPath(second), -1);
}

TEST(CatalogueMatchTest, OneInterfaceIsNeverBoundToTwoEntries) {
    // The keyboard rows 0 and 2 have the same numbers and usages; a path already held by one
    // entry must not also take the other on a later scan.
    DeviceList list;
    const std::string path = "/dev/hidraw1#vid_320f&pid_0000&mi_01&col04";
    const PathNumbers n = ReadPathNumbers(path);
    EXPECT_EQ(list.FullMatch(n, 0x320F, 0, 0xFF1C, 0x92, path), 0);
    EXPECT_TRUE(list.PreMatch(n)) << "row 2 is still free";
    EXPECT_EQ(list.FullMatch(n, 0x320F, 0, 0xFF1C, 0x92, path), -1);
    // A second keyboard on its own path takes the next identical free entry.
    const std::string other = "/dev/hidraw5#vid_320f&pid_0000&mi_01&col04";
    EXPECT_EQ(list.FullMatch(n, 0x320F, 0, 0xFF1C, 0x92, other), 2);
}

TEST(CatalogueMatchTest, AllConnectedOnlyWhenNoEntryIsFree) {
    DeviceList list;
    for (size_t i = 0; i < list.Size(); ++i) {
        const DeviceListEntry& e = list.Entry(static_cast<int>(i));
        char path[96];
        std::snprintf(path, sizeof path, "/dev/hidraw%zu#vid_%04x&pid_%04x&mi_%02x&col%02x", i,
                      e.vendorId, e.productId, e.interfaceNumber, e.collectionNumber);
        EXPECT_FALSE(list.AllConnected()) << i;
        PathNumbers n = ReadPathNumbers(path);
        EXPECT_EQ(list.FullMatch(n, e.vendorId, e.productId, e.usagePage, e.usage, path),
                  static_cast<int>(i));
    }
    EXPECT_TRUE(list.AllConnected());
    list.Release(3);
    EXPECT_FALSE(list.AllConnected());
}

TEST(CatalogueMatchTest, IdenticalEntriesCompareEightValuesNotTheState) {
    DeviceList list;
    DeviceListEntry a = list.Entry(4);
    DeviceListEntry b = list.Entry(4);
    b.connected = 1;
    b.path = kCableCommand;
    EXPECT_TRUE(IdenticalEntries(a, b));
    EXPECT_FALSE(IdenticalEntries(list.Entry(4), list.Entry(6)));
    EXPECT_FALSE(IdenticalEntries(list.Entry(0), list.Entry(2))) << "type codes differ";
}

}  // namespace
}  // namespace q840::catalogue
