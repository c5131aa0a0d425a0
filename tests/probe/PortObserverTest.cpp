#include "probe/PortObserver.h"
#include "support/FakePlatform.h"

#include <gtest/gtest.h>

using namespace kw;
using namespace kw::probe;
using namespace Qt::StringLiterals;

TEST(HasConnectedProperty, KeyWordsAndValues)
{
    EXPECT_TRUE(hasConnectedProperty({{u"ConnectionState"_s, 1}}));
    EXPECT_FALSE(hasConnectedProperty({{u"ConnectionState"_s, 0}}));
    EXPECT_TRUE(hasConnectedProperty({{u"Port State"_s, u"Sink"_s}})) << "spaces leave the key";
    EXPECT_TRUE(hasConnectedProperty({{u"CableState"_s, u"Attached (Source)"_s}}));
    EXPECT_TRUE(hasConnectedProperty({{u"Attach"_s, true}}));
    EXPECT_FALSE(hasConnectedProperty({{u"Attach"_s, false}}));
    EXPECT_TRUE(hasConnectedProperty({{u"CCState"_s, 2.5}}));
    EXPECT_FALSE(hasConnectedProperty({{u"ConnectionActive"_s, true}})) << "not one of the key words";
    EXPECT_FALSE(hasConnectedProperty({{u"Description"_s, u"connected"_s}}));
    EXPECT_TRUE(hasConnectedProperty({{u"Outer"_s, PropertyDictionary{{u"Attached"_s, true}}}}));
}

TEST(HasConnectedProperty, OnlyAStringValueIsReadAsWords)
{
    // The text of an array or a dictionary speaks of other things than its key ("source" of a list
    // of roles, "Connected" of a nested key); a dictionary is looked into by itself.
    EXPECT_FALSE(hasConnectedProperty({{u"PortStates"_s, PropertyArray{u"idle"_s, u"sink"_s}}}));
    EXPECT_FALSE(hasConnectedProperty({{u"ConnectionState"_s, PropertyDictionary{{u"Role"_s, u"Source"_s}}}}));
    EXPECT_FALSE(hasConnectedProperty({{u"CableState"_s, QByteArray("yes")}}));
    EXPECT_TRUE(hasConnectedProperty({{u"ConnectionState"_s, PropertyDictionary{{u"Attached"_s, u"yes"_s}}}}))
        << "the nested key still counts by itself";
}

TEST(HasConnectedProperty, ValuesThatSayTheOppositeAreNotConnections)
{
    for (const QString& value : {u"Disconnected"_s, u"detached"_s, u"Unattached"_s, u"Not Connected"_s, u"none"_s,
                                 u"No"_s, u"false"_s, u"Sink (disconnected)"_s, u"Not Attached"_s, u"not attached (sink)"_s})
        EXPECT_FALSE(hasConnectedProperty({{u"ConnectionState"_s, value}})) << value.toStdString();
    EXPECT_TRUE(hasConnectedProperty({{u"ConnectionState"_s, u"Connected"_s}}));
    EXPECT_TRUE(hasConnectedProperty({{u"ConnectionState"_s, u"yes"_s}}));
}

TEST(HasConnectedProperty, DeepNestingIsBounded)
{
    PropertyDictionary deep{{u"Attached"_s, true}};
    for (int i = 0; i < 200; ++i)
        deep = PropertyDictionary{{u"x"_s, deep}};
    EXPECT_FALSE(hasConnectedProperty(deep)) << "deeper than any loader allows: not searched";
}

namespace {

struct ObserverFixture : ::testing::Test {
    test::FakeRegistry registry;

    model::PortDescriptor portWith(std::uint64_t id, PropertyDictionary props, std::vector<test::FakeEntry> subtree = {},
                                   std::int64_t number = 1)
    {
        props.insert(u"PortNumber"_s, number);
        test::FakeEntry e{id, {u"AppleHPMInterfaceType10"_s}, u"IOService:/Port-USB-C@%1"_s.arg(id), props, {}};
        for (auto& child : subtree)
            e.children.push_back(child.id);
        registry.add(e);
        for (auto& child : subtree)
            registry.add(child);
        return {id, u"AppleHPMInterfaceType10"_s, *e.path, number, textForm(props)};
    }
    static test::FakeEntry child(std::uint64_t id, const QString& cls, PropertyDictionary props = {},
                                 std::vector<std::uint64_t> children = {})
    {
        return {id, {cls}, std::nullopt, props, children};
    }
};

} // namespace

