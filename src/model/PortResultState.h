#pragma once

#include <QString>

#include <cstddef>
#include <functional>
#include <optional>

namespace kw::model {

enum class PortResultState { passed, failed, limited };

QString rawValue(PortResultState state);
// Exactly "passed", "failed" or "limited"; anything else is no state.
std::optional<PortResultState> portResultStateFromRawValue(const QString& raw);

std::size_t hashValue(PortResultState state);

} // namespace kw::model

template <>
struct std::hash<kw::model::PortResultState> {
    std::size_t operator()(kw::model::PortResultState state) const noexcept { return kw::model::hashValue(state); }
};
