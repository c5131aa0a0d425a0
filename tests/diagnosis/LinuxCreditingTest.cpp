// Port tests on recorded Linux trees: the ports and the power are the tree's, only the moment the
// charger goes in is the test's.
#include "DiagnosisHarness.h"
#include "support/FixedTexts.h"

#include "probe/backends/sysfs/SysfsPlatform.h"

#include <atomic>

using namespace kw;
using namespace kw::test;
using namespace Qt::StringLiterals;

namespace {

// A tree recorded with the charger in; until the test plugs it in, the machine runs on battery. A
// charger moved from port to port is one reading (a tree of its own) per socket.
class RecordedTreeProbe final : public probe::HardwareProbe {
public:
    explicit RecordedTreeProbe(const QString& tree, const QStringList& readings = {QString()})
    {
        for (const QString& reading : readings)
            m_probes.push_back(std::make_unique<probe::PlatformProbe>(
                probe::SysfsPlatform::create(QStringLiteral(KW_SOURCE_DIR) + u"/tests/data/sysfs/"_s + tree + u'/' + reading,
                                             QStringLiteral(KW_PROFILER_HELPER))
                    ->platform()));
    }
    void plugIn(int reading = 0) { m_reading = reading; }
    void pullOut() { m_reading = -1; }

    model::HardwareReport buildHardwareReport() const override { return m_probes.front()->buildHardwareReport(); }
    model::PowerSnapshot readPowerSnapshot() const override
    {
        const int r = m_reading;
        if (r < 0)
            return {};
        // A tree recorded on battery gets its charger from the test; what the tree says of it stays.
        model::PowerSnapshot power = m_probes[std::size_t(r)]->readPowerSnapshot();
        power.externalPowerConnected = true;
        return power;
    }
    std::vector<model::PortObservation> observePorts(const std::vector<model::PortDescriptor>& ports) const override
    {
        return m_probes[std::size_t(std::max(int(m_reading), 0))]->observePorts(ports);
    }

private:
    std::vector<std::unique_ptr<probe::PlatformProbe>> m_probes;
    std::atomic<int> m_reading = -1;
};

} // namespace

TEST(LinuxCrediting, TheChargingPortIsCreditedNotTheHubBeforeIt)
{
    auto tree = std::make_shared<RecordedTreeProbe>(u"ucsi-notebook-hub-port1-charging-port2"_s);
    Harness h(tree);
    h.startPortTests();
    const auto descriptors = h.model->hardwareReport()->portDescriptors;
    ASSERT_EQ(descriptors.size(), 2u);
    const auto seen = tree->observePorts(descriptors);
    ASSERT_EQ(seen.size(), 2u);
    ASSERT_TRUE(seen[0].partnerIdentityVisible && !seen[0].powerDeliveryActive) << "the hub: a partner, no power";
    ASSERT_TRUE(seen[1].powerDeliveryActive) << "the charger";

    tree->plugIn();
    ASSERT_TRUE(h.untilStatus(PortTestStatus::success));
    const auto& first = h.model->portResults().at(0);
    EXPECT_EQ(first.controllerID, descriptors[1].id) << "the second connector charges";
    EXPECT_EQ(first.adapterWatts, 94) << "the partner's best offer, 20 V x 4.7 A";
}

TEST(LinuxCrediting, AppleSiliconPortsAreNumberedByTheirControllersAddress)
{
    // The typec class lists the controller at 0x3b first; it is the third USB-C port of the case.
    auto tree = std::make_shared<RecordedTreeProbe>(u"m1pro-14-charging-usb-c-3"_s);
    Harness h(tree);
    h.startPortTests();
    const auto descriptors = h.model->hardwareReport()->portDescriptors;
    ASSERT_EQ(descriptors.size(), 3u) << "three USB-C ports; the MagSafe controller is none of them";
    for (std::size_t i = 0; i < descriptors.size(); ++i)
        EXPECT_EQ(descriptors[i].sortHint, std::int64_t(i + 1));

    tree->plugIn();
    ASSERT_TRUE(h.untilStatus(PortTestStatus::success));
    EXPECT_EQ(h.model->portResults().at(0).controllerID, descriptors[2].id) << "port 3 charges";
    EXPECT_EQ(h.model->portResults().at(0).adapterWatts, 60);
}

