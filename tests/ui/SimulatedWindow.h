#pragma once

// The program's window on a built-in simulated Mac and on virtual time, as the whole-window tests
// drive it.
#include "diagnosis/SystemServices.h"
#include "diagnosis/VirtualScheduler.h"
#include "probe/backends/simulated/MachineCatalogue.h"
#include "probe/backends/simulated/SimulatedMac.h"
#include "ui/WindowSession.h"

#include <QQuickItem>

#include <chrono>
#include <memory>

namespace kw::test {

struct SimulatedWindow {
    diagnosis::VirtualScheduler scheduler;
    diagnosis::RecordingSystemServices services;
    std::shared_ptr<probe::SimulatedMac> mac;
    std::unique_ptr<ui::WindowSession> session;

    // Builds the window; the reason when it cannot be built, else empty.
    QString open(const QString& machine, const QString& profilerHelper, bool animations)
    {
        auto loaded = probe::loadMachine(machine);
        if (!loaded.machine)
            return loaded.error;
        mac = probe::SimulatedMac::create(std::move(*loaded.machine), profilerHelper);
        session = std::make_unique<ui::WindowSession>(scheduler, std::make_shared<probe::PlatformProbe>(mac->platform()),
                                                      services);
        QString error;
        session->load(error, animations);
        return error;
    }

    bool runUntilPhase(model::DiagnosticPhase phase)
    {
        return scheduler.runUntil([&] { return session->model().phase() == phase; }, std::chrono::seconds(300));
    }
    bool runUntilStatus(model::PortTestStatus status)
    {
        return scheduler.runUntil([&] { return session->model().portTestStatus() == status; }, std::chrono::seconds(300));
    }

    // Searches the visual tree: what is on screen, however it was created.
    static QQuickItem* findIn(QQuickItem* item, const QString& name)
    {
        if (item->objectName() == name)
            return item;
        for (QQuickItem* child : item->childItems())
            if (QQuickItem* found = findIn(child, name))
                return found;
        return nullptr;
    }
};

} // namespace kw::test
