#include "probe/PortDiscovery.h"
#include "support/FakePlatform.h"

#include <gtest/gtest.h>

using namespace kw;
using namespace kw::probe;
using namespace Qt::StringLiterals;

TEST(PortSortHint, KeysAreTriedInOrderAndValuesByKind)
{
    EXPECT_EQ(portSortHint({{u"PortNumber"_s, 2}, {u"port"_s, 7}}, 0), 2);
    EXPECT_EQ(portSortHint({{u"UsbIOPort"_s, u"abc"_s}, {u"PortNum"_s, u"+3"_s}}, 0), 3);
    EXPECT_EQ(portSortHint({{u"PortNum"_s, u"-1"_s}}, 0), -1);
    EXPECT_EQ(portSortHint({{u"PortNum"_s, u" 4"_s}, {u"port"_s, 9}}, 0), 9);
    EXPECT_EQ(portSortHint({{u"PortNum"_s, u"4 "_s}}, 5), 10005);
    EXPECT_EQ(portSortHint({{u"PortNum"_s, u"+"_s}}, 0), 10000);
    EXPECT_EQ(portSortHint({{u"PortNum"_s, u"\u0663"_s}}, 0), 10000) << "only ASCII digits";
    EXPECT_EQ(portSortHint({{u"PortNum"_s, u"9223372036854775807"_s}}, 0), INT64_MAX);
    EXPECT_EQ(portSortHint({{u"PortNum"_s, u"-9223372036854775808"_s}}, 0), INT64_MIN);
    EXPECT_EQ(portSortHint({{u"PortNum"_s, u"9223372036854775808"_s}}, 0), 10000) << "out of range";
    EXPECT_EQ(portSortHint({{u"PortNumber"_s, true}}, 0), 1) << "a boolean is a number";
    EXPECT_EQ(portSortHint({{u"PortNumber"_s, 2.9}}, 0), 2);
}

TEST(PortSortHint, DataBlobsAreBigEndianUpToEightBytes)
{
    EXPECT_EQ(portSortHint({{u"port"_s, QByteArray("\x01\x02", 2)}}, 0), 258);
    EXPECT_EQ(portSortHint({{u"port"_s, QByteArray()}}, 0), 0);
    EXPECT_EQ(portSortHint({{u"port"_s, QByteArray(9, '\1')}}, 3), 10003);
    EXPECT_EQ(portSortHint({{u"port"_s, QByteArray("\x7f\xff\xff\xff\xff\xff\xff\xff", 8)}}, 0), INT64_MAX);
    // Too large for a signed hint: passed over rather than wrapped into a negative number.
    EXPECT_EQ(portSortHint({{u"port"_s, QByteArray(8, '\xff')}}, 1), 10001);
    EXPECT_EQ(portSortHint({{u"port"_s, PropertyArray{1}}}, 2), 10002) << "other kinds yield nothing";
}

namespace {

test::FakeEntry port(std::uint64_t id, const QString& cls, std::optional<std::int64_t> number = std::nullopt,
                     QString path = {})
{
    test::FakeEntry e;
    e.id = id;
    e.classes = {cls, u"IOService"_s};
    e.path = path.isEmpty() ? u"IOService:/p%1"_s.arg(id) : path;
    if (number)
        e.properties = PropertyDictionary{{u"PortNumber"_s, *number}};
    return e;
}

model::PortDescriptor descriptor(std::int64_t hint, const QString& path)
{
    return {1, u"c"_s, path, hint, {}};
}

} // namespace

TEST(DiscoverPortDescriptors, ListsEachServiceOnceUnderFirstClassInListOrder)
{
    test::FakeRegistry registry;
    auto both = port(7, u"AppleHPMInterfaceType11"_s, 2);
    both.classes.insert(1, u"AppleHPMInterfaceType10"_s); // Type11 is a subclass of Type10 here
    registry.add(port(9, u"AppleTCControllerType10"_s, 1));
    registry.add(both);
    registry.add(port(8, u"AppleHPMInterfaceType10"_s, 3));

    const auto found = discoverPortDescriptors(registry);
    ASSERT_EQ(found.size(), 3u);
    EXPECT_EQ(found[0].id, 7u);
    EXPECT_EQ(found[0].serviceClass, u"AppleHPMInterfaceType10"_s);
    EXPECT_EQ(found[1].id, 8u);
    EXPECT_EQ(found[2].id, 9u);
    EXPECT_EQ(found[2].serviceClass, u"AppleTCControllerType10"_s);
    EXPECT_EQ(found[0].debugSummary, u"{\n    PortNumber = 2;\n}"_s);
}

