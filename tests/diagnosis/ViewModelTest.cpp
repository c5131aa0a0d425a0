#include "DiagnosisHarness.h"

#include "support/FixedTexts.h"

#include <QSignalSpy>

#include <condition_variable>

using namespace kw;
using namespace kw::test;
using namespace Qt::StringLiterals;

TEST(ViewModel, StartsInIntroWithInitialValues)
{
    Harness h(std::make_shared<FakeProbe>());
    EXPECT_EQ(h.model->phase(), DiagnosticPhase::intro);
    EXPECT_EQ(h.model->portTestStatus(), PortTestStatus::ready);
    EXPECT_EQ(h.model->secondsRemaining(), 25);
    EXPECT_EQ(h.model->evaluationProgress(), 0);
    EXPECT_FALSE(h.model->hardwareReport());
    EXPECT_FALSE(h.model->transientMessage());
    EXPECT_EQ(h.model->currentPortNumber(), 1);
    EXPECT_EQ(h.scheduler.pendingTimers(), 0u) << "a new model starts nothing";
}

TEST(ViewModel, ScanShowsForOnePointFiveSecondsAndPublishesReportEarlier)
{
    auto probe = std::make_shared<FakeProbe>();
    probe->setReport(reportWithPorts(2, 2));
    Harness h(probe);
    h.model->startDiagnosis();
    EXPECT_EQ(h.model->phase(), DiagnosticPhase::controllerScan);
    h.advance(649ms);
    EXPECT_FALSE(h.model->hardwareReport());
    h.advance(1ms);
    EXPECT_TRUE(h.model->hardwareReport());
    h.advance(849ms);
    EXPECT_EQ(h.model->phase(), DiagnosticPhase::controllerScan);
    h.advance(1ms);
    EXPECT_EQ(h.model->phase(), DiagnosticPhase::portPreparation);
}

TEST(ViewModel, EveryAssignmentNotifiesBeforeAndAfterEvenWhenEqual)
{
    Harness h(std::make_shared<FakeProbe>());
    QSignalSpy before(h.model.get(), &DiagnosticViewModel::objectWillChange);
    QSignalSpy phase(h.model.get(), &DiagnosticViewModel::phaseChanged);
    QSignalSpy evaluation(h.model.get(), &DiagnosticViewModel::evaluationProgressChanged);
    DiagnosticPhase seenBefore = DiagnosticPhase::result;
    QObject::connect(h.model.get(), &DiagnosticViewModel::objectWillChange, h.model.get(),
                     [&] { seenBefore = h.model->phase(); }, Qt::SingleShotConnection);
    h.model->resetDiagnosis(); // phase intro -> intro, progress 0 -> 0, and four more
    EXPECT_EQ(phase.count(), 1);
    EXPECT_EQ(evaluation.count(), 1);
    EXPECT_EQ(before.count(), 5) << "phase, report, results, message, progress; all equal to what they were";
    EXPECT_EQ(seenBefore, DiagnosticPhase::intro) << "announced before the value is stored";
}

TEST(ViewModel, CurrentPortNumberFollowsResultsUpToExpectedCount)
{
    auto probe = std::make_shared<FakeProbe>();
    probe->setReport(reportWithPorts(3, 3));
    Harness h(probe);
    h.model->startDiagnosis();
    h.advance(2s);
    probe->setPower(true); // keep every test waiting for the charger to go
    h.model->beginPortTesting();
    EXPECT_EQ(h.model->currentPortNumber(), 1);
    h.model->markCurrentPortDefective();
    EXPECT_EQ(h.model->currentPortNumber(), 2);
    h.model->markCurrentPortDefective();
    EXPECT_EQ(h.model->currentPortNumber(), 3);
    h.model->markCurrentPortDefective();
    EXPECT_EQ(h.model->currentPortNumber(), 3);
    EXPECT_EQ(h.model->phase(), DiagnosticPhase::evaluating) << "the last defective port ends the tests at once";
}

TEST(PortTest, ChargerStillConnectedKeepsWaitingWithoutTimeout)
{
    Harness h(u"mac15-6"_s);
    h.mac->plugMagSafeCharger(140);
    h.model->startDiagnosis();
    ASSERT_TRUE(h.untilPhase(DiagnosticPhase::portPreparation));
    h.model->beginPortTesting();
    h.advance(120s);
    EXPECT_EQ(h.model->portTestStatus(), PortTestStatus::waitingForDisconnect);
    EXPECT_EQ(h.model->secondsRemaining(), 25);
    h.mac->unplugAll();
    ASSERT_TRUE(h.untilStatus(PortTestStatus::waitingForConnection, 1s));
    EXPECT_EQ(h.model->secondsRemaining(), 25);
}

