#pragma once

#include "model/PortDescriptor.h"
#include "model/PortResultState.h"
#include "model/PowerContract.h"

#include <QString>
#include <QUuid>

#include <cstdint>
#include <optional>

namespace kw::model {

// The recorded outcome of one port test; identified by id, never compared by content.
struct PortTestResult {
    QUuid id;
    std::int64_t ordinal = 0;
    PortResultState state = PortResultState::failed;
    std::optional<RegistryEntryId> controllerID;
    std::optional<std::int64_t> adapterWatts;
    QString note;
    // For passed: what the credited port agreed with the charger, where published, and the adapter's
    // name as the power reading gave it; they tell whether two ports charged alike.
    std::optional<PowerContract> contract;
    std::optional<QString> adapterName;

    // A fresh random id for every result made.
    static PortTestResult make(std::int64_t ordinal, PortResultState state,
                               std::optional<RegistryEntryId> controllerID,
                               std::optional<std::int64_t> adapterWatts, QString note,
                               std::optional<PowerContract> contract = std::nullopt,
                               std::optional<QString> adapterName = std::nullopt)
    {
        return {QUuid::createUuid(), ordinal,          state, controllerID, adapterWatts, std::move(note),
                std::move(contract), std::move(adapterName)};
    }
};

} // namespace kw::model
