#include "app/CommandLine.h"

#include "app/Backend.h"
#include "diagnosis/DiagnosticViewModel.h"
#include "diagnosis/QtScheduler.h"
#include "diagnosis/SystemServices.h"
#include "diagnosis/VirtualScheduler.h"
#include "diagnosis/script/ScriptRunner.h"
#include "probe/HardwareProbe.h"
#include "probe/HardwareReportAssembly.h"
#include "probe/PortObserver.h"
#include "probe/PowerSnapshotReader.h"
#include "probe/SupportDump.h"
#include "probe/backends/simulated/MachineCatalogue.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QTextStream>

#include <cstdio>
#include <functional>

namespace kw::app {

using namespace Qt::StringLiterals;

namespace {

constexpr int exitUsage = 2;

void print(FILE* stream, const QString& text)
{
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, std::size_t(bytes.size()), stream);
    std::fflush(stream);
}

const QString overview = uR"(Kabelwacht ZIV-A Dodiv checks whether each USB-C port of a MacBook still works.

Usage: kabelwacht [--help] [--version] <command> [options]

Commands:
  run        Run a whole diagnosis from a script, without a window, and print the report.
  probe      Read the machine once and print what the hardware probe sees.
  machines   List the simulated Macs built into the program.

Run 'kabelwacht <command> --help' for the options of a command.
)"_s;

struct Command {
    QString name;
    QString summary;
    std::function<void(QCommandLineParser&)> addOptions;
    std::function<int(const QCommandLineParser&)> run;
};

const QCommandLineOption machineOption(u"machine"_s,
                                       u"The simulated Mac: a machine file, or the name of a built-in machine "
                                       u"(see 'kabelwacht machines'). Default: %1."_s.arg(probe::defaultMachineName),
                                       u"FILE|NAME"_s);
const QCommandLineOption jsonOption(u"json"_s, u"Print one JSON object instead of text."_s);
const QCommandLineOption scriptOption(u"script"_s, u"The script to run (see docs/scripts.md)."_s, u"FILE"_s);
const QCommandLineOption realTimeOption(u"real-time"_s,
                                        u"Let program time pass in real time instead of as fast as possible."_s);
const QCommandLineOption traceOption(u"trace"_s, u"Print every change of phase and status to standard error."_s);

constexpr qint64 maxScriptBytes = 1024 * 1024;

std::optional<QString> readScript(const QString& path, QString& error)
{
    if (QFileInfo info(path); info.exists() && !info.isFile()) {
        error = u"%1: not a regular file"_s.arg(path);
        return std::nullopt;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        error = u"%1: cannot be read: %2"_s.arg(path, file.errorString());
        return std::nullopt;
    }
    const QByteArray bytes = file.read(maxScriptBytes + 1);
    if (bytes.size() > maxScriptBytes) {
        error = u"%1: a script may hold at most 1 MiB"_s.arg(path);
        return std::nullopt;
    }
    return QString::fromUtf8(bytes);
}

int runScriptCommand(const QCommandLineParser& parser)
{
    if (!parser.isSet(scriptOption)) {
        print(stderr, u"kabelwacht run: --script FILE is required. Run 'kabelwacht run --help'.\n"_s);
        return exitUsage;
    }
    const QString scriptPath = parser.value(scriptOption);
    QString error;
    const std::optional<QString> text = readScript(scriptPath, error);
    if (!text) {
        print(stderr, u"kabelwacht run: "_s + error + u'\n');
        return exitUsage;
    }
    const diagnosis::script::ParseResult script = diagnosis::script::parseScript(*text);
    if (!script.error.isEmpty()) {
        print(stderr, u"kabelwacht run: %1:%2\n"_s.arg(scriptPath, script.error));
        return exitUsage;
    }
    const BackendChoice backend = chooseBackend(parser.value(machineOption));
    if (!backend.platform) {
        print(stderr, u"kabelwacht run: "_s + backend.error + u'\n');
        return exitUsage;
    }

    diagnosis::RecordingSystemServices services;
    services.onEvent = [](const QString& what, const QString& value) {
        if (what == u"clipboard")
            print(stderr, u"kabelwacht: copied the report to the clipboard (%1 lines)\n"_s.arg(value.count(u'\n') + 1));
        else
            print(stderr, u"kabelwacht: opened %1\n"_s.arg(value));
    };
    const bool realTime = parser.isSet(realTimeOption);
    std::unique_ptr<diagnosis::Scheduler> scheduler;
    std::unique_ptr<diagnosis::script::ProgramTime> time;
    if (realTime) {
        scheduler = std::make_unique<diagnosis::QtScheduler>();
        time = std::make_unique<diagnosis::script::RealProgramTime>();
    } else {
        auto virtualScheduler = std::make_unique<diagnosis::VirtualScheduler>();
        time = std::make_unique<diagnosis::script::VirtualProgramTime>(*virtualScheduler);
        scheduler = std::move(virtualScheduler);
    }
    diagnosis::DiagnosticViewModel model(*scheduler, std::make_shared<probe::PlatformProbe>(*backend.platform), services);
    if (parser.isSet(traceOption)) {
        const auto start = scheduler->now();
        auto trace = [&model, &scheduler, start](const QString& what) {
            const double seconds = std::chrono::duration<double>(scheduler->now() - start).count();
            print(stderr, u"[%1 s] %2\n"_s.arg(seconds, 8, 'f', 2).arg(what));
        };
        QObject::connect(&model, &diagnosis::DiagnosticViewModel::phaseChanged, &model,
                         [&model, trace] { trace(u"phase "_s + model::caseName(model.phase())); });
        // Every poll re-assigns the status; only what a user would notice is traced.
        auto last = std::make_shared<std::pair<model::PortTestStatus, int>>(model.portTestStatus(), -1);
        QObject::connect(&model, &diagnosis::DiagnosticViewModel::portTestStatusChanged, &model, [&model, trace, last] {
            if (std::exchange(last->first, model.portTestStatus()) != model.portTestStatus()) {
                trace(u"status "_s + model::caseName(model.portTestStatus()));
                last->second = -1; // a new window shows its full length again
            }
        });
        QObject::connect(&model, &diagnosis::DiagnosticViewModel::secondsRemainingChanged, &model, [&model, trace, last] {
            if (model.portTestStatus() == model::PortTestStatus::waitingForConnection
                && std::exchange(last->second, model.secondsRemaining()) != model.secondsRemaining())
                trace(u"%1 s left"_s.arg(model.secondsRemaining()));
        });
    }

    const diagnosis::script::Outcome outcome =
        diagnosis::script::runScript(script.lines, model, backend.simulatedMac.get(), *time);
    if (outcome.exitStatus != 0) {
        print(stderr, u"kabelwacht run: %1:%2\n"_s.arg(scriptPath, outcome.message));
        return outcome.exitStatus;
    }
    print(stdout, model.reportText() + u'\n');
    return 0;
}

