#pragma once

#include "model/PortObservation.h"
#include "probe/Platform.h"

#include <QStringList>

#include <vector>

namespace kw::probe {

const QStringList& connectionKeyWords();
const QStringList& connectedValueWords();

inline const QString powerSourceClassFragment = QStringLiteral("IOPortFeaturePowerSource");
inline const QString pdPartnerClassFragment = QStringLiteral("IOPortTransportComponentCCUSBPDSOP");

struct SubtreeState {
    QStringList classNames;
    QString text; // the descendants' property texts, joined with single spaces
    std::vector<PropertyDictionary> powerSources; // the properties of the power-source descendants
};

// The live state of the given ports, in port order; ports that left the registry are left out.
std::vector<model::PortObservation> observePorts(const Registry& registry,
                                                 const std::vector<model::PortDescriptor>& descriptors);
model::PortObservation observePort(const Registry& registry, const model::PortDescriptor& descriptor);
bool hasConnectedProperty(const PropertyDictionary& properties);
SubtreeState readSubtreeState(const Registry& registry, RegistryEntry entry);
// The contract a port's power sources publish: the source that names a winning option, with the
// charger's offers from its Power Delivery source. Absent when no source names a winner (machines
// that publish no power sources, or a port without power coming in).
std::optional<model::PowerContract> readPowerContract(const std::vector<PropertyDictionary>& powerSources);

} // namespace kw::probe
