#pragma once

#include "model/PortDescriptor.h"
#include "model/PortResultState.h"

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

    // A fresh random id for every result made.
    static PortTestResult make(std::int64_t ordinal, PortResultState state,
                               std::optional<RegistryEntryId> controllerID,
                               std::optional<std::int64_t> adapterWatts, QString note)
    {
        return {QUuid::createUuid(), ordinal, state, controllerID, adapterWatts, std::move(note)};
    }
};

} // namespace kw::model
