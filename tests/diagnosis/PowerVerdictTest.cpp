// The weak-port finding: the rule by examples, the contract as the probe reads it from real and
// simulated registries, and what the report says.
#include "DiagnosisHarness.h"

#include "diagnosis/DiagnosisReport.h"
#include "diagnosis/PowerVerdict.h"
#include "probe/PortObserver.h"


using namespace kw;
using namespace kw::test;
using namespace Qt::StringLiterals;
using diagnosis::findWeakPorts;
using diagnosis::WeakPort;
using model::PortResultState;
using model::PortTestResult;
using model::PowerContract;
using model::PowerLevel;

namespace {

// What a 96 W USB-PD charger offers.
const std::vector<PowerLevel> offers96{{5000, 3000, 15000}, {9000, 3000, 27000}, {15000, 3000, 45000}, {20000, 4800, 96000}};
const std::vector<PowerLevel> offers30{{5000, 3000, 15000}, {9000, 3000, 27000}, {15000, 2000, 30000}};

PowerContract powerDelivery(PowerLevel agreed, std::vector<PowerLevel> offers = offers96)
{
    return {PowerContract::Kind::powerDelivery, agreed, std::move(offers)};
}
PowerContract typeC5V() { return {PowerContract::Kind::typeC, {5000, 3000, 15000}, {}}; }

PortTestResult passed(std::int64_t ordinal, std::optional<PowerContract> contract, int watts = 96,
                      std::optional<QString> name = u"96W USB-C Power Adapter"_s)
{
    return PortTestResult::make(ordinal, PortResultState::passed, model::RegistryEntryId(100 + ordinal), watts,
                                diagnosis::texts::passedNote(watts), std::move(contract), name);
}

std::vector<std::int64_t> weakOrdinals(const std::vector<PortTestResult>& results)
{
    std::vector<std::int64_t> ordinals;
    for (const WeakPort& w : findWeakPorts(results))
        ordinals.push_back(w.ordinal);
    return ordinals;
}

const PowerLevel at20V{20000, 4800, 96000};

} // namespace

TEST(PowerVerdict, TheWornSocketIsNamedWhereverItIs)
{
    for (std::int64_t worn = 1; worn <= 3; ++worn) {
        std::vector<PortTestResult> results;
        for (std::int64_t i = 1; i <= 3; ++i)
            results.push_back(passed(i, i == worn ? typeC5V() : powerDelivery(at20V)));
        const auto weak = findWeakPorts(results);
        ASSERT_EQ(weak.size(), 1u) << "worn socket " << worn;
        EXPECT_EQ(weak[0].ordinal, worn);
        EXPECT_EQ(weak[0].comparedOrdinal, worn == 1 ? 2 : 1) << "the first of the best";
        EXPECT_EQ(diagnosis::texts::weakNote(weak[0]),
                  u"Mit demselben Netzteil wurden an Anschluss %1 96 W vereinbart, hier nur 5 V und 15 W. Das deutet auf "
                  u"eine abgenutzte Buchse oder einen beschädigten Ladepfad hin."_s.arg(*weak[0].comparedOrdinal));
    }
}

