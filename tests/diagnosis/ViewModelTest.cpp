#include "DiagnosisHarness.h"

#include "diagnosis/DiagnosisReport.h"

#include <QSignalSpy>

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

TEST(ViewModel, ScanBranchesOnProbableControllerFailureOnly)
{
    auto probe = std::make_shared<FakeProbe>();
    probe->setReport(reportWithPorts(1, 2));
    Harness failing(probe);
    failing.model->startDiagnosis();
    failing.advance(2s);
    EXPECT_EQ(failing.model->phase(), DiagnosticPhase::controllerFailure);

    auto intel = std::make_shared<FakeProbe>();
    intel->setReport(reportWithPorts(0, 4, /*appleSilicon=*/false)); // inconclusive, no failure
    Harness inconclusive(intel);
    inconclusive.model->startDiagnosis();
    inconclusive.advance(2s);
    EXPECT_EQ(inconclusive.model->phase(), DiagnosticPhase::portPreparation);
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

TEST(PortTest, CountdownTimeoutRetryAndDefective)
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

    h.model->restartPortTest();
    EXPECT_EQ(h.model->portTestStatus(), PortTestStatus::waitingForDisconnect);
    EXPECT_EQ(h.model->secondsRemaining(), 25);
    ASSERT_TRUE(h.untilStatus(PortTestStatus::timedOut, 30s));
    h.model->markCurrentPortDefective();
    EXPECT_EQ(h.model->portResults().size(), 1u);
    EXPECT_EQ(h.model->portResults()[0].state, model::PortResultState::failed);
    EXPECT_EQ(h.model->portResults()[0].note, diagnosis::texts::timeoutNote);
    EXPECT_EQ(h.model->portTestStatus(), PortTestStatus::waitingForDisconnect) << "port 2 starts at once";
}

TEST(PortTest, PassedPortsAreCreditedOnceAndInPortOrder)
{
    Harness h(u"mac15-6"_s);
    h.startPortTests();
    h.passPort(2, 96);
    const auto& first = h.model->portResults().at(0);
    EXPECT_EQ(first.ordinal, 1);
    EXPECT_EQ(first.adapterWatts, 96);
    EXPECT_EQ(first.note, u"USB-C Power Delivery wurde mit einem 96-W-Netzteil erkannt."_s);
    EXPECT_EQ(first.controllerID, h.model->hardwareReport()->portDescriptors[1].id) << "socket 2 is the second port";

    // The same socket again: already tested; it falls back to waiting for the unplug.
    ASSERT_TRUE(h.untilStatus(PortTestStatus::waitingForConnection));
    h.mac->plugCharger(2, 96);
    ASSERT_TRUE(h.untilStatus(PortTestStatus::alreadyTested));
    ASSERT_TRUE(h.untilStatus(PortTestStatus::waitingForDisconnect, 1s));
    h.mac->unplug(2);
    ASSERT_TRUE(h.untilStatus(PortTestStatus::waitingForConnection, 1s));
    EXPECT_EQ(h.model->secondsRemaining(), 25);
    EXPECT_EQ(h.model->portResults().size(), 1u);
}

TEST(PortTest, HubLeftInEarlierPortLeavesTheCreditToTheChargingPortWherePowerIsShown)
{
    // This family shows a power source where power comes in; the hub shows only its partner.
    Harness h(u"mac15-6"_s);
    h.startPortTests();
    h.mac->plugPdDevice(1);
    h.passPort(3);
    EXPECT_EQ(h.model->portResults().at(0).controllerID, h.model->hardwareReport()->portDescriptors[2].id);

    // The charger back in socket 3, the hub still in socket 1: already tested, the hub takes nothing.
    ASSERT_TRUE(h.untilStatus(PortTestStatus::waitingForConnection));
    h.mac->plugCharger(3, 96);
    ASSERT_TRUE(h.untilStatus(PortTestStatus::alreadyTested));
    EXPECT_EQ(h.model->portResults().size(), 1u);
}

TEST(PortTest, HubLeftInEarlierPortIsCreditedWhereNoPowerSourceIsShown)
{
    // Known limitation of families without power sources: the first active port in port order wins.
    Harness h(u"macbookpro18-3"_s);
    h.startPortTests();
    h.mac->plugPdDevice(1);
    h.passPort(3);
    EXPECT_EQ(h.model->portResults().at(0).controllerID, h.model->hardwareReport()->portDescriptors[0].id);
}

TEST(PortTest, PowerWithoutUsbCActivityIsWrongPowerSource)
{
    Harness h(u"mac15-6"_s);
    h.startPortTests();
    h.mac->plugMagSafeCharger(140);
    ASSERT_TRUE(h.untilStatus(PortTestStatus::wrongPowerSource));
    ASSERT_TRUE(h.untilStatus(PortTestStatus::waitingForDisconnect, 1s));
    h.mac->unplugMagSafe();
    ASSERT_TRUE(h.untilStatus(PortTestStatus::waitingForConnection, 1s));
    EXPECT_TRUE(h.model->portResults().empty());
}

TEST(PortTest, CablePulledDuringSettleWaitUsesEarlierPowerReading)
{
    Harness h(u"mac15-6"_s);
    h.startPortTests();
    h.mac->plugCharger(1, 96);
    ASSERT_TRUE(h.untilStatus(PortTestStatus::checking));
    h.mac->unplug(1);
    ASSERT_TRUE(h.untilStatus(PortTestStatus::wrongPowerSource, 1s));
    ASSERT_TRUE(h.untilStatus(PortTestStatus::waitingForConnection, 1s)) << "no power now: a new window";
    EXPECT_EQ(h.model->secondsRemaining(), 25);
}

