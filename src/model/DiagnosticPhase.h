#pragma once

#include <QString>

#include <functional>
#include <optional>

namespace kw::model {

enum class DiagnosticPhase {
    intro,
    controllerScan,
    controllerFailure,
    portPreparation,
    portTesting,
    evaluating,
    result,
};

QString caseName(DiagnosticPhase phase);
std::optional<DiagnosticPhase> diagnosticPhaseFromCaseName(const QString& name);

} // namespace kw::model
