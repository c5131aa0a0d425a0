#include "ui/HardwareSimulator.h"

#include "probe/PowerSnapshotReader.h"
#include "probe/backends/simulated/SimulatedMac.h"

#include <QPointer>

namespace kw::ui {

using namespace Qt::StringLiterals;
using probe::SimulatedMac;

HardwareSimulator::HardwareSimulator(std::shared_ptr<SimulatedMac> mac, QObject* parent)
    : QObject(parent), m_mac(std::move(mac))
{
    // Scripts and this window both act on the machine; show every change, whoever made it.
    QPointer<HardwareSimulator> self(this);
    m_mac->setChangeListener([self] {
        QMetaObject::invokeMethod(
            self.get(), [self] { if (self) emit self->changed(); }, Qt::QueuedConnection);
    });
}

HardwareSimulator::~HardwareSimulator() { m_mac->setChangeListener({}); }

QString HardwareSimulator::machineTitle() const { return m_mac->title(); }

QVariantList HardwareSimulator::sockets() const
{
    QVariantList list;
    for (const SimulatedMac::SocketState& s : m_mac->socketStates()) {
        const bool magSafe = s.socket.kind == probe::MachineSocket::Kind::magSafe;
        QString plugged = u"nothing"_s;
        if (s.plugged == SimulatedMac::Plugged::charger)
            plugged = u"charger"_s;
        else if (s.plugged == SimulatedMac::Plugged::pdDevice)
            plugged = u"pdDevice"_s;
        list << QVariantMap{{u"kind"_s, magSafe ? u"MagSafe"_s : u"USB-C"_s},
                            {u"number"_s, s.socket.number},
                            {u"label"_s, s.socket.label},
                            {u"hasController"_s, s.socket.entry.has_value()},
                            {u"plugged"_s, plugged},
                            {u"watts"_s, s.watts},
                            {u"broken"_s, s.broken},
                            {u"worn"_s, s.worn}};
    }
    return list;
}

QString HardwareSimulator::powerText() const
{
    const model::PowerSnapshot power = probe::readPowerSnapshot(*m_mac);
    if (!power.externalPowerConnected)
        return u"Batteriebetrieb"_s;
    if (power.adapterWatts)
        return u"Netzbetrieb – %1-W-Netzteil"_s.arg(*power.adapterWatts);
    return u"Netzbetrieb"_s;
}

void HardwareSimulator::report(const QString& error)
{
    m_lastError = error;
    emit changed();
}

void HardwareSimulator::plugCharger(int socket, int watts) { report(m_mac->plugCharger(socket, watts)); }
void HardwareSimulator::plugMagSafeCharger(int watts) { report(m_mac->plugMagSafeCharger(watts)); }
void HardwareSimulator::plugDevice(int socket) { report(m_mac->plugPdDevice(socket)); }
void HardwareSimulator::unplug(int socket) { report(m_mac->unplug(socket)); }
void HardwareSimulator::unplugMagSafe() { report(m_mac->unplugMagSafe()); }
void HardwareSimulator::unplugAll()
{
    m_mac->unplugAll();
    report({});
}
void HardwareSimulator::breakSocket(int socket) { report(m_mac->breakSocket(socket)); }
void HardwareSimulator::weakenSocket(int socket) { report(m_mac->weakenSocket(socket)); }

} // namespace kw::ui