TEST(PortTest, BrokenSocketDeliversNothing)
{
    Harness h(u"mac14-2"_s);
    h.startPortTests();
    h.mac->breakSocket(1);
    h.mac->plugCharger(1, 96);
    ASSERT_TRUE(h.untilStatus(PortTestStatus::timedOut, 30s));
}

TEST(PortTest, M1ProFamilyIsCreditedThroughItsPdPartnerAlone)
{
    Harness h(u"macbookpro18-3"_s);
    h.startPortTests();
    h.passPort(3, 140);
    EXPECT_EQ(h.model->portResults().at(0).controllerID, h.model->hardwareReport()->portDescriptors[2].id);
    EXPECT_EQ(h.model->portResults().at(0).adapterWatts, 140);
}

TEST(PortTest, IntelMachineGivesLimitedResults)
{
    Harness h(u"macbookpro16-1"_s);
    h.startPortTests();
    h.passPort(3, 96);
    const auto& r = h.model->portResults().at(0);
    EXPECT_EQ(r.state, model::PortResultState::limited);
    EXPECT_FALSE(r.controllerID);
    EXPECT_EQ(r.adapterWatts, 96);
    EXPECT_EQ(r.note, diagnosis::texts::limitedNote);
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
    ASSERT_TRUE(h.untilPhase(DiagnosticPhase::evaluating, 1s));
}

TEST(PortTest, TwoExpectedPortsEndAfterTheSecond)
{
    Harness h(u"mac14-2"_s);
    h.startPortTests();
    h.passPort(1);
    ASSERT_TRUE(h.untilStatus(PortTestStatus::waitingForConnection));
    h.passPort(2);
    ASSERT_TRUE(h.untilPhase(DiagnosticPhase::evaluating, 1s));
    EXPECT_EQ(h.model->portResults().size(), 2u);
    EXPECT_TRUE(h.model->monitoringTask().isFinished());
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
    EXPECT_EQ(h.model->transientMessage(), u"Diagnosebericht wurde kopiert."_s);
    EXPECT_EQ(h.services.clipboard, h.model->reportText());
    h.advance(1500ms);
    h.model->copyReport();
    h.advance(499ms);
    EXPECT_TRUE(h.model->transientMessage());
    h.advance(1ms);
    EXPECT_FALSE(h.model->transientMessage()) << "the first copy's clearing takes both";
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

TEST(Lifecycle, DestroyingTheModelMidRunIsSafe)
{
    // At every kind of pending work: scan waits, background probe, poll wait, settle wait,
    // advance delay, evaluation and the confirmation's clearing.
    for (auto stopAfter : {100ms, 700ms, 2000ms, 2300ms, 2800ms, 3600ms, 5000ms, 30000ms, 33000ms}) {
        Harness h(u"mac14-2"_s);
        h.model->startDiagnosis();
        h.untilPhase(DiagnosticPhase::portPreparation, 3s);
        h.model->beginPortTesting();
        h.mac->plugCharger(1, 96);
        h.model->copyReport();
        h.advance(stopAfter);
        if (h.model->portTestStatus() == PortTestStatus::timedOut)
            h.model->markCurrentPortDefective();
        h.model.reset();
        h.advance(60s); // every pending task must find its owner gone and vanish
    }
}

TEST(Links, RepairPageByNameAndModel)
{
    auto page = [](const QString& model, const QString& name) {
        model::HardwareReport r;
        r.identity = {model, name, u"x"_s, true, true};
        return diagnosis::repairPageURL(r);
    };
    using namespace diagnosis::links;
    EXPECT_EQ(page(u"Mac17,5"_s, u"MacBook Neo"_s), repairPageMacBookNeo());
    EXPECT_EQ(page(u"Mac14,2"_s, u"MacBook AIR"_s), repairPageMacBookAir());
    EXPECT_EQ(page(u"MacBookAir10,1"_s, QString()), repairPageMacBookAir());
    EXPECT_EQ(page(u"MacBookPro16,1"_s, QString()), repairPageMacBookPro());
    EXPECT_EQ(page(u"MacBook9,1"_s, QString()), repairPage12Inch());
    EXPECT_EQ(page(u"X"_s, u"MacBook (12-inch)"_s), repairPage12Inch());
    EXPECT_EQ(page(u"Mac14,3"_s, QString()), estimatePage());
    EXPECT_EQ(diagnosis::repairPageURL(std::nullopt), estimatePage());
    EXPECT_TRUE(home().startsWith(u"https://"_s));
    EXPECT_EQ(repairPageMacBookPro(), home() + u"/macbook-pro-usb-c-reparatur/"_s);
}

TEST(Links, OpenRepairPageAfterFailureOpensEstimatePage)
{
    Harness h(u"macbookpro17-1-missing-controller"_s);
    h.model->startDiagnosis();
    ASSERT_TRUE(h.untilPhase(DiagnosticPhase::controllerFailure));
    h.model->openRepairPage();
    h.model->openWebsite();
    EXPECT_EQ(h.services.openedUrls, (QStringList{diagnosis::links::estimatePage(), diagnosis::links::home()}));
}
