#pragma once

#include "diagnosis/PowerVerdict.h"
#include "diagnosis/Scheduler.h"
#include "diagnosis/SystemServices.h"
#include "diagnosis/Task.h"
#include "model/DiagnosticPhase.h"
#include "model/HardwareReport.h"
#include "model/PortTestResult.h"
#include "model/PortTestStatus.h"
#include "probe/HardwareProbe.h"

#include <QObject>
#include <QVariant>

#include <memory>
#include <optional>
#include <set>
#include <vector>

namespace kw::diagnosis {

inline constexpr int portTestWindowSeconds = 25;

// The state of one diagnosis run and the operations the screens call. Lives on the main thread;
// every assignment of a published value announces itself (objectWillChange before, the value's own
// signal and stateChanged after), an unchanged value included.
class DiagnosticViewModel : public QObject {
    Q_OBJECT
    Q_PROPERTY(QString phase READ phaseName NOTIFY phaseChanged)
    Q_PROPERTY(QVariant hardwareReport READ hardwareReportVariant NOTIFY hardwareReportChanged)
    Q_PROPERTY(QVariantList portResults READ portResultsVariant NOTIFY portResultsChanged)
    Q_PROPERTY(QString portTestStatus READ portTestStatusName NOTIFY portTestStatusChanged)
    Q_PROPERTY(int secondsRemaining READ secondsRemaining NOTIFY secondsRemainingChanged)
    Q_PROPERTY(double evaluationProgress READ evaluationProgress NOTIFY evaluationProgressChanged)
    Q_PROPERTY(QVariant transientMessage READ transientMessageVariant NOTIFY transientMessageChanged)
    Q_PROPERTY(int currentPortNumber READ currentPortNumber NOTIFY stateChanged)
    Q_PROPERTY(QVariantList failedResults READ failedResultsVariant NOTIFY stateChanged)
    // The passed ports that charge below the others with the same charger: ordinal, stateText, note.
    Q_PROPERTY(QVariantList weakPorts READ weakPortsVariant NOTIFY stateChanged)
    Q_PROPERTY(QString reportText READ reportText NOTIFY stateChanged)
    Q_PROPERTY(QString repairPageURL READ repairPageURL NOTIFY stateChanged)

public:
    DiagnosticViewModel(Scheduler& scheduler, std::shared_ptr<const probe::HardwareProbe> probe,
                        SystemServices& services, QObject* parent = nullptr);
    ~DiagnosticViewModel() override;

    model::DiagnosticPhase phase() const { return m_phase; }
    const std::optional<model::HardwareReport>& hardwareReport() const { return m_hardwareReport; }
    const std::vector<model::PortTestResult>& portResults() const { return m_portResults; }
    model::PortTestStatus portTestStatus() const { return m_portTestStatus; }
    int secondsRemaining() const { return m_secondsRemaining; }
    double evaluationProgress() const { return m_evaluationProgress; }
    const std::optional<QString>& transientMessage() const { return m_transientMessage; }
    const std::set<model::RegistryEntryId>& testedControllerIDs() const { return m_testedControllerIDs; }
    const TaskHandle& monitoringTask() const { return m_monitoringTask; }

    int currentPortNumber() const;
    std::vector<model::PortTestResult> failedResults() const;
    std::vector<WeakPort> weakPorts() const;
    QString reportText() const;
    QString repairPageURL() const;

    Q_INVOKABLE void startDiagnosis();
    Q_INVOKABLE void resetDiagnosis();
    Q_INVOKABLE void beginPortTesting();
    Q_INVOKABLE void restartPortTest();
    Q_INVOKABLE void markCurrentPortDefective();
    Q_INVOKABLE void copyReport();
    Q_INVOKABLE void openRepairPage();
    Q_INVOKABLE void openWebsite();
    void advanceToNextPort();
    void finishPortTesting();

signals:
    void objectWillChange();
    void stateChanged();
    void phaseChanged();
    void hardwareReportChanged();
    void portResultsChanged();
    void portTestStatusChanged();
    void secondsRemainingChanged();
    void evaluationProgressChanged();
    void transientMessageChanged();

private:
    template <typename T>
    void assign(T& field, T value, void (DiagnosticViewModel::*changed)());
    void setPhase(model::DiagnosticPhase phase);
    void setHardwareReport(std::optional<model::HardwareReport> report);
    void setPortResults(std::vector<model::PortTestResult> results);
    void appendPortResult(model::PortTestResult result);
    void setPortTestStatus(model::PortTestStatus status);
    void setSecondsRemaining(int seconds);
    void setEvaluationProgress(double progress);
    void setTransientMessage(std::optional<QString> message);
    void open(const QString& address);

    TaskHandle startTask(Task task);
    auto buildReportInBackground() const;
    auto readPowerInBackground() const;
    auto observePortsInBackground(std::vector<model::PortDescriptor> ports) const;
    Task controllerScan();
    Task portMonitoring();
    Task advanceAfterDelay();
    Task evaluation();
    Task clearConfirmation();

    QString phaseName() const;
    QString portTestStatusName() const;
    QVariant hardwareReportVariant() const;
    QVariantList portResultsVariant() const;
    QVariantList failedResultsVariant() const;
    QVariantList weakPortsVariant() const;
    QVariant transientMessageVariant() const;

    Scheduler& m_scheduler;
    const std::shared_ptr<const probe::HardwareProbe> m_probe;
    SystemServices& m_services;
    // Tasks hold this weakly; once it is gone they are destroyed instead of resumed.
    std::shared_ptr<const void> m_alive = std::make_shared<int>(0);

    model::DiagnosticPhase m_phase = model::DiagnosticPhase::intro;
    std::optional<model::HardwareReport> m_hardwareReport;
    std::vector<model::PortTestResult> m_portResults;
    model::PortTestStatus m_portTestStatus = model::PortTestStatus::ready;
    int m_secondsRemaining = portTestWindowSeconds;
    double m_evaluationProgress = 0;
    std::optional<QString> m_transientMessage;
    TaskHandle m_monitoringTask;
    std::set<model::RegistryEntryId> m_testedControllerIDs;
};

// For QML and scripts: the plain values of a report and of results.
QVariantMap toVariant(const model::HardwareReport& report);
QVariantMap toVariant(const model::PortTestResult& result);

} // namespace kw::diagnosis