TEST_F(ObserverFixture, FlagsFromDescendantClasses)
{
    // The real layout of a charging port: a PD partner under CC, power sources under Power In.
    auto d = portWith(1, {{u"ConnectionActive"_s, true}},
                      {child(10, u"IOPortTransportStateCC"_s, {}, {11}), child(11, u"IOPortTransportComponentCCUSBPDSOP"_s),
                       child(12, u"IOPortFeaturePowerIn"_s, {}, {13}), child(13, u"IOPortFeaturePowerSource"_s)});
    const auto o = observePort(registry, d);
    EXPECT_TRUE(o.powerDeliveryActive);
    EXPECT_TRUE(o.partnerIdentityVisible);
    EXPECT_TRUE(o.connected);
}

TEST_F(ObserverFixture, PowerSourceAloneMeansConnected)
{
    auto d = portWith(1, {}, {child(13, u"IOPortFeaturePowerSource"_s)});
    const auto o = observePort(registry, d);
    EXPECT_TRUE(o.connected);
    EXPECT_TRUE(o.powerDeliveryActive);
    EXPECT_FALSE(o.partnerIdentityVisible);
}

TEST_F(ObserverFixture, IdlePortOfARealMacIsNotConnected)
{
    auto d = portWith(1, {{u"ConnectionActive"_s, false}, {u"IOAccessoryUSBConnectString"_s, u"None"_s}},
                      {child(10, u"IOPortTransportStateCC"_s, {{u"Active"_s, false}}),
                       child(12, u"IOPortFeaturePowerIn"_s)});
    const auto o = observePort(registry, d);
    EXPECT_FALSE(o.connected || o.powerDeliveryActive || o.partnerIdentityVisible);
}

TEST_F(ObserverFixture, StateTextSubstringsOfDescendants)
{
    auto a = portWith(1, {}, {child(10, u"X"_s, {{u"PartnerPresent"_s, true}})});
    auto b = portWith(2, {}, {child(20, u"X"_s, {{u"Status"_s, PropertyDictionary{{u"Attached"_s, u"Yes"_s}}}})});
    auto c = portWith(3, {}, {child(30, u"X"_s, {{u"attached"_s, 1}})});
    auto e = portWith(4, {}, {child(40, u"X"_s, {{u"attached"_s, 0}})});
    EXPECT_TRUE(observePort(registry, a).connected);
    EXPECT_TRUE(observePort(registry, b).connected);
    EXPECT_TRUE(observePort(registry, c).connected);
    EXPECT_FALSE(observePort(registry, e).connected);
}

TEST_F(ObserverFixture, VanishedEntriesAndUnreadableParts)
{
    auto d = portWith(1, {{u"PartnerPresent"_s, 1}});
    model::PortDescriptor gone{99, u"AppleHPMInterfaceType10"_s, u"x"_s, 2, {}};
    const auto lone = observePort(registry, gone);
    EXPECT_FALSE(lone.connected);
    EXPECT_EQ(lone.descriptor, gone);

    const auto observations = observePorts(registry, {d, gone});
    ASSERT_EQ(observations.size(), 1u);
    EXPECT_EQ(observations[0].descriptor.id, 1u);

    registry.descendantsFail = true;
    EXPECT_TRUE(observePort(registry, d).connected) << "own properties still count";
}

TEST_F(ObserverFixture, ObservationsComeInPortOrderWithFreshDescriptors)
{
    auto third = portWith(3, {}, {}, 3);
    auto first = portWith(1, {}, {}, 1);
    auto second = portWith(2, {}, {}, 2);
    auto stale = second;
    stale.debugSummary = u"old"_s;
    const auto observations = observePorts(registry, {third, stale, first});
    ASSERT_EQ(observations.size(), 3u);
    EXPECT_EQ(observations[0].descriptor.id, 1u);
    EXPECT_EQ(observations[1].descriptor.id, 2u);
    EXPECT_EQ(observations[1].descriptor.debugSummary, second.debugSummary);
    EXPECT_EQ(observations[2].descriptor.id, 3u);
}
