#include "probe/PortObserver.h"
#include "support/FakePlatform.h"

#include <gtest/gtest.h>

#include <tuple>

using namespace kw;
using namespace kw::probe;
using namespace Qt::StringLiterals;

TEST(HasConnectedProperty, KeyWordsAndValues)
{
    const std::vector<std::tuple<const char*, PropertyDictionary, bool>> cases{
        {"a number", {{u"ConnectionState"_s, 1}}, true},
        {"zero", {{u"ConnectionState"_s, 0}}, false},
        {"spaces leave the key", {{u"Port State"_s, u"Sink"_s}}, true},
        {"a state's words", {{u"CableState"_s, u"Attached (Source)"_s}}, true},
        {"true", {{u"Attach"_s, true}}, true},
        {"false", {{u"Attach"_s, false}}, false},
        {"a real", {{u"CCState"_s, 2.5}}, true},
        {"not one of the key words", {{u"ConnectionActive"_s, true}}, false},
        {"words under another key", {{u"Description"_s, u"connected"_s}}, false},
        {"a nested key", {{u"Outer"_s, PropertyDictionary{{u"Attached"_s, true}}}}, true},
        // The text of an array or a dictionary speaks of other things than its key ("source" of a
        // list of roles, "Connected" of a nested key); a dictionary is looked into by itself.
        {"an array's words", {{u"PortStates"_s, PropertyArray{u"idle"_s, u"sink"_s}}}, false},
        {"a dictionary's words", {{u"ConnectionState"_s, PropertyDictionary{{u"Role"_s, u"Source"_s}}}}, false},
        {"data", {{u"CableState"_s, QByteArray("yes")}}, false},
        {"the nested key by itself", {{u"ConnectionState"_s, PropertyDictionary{{u"Attached"_s, u"yes"_s}}}}, true},
        {"Connected", {{u"ConnectionState"_s, u"Connected"_s}}, true},
        {"yes", {{u"ConnectionState"_s, u"yes"_s}}, true},
    };
    for (const auto& [what, properties, connected] : cases)
        EXPECT_EQ(hasConnectedProperty(properties), connected) << what;
    // Values that say the opposite are not connections.
    for (const QString& value : {u"Disconnected"_s, u"detached"_s, u"Unattached"_s, u"Not Connected"_s, u"none"_s,
                                 u"No"_s, u"false"_s, u"Sink (disconnected)"_s, u"Not Attached"_s, u"not attached (sink)"_s})
        EXPECT_FALSE(hasConnectedProperty({{u"ConnectionState"_s, value}})) << value.toStdString();
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

TEST_F(ObserverFixture, FlagsFromDescendantClassesAndStates)
{
    struct Flags {
        bool connected, powerDeliveryActive, partnerIdentityVisible;
        bool operator==(const Flags&) const = default;
    };
    const auto flags = [&](const model::PortDescriptor& d) {
        const auto o = observePort(registry, d);
        return Flags{o.connected, o.powerDeliveryActive, o.partnerIdentityVisible};
    };
    // The real layout of a charging port: a PD partner under CC, power sources under Power In.
    EXPECT_TRUE(flags(portWith(1, {{u"ConnectionActive"_s, true}},
                               {child(10, u"IOPortTransportStateCC"_s, {}, {11}), child(11, u"IOPortTransportComponentCCUSBPDSOP"_s),
                                child(12, u"IOPortFeaturePowerIn"_s, {}, {13}), child(13, u"IOPortFeaturePowerSource"_s)}))
                == (Flags{true, true, true}));
    EXPECT_TRUE(flags(portWith(2, {}, {child(23, u"IOPortFeaturePowerSource"_s)})) == (Flags{true, true, false}))
        << "a power source alone means connected";
    EXPECT_TRUE(flags(portWith(3, {{u"ConnectionActive"_s, false}, {u"IOAccessoryUSBConnectString"_s, u"None"_s}},
                               {child(30, u"IOPortTransportStateCC"_s, {{u"Active"_s, false}}), child(32, u"IOPortFeaturePowerIn"_s)}))
                == (Flags{false, false, false}))
        << "the idle port of a real Mac";
    // State texts of descendants.
    EXPECT_TRUE(observePort(registry, portWith(4, {}, {child(40, u"X"_s, {{u"PartnerPresent"_s, true}})})).connected);
    EXPECT_TRUE(observePort(registry, portWith(5, {}, {child(50, u"X"_s, {{u"Status"_s, PropertyDictionary{{u"Attached"_s, u"Yes"_s}}}})}))
                    .connected);
    EXPECT_TRUE(observePort(registry, portWith(6, {}, {child(60, u"X"_s, {{u"attached"_s, 1}})})).connected);
    EXPECT_FALSE(observePort(registry, portWith(7, {}, {child(70, u"X"_s, {{u"attached"_s, 0}})})).connected);
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