TEST(PortTest, CountdownShowsEverySecondThenStaysQuiet)
{
    Harness h(u"mac14-2"_s);
    h.startPortTests();
    std::vector<int> seen;
    QObject::connect(h.model.get(), &DiagnosticViewModel::secondsRemainingChanged, h.model.get(),
                     [&] { seen.push_back(h.model->secondsRemaining()); });
    ASSERT_TRUE(h.untilStatus(PortTestStatus::timedOut, 30s));
    EXPECT_EQ(h.model->secondsRemaining(), 0);
    ASSERT_FALSE(seen.empty());
    EXPECT_EQ(seen.front(), 25);
    EXPECT_TRUE(std::is_sorted(seen.rbegin(), seen.rend())) << "counts down";
    EXPECT_EQ(seen.back(), 0);
    for (int s = 24; s >= 1; --s)
        EXPECT_NE(std::find(seen.begin(), seen.end(), s), seen.end()) << s << " was shown";

    QSignalSpy status(h.model.get(), &DiagnosticViewModel::portTestStatusChanged);
    h.advance(60s);
    EXPECT_EQ(status.count(), 0) << "a timed-out test stays quiet";
}

TEST(PortTest, PowerWithoutUsbCActivityIsAWrongPowerSourceAndOpensANewWindow)
{
    // A MagSafe charger; a USB-C charger pulled during the settle wait, whose earlier power reading stands.
    for (const bool magSafe : {true, false}) {
        Harness h(u"mac15-6"_s);
        h.startPortTests();
        if (magSafe) {
            h.mac->plugMagSafeCharger(140);
        } else {
            h.mac->plugCharger(1, 96);
            ASSERT_TRUE(h.untilStatus(PortTestStatus::checking));
            h.mac->unplug(1);
        }
        ASSERT_TRUE(h.untilStatus(PortTestStatus::wrongPowerSource, magSafe ? 300s : 1s)) << magSafe;
        if (magSafe) {
            ASSERT_TRUE(h.untilStatus(PortTestStatus::waitingForDisconnect, 1s)) << "until the charger goes";
            h.mac->unplugMagSafe();
        }
        ASSERT_TRUE(h.untilStatus(PortTestStatus::waitingForConnection, 1s)) << magSafe;
        EXPECT_EQ(h.model->secondsRemaining(), 25);
        EXPECT_TRUE(h.model->portResults().empty());
    }
}

TEST(PortTest, PortsAreLookedAtOnceTheChargerHasSettled)
{
    auto probe = std::make_shared<FakeProbe>();
    probe->setReport(reportWithPorts(2, 2));
    Harness h(probe);
    ASSERT_NO_FATAL_FAILURE(h.startPortTests());
    // The second port shows nothing but that something is connected; that alone makes it active.
    probe->setActive({102});
    probe->setPower(true, 60);
    ASSERT_TRUE(h.untilStatus(PortTestStatus::checking));
    h.advance(649ms);
    EXPECT_EQ(h.model->portTestStatus(), PortTestStatus::checking);
    EXPECT_EQ(probe->portLooks(), 0) << "not before the charger has settled";
    EXPECT_TRUE(h.model->portResults().empty());
    h.advance(1ms);
    EXPECT_EQ(probe->portLooks(), 1);
    EXPECT_EQ(h.model->portTestStatus(), PortTestStatus::success);
    ASSERT_EQ(h.model->portResults().size(), 1u);
    EXPECT_EQ(h.model->portResults()[0].controllerID, 102u);
    EXPECT_EQ(h.model->portResults()[0].note, u"USB-C Power Delivery wurde mit einem 60-W-Netzteil erkannt."_s);
}

TEST(PortTest, PowerOnNoPortOfAMachineWithPortsIsAWrongSourceNeverALimitedResult)
{
    struct Case {
        const char* what;
        bool portsVanished;
    };
    for (const Case c : {Case{"no port shows anything", false}, Case{"the port services have left the registry", true}}) {
        auto probe = std::make_shared<FakeProbe>();
        probe->setReport(reportWithPorts(2, 2));
        Harness h(probe);
        ASSERT_NO_FATAL_FAILURE(h.startPortTests());
        probe->setPortsVanished(c.portsVanished);
        probe->setPower(true, 96);
        EXPECT_TRUE(h.untilStatus(PortTestStatus::wrongPowerSource, 2s)) << c.what;
        EXPECT_TRUE(h.untilStatus(PortTestStatus::waitingForDisconnect, 1s)) << c.what;
        EXPECT_TRUE(h.model->portResults().empty()) << c.what;
    }
}