TEST(PowerVerdict, WhichPortsAreWeak)
{
    const auto pd = [](PowerLevel agreed) { return powerDelivery(agreed); };
    const PowerLevel at5V{5000, 3000, 15000}, at9V{9000, 3000, 27000}, at15V{15000, 3000, 48000};
    const auto failed = PortTestResult::make(2, PortResultState::failed, std::nullopt, std::nullopt, diagnosis::texts::timeoutNote);
    const auto limited = PortTestResult::make(3, PortResultState::limited, std::nullopt, 96, diagnosis::texts::limitedNote,
                                              typeC5V(), u"96W USB-C Power Adapter"_s);
    const std::vector<std::tuple<const char*, std::vector<PortTestResult>, std::vector<std::int64_t>>> cases{
        {"48 W is not less than half of 96 W; 27 W is", {passed(1, pd(at15V)), passed(2, pd(at20V)), passed(3, pd(at9V))}, {3}},
        {"another charger's offers", {passed(1, pd(at20V)), passed(2, powerDelivery({15000, 2000, 30000}, offers30))}, {}},
        {"another adapter's name", {passed(1, pd(at20V)), passed(2, typeC5V(), 15, u"USB-C Netzteil"_s)}, {}},
        {"another adapter's watts", {passed(1, pd(at20V)), passed(2, typeC5V(), 60)}, {}},
        {"no name: nothing says it is the same charger",
         {passed(1, pd(at20V), 96, std::nullopt), passed(2, typeC5V(), 96, std::nullopt)}, {}},
        {"the same adapter at 5 V", {passed(1, pd(at20V)), passed(2, typeC5V())}, {2}},
        {"all the same", {passed(1, pd(at20V)), passed(2, pd(at20V)), passed(3, pd(at20V))}, {}},
        {"5 V everywhere", {passed(1, typeC5V()), passed(2, typeC5V())}, {}},
        {"5 V everywhere by Power Delivery", {passed(1, pd(at5V)), passed(2, pd(at5V))}, {}},
        {"alone at its best offer", {passed(1, pd(at20V))}, {}},
        {"alone without offers: a 5 V charger, for all we know", {passed(1, typeC5V())}, {}},
        {"alone, offering 5 V only", {passed(1, powerDelivery(at5V, {at5V}))}, {}},
        {"alone with its charger", {passed(1, powerDelivery({15000, 2000, 30000}, offers30)), passed(2, pd(at5V))}, {2}},
        {"failed and limited take no part", {passed(1, pd(at20V)), failed, limited}, {}},
        {"no published contract", {passed(1, pd(at20V)), passed(2, std::nullopt)}, {}},
    };
    for (const auto& [what, results, weak] : cases)
        EXPECT_EQ(weakOrdinals(results), weak) << what;

    auto weak = findWeakPorts({passed(1, pd(at15V)), passed(2, pd(at20V)), passed(3, pd(at9V))});
    ASSERT_EQ(weak.size(), 1u);
    EXPECT_EQ(weak[0], (WeakPort{3, 2, at20V, at9V}));
    EXPECT_EQ(diagnosis::texts::weakNote(weak[0]),
              u"Mit demselben Netzteil wurden an Anschluss 2 96 W vereinbart, hier nur 9 V und 27 W. Das deutet auf eine "
              u"abgenutzte Buchse oder einen beschädigten Ladepfad hin."_s);
    weak = findWeakPorts({passed(1, pd(at5V))});
    ASSERT_EQ(weak.size(), 1u) << "offers reach 20 V, the contract is 5 V";
    EXPECT_EQ(weak[0], (WeakPort{1, std::nullopt, at20V, at5V}));
    EXPECT_EQ(diagnosis::texts::weakNote(weak[0]),
              u"Das Netzteil bietet an diesem Anschluss bis zu 96 W an, vereinbart wurden hier nur 5 V und 15 W. Das "
              u"deutet auf eine abgenutzte Buchse oder einen beschädigten Ladepfad hin."_s);
}

// The weak port's report of a whole run is a script's (mac15-6.worn-socket-2); with a defective port
// beside it the negative verdict stands, and the weak row is named all the same.
TEST(PowerVerdict, BesideADefectivePortTheWeakRowIsNamedAndTheNegativeVerdictStands)
{
    const std::vector<PortTestResult> results{
        passed(1, powerDelivery(at20V)), passed(2, typeC5V()),
        PortTestResult::make(3, PortResultState::failed, std::nullopt, std::nullopt, diagnosis::texts::timeoutNote)};
    const QStringList lines = diagnosis::reportText(reportWithPorts(3, 3), results).split(u'\n');
    ASSERT_EQ(lines.size(), 17);
    EXPECT_EQ(lines[9], u"USB-C Anschluss 2: Anschluss reagiert, lädt aber nur eingeschränkt, 96 W erkannt"_s);
    EXPECT_EQ(lines[14], u"Gesamtergebnis: Mindestens ein USB-C Anschluss ist vermutlich defekt."_s);
}

