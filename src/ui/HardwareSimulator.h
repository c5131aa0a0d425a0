#pragma once

#include <QObject>
#include <QVariantList>
#include <QtQml/qqmlregistration.h>

#include <memory>

namespace kw::probe {
class SimulatedMac;
}

namespace kw::ui {

// The simulated Mac's sockets for the simulator window: what is plugged where, and the actions.
class HardwareSimulator : public QObject {
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("made by the program for its simulated Mac")
    Q_PROPERTY(QString machineTitle READ machineTitle CONSTANT)
    Q_PROPERTY(QVariantList sockets READ sockets NOTIFY changed)
    Q_PROPERTY(QString powerText READ powerText NOTIFY changed)
    Q_PROPERTY(QString lastError READ lastError NOTIFY changed)

public:
    explicit HardwareSimulator(std::shared_ptr<probe::SimulatedMac> mac, QObject* parent = nullptr);
    ~HardwareSimulator() override;

    QString machineTitle() const;
    QVariantList sockets() const;
    QString powerText() const;
    QString lastError() const { return m_lastError; }

    Q_INVOKABLE void plugCharger(int socket, int watts);
    Q_INVOKABLE void plugMagSafeCharger(int watts);
    Q_INVOKABLE void plugDevice(int socket);
    Q_INVOKABLE void unplug(int socket);
    Q_INVOKABLE void unplugMagSafe();
    Q_INVOKABLE void unplugAll();
    Q_INVOKABLE void breakSocket(int socket);
    Q_INVOKABLE void weakenSocket(int socket);

signals:
    void changed();

private:
    void report(const QString& error);

    std::shared_ptr<probe::SimulatedMac> m_mac;
    QString m_lastError;
};

} // namespace kw::ui
