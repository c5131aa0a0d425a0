#include "probe/backends/simulated/SimulatedMac.h"

namespace kw::probe {

using namespace Qt::StringLiterals;

namespace {

const QString pdPartnerClass = u"IOPortTransportComponentCCUSBPDSOP"_s;
const QString powerSourceClass = u"IOPortFeaturePowerSource"_s;

// A fixed-supply PDO list as a USB-PD charger of that power offers it, in the registry's shape.
PropertyArray powerSourceOptions(int watts)
{
    PropertyArray options;
    for (int millivolts : {5000, 9000, 15000, 20000}) {
        const int maxMilliwatts = std::min(watts * 1000, millivolts * (millivolts == 20000 ? 5 : 3));
        const int milliamps = std::min(maxMilliwatts * 1000 / millivolts, millivolts == 20000 ? 5000 : 3000);
        options.push_back(PropertyDictionary{{u"Class"_s, u"IOPortFeaturePowerSourceOptionFixed"_s},
                                             {u"Voltage (mV)"_s, millivolts},
                                             {u"Max Current (mA)"_s, milliamps},
                                             {u"Max Power (mW)"_s, millivolts * milliamps / 1000}});
    }
    return options;
}

PropertyDictionary parentPortProperties(const PropertyDictionary& port)
{
    PropertyDictionary props;
    for (const auto& key : {u"PortNumber"_s, u"PortType"_s, u"PortTypeDescription"_s}) {
        if (const PropertyValue* v = port.find(key)) {
            props.insert(u"Parent"_s + key, *v);
            props.insert(u"ParentBuiltIn"_s + key, *v);
        }
    }
    return props;
}

QString describe(const PropertyDictionary& port, const QString& suffix)
{
    const PropertyValue* d = port.find(u"Description"_s);
    const QString base = d && d->as<QString>() ? *d->as<QString>() : u"Port"_s;
    return base + u'/' + suffix;
}

} // namespace

std::optional<std::size_t> SimulatedMac::usbCSocketIndex(int number) const
{
    for (std::size_t i = 0; i < m_machine.sockets.size(); ++i)
        if (m_machine.sockets[i].kind == MachineSocket::Kind::usbC && m_machine.sockets[i].number == number)
            return i;
    return std::nullopt;
}

std::optional<std::size_t> SimulatedMac::magSafeSocketIndex() const
{
    for (std::size_t i = 0; i < m_machine.sockets.size(); ++i)
        if (m_machine.sockets[i].kind == MachineSocket::Kind::magSafe)
            return i;
    return std::nullopt;
}

std::optional<std::uint64_t> SimulatedMac::childNamedLocked(std::uint64_t parent, const QString& name) const
{
    for (std::uint64_t child : m_machine.entries.at(parent).children)
        if (m_machine.entries.at(child).name == name)
            return child;
    return std::nullopt;
}

std::uint64_t SimulatedMac::addEntryLocked(std::uint64_t parent, const QString& className, const QString& name,
                                           PropertyDictionary properties)
{
    if (!m_machine.superclasses.count(className))
        m_machine.superclasses[className] = u"IOService"_s;
    if (!m_machine.superclasses.count(u"IOService"_s))
        m_machine.superclasses[u"IOService"_s] = u"IORegistryEntry"_s;
    const std::uint64_t id = m_nextEntryId++;
    MachineEntry entry;
    entry.id = id;
    entry.className = className;
    entry.name = name;
    entry.properties = std::move(properties);
    entry.parent = parent;
    m_machine.entries.emplace(id, std::move(entry));
    m_machine.entries.at(parent).children.push_back(id);
    return id;
}

void SimulatedMac::removeEntryLocked(std::uint64_t id)
{
    auto it = m_machine.entries.find(id);
    if (it == m_machine.entries.end())
        return;
    for (std::uint64_t child : std::vector(it->second.children))
        removeEntryLocked(child);
    if (auto parent = m_machine.entries.find(it->second.parent.value_or(0)); parent != m_machine.entries.end())
        std::erase(parent->second.children, id);
    m_machine.entries.erase(id);
}

void SimulatedMac::disconnectLocked(std::size_t index)
{
    Connection& c = m_connections[index];
    for (std::uint64_t id : c.addedEntries)
        removeEntryLocked(id);
    c.addedEntries.clear();
    if (auto entry = m_machine.sockets[index].entry)
        m_machine.entries.at(*entry).properties.insert(u"ConnectionActive"_s, false);
}

// Publishes in the registry what the plugged thing shows on this machine family.
void SimulatedMac::applyConnectionLocked(std::size_t index)
{
    Connection& c = m_connections[index];
    const auto portId = m_machine.sockets[index].entry;
    // A broken socket makes no contact: nothing plugged there shows up.
    if (!portId || c.broken || c.plugged == Plugged::nothing)
        return;
    const bool delivers = c.plugged == Plugged::charger;

    PropertyDictionary& port = m_machine.entries.at(*portId).properties;
    port.insert(u"ConnectionActive"_s, true);
    const PropertyValue* count = port.find(u"ConnectionCount"_s);
    port.insert(u"ConnectionCount"_s, (count ? count->integerValue() : 0) + 1);
    const PropertyDictionary portProps = port;

    // A worn CC contact keeps Power Delivery from talking where the registry would show it; the
    // M1 Pro/Max family shows its partners alike either way.
    if (c.worn && m_machine.publishesPowerSourceFeatures) {
        if (delivers)
            publishFallbackPowerLocked(index, portProps);
        return;
    }

    // The partner's SOP component appears under the port's CC transport.
    const std::uint64_t cc = childNamedLocked(*portId, u"CC"_s).value_or(*portId);
    PropertyDictionary sop = parentPortProperties(portProps);
    sop.insert(u"Address"_s, 1);
    sop.insert(u"AddressDescription"_s, u"SOP"_s);
    sop.insert(u"ComponentName"_s, u"SOP"_s);
    sop.insert(u"Description"_s, describe(portProps, u"CC/SOP"_s));
    c.addedEntries.push_back(addEntryLocked(cc, pdPartnerClass, u"SOP"_s, std::move(sop)));

    // Power sources appear only where power comes in: a hub or display adapter shows its partner and
    // nothing more, and the M1 Pro/Max family shows a charger no other way either.
    if (!delivers || !m_machine.publishesPowerSourceFeatures)
        return;
    // Families that publish power sources list the negotiated PD source and the two fallbacks.
    const std::uint64_t powerIn = childNamedLocked(*portId, u"Power In"_s).value_or(*portId);
    struct Source {
        QString name, sourceName;
        int priority, type;
        PropertyArray options;
    };
    const std::vector<Source> sources{
        {u"USB-PD [*]"_s, u"USB-PD"_s, 1000, 2, powerSourceOptions(c.watts)},
        {u"Brick ID"_s, u"Brick ID"_s, -500, 0, powerSourceOptions(std::min(c.watts, 7))},
        {u"TypeC"_s, u"TypeC"_s, 0, 0, powerSourceOptions(std::min(c.watts, 15))},
    };
    for (const Source& s : sources) {
        PropertyDictionary props = parentPortProperties(portProps);
        props.insert(u"Description"_s, describe(portProps, u"Power In/"_s + s.sourceName));
        props.insert(u"PowerSourceName"_s, s.sourceName);
        props.insert(u"PowerSourceType"_s, s.type);
        props.insert(u"Priority"_s, s.priority);
        props.insert(u"ParentFeatureType"_s, 3);
        props.insert(u"PowerSourceOptions"_s, s.options);
        if (s.type == 2)
            props.insert(u"WinningPowerSourceOption"_s, s.options.back());
        c.addedEntries.push_back(addEntryLocked(powerIn, powerSourceClass, s.name, std::move(props)));
    }
}

// Without Power Delivery a charger supplies 5 V at the Type-C current its plug advertises: the Type-C
// source wins, beside the Brick ID placeholder.
void SimulatedMac::publishFallbackPowerLocked(std::size_t index, const PropertyDictionary& portProps)
{
    Connection& c = m_connections[index];
    const std::uint64_t portId = *m_machine.sockets[index].entry;
    const std::uint64_t powerIn = childNamedLocked(portId, u"Power In"_s).value_or(portId);
    auto fixed = [](int millivolts, int milliamps) {
        return PropertyDictionary{{u"Class"_s, u"IOPortFeaturePowerSourceOptionFixed"_s},
                                  {u"Voltage (mV)"_s, millivolts},
                                  {u"Max Current (mA)"_s, milliamps},
                                  {u"Max Power (mW)"_s, millivolts * milliamps / 1000}};
    };
    const PropertyDictionary typeC = fixed(5000, std::min(3000, c.watts * 200));
    struct Source {
        QString name, sourceName;
        int priority;
        PropertyDictionary option;
        bool wins;
    };
    for (const Source& s : {Source{u"Brick ID"_s, u"Brick ID"_s, -500, fixed(5000, 1500), false},
                            Source{u"TypeC [*]"_s, u"TypeC"_s, 0, typeC, true}}) {
        PropertyDictionary props = parentPortProperties(portProps);
        props.insert(u"Description"_s, describe(portProps, u"Power In/"_s + s.sourceName));
        props.insert(u"PowerSourceName"_s, s.sourceName);
        props.insert(u"PowerSourceType"_s, 0);
        props.insert(u"Priority"_s, s.priority);
        props.insert(u"ParentFeatureType"_s, 3);
        props.insert(u"PowerSourceOptions"_s, PropertyArray{s.option});
        if (s.wins)
            props.insert(u"WinningPowerSourceOption"_s, s.option);
        c.addedEntries.push_back(addEntryLocked(powerIn, powerSourceClass, s.name, std::move(props)));
    }
}

// The machine runs from the strongest charger that delivers; without one, from its battery.
void SimulatedMac::updatePowerLocked()
{
    std::optional<std::size_t> best;
    for (std::size_t i = 0; i < m_connections.size(); ++i) {
        const Connection& c = m_connections[i];
        if (c.plugged == Plugged::charger && !c.broken && (!best || c.watts > m_connections[*best].watts))
            best = i;
    }
    if (!best) {
        m_machine.providingPowerType = m_restingPowerType;
        m_machine.adapterDetails.reset();
        return;
    }
    const int watts = m_connections[*best].watts;
    const bool magSafe = m_machine.sockets[*best].kind == MachineSocket::Kind::magSafe;
    // Where the registry tells nothing of the contract, a worn socket shows only in the adapter's
    // watts: 5 V at Type-C current.
    const bool worn = m_connections[*best].worn && !m_machine.publishesPowerSourceFeatures;
    m_machine.providingPowerType = u"AC Power"_s;
    m_machine.adapterDetails = PropertyDictionary{
        {u"Watts"_s, worn ? std::min(watts, 15) : watts},
        {u"Name"_s, magSafe ? u"%1W USB-C Power Adapter (MagSafe 3)"_s.arg(watts) : u"%1W USB-C Power Adapter"_s.arg(watts)},
        {u"Manufacturer"_s, u"Apple Inc."_s},
        {u"AdapterVoltage"_s, 20000},
        {u"Current"_s, watts * 1000 / 20},
        {u"IsWireless"_s, false},
    };
}

void SimulatedMac::plugLocked(std::size_t index, Plugged what, int watts)
{
    disconnectLocked(index);
    m_connections[index].plugged = what;
    m_connections[index].watts = watts;
    applyConnectionLocked(index);
    updatePowerLocked();
}

QString SimulatedMac::changeSocket(std::optional<int> usbC, const std::function<void(std::size_t)>& change)
{
    {
        std::lock_guard lock(m_mutex);
        const auto index = usbC ? usbCSocketIndex(*usbC) : magSafeSocketIndex();
        if (!index)
            return usbC ? u"this machine has no USB-C socket %1"_s.arg(*usbC) : u"this machine has no MagSafe socket"_s;
        change(*index);
    }
    notifyChanged();
    return {};
}

namespace {
QString checkWatts(int watts)
{
    return watts < 1 || watts > 500 ? u"a charger has from 1 to 500 W, not %1"_s.arg(watts) : QString();
}
} // namespace

QString SimulatedMac::plugCharger(int socket, int watts)
{
    if (QString error = checkWatts(watts); !error.isEmpty())
        return error;
    return changeSocket(socket, [&](std::size_t i) { plugLocked(i, Plugged::charger, watts); });
}

QString SimulatedMac::plugMagSafeCharger(int watts)
{
    if (QString error = checkWatts(watts); !error.isEmpty())
        return error;
    return changeSocket(std::nullopt, [&](std::size_t i) { plugLocked(i, Plugged::charger, watts); });
}

QString SimulatedMac::plugPdDevice(int socket)
{
    return changeSocket(socket, [&](std::size_t i) { plugLocked(i, Plugged::pdDevice, 0); });
}

QString SimulatedMac::unplug(int socket)
{
    return changeSocket(socket, [&](std::size_t i) { plugLocked(i, Plugged::nothing, 0); });
}

QString SimulatedMac::unplugMagSafe()
{
    return changeSocket(std::nullopt, [&](std::size_t i) { plugLocked(i, Plugged::nothing, 0); });
}

void SimulatedMac::unplugAll()
{
    {
        std::lock_guard lock(m_mutex);
        for (std::size_t i = 0; i < m_connections.size(); ++i) {
            disconnectLocked(i);
            m_connections[i].plugged = Plugged::nothing;
            m_connections[i].watts = 0;
        }
        updatePowerLocked();
    }
    notifyChanged();
}

QString SimulatedMac::breakSocket(int socket)
{
    return changeSocket(socket, [&](std::size_t i) {
        m_connections[i].broken = true;
        // Whatever is plugged in there loses contact now.
        plugLocked(i, m_connections[i].plugged, m_connections[i].watts);
    });
}

QString SimulatedMac::weakenSocket(int socket)
{
    return changeSocket(socket, [&](std::size_t i) {
        m_connections[i].worn = true;
        plugLocked(i, m_connections[i].plugged, m_connections[i].watts);
    });
}

std::vector<SimulatedMac::SocketState> SimulatedMac::socketStates() const
{
    std::lock_guard lock(m_mutex);
    std::vector<SocketState> states;
    for (std::size_t i = 0; i < m_machine.sockets.size(); ++i)
        states.push_back({m_machine.sockets[i], m_connections[i].plugged, m_connections[i].watts, m_connections[i].broken,
                          m_connections[i].worn});
    return states;
}

void SimulatedMac::setChangeListener(std::function<void()> listener)
{
    std::lock_guard lock(m_listenerMutex);
    m_changeListener = std::move(listener);
}

void SimulatedMac::notifyChanged()
{
    std::function<void()> listener;
    {
        std::lock_guard lock(m_listenerMutex);
        listener = m_changeListener;
    }
    if (listener)
        listener();
}

} // namespace kw::probe
