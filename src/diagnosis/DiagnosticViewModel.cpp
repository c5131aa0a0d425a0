#include "diagnosis/DiagnosticViewModel.h"

#include "diagnosis/DiagnosisReport.h"
#include "diagnosis/PortCrediting.h"
#include "diagnosis/PowerVerdict.h"

#include <QUrl>

#include <cmath>

namespace kw::diagnosis {

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;
using model::DiagnosticPhase;
using model::PortResultState;
using model::PortTestStatus;

namespace {
constexpr std::chrono::nanoseconds scanWaitBefore = 650'000'000ns;
constexpr std::chrono::nanoseconds scanWaitAfter = 850'000'000ns;
constexpr std::chrono::nanoseconds pollWait = 550'000'000ns;
constexpr std::chrono::nanoseconds settleWait = 650'000'000ns;
constexpr std::chrono::nanoseconds advanceDelay = 850'000'000ns;
constexpr std::chrono::nanoseconds evaluationStepWait = 80'000'000ns;
constexpr std::chrono::nanoseconds evaluationFinalWait = 350'000'000ns;
constexpr std::chrono::nanoseconds confirmationDuration = 2'000'000'000ns;
constexpr int evaluationSteps = 20;
} // namespace

DiagnosticViewModel::DiagnosticViewModel(Scheduler& scheduler, std::shared_ptr<const probe::HardwareProbe> probe,
                                         SystemServices& services, QObject* parent)
    : QObject(parent), m_scheduler(scheduler), m_probe(std::move(probe)), m_services(services)
{
}

DiagnosticViewModel::~DiagnosticViewModel()
{
    m_monitoringTask.cancel();
    m_alive.reset();
}

// --- published state ---

template <typename T>
void DiagnosticViewModel::assign(T& field, T value, void (DiagnosticViewModel::*changed)())
{
    emit objectWillChange();
    field = std::move(value);
    emit(this->*changed)();
    emit stateChanged();
}

void DiagnosticViewModel::setPhase(DiagnosticPhase phase) { assign(m_phase, phase, &DiagnosticViewModel::phaseChanged); }
void DiagnosticViewModel::setHardwareReport(std::optional<model::HardwareReport> report)
{
    assign(m_hardwareReport, std::move(report), &DiagnosticViewModel::hardwareReportChanged);
}
void DiagnosticViewModel::setPortResults(std::vector<model::PortTestResult> results)
{
    assign(m_portResults, std::move(results), &DiagnosticViewModel::portResultsChanged);
}
void DiagnosticViewModel::appendPortResult(model::PortTestResult result)
{
    auto results = m_portResults;
    results.push_back(std::move(result));
    setPortResults(std::move(results));
}
void DiagnosticViewModel::setPortTestStatus(PortTestStatus status)
{
    assign(m_portTestStatus, status, &DiagnosticViewModel::portTestStatusChanged);
}
void DiagnosticViewModel::setSecondsRemaining(int seconds)
{
    assign(m_secondsRemaining, seconds, &DiagnosticViewModel::secondsRemainingChanged);
}
void DiagnosticViewModel::setEvaluationProgress(double progress)
{
    assign(m_evaluationProgress, progress, &DiagnosticViewModel::evaluationProgressChanged);
}
void DiagnosticViewModel::setTransientMessage(std::optional<QString> message)
{
    assign(m_transientMessage, std::move(message), &DiagnosticViewModel::transientMessageChanged);
}

// --- derived values ---

int DiagnosticViewModel::currentPortNumber() const
{
    if (!m_hardwareReport)
        return 1;
    return int(std::min<std::int64_t>(m_hardwareReport->expectedPortCount, std::int64_t(m_portResults.size()) + 1));
}

std::vector<model::PortTestResult> DiagnosticViewModel::failedResults() const
{
    std::vector<model::PortTestResult> failed;
    std::copy_if(m_portResults.begin(), m_portResults.end(), std::back_inserter(failed),
                 [](const model::PortTestResult& r) { return r.state == PortResultState::failed; });
    return failed;
}

QString DiagnosticViewModel::reportText() const { return diagnosis::reportText(m_hardwareReport, m_portResults); }
QString DiagnosticViewModel::repairPageURL() const { return diagnosis::repairPageURL(m_hardwareReport); }

// --- tasks ---

TaskHandle DiagnosticViewModel::startTask(Task task) { return std::move(task).start(m_scheduler, m_alive); }

// The probe calls, as awaitables. Built outside the coroutines: GCC 12 mishandles lambda temporaries
// inside co_await expressions.
auto DiagnosticViewModel::buildReportInBackground() const
{
    return inBackground([probe = m_probe] { return probe->buildHardwareReport(); });
}

auto DiagnosticViewModel::readPowerInBackground() const
{
    return inBackground([probe = m_probe] { return probe->readPowerSnapshot(); });
}

auto DiagnosticViewModel::observePortsInBackground(std::vector<model::PortDescriptor> ports) const
{
    return inBackground([probe = m_probe, ports = std::move(ports)] { return probe->observePorts(ports); });
}

void DiagnosticViewModel::startDiagnosis()
{
    m_monitoringTask.cancel();
    setPortResults({});
    m_testedControllerIDs.clear();
    setTransientMessage(std::nullopt);
    setPhase(DiagnosticPhase::controllerScan);
    startTask(controllerScan());
}

Task DiagnosticViewModel::controllerScan()
{
    co_await sleepFor{scanWaitBefore}; // the scan screen shows for at least 1.5 s, however fast the probe
    model::HardwareReport report = co_await buildReportInBackground();
    setHardwareReport(report);
    co_await sleepFor{scanWaitAfter};
    setPhase(report.probableControllerFailure ? DiagnosticPhase::controllerFailure : DiagnosticPhase::portPreparation);
}

void DiagnosticViewModel::resetDiagnosis()
{
    m_monitoringTask.cancel();
    setPhase(DiagnosticPhase::intro);
    setHardwareReport(std::nullopt);
    setPortResults({});
    m_testedControllerIDs.clear();
    setTransientMessage(std::nullopt);
    setEvaluationProgress(0);
}

void DiagnosticViewModel::beginPortTesting()
{
    setPortResults({});
    m_testedControllerIDs.clear();
    setPhase(DiagnosticPhase::portTesting);
    restartPortTest();
}

void DiagnosticViewModel::restartPortTest()
{
    m_monitoringTask.cancel();
    setSecondsRemaining(portTestWindowSeconds);
    setPortTestStatus(PortTestStatus::waitingForDisconnect);
    setTransientMessage(std::nullopt);
    m_monitoringTask = startTask(portMonitoring());
}

Task DiagnosticViewModel::portMonitoring()
{
    std::optional<Scheduler::Clock::time_point> connectionDeadline;
    if (co_await isCancelled())
        co_return;
    for (;;) {
        const model::PowerSnapshot power = co_await readPowerInBackground();
        const std::vector<model::PortDescriptor> descriptors =
            m_hardwareReport ? m_hardwareReport->portDescriptors : std::vector<model::PortDescriptor>();
        if (co_await isCancelled())
            co_return;

        if (!connectionDeadline) {
            if (power.externalPowerConnected) {
                setPortTestStatus(PortTestStatus::waitingForDisconnect);
            } else {
                setPortTestStatus(PortTestStatus::waitingForConnection);
                setSecondsRemaining(portTestWindowSeconds);
                connectionDeadline = m_scheduler.now() + std::chrono::seconds(portTestWindowSeconds);
            }
        } else if (power.externalPowerConnected) {
            setPortTestStatus(PortTestStatus::checking);
            // From here on the cycle runs to its end, cancelled or not; power is not read again.
            co_await sleepFor{settleWait};
            const std::vector<model::PortObservation> observations = co_await observePortsInBackground(descriptors);

            const PortCredit credit = creditChargingPort(observations, m_testedControllerIDs);
            if (credit.outcome == PortCredit::Outcome::credited) {
                m_testedControllerIDs.insert(*credit.controllerID);
                const QString note = texts::passedNote(power.adapterWatts);
                // The contract comes from the same look that credited the port.
                const auto credited = std::find_if(observations.begin(), observations.end(), [&](const auto& o) {
                    return o.descriptor.id == *credit.controllerID;
                });
                setPortTestStatus(PortTestStatus::success);
                appendPortResult(model::PortTestResult::make(currentPortNumber(), PortResultState::passed,
                                                             credit.controllerID, power.adapterWatts, note,
                                                             credited != observations.end() ? credited->contract : std::nullopt,
                                                             power.adapterName));
                startTask(advanceAfterDelay());
                co_return;
            }
            if (credit.outcome == PortCredit::Outcome::alreadyTested) {
                setPortTestStatus(PortTestStatus::alreadyTested);
                connectionDeadline.reset();
            } else if (!descriptors.empty()) {
                setPortTestStatus(PortTestStatus::wrongPowerSource);
                connectionDeadline.reset();
            } else {
                setPortTestStatus(PortTestStatus::success);
                appendPortResult(model::PortTestResult::make(currentPortNumber(), PortResultState::limited, std::nullopt,
                                                             power.adapterWatts, texts::limitedNoteFor(m_hardwareReport)));
                startTask(advanceAfterDelay());
                co_return;
            }
        } else {
            setPortTestStatus(PortTestStatus::waitingForConnection);
            const auto left = *connectionDeadline - m_scheduler.now();
            const auto seconds = std::chrono::ceil<std::chrono::seconds>(left).count();
            setSecondsRemaining(int(std::max<std::int64_t>(0, seconds)));
            if (m_scheduler.now() >= *connectionDeadline) {
                setPortTestStatus(PortTestStatus::timedOut);
                co_return;
            }
        }

        co_await sleepFor{pollWait};
        if (co_await isCancelled())
            co_return;
    }
}

Task DiagnosticViewModel::advanceAfterDelay()
{
    co_await sleepFor{advanceDelay};
    advanceToNextPort();
}

void DiagnosticViewModel::markCurrentPortDefective()
{
    m_monitoringTask.cancel();
    appendPortResult(model::PortTestResult::make(currentPortNumber(), PortResultState::failed, std::nullopt,
                                                 std::nullopt, texts::timeoutNote));
    advanceToNextPort();
}

void DiagnosticViewModel::advanceToNextPort()
{
    const auto tested = std::int64_t(m_portResults.size());
    const bool morePorts = m_hardwareReport ? tested < m_hardwareReport->expectedPortCount : tested == 0;
    if (morePorts)
        restartPortTest();
    else
        finishPortTesting();
}

void DiagnosticViewModel::finishPortTesting()
{
    m_monitoringTask.cancel();
    setPhase(DiagnosticPhase::evaluating);
    setEvaluationProgress(0);
    startTask(evaluation());
}

Task DiagnosticViewModel::evaluation()
{
    for (int step = 1; step <= evaluationSteps; ++step) {
        co_await sleepFor{evaluationStepWait};
        setEvaluationProgress(double(step) / evaluationSteps);
    }
    co_await sleepFor{evaluationFinalWait};
    setPhase(DiagnosticPhase::result);
}

void DiagnosticViewModel::copyReport()
{
    m_services.copyToClipboard(reportText());
    setTransientMessage(texts::reportCopied);
    startTask(clearConfirmation());
}

Task DiagnosticViewModel::clearConfirmation()
{
    co_await sleepFor{confirmationDuration};
    if (m_transientMessage == texts::reportCopied)
        setTransientMessage(std::nullopt);
}

void DiagnosticViewModel::open(const QString& address)
{
    const QUrl url(address, QUrl::StrictMode);
    if (!url.isValid() || url.scheme() != u"https" || url.host().isEmpty())
        return;
    m_services.openUrl(url);
}

void DiagnosticViewModel::openRepairPage()
{
    const bool failure = m_hardwareReport && m_hardwareReport->probableControllerFailure;
    open(failure ? links::estimatePage() : repairPageURL());
}

void DiagnosticViewModel::openWebsite() { open(links::home()); }

// --- QML views of the state ---

QString DiagnosticViewModel::phaseName() const { return model::caseName(m_phase); }
QString DiagnosticViewModel::portTestStatusName() const { return model::caseName(m_portTestStatus); }

QVariant DiagnosticViewModel::hardwareReportVariant() const
{
    return m_hardwareReport ? QVariant(toVariant(*m_hardwareReport)) : QVariant();
}

QVariantList DiagnosticViewModel::portResultsVariant() const
{
    QVariantList list;
    for (const auto& r : m_portResults)
        list << toVariant(r);
    return list;
}

std::vector<WeakPort> DiagnosticViewModel::weakPorts() const { return findWeakPorts(m_portResults); }

QVariantList DiagnosticViewModel::weakPortsVariant() const
{
    QVariantList list;
    for (const WeakPort& w : weakPorts())
        list << QVariantMap{{u"ordinal"_s, qint64(w.ordinal)},
                            {u"stateText"_s, texts::weakStateText},
                            {u"note"_s, texts::weakNote(w)}};
    return list;
}

QVariantList DiagnosticViewModel::failedResultsVariant() const
{
    QVariantList list;
    for (const auto& r : failedResults())
        list << toVariant(r);
    return list;
}

QVariant DiagnosticViewModel::transientMessageVariant() const
{
    return m_transientMessage ? QVariant(*m_transientMessage) : QVariant();
}

QVariantMap toVariant(const model::HardwareReport& report)
{
    return {{u"modelIdentifier"_s, report.identity.modelIdentifier},
            {u"marketingName"_s, report.identity.marketingName},
            {u"chipName"_s, report.identity.chipName},
            {u"isAppleSilicon"_s, report.identity.isAppleSilicon},
            {u"isNotebook"_s, report.identity.isNotebook},
            {u"expectedPortCount"_s, qint64(report.expectedPortCount)},
            {u"rawControllerCount"_s, qint64(report.rawControllerCount)},
            {u"portDescriptorCount"_s, qint64(report.portDescriptors.size())},
            {u"controllerCheckIsConclusive"_s, report.controllerCheckIsConclusive},
            {u"probableControllerFailure"_s, report.probableControllerFailure},
            {u"notes"_s, report.notes}};
}

QVariantMap toVariant(const model::PortTestResult& r)
{
    return {{u"id"_s, r.id.toString(QUuid::WithoutBraces)},
            {u"ordinal"_s, qint64(r.ordinal)},
            {u"state"_s, model::rawValue(r.state)},
            {u"controllerID"_s, r.controllerID ? QVariant(QString::number(*r.controllerID)) : QVariant()},
            {u"adapterWatts"_s, r.adapterWatts ? QVariant(qint64(*r.adapterWatts)) : QVariant()},
            {u"note"_s, r.note}};
}

} // namespace kw::diagnosis
