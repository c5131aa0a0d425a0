// Real captures, imported: what the probe sees in them, whole runs on them, and the catalogue's
// machines held against them.
#include "DiagnosisHarness.h"

#include "diagnosis/PortCrediting.h"
#include "probe/PortObserver.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>

using namespace kw;
using namespace kw::test;
using namespace Qt::StringLiterals;

namespace {

const QString m3 = u"real-mac/m3pro-mac15-6/ioport.plist"_s;
const QString m3Hardware = u"real-mac/m3pro-mac15-6/hardware.json"_s;
const QString m1 = u"real-mac/m1pro-macbookpro18/ioreg_ports_occupied.plist"_s;
// The M1 capture came without a hardware overview; this one is written to match it.
const QString m1Hardware = u"m1pro-hardware.json"_s;

std::vector<model::PortObservation> observe(const std::shared_ptr<probe::SimulatedMac>& mac)
{
    const auto report = probe::PlatformProbe(mac->platform()).buildHardwareReport();
    return probe::observePorts(*mac, report.portDescriptors);
}

} // namespace

TEST(ImportIoreg, BatteryServiceGivesThePowerState)
{
    const auto data = [](const QString& relative) { return probe::IoregInput{relative, sourceFile(u"tests/data/"_s + relative)}; };
    const auto result = probe::importIoreg(data(m3), data(m3Hardware), data(u"real-mac/m3pro-mac15-6/battery.plist"_s));
    ASSERT_TRUE(result.machine);
    const QJsonObject power = (*result.machine)[u"power"_s].toObject();
    EXPECT_EQ(power[u"providingType"_s].toString(), u"AC Power"_s);
    EXPECT_EQ(power[u"adapter"_s][u"Watts"_s].toInt(), 70);
}

TEST(ImportIoreg, FullRunsPassEveryPort)
{
    for (const auto& [dump, hardware] : {std::pair(m3, m3Hardware), std::pair(m1, m1Hardware)}) {
        Harness h(macFrom(importedCapture(dump, hardware)));
        h.startPortTests();
        for (int socket = 1; socket <= 3; ++socket) {
            ASSERT_TRUE(h.untilStatus(PortTestStatus::waitingForConnection));
            h.passPort(socket);
        }
        ASSERT_TRUE(h.untilPhase(DiagnosticPhase::result));
        EXPECT_TRUE(h.model->failedResults().empty());
        EXPECT_EQ(h.model->portResults().size(), 3u) << dump.toStdString();
    }
}

namespace {

// The shape of a port entry: its class, its keys with their value types, and its children's names
// and classes, all as the machine file writes them.
QString typeOf(const QJsonValue& v)
{
    if (v.isObject() && v.toObject().size() == 1 && v.toObject().begin().key().startsWith(u'$'))
        return v.toObject().begin().key();
    return QString::number(int(v.type()));
}

QStringList shape(const QJsonObject& entry)
{
    QStringList out{u"class "_s + entry[u"class"_s].toString()};
    const QJsonObject props = entry[u"properties"_s].toObject();
    for (auto it = props.begin(); it != props.end(); ++it)
        out << it.key() + u": "_s + typeOf(it.value());
    for (const QJsonValue& child : entry[u"children"_s].toArray())
        out << u"child "_s + child[u"name"_s].toString() + u" "_s + child[u"class"_s].toString();
    return out;
}

QJsonObject portEntry(const QJsonObject& entry, const QString& description)
{
    if (entry[u"properties"_s][u"Description"_s].toString() == description)
        return entry;
    for (const QJsonValue& child : entry[u"children"_s].toArray())
        if (const QJsonObject found = portEntry(child.toObject(), description); !found.isEmpty())
            return found;
    return {};
}

QJsonObject catalogueMachine(const QString& name)
{
    QFile file(u":/machines/"_s + name + u".json"_s);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly));
    return QJsonDocument::fromJson(file.readAll()).object();
}

} // namespace

TEST(ImportIoreg, CatalogueMachinesHaveTheShapeOfRealOnes)
{
    // Idle ports of the captures against the catalogue's (idle) ports of the same machines.
    for (const auto& [catalogue, dump, hardware, port] :
         {std::tuple(u"mac15-6"_s, m3, m3Hardware, u"Port-USB-C@2"_s),
          std::tuple(u"macbookpro18-3"_s, m1, m1Hardware, u"Port-USB-C@2"_s)}) {
        const QJsonObject real = portEntry(importedCapture(dump, hardware)[u"registry"_s].toObject(), port);
        const QJsonObject ours = portEntry(catalogueMachine(catalogue)[u"registry"_s].toObject(), port);
        ASSERT_FALSE(real.isEmpty());
        ASSERT_FALSE(ours.isEmpty()) << catalogue.toStdString();
        EXPECT_EQ(shape(ours), shape(real)) << catalogue.toStdString() << " drifted from the capture";
    }
}

namespace {

// The partner and power-source entries below a port, as their path under the port and their class.
QStringList chargeEntries(const probe::SimulatedMac& mac, const model::PortDescriptor& port)
{
    const auto entry = mac.entryWithId(port.id);
    EXPECT_TRUE(entry);
    if (!entry)
        return {};
    const QString portPath = mac.path(*entry).value_or(QString());
    QStringList found;
    for (const auto& d : mac.descendants(*entry).value_or(std::vector<probe::RegistryEntry>())) {
        const QString cls = mac.className(d).value_or(QString());
        if (cls.contains(u"IOPortTransportComponentCCUSBPDSOP"_s) || cls.contains(u"IOPortFeaturePowerSource"_s))
            found << mac.path(d).value_or(QString()).mid(portPath.size() + 1) + u' ' + cls;
    }
    found.sort();
    return found;
}

std::vector<model::PortDescriptor> portsOf(const std::shared_ptr<probe::SimulatedMac>& mac)
{
    return probe::PlatformProbe(mac->platform()).buildHardwareReport().portDescriptors;
}

} // namespace