TEST(PortTest, BrokenSocketDeliversNothing)
{
    Harness h(u"mac14-2"_s);
    h.startPortTests();
    h.mac->breakSocket(1);
    h.mac->plugCharger(1, 96);
    ASSERT_TRUE(h.untilStatus(PortTestStatus::timedOut, 30s));
}

TEST(PortTest, WithoutReportOnePortIsTested)
{
    auto probe = std::make_shared<FakeProbe>();
    Harness h(probe);
    h.model->beginPortTesting();
    ASSERT_TRUE(h.untilStatus(PortTestStatus::waitingForConnection));
    probe->setPower(true);
    ASSERT_TRUE(h.untilStatus(PortTestStatus::success));
    EXPECT_EQ(h.model->portResults().at(0).state, model::PortResultState::limited);
    EXPECT_FALSE(h.model->portResults().at(0).adapterWatts);
    EXPECT_EQ(h.model->portResults().at(0).note, fixed::resultNotes::limited);
    ASSERT_TRUE(h.untilPhase(DiagnosticPhase::evaluating, 1s));
}

TEST(PortTest, SuccessWaitsAdvanceDelayBeforeNextPort)
{
    Harness h(u"mac14-2"_s);
    h.startPortTests();
    h.mac->plugCharger(1, 96);
    ASSERT_TRUE(h.untilStatus(PortTestStatus::success));
    h.mac->unplug(1);
    h.advance(849ms);
    EXPECT_EQ(h.model->portTestStatus(), PortTestStatus::success);
    QSignalSpy status(h.model.get(), &DiagnosticViewModel::portTestStatusChanged);
    h.advance(1ms);
    EXPECT_GE(status.count(), 1) << "port 2 has started";
    EXPECT_NE(h.model->portTestStatus(), PortTestStatus::success);
}

TEST(Evaluation, TwentyStepsThenResult)
{
    auto probe = std::make_shared<FakeProbe>();
    probe->setReport(reportWithPorts(1, 1));
    Harness h(probe);
    h.model->startDiagnosis();
    h.advance(2s);
    h.model->beginPortTesting();
    h.model->markCurrentPortDefective();
    EXPECT_EQ(h.model->phase(), DiagnosticPhase::evaluating);
    EXPECT_EQ(h.model->evaluationProgress(), 0);
    h.advance(80ms);
    EXPECT_DOUBLE_EQ(h.model->evaluationProgress(), 0.05);
    h.advance(1520ms);
    EXPECT_DOUBLE_EQ(h.model->evaluationProgress(), 1.0);
    EXPECT_EQ(h.model->phase(), DiagnosticPhase::evaluating);
    h.advance(349ms);
    EXPECT_EQ(h.model->phase(), DiagnosticPhase::evaluating);
    h.advance(1ms);
    EXPECT_EQ(h.model->phase(), DiagnosticPhase::result);
}

TEST(Confirmation, ShownForTwoSecondsFromTheFirstCopy)
{
    Harness h(std::make_shared<FakeProbe>());
    h.model->copyReport();
    EXPECT_EQ(h.model->transientMessage(), fixed::reportCopied);
    EXPECT_EQ(h.services.clipboard, h.model->reportText());
    h.advance(1500ms);
    h.model->copyReport();
    h.advance(499ms);
    EXPECT_TRUE(h.model->transientMessage());
    h.advance(1ms);
    EXPECT_FALSE(h.model->transientMessage()) << "the first copy's clearing takes both";
}

TEST(Confirmation, ANewTestOrRunTakesItAway)
{
    using Operation = void (DiagnosticViewModel::*)();
    const std::vector<std::pair<const char*, Operation>> operations{
        {"restartPortTest", &DiagnosticViewModel::restartPortTest},
        {"startDiagnosis", &DiagnosticViewModel::startDiagnosis},
        {"resetDiagnosis", &DiagnosticViewModel::resetDiagnosis},
    };
    for (const auto& [name, operation] : operations) {
        Harness h(std::make_shared<FakeProbe>());
        h.model->copyReport();
        ASSERT_EQ(h.model->transientMessage(), fixed::reportCopied);
        (h.model.get()->*operation)();
        EXPECT_FALSE(h.model->transientMessage()) << name;
    }
}