int runProbe(const QCommandLineParser& parser)
{
    const BackendChoice backend = chooseBackend(parser.value(machineOption));
    if (!backend.platform) {
        print(stderr, u"kabelwacht: "_s + backend.error + u'\n');
        return exitUsage;
    }
    const probe::Platform& platform = *backend.platform;
    probe::ProbeReading reading;
    reading.backendName = platform.backendName;
    reading.report = probe::buildHardwareReport(platform);
    reading.power = probe::readPowerSnapshot(*platform.power);
    reading.observations = probe::observePorts(*platform.registry, reading.report.portDescriptors);
    if (parser.isSet(jsonOption))
        print(stdout, QString::fromUtf8(QJsonDocument(probe::toJson(reading)).toJson(QJsonDocument::Indented)));
    else
        print(stdout, probe::toText(reading));
    return 0;
}

int runMachines(const QCommandLineParser&)
{
    const QStringList names = probe::catalogueMachineNames();
    qsizetype width = 0;
    for (const QString& name : names)
        width = std::max(width, name.size());
    for (const QString& name : names) {
        const probe::MachineLoadResult loaded = probe::loadMachine(name);
        const QString title = loaded.machine ? loaded.machine->title : u"(broken: "_s + loaded.error + u')';
        const QString suffix = name == probe::defaultMachineName ? u"  (default)"_s : QString();
        print(stdout, u"%1  %2%3\n"_s.arg(name.leftJustified(width), title, suffix));
    }
    return 0;
}

const std::vector<Command>& commands()
{
    static const std::vector<Command> list{
        {u"run"_s, u"Run a whole diagnosis from a script, without a window, and print the report."_s,
         [](QCommandLineParser& p) { p.addOptions({scriptOption, machineOption, realTimeOption, traceOption}); },
         runScriptCommand},
        {u"probe"_s, u"Read the machine once: identity, port controllers, verdicts, power and port state."_s,
         [](QCommandLineParser& p) { p.addOptions({machineOption, jsonOption}); }, runProbe},
        {u"machines"_s, u"List the simulated Macs built into the program."_s, [](QCommandLineParser&) {}, runMachines},
    };
    return list;
}

} // namespace

int runCommandLine(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(u"kabelwacht"_s);
    QCoreApplication::setApplicationVersion(QStringLiteral(KABELWACHT_VERSION));

    QStringList args = QCoreApplication::arguments();
    if (args.size() < 2 || args[1] == u"--help" || args[1] == u"-h" || args[1] == u"help") {
        print(args.size() < 2 ? stderr : stdout, overview);
        return args.size() < 2 ? exitUsage : 0;
    }
    if (args[1] == u"--version" || args[1] == u"-v") {
        print(stdout, u"kabelwacht %1\n"_s.arg(QCoreApplication::applicationVersion()));
        return 0;
    }
    const auto& list = commands();
    auto command = std::find_if(list.begin(), list.end(), [&](const Command& c) { return c.name == args[1]; });
    if (command == list.end()) {
        print(stderr, u"kabelwacht: unknown command '%1'. Run 'kabelwacht --help' for the list.\n"_s.arg(args[1]));
        return exitUsage;
    }

    QCommandLineParser parser;
    parser.setApplicationDescription(command->summary);
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption helpOption({u"h"_s, u"help"_s}, u"Show this help."_s);
    parser.addOption(helpOption);
    command->addOptions(parser);
    args.removeAt(1);
    if (!parser.parse(args)) {
        print(stderr, u"kabelwacht %1: %2. Run 'kabelwacht %1 --help'.\n"_s.arg(command->name, parser.errorText()));
        return exitUsage;
    }
    if (parser.isSet(helpOption)) {
        QString help = parser.helpText();
        help.replace(QCoreApplication::applicationFilePath(), u"kabelwacht "_s + command->name);
        help.replace(u"Usage: "_s + QCoreApplication::arguments().at(0), u"Usage: kabelwacht "_s + command->name);
        print(stdout, help);
        return 0;
    }
    if (!parser.positionalArguments().isEmpty()) {
        print(stderr, u"kabelwacht %1: unexpected argument '%2'. Run 'kabelwacht %1 --help'.\n"_s.arg(
                          command->name, parser.positionalArguments().first()));
        return exitUsage;
    }
    return command->run(parser);
}

} // namespace kw::app