TEST(DiscoverPortDescriptors, FallbacksForUnreadableParts)
{
    test::FakeRegistry registry;
    auto noId = port(1, u"AppleHPMInterfaceType10"_s, 1);
    noId.idReadable = false;
    registry.add(noId);
    auto noPath = port(2, u"AppleHPMInterfaceType10"_s);
    noPath.path.reset();
    noPath.properties.reset();
    registry.add(noPath);
    registry.add(port(3, u"AppleHPMInterfaceType10"_s));
    registry.add(port(4, u"AppleHPMInterfaceType12"_s));
    registry.failingMatches.insert(u"AppleHPMInterfaceType12"_s);

    const auto found = discoverPortDescriptors(registry);
    ASSERT_EQ(found.size(), 2u);
    EXPECT_EQ(found[0].registryPath, u"registry://unknown"_s);
    EXPECT_EQ(found[0].debugSummary, u"{\n}"_s);
    EXPECT_EQ(found[0].sortHint, 10000);
    EXPECT_EQ(found[1].sortHint, 10001) << "the fallback counts descriptors kept, not services seen";
}

TEST(PortOrder, HintThenPathThenDiscoveryOrder)
{
    std::vector<model::PortDescriptor> list{descriptor(10001, u"b"_s), descriptor(2, u"z"_s), descriptor(2, u"a"_s),
                                            descriptor(10000, u"registry://unknown"_s),
                                            descriptor(10000, u"registry://unknown"_s)};
    list[3].id = 30;
    list[4].id = 40;
    sortInPortOrder(list);
    EXPECT_EQ(list[0].registryPath, u"a"_s);
    EXPECT_EQ(list[1].registryPath, u"z"_s);
    EXPECT_EQ(list[2].id, 30u);
    EXPECT_EQ(list[3].id, 40u);
    EXPECT_EQ(list[4].registryPath, u"b"_s);
    // Scalar order: U+1F600 (a surrogate pair in UTF-16) comes after U+FF5E.
    EXPECT_TRUE(portOrderPrecedes(descriptor(1, u"\uFF5E"_s), descriptor(1, QString::fromUcs4(U"\U0001F600"))));
    EXPECT_TRUE(portOrderPrecedes(descriptor(1, u"B"_s), descriptor(1, u"a"_s))) << "plain, case-sensitive order";
}

TEST(CountServices, CountsDistinctEntriesAcrossClasses)
{
    test::FakeRegistry registry;
    EXPECT_EQ(countServices(registry, systemControllerClassNames()), 0);
    auto xhci = port(1, u"AppleIntelCNLUSBXHCI"_s);
    xhci.classes = {u"AppleIntelCNLUSBXHCI"_s, u"AppleUSBXHCIPCI"_s, u"AppleUSBXHCI"_s};
    registry.add(xhci);
    registry.add(port(2, u"AppleThunderboltNHI"_s));
    auto unreadable = port(3, u"AppleThunderboltHAL"_s);
    unreadable.idReadable = false;
    registry.add(unreadable);
    EXPECT_EQ(countServices(registry, systemControllerClassNames()), 2);
}

TEST(DiscoverPortDescriptors, RegistryPathsComeWithoutControls)
{
    test::FakeRegistry registry;
    auto entry = port(1, u"AppleHPMInterfaceType10"_s, 1);
    entry.path = u"IOService:/Port-USB-C\x1b[31m@1\r\n\u202e"_s;
    registry.add(entry);
    const auto found = discoverPortDescriptors(registry);
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].registryPath, u"IOService:/Port-USB-C [31m@1  "_s);
}
