#pragma once

#include "diagnosis/DiagnosticViewModel.h"
#include "diagnosis/SystemServices.h"
#include "diagnosis/VirtualScheduler.h"
#include "support/Machines.h"

#include <gtest/gtest.h>

#include <mutex>

namespace kw::test {

using namespace std::chrono_literals;
using namespace Qt::StringLiterals;
using diagnosis::DiagnosticViewModel;
using model::DiagnosticPhase;
using model::PortTestStatus;

// A probe whose every answer the test sets; thread-safe, since the model asks from background threads.
class FakeProbe final : public probe::HardwareProbe {
public:
    void setReport(model::HardwareReport r) { std::lock_guard l(m); report = std::move(r); }
    void setPower(bool external, std::optional<std::int64_t> watts = std::nullopt)
    {
        std::lock_guard l(m);
        power = model::PowerSnapshot{external, watts, std::nullopt, {}};
    }
    // Ports in the set show only that something is connected: no power source, no PD partner.
    void setActive(std::set<model::RegistryEntryId> ids) { std::lock_guard l(m); active = std::move(ids); }
    // The port services have left the registry: a look at the ports finds none of them.
    void setPortsVanished(bool gone) { std::lock_guard l(m); vanished = gone; }
    int portLooks() const { std::lock_guard l(m); return looks; }

    model::HardwareReport buildHardwareReport() const override { std::lock_guard l(m); return report; }
    model::PowerSnapshot readPowerSnapshot() const override { std::lock_guard l(m); return power; }
    std::vector<model::PortObservation> observePorts(const std::vector<model::PortDescriptor>& ports) const override
    {
        std::lock_guard l(m);
        ++looks;
        std::vector<model::PortObservation> out;
        if (vanished)
            return out;
        for (const auto& d : ports)
            out.push_back({d, active.count(d.id) > 0, false, false, std::nullopt});
        return out;
    }

private:
    mutable std::mutex m;
    model::HardwareReport report;
    model::PowerSnapshot power;
    std::set<model::RegistryEntryId> active;
    bool vanished = false;
    mutable int looks = 0;
};

inline model::HardwareReport reportWithPorts(int ports, int expected, bool appleSilicon = true)
{
    model::HardwareReport r;
    r.identity = {u"Mac14,2"_s, u"MacBook Air"_s, u"Apple M2"_s, appleSilicon, true};
    r.expectedPortCount = expected;
    for (int i = 1; i <= ports; ++i)
        r.portDescriptors.push_back({model::RegistryEntryId(100 + i), u"AppleHPMInterfaceType10"_s,
                                     QStringLiteral("IOService:/Port-USB-C@%1").arg(i), i, u"{\n}"_s});
    r.probableControllerFailure = appleSilicon && ports < expected;
    r.controllerCheckIsConclusive = appleSilicon;
    return r;
}

// One model on virtual time, with either a simulated Mac or a fake probe behind it.
struct Harness {
    diagnosis::VirtualScheduler scheduler;
    diagnosis::RecordingSystemServices services;
    std::shared_ptr<probe::SimulatedMac> mac;
    std::shared_ptr<FakeProbe> fake;
    std::unique_ptr<DiagnosticViewModel> model;

    explicit Harness(const QString& machine) : Harness(catalogueMac(machine)) {}
    explicit Harness(std::shared_ptr<probe::SimulatedMac> machine)
        : mac(std::move(machine)),
          model(std::make_unique<DiagnosticViewModel>(scheduler, std::make_shared<probe::PlatformProbe>(mac->platform()),
                                                      services))
    {
    }
    explicit Harness(std::shared_ptr<FakeProbe> probe)
        : fake(std::move(probe)), model(std::make_unique<DiagnosticViewModel>(scheduler, fake, services))
    {
    }
    explicit Harness(std::shared_ptr<const probe::HardwareProbe> probe)
        : model(std::make_unique<DiagnosticViewModel>(scheduler, std::move(probe), services))
    {
    }

    void advance(std::chrono::nanoseconds d) { scheduler.advance(d); }
    bool untilPhase(DiagnosticPhase p, std::chrono::nanoseconds limit = 300s)
    {
        return scheduler.runUntil([&] { return model->phase() == p; }, limit);
    }
    bool untilStatus(PortTestStatus s, std::chrono::nanoseconds limit = 300s)
    {
        return scheduler.runUntil([&] { return model->portTestStatus() == s; }, limit);
    }
    // Scan, preparation, and the first port's window open.
    void startPortTests()
    {
        model->startDiagnosis();
        ASSERT_TRUE(untilPhase(DiagnosticPhase::portPreparation));
        model->beginPortTesting();
        ASSERT_TRUE(untilStatus(PortTestStatus::waitingForConnection));
    }
    // Plugs a charger, waits for the port's result, unplugs and waits for the next window.
    void passPort(int socket, int watts = 96)
    {
        ASSERT_TRUE(mac->plugCharger(socket, watts).isEmpty());
        ASSERT_TRUE(untilStatus(PortTestStatus::success));
        mac->unplug(socket);
    }
};

} // namespace kw::test
