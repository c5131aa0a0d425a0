// The crediting step on its own: which port a charger that just brought power is credited to.
#include "diagnosis/PortCrediting.h"

#include <gtest/gtest.h>

using namespace kw;
using namespace kw::diagnosis;
using Outcome = PortCredit::Outcome;

namespace {

enum Shows { idle, connectedOnly, partner, power };

// Ports 1, 2, 3 … in port order, with IDs 101, 102, 103 …
std::vector<model::PortObservation> ports(std::initializer_list<Shows> shown)
{
    std::vector<model::PortObservation> list;
    model::RegistryEntryId id = 101;
    for (Shows s : shown) {
        model::PortObservation o;
        o.descriptor.id = id++;
        o.connected = s != idle;
        o.partnerIdentityVisible = s == partner || s == power;
        o.powerDeliveryActive = s == power;
        list.push_back(o);
    }
    return list;
}

PortCredit credited(model::RegistryEntryId id) { return {Outcome::credited, id}; }
const PortCredit alreadyTested{Outcome::alreadyTested, std::nullopt};
const PortCredit noActivePort{Outcome::noActivePort, std::nullopt};

std::vector<model::RegistryEntryId> idsOf(const std::vector<model::PortObservation>& observations)
{
    std::vector<model::RegistryEntryId> ids;
    for (const auto& o : observations)
        ids.push_back(o.descriptor.id);
    return ids;
}

} // namespace

TEST(PortCrediting, WithoutPowerSourcesTheFirstActiveUntestedPortIsCredited)
{
    // Families that publish no power sources: a charger is a partner like any hub.
    EXPECT_EQ(creditChargingPort(ports({idle, partner, partner}), {}), credited(102));
    EXPECT_EQ(creditChargingPort(ports({connectedOnly, partner}), {}), credited(101)) << "connected alone is active";
    EXPECT_EQ(creditChargingPort(ports({partner, partner}), {101}), credited(102));
    EXPECT_EQ(creditChargingPort(ports({partner, idle}), {101}), alreadyTested);
    EXPECT_EQ(creditChargingPort(ports({idle, idle}), {}), noActivePort);
    EXPECT_EQ(creditChargingPort({}, {}), noActivePort);
}

TEST(PortCrediting, APowerSourceLeavesOnlyPoweredPortsAsCandidates)
{
    EXPECT_EQ(creditChargingPort(ports({partner, power}), {}), credited(102)) << "a hub in an earlier socket";
    EXPECT_EQ(creditChargingPort(ports({connectedOnly, idle, power}), {}), credited(103)) << "a USB stick";
    EXPECT_EQ(creditChargingPort(ports({partner, connectedOnly, power}), {}), credited(103));
    EXPECT_EQ(idsOf(chargeCandidates(ports({partner, power, connectedOnly, power}))),
              (std::vector<model::RegistryEntryId>{102, 104}))
        << "in port order";
    EXPECT_EQ(idsOf(chargeCandidates(ports({connectedOnly, partner, idle}))),
              (std::vector<model::RegistryEntryId>{101, 102}))
        << "without power sources every active port";
}

TEST(PortCrediting, APowerSourceDecidesAlreadyTestedToo)
{
    // The charger back in a tested socket while a hub sits in an untested one: the hub takes nothing.
    EXPECT_EQ(creditChargingPort(ports({partner, power}), {102}), alreadyTested);
    EXPECT_EQ(creditChargingPort(ports({power, partner}), {101}), alreadyTested);
    // Two chargers at once: the first untested powered port.
    EXPECT_EQ(creditChargingPort(ports({partner, power, power}), {102}), credited(103));
    EXPECT_EQ(creditChargingPort(ports({partner, power, power}), {102, 103}), alreadyTested);
}