TEST(Lifecycle, ResetEndsTheMonitoringTask)
{
    Harness h(u"mac14-2"_s);
    h.startPortTests();
    h.advance(300ms); // inside a poll wait
    h.model->resetDiagnosis();
    QSignalSpy status(h.model.get(), &DiagnosticViewModel::portTestStatusChanged);
    h.mac->plugCharger(1, 96);
    h.advance(60s);
    EXPECT_EQ(status.count(), 0);
    EXPECT_TRUE(h.model->monitoringTask().isFinished());
    EXPECT_EQ(h.model->phase(), DiagnosticPhase::intro);
}

namespace {

// The fake's power readings wait at a gate until the test opens it, so the test can act on the
// model while a reading is under way.
class GatedPowerProbe final : public probe::HardwareProbe {
public:
    explicit GatedPowerProbe(std::shared_ptr<FakeProbe> inner) : fake(std::move(inner)) {}
    void close() { std::lock_guard l(m); isOpen = false; }
    void open()
    {
        std::lock_guard l(m);
        isOpen = true;
        changed.notify_all();
    }
    // True once a reading waits at the closed gate.
    bool readingWaits(std::chrono::seconds limit)
    {
        std::unique_lock l(m);
        return changed.wait_for(l, limit, [&] { return waiting > 0; });
    }

    model::HardwareReport buildHardwareReport() const override { return fake->buildHardwareReport(); }
    model::PowerSnapshot readPowerSnapshot() const override
    {
        {
            std::unique_lock l(m);
            ++waiting;
            changed.notify_all();
            changed.wait(l, [&] { return isOpen; });
            --waiting;
        }
        return fake->readPowerSnapshot();
    }
    std::vector<model::PortObservation> observePorts(const std::vector<model::PortDescriptor>& ports) const override
    {
        return fake->observePorts(ports);
    }

    const std::shared_ptr<FakeProbe> fake;

private:
    mutable std::mutex m;
    mutable std::condition_variable changed;
    mutable int waiting = 0;
    bool isOpen = true;
};

} // namespace

TEST(Lifecycle, AResetOrNewStartWhileAPowerReadingIsUnderWayEndsTheMonitoringTask)
{
    // The reading comes back after the task was cancelled: the task must look again before it acts
    // on it, or the charger that arrived meanwhile would be checked and credited.
    for (const auto& [name, operation] : std::vector<std::pair<const char*, void (DiagnosticViewModel::*)()>>{
             {"resetDiagnosis", &DiagnosticViewModel::resetDiagnosis},
             {"startDiagnosis", &DiagnosticViewModel::startDiagnosis}}) {
        auto fake = std::make_shared<FakeProbe>();
        fake->setReport(reportWithPorts(2, 2));
        auto gated = std::make_shared<GatedPowerProbe>(fake);
        Harness h{std::shared_ptr<const probe::HardwareProbe>(gated)};
        h.startPortTests();
        gated->close();
        // The next poll starts a reading; with no timer left, the task waits for it.
        ASSERT_TRUE(h.scheduler.runUntil([&] { return h.scheduler.pendingTimers() == 0 && gated->readingWaits(10s); }, 1s))
            << name;
        fake->setActive({101});
        fake->setPower(true, 96);
        (h.model.get()->*operation)();
        QSignalSpy status(h.model.get(), &DiagnosticViewModel::portTestStatusChanged);
        gated->open();
        h.advance(60s);
        EXPECT_EQ(status.count(), 0) << name;
        EXPECT_TRUE(h.model->portResults().empty()) << name;
        EXPECT_TRUE(h.model->monitoringTask().isFinished()) << name;
    }
}