TEST(ImportIoreg, SimulatedChargerAndHubShowWhatTheCapturesShow)
{
    // The M3 Pro capture charges on Port-USB-C@1: its partner under CC, its power sources under Power In.
    const auto realM3 = macFrom(importedCapture(m3, m3Hardware));
    const QStringList charging = chargeEntries(*realM3, portsOf(realM3)[0]);
    EXPECT_EQ(charging.size(), 4) << charging.join(u", "_s).toStdString();
    auto mac15 = catalogueMac(u"mac15-6"_s);
    mac15->plugCharger(1, 96);
    EXPECT_EQ(chargeEntries(*mac15, portsOf(mac15)[0]), charging);
    // A hub supplies nothing: its partner, and no power source.
    mac15->unplug(1);
    mac15->plugPdDevice(1);
    EXPECT_EQ(chargeEntries(*mac15, portsOf(mac15)[0]), QStringList{u"CC/SOP IOPortTransportComponentCCUSBPDSOP"_s});

    // The M1 Pro capture's dock on Port-USB-C@1 shows a partner and no power source; so do the
    // simulated hub and charger of that family.
    const auto realM1 = macFrom(importedCapture(m1, m1Hardware));
    const QStringList dock = chargeEntries(*realM1, portsOf(realM1)[0]);
    EXPECT_EQ(dock, QStringList{u"CC/SOP IOPortTransportComponentCCUSBPDSOP"_s});
    auto m1Pro = catalogueMac(u"macbookpro18-3"_s);
    m1Pro->plugPdDevice(1);
    EXPECT_EQ(chargeEntries(*m1Pro, portsOf(m1Pro)[0]), dock);
    m1Pro->plugCharger(1, 96);
    EXPECT_EQ(chargeEntries(*m1Pro, portsOf(m1Pro)[0]), dock);
}

TEST(ImportIoreg, WhatTheProbeSeesAndCreditsOnTheCaptures)
{
    // M3 Pro: Port-USB-C@1 charges from a 100 W charger; it is the one port with a power source and
    // the one candidate; the idle port and the port with the USB key show none.
    const auto realM3 = macFrom(importedCapture(m3, m3Hardware));
    const auto report = probe::PlatformProbe(realM3->platform()).buildHardwareReport();
    ASSERT_EQ(report.portDescriptors.size(), 3u);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(report.portDescriptors[std::size_t(i)].sortHint, i + 1) << "in the order of PortNumber";
        EXPECT_FALSE(report.portDescriptors[std::size_t(i)].debugSummary.contains(u"MagSafe"_s));
    }
    EXPECT_FALSE(report.probableControllerFailure);
    const auto m3Ports = observe(realM3);
    ASSERT_EQ(m3Ports.size(), 3u);
    EXPECT_TRUE(m3Ports[0].powerDeliveryActive && m3Ports[0].partnerIdentityVisible);
    EXPECT_FALSE(m3Ports[1].contract || m3Ports[2].contract) << "idle, or a security key that brings no power";
    ASSERT_TRUE(m3Ports[0].contract);
    const model::PowerContract& c = *m3Ports[0].contract;
    EXPECT_EQ(c.kind, model::PowerContract::Kind::powerDelivery);
    EXPECT_EQ(c.agreed, (model::PowerLevel{20000, 5000, 100000}));
    EXPECT_EQ(c.offers.size(), 4u) << "the USB-PD source's offers; the fallbacks' are the Mac's own";
    EXPECT_EQ(c.bestOffer(), c.agreed);
    const auto candidates = diagnosis::chargeCandidates(m3Ports);
    ASSERT_EQ(candidates.size(), 1u);
    EXPECT_EQ(candidates[0].descriptor.id, m3Ports[0].descriptor.id);
    EXPECT_EQ(diagnosis::creditChargingPort(m3Ports, {}),
              (diagnosis::PortCredit{diagnosis::PortCredit::Outcome::credited, m3Ports[0].descriptor.id}));

    // M1 Pro: the family publishes no power sources, so the dock on Port-USB-C@1 and then the
    // display cable on @3 take the credit.
    const QJsonObject m1Machine = importedCapture(m1, m1Hardware);
    EXPECT_FALSE(m1Machine[u"charging"_s][u"powerSourceFeatures"_s].toBool());
    const auto m1Ports = observe(macFrom(m1Machine));
    ASSERT_EQ(m1Ports.size(), 3u);
    EXPECT_TRUE(m1Ports[0].partnerIdentityVisible && !m1Ports[1].partnerIdentityVisible && m1Ports[2].partnerIdentityVisible);
    for (const auto& o : m1Ports)
        EXPECT_FALSE(o.powerDeliveryActive);
    EXPECT_EQ(diagnosis::creditChargingPort(m1Ports, {}).controllerID, m1Ports[0].descriptor.id);
    EXPECT_EQ(diagnosis::creditChargingPort(m1Ports, {m1Ports[0].descriptor.id}).controllerID, m1Ports[2].descriptor.id);
}