TEST(LinuxCrediting, TheSameChargerFallingBackToFiveVoltsNamesTheWornPort)
{
    auto probe = std::make_shared<RecordedTreeProbe>(u"ucsi-notebook-worn-port1"_s,
                                                     QStringList{u"charger-in-port2"_s, u"charger-in-port1"_s});
    Harness h(probe);
    h.startPortTests();
    probe->plugIn(0);
    ASSERT_TRUE(h.untilStatus(PortTestStatus::success));
    ASSERT_TRUE(h.untilStatus(PortTestStatus::waitingForDisconnect));
    probe->pullOut();
    ASSERT_TRUE(h.untilStatus(PortTestStatus::waitingForConnection));
    probe->plugIn(1);
    ASSERT_TRUE(h.untilPhase(DiagnosticPhase::result));

    const auto& results = h.model->portResults();
    ASSERT_EQ(results.size(), 2u);
    const auto descriptors = h.model->hardwareReport()->portDescriptors;
    EXPECT_EQ(results[0].controllerID, descriptors[1].id);
    EXPECT_EQ(results[1].controllerID, descriptors[0].id);
    ASSERT_TRUE(results[0].contract && results[1].contract);
    EXPECT_EQ(results[0].contract->kind, model::PowerContract::Kind::powerDelivery);
    EXPECT_EQ(results[0].contract->agreed.millivolts, 20000);
    EXPECT_EQ(results[1].contract->kind, model::PowerContract::Kind::typeC);
    EXPECT_EQ(results[1].contract->agreed, (model::PowerLevel{5000, 3000, 15000}));
    EXPECT_EQ(results[1].contract->offers, results[0].contract->offers) << "the charger's offers arrived at both";

    const auto weak = h.model->weakPorts();
    ASSERT_EQ(weak.size(), 1u);
    EXPECT_EQ(weak[0].ordinal, 2);
    EXPECT_EQ(weak[0].comparedOrdinal, 1);
    const QStringList report = h.model->reportText().split(u'\n');
    EXPECT_TRUE(report.contains(u"  Mit demselben Netzteil wurden an Anschluss 1 94 W vereinbart, hier nur 5 V und 15 W. Das "
                                u"deutet auf eine abgenutzte Buchse oder einen beschädigten Ladepfad hin."_s))
        << h.model->reportText().toStdString();
}

TEST(LinuxCrediting, AnAppleSiliconMacWithoutItsTypeCDriverGetsLimitedResultsThatSayWhy)
{
    // No ports published: each charge is a limited result, and its note blames Linux, not an Intel
    // model or macOS, neither of which this machine is.
    auto tree = std::make_shared<RecordedTreeProbe>(u"m1-air-no-typec-driver"_s);
    Harness h(tree);
    h.startPortTests();
    const auto& report = *h.model->hardwareReport();
    ASSERT_TRUE(report.identity.isAppleSilicon);
    ASSERT_FALSE(report.portDataPublished);
    ASSERT_EQ(report.expectedPortCount, 2);
    for (int port = 1; port <= 2; ++port) {
        ASSERT_TRUE(h.untilStatus(PortTestStatus::waitingForConnection)) << "port " << port;
        tree->plugIn();
        ASSERT_TRUE(h.untilStatus(PortTestStatus::success)) << "port " << port;
        tree->pullOut();
    }
    ASSERT_TRUE(h.untilPhase(DiagnosticPhase::result));

    ASSERT_EQ(h.model->portResults().size(), 2u);
    for (const auto& result : h.model->portResults()) {
        EXPECT_EQ(result.state, model::PortResultState::limited);
        EXPECT_EQ(result.note, fixed::resultNotes::limitedWithoutPortData);
    }
    const QString text = h.model->reportText();
    EXPECT_EQ(text.count(fixed::resultNotes::limitedWithoutPortData), 2) << text.toStdString();
    EXPECT_FALSE(text.contains(u"Intel"_s)) << text.toStdString();
    EXPECT_FALSE(text.contains(u"macOS"_s)) << text.toStdString();
}