TEST(PowerVerdict, ContractsOnlyFromWinningOptions)
{
    using probe::PropertyDictionary;
    auto option = [](int mv, int ma) {
        return PropertyDictionary{{u"Voltage (mV)"_s, mv}, {u"Max Current (mA)"_s, ma}};
    };
    const PropertyDictionary brick{{u"PowerSourceName"_s, u"Brick ID"_s},
                                   {u"PowerSourceOptions"_s, probe::PropertyArray{option(5000, 1500)}}};
    EXPECT_FALSE(probe::readPowerContract({brick})) << "no winner named";
    PropertyDictionary typeC{{u"PowerSourceName"_s, u"TypeC"_s}, {u"WinningPowerSourceOption"_s, option(5000, 3000)}};
    const auto fallback = probe::readPowerContract({brick, typeC});
    ASSERT_TRUE(fallback);
    EXPECT_EQ(fallback->kind, PowerContract::Kind::typeC);
    EXPECT_EQ(fallback->agreed, (PowerLevel{5000, 3000, 15000})) << "power from volts and amperes";
    EXPECT_TRUE(fallback->offers.empty());
    const PropertyDictionary pd{{u"PowerSourceName"_s, u"USB-PD"_s},
                                {u"PowerSourceOptions"_s, probe::PropertyArray{option(5000, 3000), option(20000, 3250)}},
                                {u"WinningPowerSourceOption"_s, option(20000, 3250)}};
    const auto both = probe::readPowerContract({typeC, pd});
    ASSERT_TRUE(both);
    EXPECT_EQ(both->kind, PowerContract::Kind::powerDelivery) << "Power Delivery outranks a fallback";
    EXPECT_EQ(both->agreed.milliwatts, 65000);
    EXPECT_EQ(both->offers.size(), 2u);
    typeC.insert(u"WinningPowerSourceOption"_s, option(-5000, 3000));
    EXPECT_FALSE(probe::readPowerContract({typeC})) << "nonsense is no contract";
}

TEST(PowerVerdict, MachinesThatPublishNoContractClaimNothing)
{
    for (const QString& machine : {u"macbookpro18-3"_s, u"macbookpro16-1"_s}) {
        Harness h(machine);
        ASSERT_TRUE(h.mac->weakenSocket(2).isEmpty());
        h.startPortTests();
        const auto ports = h.model->hardwareReport()->expectedPortCount;
        for (int socket = 1; socket <= ports; ++socket) {
            h.passPort(socket);
            if (socket < ports) {
                ASSERT_TRUE(h.untilStatus(PortTestStatus::waitingForConnection));
            }
        }
        ASSERT_TRUE(h.untilPhase(DiagnosticPhase::result)) << machine.toStdString();
        for (const auto& r : h.model->portResults())
            EXPECT_FALSE(r.contract) << machine.toStdString();
        EXPECT_TRUE(h.model->weakPorts().empty()) << machine.toStdString();
        EXPECT_FALSE(h.model->reportText().contains(u"nur eingeschränkt"_s)) << machine.toStdString();
        EXPECT_EQ(h.model->portResults()[1].adapterWatts, 15)
            << "without a published contract a worn socket shows only in the adapter's watts";
    }
}

TEST(PowerVerdict, AWornSocketLosesItsPartnerOnlyWherePowerSourcesArePublished)
{
    for (const QString& machine : {u"mac15-6"_s, u"macbookpro18-3"_s}) {
        auto mac = catalogueMac(machine);
        ASSERT_TRUE(mac->weakenSocket(2).isEmpty());
        ASSERT_TRUE(mac->plugCharger(2, 96).isEmpty());
        const auto report = probe::PlatformProbe(mac->platform()).buildHardwareReport();
        const auto seen = probe::observePorts(*mac, report.portDescriptors);
        ASSERT_EQ(seen.size(), 3u);
        const bool publishes = machine == u"mac15-6";
        EXPECT_TRUE(seen[1].connected);
        EXPECT_EQ(seen[1].partnerIdentityVisible, !publishes) << machine.toStdString();
        EXPECT_EQ(seen[1].powerDeliveryActive, publishes) << "power still comes in through the Type-C source";
        EXPECT_EQ(seen[1].contract, publishes ? std::optional(typeC5V()) : std::nullopt);
        EXPECT_EQ(probe::PlatformProbe(mac->platform()).readPowerSnapshot().adapterWatts, publishes ? 96 : 15);
        // Another socket is not worn.
        mac->unplugAll();
        ASSERT_TRUE(mac->plugCharger(1, 96).isEmpty());
        const auto other = probe::observePorts(*mac, report.portDescriptors);
        EXPECT_TRUE(other[0].partnerIdentityVisible);
        EXPECT_EQ(other[0].contract.has_value(), publishes);
    }
}
