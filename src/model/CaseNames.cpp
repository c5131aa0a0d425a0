#include "model/DiagnosticPhase.h"
#include "model/PortResultState.h"
#include "model/PortTestStatus.h"

#include <QHashFunctions>

#include <array>
#include <utility>

namespace kw::model {
namespace {

using namespace Qt::StringLiterals;

template <typename E, std::size_t N>
std::optional<E> lookup(const std::array<std::pair<E, QString>, N>& table, const QString& name)
{
    for (const auto& [value, text] : table)
        if (text == name)
            return value;
    return std::nullopt;
}

template <typename E, std::size_t N>
QString nameOf(const std::array<std::pair<E, QString>, N>& table, E value)
{
    for (const auto& [candidate, text] : table)
        if (candidate == value)
            return text;
    return {};
}

const std::array<std::pair<DiagnosticPhase, QString>, 7> phaseNames{{
    {DiagnosticPhase::intro, u"intro"_s},
    {DiagnosticPhase::controllerScan, u"controllerScan"_s},
    {DiagnosticPhase::controllerFailure, u"controllerFailure"_s},
    {DiagnosticPhase::portPreparation, u"portPreparation"_s},
    {DiagnosticPhase::portTesting, u"portTesting"_s},
    {DiagnosticPhase::evaluating, u"evaluating"_s},
    {DiagnosticPhase::result, u"result"_s},
}};

const std::array<std::pair<PortTestStatus, QString>, 8> statusNames{{
    {PortTestStatus::waitingForDisconnect, u"waitingForDisconnect"_s},
    {PortTestStatus::ready, u"ready"_s},
    {PortTestStatus::waitingForConnection, u"waitingForConnection"_s},
    {PortTestStatus::checking, u"checking"_s},
    {PortTestStatus::alreadyTested, u"alreadyTested"_s},
    {PortTestStatus::wrongPowerSource, u"wrongPowerSource"_s},
    {PortTestStatus::timedOut, u"timedOut"_s},
    {PortTestStatus::success, u"success"_s},
}};

const std::array<std::pair<PortResultState, QString>, 3> stateRawValues{{
    {PortResultState::passed, u"passed"_s},
    {PortResultState::failed, u"failed"_s},
    {PortResultState::limited, u"limited"_s},
}};

} // namespace

QString caseName(DiagnosticPhase phase) { return nameOf(phaseNames, phase); }
std::optional<DiagnosticPhase> diagnosticPhaseFromCaseName(const QString& name) { return lookup(phaseNames, name); }

QString caseName(PortTestStatus status) { return nameOf(statusNames, status); }
std::optional<PortTestStatus> portTestStatusFromCaseName(const QString& name) { return lookup(statusNames, name); }

QString rawValue(PortResultState state) { return nameOf(stateRawValues, state); }
std::optional<PortResultState> portResultStateFromRawValue(const QString& raw) { return lookup(stateRawValues, raw); }

std::size_t hashValue(PortResultState state) { return qHash(rawValue(state)); }

} // namespace kw::model
