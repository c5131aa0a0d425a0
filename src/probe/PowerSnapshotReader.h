#pragma once

#include "model/PowerSnapshot.h"
#include "probe/Platform.h"

#include <QStringList>

namespace kw::probe {

const QStringList& adapterWattsKeys();
const QStringList& adapterNameKeys();

model::PowerSnapshot readPowerSnapshot(const PowerSources& power);
std::optional<std::int64_t> readAdapterWatts(const PropertyDictionary& details, const QStringList& keys);
std::optional<QString> readAdapterName(const PropertyDictionary& details, const QStringList& keys);

} // namespace kw::probe
