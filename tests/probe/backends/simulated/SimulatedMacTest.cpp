#include "probe/MacIdentityDetection.h"
#include "probe/PortDiscovery.h"
#include "probe/backends/simulated/SimulatedMac.h"

#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

#include <chrono>

using namespace kw::probe;
using namespace Qt::StringLiterals;

namespace {

const char* machineJson = R"({
  "format": 1, "title": "Tree",
  "kernel": { "hw.model": "MacBookPro18,3", "hw.optional.arm64": 1, "big": 5000000000 },
  "hardwareOverview": { "SPHardwareDataType": [ { "machine_name": "MacBook Pro", "chip_type": "Apple M1 Pro" } ] },
  "classes": { "IOService": "IORegistryEntry", "AppleTCController": "IOService",
               "AppleTCControllerType10": "AppleTCController", "AppleTCControllerType11": "AppleTCController",
               "IOPortTransportStateCC": "IOService" },
  "registry": { "id": 1, "class": "IORegistryEntry", "name": "Root", "children": [
    { "id": 2, "class": "IOService", "name": "AppleHPMDevice", "location": "38", "children": [
      { "id": 3, "class": "AppleTCControllerType10", "name": "Port-USB-C", "location": "1",
        "properties": { "PortNumber": 1 },
        "children": [ { "id": 4, "class": "IOPortTransportStateCC", "name": "CC",
                        "children": [ { "id": 5, "class": "IOService", "name": "SOP" } ] },
                      { "id": 6, "class": "IOService", "name": "Power In" } ] } ] },
    { "id": 7, "class": "AppleTCControllerType11", "name": "Port-MagSafe 3", "location": "1" } ] },
  "power": { "providingType": "AC Power", "adapter": { "Watts": 96 } },
  "charging": { "powerSourceFeatures": false },
  "sockets": [ { "kind": "USB-C", "number": 1, "entry": 3 }, { "kind": "MagSafe", "entry": 7 } ]
})";

std::shared_ptr<SimulatedMac> makeMac(const QByteArray& json = machineJson)
{
    auto loaded = parseMachineFile(json, u"test"_s);
    EXPECT_TRUE(loaded.machine) << loaded.error.toStdString();
    return SimulatedMac::create(std::move(*loaded.machine), QStringLiteral(KW_PROFILER_HELPER));
}

std::vector<std::uint64_t> idsOf(const SimulatedMac& mac, const std::vector<RegistryEntry>& entries)
{
    std::vector<std::uint64_t> ids;
    for (auto e : entries)
        ids.push_back(*mac.entryId(e));
    return ids;
}

} // namespace

TEST(SimulatedMac, MatchesClassesWithSubclassesInTreeOrder)
{
    auto mac = makeMac();
    EXPECT_EQ(idsOf(*mac, *mac->matchingServices(u"AppleTCController"_s)), (std::vector<std::uint64_t>{3, 7}));
    EXPECT_EQ(idsOf(*mac, *mac->matchingServices(u"AppleTCControllerType11"_s)), (std::vector<std::uint64_t>{7}));
    EXPECT_TRUE(mac->matchingServices(u"Nothing"_s)->empty());
}

TEST(SimulatedMac, PathsAndDescendants)
{
    auto mac = makeMac();
    EXPECT_EQ(mac->path({3}), u"IOService:/AppleHPMDevice@38/Port-USB-C@1"_s);
    EXPECT_EQ(mac->path({1}), u"IOService:/"_s);
    EXPECT_EQ(idsOf(*mac, *mac->descendants({3})), (std::vector<std::uint64_t>{4, 5, 6}));
    EXPECT_EQ(mac->entryWithId(99), std::nullopt);
    EXPECT_EQ(mac->className({4}), u"IOPortTransportStateCC"_s);
}

TEST(SimulatedMac, KernelValuesAsTheKernelHandsThemOut)
{
    auto mac = makeMac();
    EXPECT_EQ(*mac->read(u"hw.model"_s), QByteArray("MacBookPro18,3\0", 15));
    EXPECT_EQ(mac->read(u"hw.optional.arm64"_s)->size(), 4);
    EXPECT_EQ(mac->read(u"big"_s)->size(), 8);
    EXPECT_EQ(mac->read(u"hw.missing"_s), std::nullopt);
}

TEST(SimulatedMac, HardwareOverviewComesFromARealChildProcess)
{
    auto mac = makeMac();
    const auto identity = detectMacIdentity(mac->platform());
    EXPECT_EQ(identity, (kw::model::MacIdentity{u"MacBookPro18,3"_s, u"MacBook Pro"_s, u"Apple M1 Pro"_s, true, true}));
    // Other programs do not exist on the simulated Mac.
    EXPECT_EQ(mac->run(u"/bin/true"_s, {}, Seconds(1)), std::nullopt);
    // The helper insists on the real tool's arguments.
    const auto wrongArgs = mac->run(SimulatedMac::systemProfilerPath, {u"SPUSBDataType"_s}, Seconds(5));
    ASSERT_TRUE(wrongArgs);
    EXPECT_NE(wrongArgs->status, 0);
}

TEST(SimulatedMac, SlowOrFailingToolLeavesFallbacks)
{
    QJsonObject o = QJsonDocument::fromJson(machineJson).object();
    o[u"hardwareOverviewDelaySeconds"_s] = 5;
    auto slow = makeMac(QJsonDocument(o).toJson());
    const auto start = std::chrono::steady_clock::now();
    const auto identity = detectMacIdentity(slow->platform(), 0.3);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
    EXPECT_EQ(identity.marketingName, QString());
    EXPECT_EQ(identity.chipName, u"Apple Chip"_s);
    EXPECT_TRUE(identity.isNotebook) << "from the model identifier";

    o.remove(u"hardwareOverviewDelaySeconds"_s);
    o[u"hardwareOverviewExitStatus"_s] = 1;
    EXPECT_EQ(detectMacIdentity(makeMac(QJsonDocument(o).toJson())->platform()).marketingName, QString());

    o.remove(u"hardwareOverviewExitStatus"_s);
    o.remove(u"hardwareOverview"_s);
    EXPECT_EQ(detectMacIdentity(makeMac(QJsonDocument(o).toJson())->platform()).marketingName, QString());
}
