#include "diagnosis/script/ScriptRunner.h"

#include "diagnosis/DiagnosticViewModel.h"
#include "diagnosis/VirtualScheduler.h"
#include "probe/backends/simulated/SimulatedMac.h"

#include <QDeadlineTimer>
#include <QEventLoop>
#include <QTimer>

namespace kw::diagnosis::script {

using namespace Qt::StringLiterals;

void VirtualProgramTime::advance(std::chrono::nanoseconds d) { m_scheduler.advance(d); }
bool VirtualProgramTime::runUntil(const std::function<bool()>& condition, std::chrono::nanoseconds limit)
{
    return m_scheduler.runUntil(condition, limit);
}
void VirtualProgramTime::settle() { m_scheduler.runDue(); }

void RealProgramTime::advance(std::chrono::nanoseconds d)
{
    QEventLoop loop;
    QTimer::singleShot(std::chrono::ceil<std::chrono::milliseconds>(d), Qt::PreciseTimer, &loop, &QEventLoop::quit);
    loop.exec();
}

bool RealProgramTime::runUntil(const std::function<bool()>& condition, std::chrono::nanoseconds limit)
{
    QDeadlineTimer deadline(std::chrono::ceil<std::chrono::milliseconds>(limit));
    while (!condition()) {
        if (deadline.hasExpired())
            return false;
        QEventLoop loop;
        // Look again at least every 10 ms; any event may have changed the state.
        QTimer::singleShot(10, &loop, &QEventLoop::quit);
        loop.exec();
    }
    return true;
}

void RealProgramTime::settle() { QEventLoop().processEvents(QEventLoop::AllEvents); }

namespace {

struct Failure {
    int exitStatus;
    QString what;
};

void runOperation(const QString& name, DiagnosticViewModel& model)
{
    if (name == u"start") model.startDiagnosis();
    else if (name == u"begin") model.beginPortTesting();
    else if (name == u"retry") model.restartPortTest();
    else if (name == u"defective") model.markCurrentPortDefective();
    else if (name == u"copy") model.copyReport();
    else if (name == u"reset") model.resetDiagnosis();
    else if (name == u"open-repair") model.openRepairPage();
    else if (name == u"open-website") model.openWebsite();
}

probe::SimulatedMac& hardware(probe::SimulatedMac* machine)
{
    if (!machine)
        throw Failure{2, u"hardware commands need a simulated Mac"_s};
    return *machine;
}

void check(const QString& error)
{
    if (!error.isEmpty())
        throw Failure{2, error};
}

void runLine(const Command& command, DiagnosticViewModel& model, probe::SimulatedMac* machine, ProgramTime& time)
{
    if (auto op = std::get_if<ModelOperation>(&command)) {
        runOperation(op->name, model);
    } else if (auto plug = std::get_if<Plug>(&command)) {
        auto& mac = hardware(machine);
        switch (plug->what) {
        case Plug::What::charger: check(mac.plugCharger(plug->socket, plug->watts)); break;
        case Plug::What::magSafeCharger: check(mac.plugMagSafeCharger(plug->watts)); break;
        case Plug::What::pdDevice: check(mac.plugPdDevice(plug->socket)); break;
        }
    } else if (auto unplug = std::get_if<Unplug>(&command)) {
        auto& mac = hardware(machine);
        switch (unplug->which) {
        case Unplug::Which::all: mac.unplugAll(); break;
        case Unplug::Which::socket: check(mac.unplug(unplug->socket)); break;
        case Unplug::Which::magSafe: check(mac.unplugMagSafe()); break;
        }
    } else if (auto broken = std::get_if<Break>(&command)) {
        check(hardware(machine).breakSocket(broken->socket));
    } else if (auto worn = std::get_if<Weaken>(&command)) {
        check(hardware(machine).weakenSocket(worn->socket));
    } else if (auto wait = std::get_if<Wait>(&command)) {
        const bool onPhase = wait->on == Wait::On::phase;
        auto current = [&] { return onPhase ? model::caseName(model.phase()) : model::caseName(model.portTestStatus()); };
        if (!time.runUntil([&] { return current() == wait->value; }, waitLimit))
            throw Failure{1, u"the %1 did not become %2 within %3 s of program time; it is %4"_s.arg(
                                 onPhase ? u"phase"_s : u"status"_s, wait->value)
                                 .arg(waitLimit.count())
                                 .arg(current())};
    } else if (auto sleep = std::get_if<Sleep>(&command)) {
        time.advance(sleep->duration);
    } else if (auto expect = std::get_if<Expect>(&command)) {
        QString actual, wanted;
        switch (expect->what) {
        case Expect::What::phase:
            actual = model::caseName(model.phase());
            wanted = expect->value;
            break;
        case Expect::What::status:
            actual = model::caseName(model.portTestStatus());
            wanted = expect->value;
            break;
        case Expect::What::seconds:
            actual = QString::number(model.secondsRemaining());
            wanted = QString::number(expect->number);
            break;
        case Expect::What::results:
            actual = QString::number(model.portResults().size());
            wanted = QString::number(expect->number);
            break;
        }
        if (actual != wanted)
            throw Failure{1, u"expected %1, but it is %2"_s.arg(wanted, actual)};
    }
}

} // namespace

Outcome runScript(const std::vector<Line>& lines, DiagnosticViewModel& model, probe::SimulatedMac* machine,
                  ProgramTime& time)
{
    for (const Line& line : lines) {
        if (std::holds_alternative<Quit>(line.command))
            return {0, {}, true};
        try {
            runLine(line.command, model, machine, time);
            time.settle();
        } catch (const Failure& f) {
            return {f.exitStatus, u"%1: %2: %3"_s.arg(line.number).arg(line.text, f.what)};
        }
    }
    return {};
}

} // namespace kw::diagnosis::script