TEST(Lifecycle, DestroyingTheModelMidRunIsSafe)
{
    // Every kind of work a model leaves pending. Once the model is gone none of it may run on (the
    // sanitizer builds see a use after free) or stay queued.
    struct Stage {
        const char* pending;
        std::function<bool(Harness&)> reach;
    };
    auto scanned = [](Harness& h) {
        h.model->startDiagnosis();
        return h.untilPhase(DiagnosticPhase::portPreparation);
    };
    auto windowOpen = [scanned](Harness& h) {
        if (!scanned(h))
            return false;
        h.model->beginPortTesting();
        return h.untilStatus(PortTestStatus::waitingForConnection);
    };
    auto charging = [windowOpen](Harness& h, PortTestStatus status) {
        return windowOpen(h) && h.mac->plugCharger(1, 96).isEmpty() && h.untilStatus(status);
    };
    const std::vector<Stage> stages{
        {"the wait before the scan",
         [](Harness& h) {
             h.model->startDiagnosis();
             return h.model->phase() == DiagnosticPhase::controllerScan;
         }},
        {"the probe in the background",
         [](Harness& h) {
             h.model->startDiagnosis();
             const auto probeStarts = h.scheduler.now() + 650ms;
             return h.scheduler.runUntil([&] { return h.scheduler.now() >= probeStarts; }, 1s)
                    && !h.model->hardwareReport();
         }},
        {"the wait after the scan",
         [](Harness& h) {
             h.model->startDiagnosis();
             return h.scheduler.runUntil([&] { return h.model->hardwareReport().has_value(); }, 1s)
                    && h.model->phase() == DiagnosticPhase::controllerScan;
         }},
        {"a poll wait", windowOpen},
        {"the settle wait", [charging](Harness& h) { return charging(h, PortTestStatus::checking); }},
        {"the advance delay", [charging](Harness& h) { return charging(h, PortTestStatus::success); }},
        {"the evaluation",
         [windowOpen](Harness& h) {
             if (!windowOpen(h))
                 return false;
             h.model->markCurrentPortDefective();
             h.model->markCurrentPortDefective();
             return h.model->phase() == DiagnosticPhase::evaluating;
         }},
        {"the confirmation's clearing",
         [](Harness& h) {
             h.model->copyReport();
             return h.model->transientMessage().has_value();
         }},
    };
    for (const Stage& stage : stages) {
        Harness h(u"mac14-2"_s);
        ASSERT_TRUE(stage.reach(h)) << stage.pending;
        h.model.reset();
        h.advance(60s);
        EXPECT_EQ(h.scheduler.pendingTimers(), 0u) << stage.pending << ": nothing of the model runs on";
    }
}

TEST(Links, EveryAddressLetterForLetter)
{
    const QString site = u"https://"_s + QStringLiteral(KW_MAKER_HOST);
    struct Case {
        QString model;
        QString name;
        bool controllerFailure;
        QString address;
    };
    using namespace fixed::paths;
    const std::vector<Case> cases{
        {u"Mac17,5"_s, u"MacBook Neo"_s, false, site + repairNeo},
        {u"MacBookAir10,1"_s, u"macbook neo"_s, false, site + repairNeo}, // Neo is looked for first
        {u"Mac14,2"_s, u"MacBook AIR"_s, false, site + repairAir},
        {u"MacBookAir10,1"_s, {}, false, site + repairAir},
        {u"Mac15,6"_s, u"MacBook Pro"_s, false, site + repairPro},
        {u"MacBookPro16,1"_s, {}, false, site + repairPro},
        {u"MacBook8,1"_s, {}, false, site + repair12Inch},
        {u"MacBook9,1"_s, {}, false, site + repair12Inch},
        {u"MacBook10,1"_s, {}, false, site + repair12Inch},
        {u"X"_s, u"MacBook (12-inch)"_s, false, site + repair12Inch},
        {u"Mac14,3"_s, {}, false, site + estimate},
        {u"macbookair10,1"_s, {}, false, site + estimate}, // the model is compared case-sensitively
        {u"MacBookAir10,1"_s, u"MacBook Air"_s, true, site + estimate},
    };
    for (const Case& c : cases) {
        auto probe = std::make_shared<FakeProbe>();
        model::HardwareReport report = reportWithPorts(2, 2);
        report.identity.modelIdentifier = c.model;
        report.identity.marketingName = c.name;
        report.probableControllerFailure = c.controllerFailure;
        probe->setReport(report);
        Harness h(probe);
        h.model->startDiagnosis();
        h.advance(2s);
        h.model->openRepairPage();
        EXPECT_EQ(h.services.openedUrls, QStringList{c.address}) << c.model.toStdString() << " / " << c.name.toStdString();
    }

    Harness withoutReport(std::make_shared<FakeProbe>());
    EXPECT_EQ(withoutReport.model->repairPageURL(), site + estimate);
    withoutReport.model->openRepairPage();
    withoutReport.model->openWebsite();
    EXPECT_EQ(withoutReport.services.openedUrls, (QStringList{site + estimate, site}));
}
