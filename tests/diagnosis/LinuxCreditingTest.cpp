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

// A tree is recorded with the charger in; until the test plugs it in, the machine runs on battery.
class RecordedTreeProbe final : public probe::HardwareProbe {
public:
    explicit RecordedTreeProbe(const QString& tree)
        : m_probe(probe::SysfsPlatform::create(QStringLiteral(KW_SOURCE_DIR) + u"/tests/data/sysfs/"_s + tree,
                                               QStringLiteral(KW_PROFILER_HELPER))
                      ->platform())
    {
    }
    void plugIn() { m_pluggedIn = true; }
    void pullOut() { m_pluggedIn = false; }

    model::HardwareReport buildHardwareReport() const override { return m_probe.buildHardwareReport(); }
    model::PowerSnapshot readPowerSnapshot() const override
    {
        if (!m_pluggedIn)
            return {};
        // A tree recorded on battery gets its charger from the test; what the tree says of it stays.
        model::PowerSnapshot power = m_probe.readPowerSnapshot();
        power.externalPowerConnected = true;
        return power;
    }
    std::vector<model::PortObservation> observePorts(const std::vector<model::PortDescriptor>& ports) const override
    {
        return m_probe.observePorts(ports);
    }

private:
    const probe::PlatformProbe m_probe;
    std::atomic<bool> m_pluggedIn = false;
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
    EXPECT_EQ(first.adapterWatts, 94);

    // Out and in again: the same connector has passed, and the hub still takes nothing.
    ASSERT_TRUE(h.untilStatus(PortTestStatus::waitingForDisconnect));
    tree->pullOut();
    ASSERT_TRUE(h.untilStatus(PortTestStatus::waitingForConnection));
    tree->plugIn();
    ASSERT_TRUE(h.untilStatus(PortTestStatus::alreadyTested));
    EXPECT_EQ(h.model->portResults().size(), 1u);
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
