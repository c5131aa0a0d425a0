// The macOS backend on Linux, over the stand-in of Apple's C interface: every platform call answers
// as the simulated Mac behind the stand-in does, for every catalogue machine and imported capture;
// whole scripted diagnoses end in the same output; nothing leaks; failed calls give the fallbacks.
#include "MacApiStandIn.h"
#include "support/FakePlatform.h"
#include "support/Machines.h"

#include "diagnosis/DiagnosticViewModel.h"
#include "diagnosis/SystemServices.h"
#include "diagnosis/VirtualScheduler.h"
#include "diagnosis/script/ScriptRunner.h"
#include "probe/HardwareProbe.h"
#include "probe/HardwareReportAssembly.h"
#include "probe/MacIdentityDetection.h"
#include "probe/PortDiscovery.h"
#include "probe/PortObserver.h"
#include "probe/PowerSnapshotReader.h"
#include "probe/SupportDump.h"
#include "probe/backends/macos/MacPlatform.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QJsonDocument>
#include <QTimeZone>

#include <set>

using namespace kw;
using namespace Qt::StringLiterals;
using probe::PropertyArray;
using probe::PropertyDictionary;
using probe::RegistryEntry;
namespace macapi = kw::test::macapi;

namespace {

using test::catalogueMac;
using test::sourceFile;

// The macOS backend, asking the stand-in, which asks the simulated Mac. Child processes are the
// simulated Mac's: the backend shares the program's ordinary child-process code.
probe::Platform macOver(const std::shared_ptr<probe::SimulatedMac>& mac)
{
    probe::Platform platform = probe::macPlatform();
    platform.processes = mac->platform().processes;
    return platform;
}

macapi::Machine served(const std::shared_ptr<probe::SimulatedMac>& mac) { return {mac, mac, mac}; }

// Leaks and releases of what was gone, since the machine was served.
void expectNothingHeld()
{
    const macapi::Counts c = macapi::counts();
    EXPECT_EQ(c.cfObjects, 0) << "CF objects still alive";
    EXPECT_EQ(c.ioHandles, 0) << "I/O Kit handles still held";
    EXPECT_EQ(c.badReleases, 0) << "released what was no longer alive";
}

struct Machine {
    QString name;
    std::function<std::shared_ptr<probe::SimulatedMac>()> make;
};

void PrintTo(const Machine& machine, std::ostream* os) { *os << machine.name.toStdString(); }

std::vector<Machine> everyMachine()
{
    std::vector<Machine> machines;
    for (const QString& name : probe::catalogueMachineNames())
        machines.push_back({name, [name] { return catalogueMac(name); }});
    machines.push_back({u"imported M3 Pro"_s, [] {
                            return test::macFrom(test::importedCapture(u"real-mac/m3pro-mac15-6/ioport.plist"_s,
                                                                       u"real-mac/m3pro-mac15-6/hardware.json"_s));
                        }});
    machines.push_back({u"imported M1 Pro"_s, [] {
                            return test::macFrom(test::importedCapture(
                                u"real-mac/m1pro-macbookpro18/ioreg_ports_occupied.plist"_s, u"m1pro-hardware.json"_s));
                        }});
    return machines;
}

// Every entry the probe could reach: all services of the classes it asks for and of IOService, and
// all their descendants.
std::set<std::uint64_t> reachableEntries(const probe::Registry& registry)
{
    QStringList classes = probe::portControllerClassNames() + probe::systemControllerClassNames();
    classes << u"IOService"_s << u"IORegistryEntry"_s << u"IOPortFeaturePowerSource"_s;
    std::set<std::uint64_t> ids;
    for (const QString& name : classes)
        for (RegistryEntry e : registry.matchingServices(name).value_or(std::vector<RegistryEntry>()))
            ids.insert(e.token);
    for (std::uint64_t id : std::set(ids))
        for (RegistryEntry e : registry.descendants({id}).value_or(std::vector<RegistryEntry>()))
            ids.insert(e.token);
    return ids;
}

void expectSameDescendants(const std::optional<std::vector<probe::DescendantReading>>& mac,
                           const std::optional<std::vector<probe::DescendantReading>>& simulated)
{
    ASSERT_EQ(mac.has_value(), simulated.has_value());
    if (!mac)
        return;
    ASSERT_EQ(mac->size(), simulated->size());
    for (std::size_t i = 0; i < mac->size(); ++i) {
        EXPECT_EQ((*mac)[i].className, (*simulated)[i].className) << "descendant " << i;
        EXPECT_EQ((*mac)[i].properties, (*simulated)[i].properties) << "descendant " << i;
    }
}

// Every platform call, asked of both, for the machine as it is now.
void expectSameAnswers(const probe::Platform& mac, const std::shared_ptr<probe::SimulatedMac>& simulated)
{
    const probe::Registry& r = *mac.registry;
    const QStringList classes = probe::portControllerClassNames() + probe::systemControllerClassNames()
        + QStringList{u"IOService"_s, u"IOPortFeaturePowerSource"_s, u"NoSuchClass"_s};
    for (const QString& name : classes)
        EXPECT_EQ(r.matchingServices(name), simulated->matchingServices(name)) << name.toStdString();
    const std::set<std::uint64_t> ids = reachableEntries(*simulated);
    EXPECT_GT(ids.size(), 3u);
    for (std::uint64_t id : ids) {
        SCOPED_TRACE(id);
        const RegistryEntry e{id};
        EXPECT_EQ(r.entryWithId(id), simulated->entryWithId(id));
        EXPECT_EQ(r.entryId(e), simulated->entryId(e));
        EXPECT_EQ(r.className(e), simulated->className(e));
        EXPECT_EQ(r.path(e), simulated->path(e));
        EXPECT_EQ(r.properties(e), simulated->properties(e));
        EXPECT_EQ(r.descendants(e), simulated->descendants(e));
        expectSameDescendants(r.readDescendants(e), simulated->readDescendants(e));
    }
    EXPECT_EQ(r.entryWithId(0xdead0000beef), std::nullopt);
    EXPECT_EQ(mac.power->providingPowerSourceType(), simulated->providingPowerSourceType());
    EXPECT_EQ(mac.power->externalAdapterDetails(), simulated->externalAdapterDetails());
    for (const QString& name : {u"hw.model"_s, u"hw.optional.arm64"_s, u"hw.no.such.value"_s})
        EXPECT_EQ(mac.kernel->read(name), simulated->read(name)) << name.toStdString();
}

probe::ProbeReading readWith(const probe::Platform& platform)
{
    probe::ProbeReading reading;
    reading.report = probe::buildHardwareReport(platform);
    reading.power = probe::readPowerSnapshot(*platform.power);
    reading.observations = probe::observePorts(*platform.registry, reading.report.portDescriptors);
    return reading;
}

QByteArray json(const probe::ProbeReading& reading) { return QJsonDocument(probe::toJson(reading)).toJson(); }

class MacBackendOverStandIn : public ::testing::TestWithParam<Machine> {};

TEST_P(MacBackendOverStandIn, AnswersAsTheMachineBehindIt)
{
    const auto simulated = GetParam().make();
    ASSERT_TRUE(simulated);
    macapi::Serving serving(served(simulated));
    const probe::Platform mac = macOver(simulated);
    EXPECT_EQ(mac.backendName, u"macOS I/O Kit"_s);

    expectSameAnswers(mac, simulated);
    EXPECT_EQ(json(readWith(mac)), json(readWith(simulated->platform())));

    // With power coming in and a partner on the cable, the ports grow descendants.
    const auto sockets = simulated->socketStates();
    if (!sockets.empty() && sockets.front().socket.kind == probe::MachineSocket::Kind::usbC) {
        ASSERT_TRUE(simulated->plugCharger(sockets.front().socket.number, 96).isEmpty());
        if (sockets.size() > 1 && sockets[1].socket.kind == probe::MachineSocket::Kind::usbC) {
            ASSERT_TRUE(simulated->plugPdDevice(sockets[1].socket.number).isEmpty());
        }
        expectSameAnswers(mac, simulated);
        EXPECT_EQ(json(readWith(mac)), json(readWith(simulated->platform())));
    }
    expectNothingHeld();
}

INSTANTIATE_TEST_SUITE_P(EveryMachine, MacBackendOverStandIn, ::testing::ValuesIn(everyMachine()),
                         [](const auto& info) {
                             QString name = info.param.name;
                             for (QChar& c : name)
                                 if (!c.isLetterOrNumber())
                                     c = u'_';
                             return name.toStdString();
                         });

// The scripts of tests/scripts, run on the macOS backend, end as they do through the program.
TEST(MacBackendScripts, EveryScriptGivesItsExpectedOutput)
{
    const QDir dir(QStringLiteral(KW_SOURCE_DIR) + u"/tests/scripts"_s);
    const QStringList scripts = dir.entryList({u"*.script"_s}, QDir::Files, QDir::Name);
    ASSERT_FALSE(scripts.isEmpty());
    for (const QString& file : scripts) {
        SCOPED_TRACE(file.toStdString());
        const QString name = file.chopped(int(sizeof(".script") - 1));
        const auto parsed = diagnosis::script::parseScript(QString::fromUtf8(sourceFile(u"tests/scripts/"_s + file)));
        ASSERT_TRUE(parsed.error.isEmpty()) << parsed.error.toStdString();
        const auto simulated = catalogueMac(name.section(u'.', 0, 0));
        ASSERT_TRUE(simulated);
        {
            macapi::Serving serving(served(simulated));
            QString produced;
            diagnosis::RecordingSystemServices services;
            // As the program reports them on standard error.
            services.onEvent = [&produced](const QString& what, const QString& value) {
                produced += diagnosis::headlessEventLine(what, value);
            };
            diagnosis::VirtualScheduler scheduler;
            diagnosis::script::VirtualProgramTime time(scheduler);
            {
                diagnosis::DiagnosticViewModel model(
                    scheduler, std::make_shared<probe::PlatformProbe>(macOver(simulated)), services);
                const auto outcome = diagnosis::script::runScript(parsed.lines, model, simulated.get(), time);
                ASSERT_EQ(outcome.exitStatus, 0) << outcome.message.toStdString();
                produced += model.reportText() + u'\n';
            }
            QString expected = QString::fromUtf8(sourceFile(u"tests/scripts/"_s + name + u".expected"_s));
            expected.replace(u"@KABELWACHT_MAKER_HOST@"_s, QStringLiteral(KW_MAKER_HOST));
            EXPECT_EQ(produced, expected);
        }
    }
}

// The whole value vocabulary of a registry, through CF and back.
TEST(MacBackendValues, EveryValueTypeSurvivesTheWayThroughCoreFoundation)
{
    const QDateTime date = QDateTime::fromString(u"2024-03-05T06:07:08.123Z"_s, Qt::ISODate);
    ASSERT_TRUE(date.isValid());
    const PropertyDictionary properties{
        {u"yes"_s, true},
        {u"no"_s, false},
        {u"zero"_s, 0},
        {u"small"_s, -42},
        {u"largest"_s, std::int64_t(INT64_MAX)},
        {u"smallest"_s, std::int64_t(INT64_MIN)},
        {u"real"_s, 2.5},
        {u"whole real"_s, 3.0},
        {u"text"_s, u"Größe ✓ 🔌"_s},
        {u"empty text"_s, QString()},
        {u"data"_s, QByteArray("\x00\x01\xfe\xff", 4)},
        {u"no data"_s, QByteArray()},
        {u"date"_s, date},
        {u"list"_s, PropertyArray{1, u"two"_s, PropertyArray{true}, PropertyDictionary{{u"k"_s, 2.25}}}},
        {u"empty list"_s, PropertyArray{}},
        {u"nested"_s, PropertyDictionary{{u"inner"_s, PropertyDictionary{{u"Attached"_s, true}}}}},
        {u"empty dictionary"_s, PropertyDictionary{}},
    };
    auto registry = std::make_shared<test::FakeRegistry>();
    registry->add({7, {u"AppleHPMInterfaceType10"_s}, u"IOService:/port"_s, properties, {}});
    macapi::Serving serving({registry, nullptr, nullptr});
    const probe::Platform mac = probe::macPlatform();
    const auto read = mac.registry->properties({7});
    ASSERT_TRUE(read);
    EXPECT_EQ(*read, properties);
    EXPECT_EQ(read->find(u"yes"_s)->storage().index(), properties.find(u"yes"_s)->storage().index())
        << "a boolean stays a boolean";
    EXPECT_EQ(read->find(u"whole real"_s)->storage().index(), properties.find(u"whole real"_s)->storage().index());
    EXPECT_EQ(read->find(u"date"_s)->as<QDateTime>()->toMSecsSinceEpoch(), date.toMSecsSinceEpoch());
    expectNothingHeld();
}

// Failed calls, one at a time, and what the probe makes of them.
class MacBackendFailures : public ::testing::Test {
protected:
    void SetUp() override
    {
        simulated = catalogueMac(u"mac15-6"_s);
        ASSERT_TRUE(simulated);
        macapi::serve(served(simulated));
        mac = macOver(simulated);
        ASSERT_TRUE(simulated->plugCharger(1, 96).isEmpty());
        healthy = readWith(mac);
        discovered = probe::discoverPortDescriptors(*mac.registry);
        ASSERT_EQ(healthy.report.portDescriptors.size(), 3u);
        ASSERT_TRUE(healthy.observations.front().powerDeliveryActive);
    }
    void TearDown() override
    {
        expectNothingHeld();
        macapi::stopServing();
    }
    std::shared_ptr<probe::SimulatedMac> simulated;
    probe::Platform mac;
    probe::ProbeReading healthy;
    std::vector<model::PortDescriptor> discovered; // the MagSafe controller too, unlike the report
};

// Each call failing alone: no controllers found, a port that cannot be looked up, or one whose
// descendants or their classes cannot be read.
TEST_F(MacBackendFailures, EachFailingRegistryCallLeavesTheProbeWithoutWhatItGives)
{
    const auto noControllers = [&] {
        const auto report = probe::buildHardwareReport(mac);
        EXPECT_TRUE(report.portDescriptors.empty());
        EXPECT_EQ(report.rawControllerCount, 0);
        EXPECT_TRUE(report.probableControllerFailure) << "an Apple-silicon Mac without its controllers";
        EXPECT_TRUE(probe::observePorts(*mac.registry, healthy.report.portDescriptors).empty());
    };
    const auto notConnected = [&] {
        const auto observation = probe::observePort(*mac.registry, healthy.report.portDescriptors.front());
        EXPECT_EQ(observation.descriptor, healthy.report.portDescriptors.front());
        EXPECT_FALSE(observation.connected || observation.powerDeliveryActive || observation.partnerIdentityVisible);
    };
    const auto noPowerSeen = [&] {
        const auto observations = probe::observePorts(*mac.registry, healthy.report.portDescriptors);
        ASSERT_EQ(observations.size(), 3u);
        for (const auto& o : observations)
            EXPECT_FALSE(o.powerDeliveryActive || o.partnerIdentityVisible);
    };
    const std::vector<std::pair<const char*, std::function<void()>>> cases{
        {"IOServiceMatching", noControllers},           {"IOServiceGetMatchingServices", noControllers},
        {"IORegistryEntryIDMatching", notConnected},    {"IOServiceGetMatchingService", notConnected},
        {"IORegistryEntryCreateIterator", noPowerSeen}, {"IOObjectCopyClass", noPowerSeen},
    };
    for (const auto& [call, expect] : cases) {
        SCOPED_TRACE(call);
        macapi::failCall(call);
        expect();
        macapi::failCall(call, 0);
    }
}

TEST_F(MacBackendFailures, UnreadablePropertiesAndPathsGiveTheFallbacks)
{
    macapi::failCall("IORegistryEntryCreateCFProperties");
    macapi::failCall("IORegistryEntryGetPath");
    const auto descriptors = probe::discoverPortDescriptors(*mac.registry);
    ASSERT_EQ(descriptors.size(), discovered.size());
    for (std::size_t i = 0; i < descriptors.size(); ++i) {
        EXPECT_EQ(descriptors[i].id, discovered[i].id);
        EXPECT_EQ(descriptors[i].registryPath, u"registry://unknown"_s);
        EXPECT_EQ(descriptors[i].debugSummary, probe::textForm(PropertyDictionary()));
        EXPECT_EQ(descriptors[i].sortHint, std::int64_t(10000 + i));
    }
}

TEST_F(MacBackendFailures, AnEntryThatVanishesAfterMatchingIsReadAsEmpty)
{
    // Matching and the ID still work; every later look-up finds nothing.
    macapi::failCall("IOServiceGetMatchingService", -1, 1);
    const auto descriptors = probe::discoverPortDescriptors(*mac.registry);
    ASSERT_EQ(descriptors.size(), 1u) << "the others vanished before their ID was read";
    EXPECT_EQ(descriptors[0].registryPath, u"registry://unknown"_s);
    EXPECT_EQ(descriptors[0].debugSummary, probe::textForm(PropertyDictionary()));
    const auto observation = probe::observePort(*mac.registry, healthy.report.portDescriptors.front());
    EXPECT_FALSE(observation.connected || observation.powerDeliveryActive || observation.partnerIdentityVisible);
}

TEST_F(MacBackendFailures, PowerSourcesThatCannotBeReadLeaveTheAdapterToDecide)
{
    macapi::failCall("IOPSCopyPowerSourcesInfo");
    auto snapshot = probe::readPowerSnapshot(*mac.power);
    EXPECT_TRUE(snapshot.externalPowerConnected) << "the adapter's details are there";
    EXPECT_FALSE(snapshot.rawDescription.contains(u"Source: "_s));
    EXPECT_EQ(snapshot.adapterWatts, healthy.power.adapterWatts);

    macapi::failCall("IOPSCopyPowerSourcesInfo", 0);
    macapi::failCall("IOPSGetProvidingPowerSourceType");
    EXPECT_FALSE(probe::readPowerSnapshot(*mac.power).rawDescription.contains(u"Source: "_s));

    macapi::failCall("IOPSCopyExternalPowerAdapterDetails");
    snapshot = probe::readPowerSnapshot(*mac.power);
    EXPECT_FALSE(snapshot.externalPowerConnected);
    EXPECT_EQ(snapshot.adapterWatts, std::nullopt);
    EXPECT_EQ(snapshot.adapterName, std::nullopt);
}

TEST_F(MacBackendFailures, KernelValuesThatCannotBeReadGiveTheIdentityFallbacks)
{
    macapi::failCall("sysctlbyname");
    const auto identity = probe::detectMacIdentity(mac);
    EXPECT_EQ(identity.modelIdentifier, u"Unbekanntes Mac Modell"_s);
    EXPECT_FALSE(identity.isAppleSilicon);
    // Only the second of the two calls for the model fails: the value is absent all the same.
    macapi::failCall("sysctlbyname", 1, 1);
    EXPECT_EQ(probe::readSysctlString(*mac.kernel, u"hw.model"_s), std::nullopt);
    EXPECT_EQ(probe::readSysctlString(*mac.kernel, u"hw.model"_s), u"Mac15,6"_s);
}

// A path that does not fit io_string_t cannot be returned; one byte less still can.
TEST(MacBackendPaths, APathTooLongForIoStringIsUnknown)
{
    auto registry = std::make_shared<test::FakeRegistry>();
    const QString fits = u"IOService:/"_s + QString(511 - 11, u'a');
    const QString tooLong = fits + u'a';
    registry->add({1, {u"AppleHPMInterfaceType10"_s}, fits, PropertyDictionary(), {}});
    registry->add({2, {u"AppleHPMInterfaceType10"_s}, tooLong, PropertyDictionary(), {}});
    macapi::Serving serving({registry, nullptr, nullptr});
    const probe::Platform mac = probe::macPlatform();
    EXPECT_EQ(mac.registry->path({1}), fits);
    EXPECT_EQ(mac.registry->path({2}), std::nullopt) << "refused, not cut";
    expectNothingHeld();
}

} // namespace
