#include "app/CommandLine.h"

#include "app/Backend.h"
#include "app/CommandLineSupport.h"
#include "app/WindowCommands.h"
#include "diagnosis/DiagnosticViewModel.h"
#include "diagnosis/QtScheduler.h"
#include "diagnosis/SystemServices.h"
#include "diagnosis/VirtualScheduler.h"
#include "diagnosis/script/ScriptRunner.h"
#include "probe/FileOutput.h"
#include "probe/HardwareProbe.h"
#include "probe/HardwareReportAssembly.h"
#include "probe/PortObserver.h"
#include "probe/PowerSnapshotReader.h"
#include "probe/SupportDump.h"
#include "probe/backends/simulated/IoregImport.h"
#include "probe/backends/simulated/PropertyList.h"
#include "probe/backends/sysfs/SysfsRecorder.h"
#include "probe/backends/simulated/MachineCatalogue.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>

#include <functional>

namespace kw::app {

using namespace Qt::StringLiterals;

namespace {

const QString overview = uR"(Kabelwacht ZIV-A Dodiv checks whether each USB-C port of a MacBook still works.

Usage: kabelwacht [--machine FILE|NAME] [--no-simulator] [--script FILE]   open the window
       kabelwacht <command> [options]
       kabelwacht --help | --version

Commands:
  run           Run a whole diagnosis from a script, without a window, and print the report.
  screenshot    Build the window offscreen, optionally run a script, and save it as a PNG.
  probe         Read the machine once and print what the hardware probe sees.
  import-ioreg  Turn an ioreg dump of a real Mac into a machine file (see docs/support.md).
  record-sysfs  Copy what the Linux backend reads into a folder, to send or replay with --fs-root.
  machines      List the simulated Macs built into the program.

Run 'kabelwacht <command> --help' for the options of a command.
)"_s;

const QCommandLineOption jsonOption(u"json"_s, u"Print one JSON object instead of text."_s);
const QCommandLineOption scriptOption(u"script"_s, u"The script to run (see docs/scripts.md)."_s, u"FILE"_s);
const QCommandLineOption realTimeOption(u"real-time"_s,
                                        u"Let program time pass in real time instead of as fast as possible."_s);
const QCommandLineOption traceOption(u"trace"_s, u"Print every change of phase and status to standard error."_s);

int runProbe(const QCommandLineParser& parser)
{
    const std::optional<BackendChoice> backend = backendOrExplain(parser, u"kabelwacht probe"_s);
    if (!backend)
        return exitUsage;
    const probe::Platform& platform = *backend->platform;
    // One reading for all three, as a polling cycle sees the machine.
    const auto held = probe::holdReading(platform);
    probe::ProbeReading reading;
    reading.backendName = platform.backendName;
    reading.report = probe::buildHardwareReport(platform);
    reading.power = probe::readPowerSnapshot(*platform.power);
    reading.observations = probe::observePorts(*platform.registry, reading.report.portDescriptors);
    if (parser.isSet(jsonOption)) {
        QJsonObject json = probe::toJson(reading);
        json.insert(u"simulationFallback"_s, backend->simulationFallback);
        json.insert(u"portDataUnavailable"_s, backend->portDataUnavailable);
        print(stdout, QString::fromUtf8(QJsonDocument(json).toJson(QJsonDocument::Indented)));
    } else {
        if (backend->simulationFallback)
            print(stdout, u"This computer publishes no USB-C ports (/sys/class/typec has none), so a simulated Mac "
                          u"stands in; --machine picks another.\n\n"_s);
        if (backend->portDataUnavailable)
            print(stdout, u"This machine publishes no USB-C ports to Linux (its Type-C driver is missing), so "
                          u"the controller check cannot decide; the charging test still works.\n\n"_s);
        print(stdout, probe::toText(reading));
    }
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

void traceChanges(diagnosis::DiagnosticViewModel& model, const diagnosis::Scheduler& scheduler)
{
    const auto start = scheduler.now();
    auto trace = [&scheduler, start](const QString& what) {
        const double seconds = std::chrono::duration<double>(scheduler.now() - start).count();
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

int runScriptCommand(const QCommandLineParser& parser)
{
    if (!parser.isSet(scriptOption)) {
        print(stderr, u"kabelwacht run: --script FILE is required. Run 'kabelwacht run --help'.\n"_s);
        return exitUsage;
    }
    const QString scriptPath = parser.value(scriptOption);
    std::vector<diagnosis::script::Line> script;
    if (!readScriptOption(parser, scriptOption, u"kabelwacht run"_s, script))
        return exitUsage;
    const std::optional<BackendChoice> chosen = backendOrExplain(parser, u"kabelwacht run"_s);
    if (!chosen)
        return exitUsage;
    const BackendChoice& backend = *chosen;

    diagnosis::RecordingSystemServices services;
    services.onEvent = [](const QString& what, const QString& value) {
        print(stderr, diagnosis::headlessEventLine(what, value));
    };
    std::unique_ptr<diagnosis::Scheduler> scheduler;
    std::unique_ptr<diagnosis::script::ProgramTime> time;
    if (parser.isSet(realTimeOption)) {
        scheduler = std::make_unique<diagnosis::QtScheduler>();
        time = std::make_unique<diagnosis::script::RealProgramTime>();
    } else {
        auto virtualScheduler = std::make_unique<diagnosis::VirtualScheduler>();
        time = std::make_unique<diagnosis::script::VirtualProgramTime>(*virtualScheduler);
        scheduler = std::move(virtualScheduler);
    }
    diagnosis::DiagnosticViewModel model(*scheduler, std::make_shared<probe::PlatformProbe>(*backend.platform), services);
    if (parser.isSet(traceOption))
        traceChanges(model, *scheduler);

    const auto outcome = diagnosis::script::runScript(script, model, backend.simulatedMac.get(), *time);
    if (outcome.exitStatus != 0) {
        print(stderr, u"kabelwacht run: %1:%2\n"_s.arg(scriptPath, outcome.message));
        return outcome.exitStatus;
    }
    print(stdout, model.reportText() + u'\n');
    return 0;
}

const QCommandLineOption hardwareOption(u"hardware"_s,
                                        u"The JSON of 'system_profiler SPHardwareDataType -json' from the same Mac."_s,
                                        u"FILE.json"_s);
const QCommandLineOption batteryOption(u"battery"_s,
                                       u"The battery service ('ioreg -a -r -c AppleSmartBattery'), for the power state."_s,
                                       u"FILE.plist"_s);
const QCommandLineOption outOption(u"out"_s, u"Where to write the machine file (default: standard output)."_s,
                                   u"FILE.json"_s);

std::optional<probe::IoregInput> readInput(const QString& path, QString& error)
{
    std::optional<QByteArray> bytes = readBoundedFile(path, probe::maxPropertyListBytes, error);
    if (!bytes)
        return std::nullopt;
    return probe::IoregInput{path, std::move(*bytes)};
}

int runImport(const QCommandLineParser& parser)
{
    const QString dumpPath = parser.positionalArguments().first();
    if (parser.isSet(outOption)) {
        // Refused before anything is read: the customer's dumps are never written over, and a FIFO
        // or a device is no place for a machine file.
        const QString out = parser.value(outOption);
        QString refused = out.isEmpty() ? u"--out needs a file name"_s : probe::unwritableOutput(out);
        for (const QString& input : {dumpPath, parser.value(hardwareOption), parser.value(batteryOption)})
            if (refused.isEmpty() && !input.isEmpty() && probe::sameFile(out, input))
                refused = u"%1: is the input %2; name a new file for the machine file"_s.arg(out, input);
        if (!refused.isEmpty()) {
            print(stderr, u"kabelwacht import-ioreg: "_s + refused + u'\n');
            return exitUsage;
        }
    }
    QString error;
    const auto dump = readInput(dumpPath, error);
    std::optional<probe::IoregInput> hardware, battery;
    if (dump && parser.isSet(hardwareOption) && !(hardware = readInput(parser.value(hardwareOption), error)))
        error = error.isEmpty() ? u"cannot read the hardware overview"_s : error;
    if (dump && error.isEmpty() && parser.isSet(batteryOption) && !(battery = readInput(parser.value(batteryOption), error)))
        error = error.isEmpty() ? u"cannot read the battery service"_s : error;
    if (!dump || !error.isEmpty()) {
        print(stderr, u"kabelwacht import-ioreg: "_s + error + u'\n');
        return exitUsage;
    }
    const probe::IoregImportResult imported = probe::importIoreg(*dump, hardware, battery);
    if (!imported.machine) {
        print(stderr, u"kabelwacht import-ioreg: "_s + imported.error + u'\n');
        return exitUsage;
    }
    const QByteArray& json = imported.json;
    if (!parser.isSet(outOption)) {
        write(stdout, json);
        return 0;
    }
    // Written whole or not at all: a half-written machine file would only mislead.
    if (const QString failed = probe::writeWholeFile(parser.value(outOption), json); !failed.isEmpty()) {
        print(stderr, u"kabelwacht import-ioreg: "_s + failed + u'\n');
        return 1;
    }
    return 0;
}

const QCommandLineOption recordOutOption(u"out"_s,
                                         u"The folder to record into (required); it must not exist yet, or be empty."_s,
                                         u"DIR"_s);

int runRecord(const QCommandLineParser& parser)
{
    if (!parser.isSet(recordOutOption)) {
        print(stderr, u"kabelwacht record-sysfs: --out DIR is required. Run 'kabelwacht record-sysfs --help'.\n"_s);
        return exitUsage;
    }
    const QString out = parser.value(recordOutOption);
    if (const auto problem = backendOptionsProblem(parser)) {
        print(stderr, u"kabelwacht record-sysfs: %1. Run 'kabelwacht record-sysfs --help'.\n"_s.arg(*problem));
        return exitUsage;
    }
    if (out.isEmpty()) {
        print(stderr, u"kabelwacht record-sysfs: --out needs a folder. Run 'kabelwacht record-sysfs --help'.\n"_s);
        return exitUsage;
    }
    const QString root = parser.isSet(fsRootOption()) ? parser.value(fsRootOption()) : u"/"_s;
    const probe::SysfsRecording recording = probe::recordSysfs(root, out);
    if (!recording.error.isEmpty()) {
        print(stderr, u"kabelwacht record-sysfs: "_s + recording.error + u'\n');
        return recording.badInput ? exitUsage : 1;
    }
    QString summary = u"Recorded into %1; 'kabelwacht probe --fs-root %1' replays it.\n"_s.arg(out);
    if (!recording.cut.isEmpty())
        summary += u"Cut to their first %1 KiB (the program reads less): %2\n"_s.arg(probe::maxRecordedAttributeBytes / 1024)
                       .arg(recording.cut.join(u", "_s));
    if (!recording.leftOut.isEmpty())
        summary += u"Left out, as they lead out of the recorded tree: %1\n"_s.arg(recording.leftOut.join(u", "_s));
    print(stdout, summary);
    return 0;
}

struct Command {
    QString name;
    QString summary;
    QList<QCommandLineOption> options;
    std::function<int(const QCommandLineParser&)> run;
    int positional = 0;
};

const std::vector<Command>& commands()
{
    static const std::vector<Command> list{
        {u"run"_s, u"Run a whole diagnosis from a script, without a window, and print the report."_s,
         {scriptOption, machineOption(), fsRootOption(), realTimeOption, traceOption}, runScriptCommand},
        {u"probe"_s, u"Read the machine once: identity, port controllers, verdicts, power and port state."_s,
         {machineOption(), fsRootOption(), jsonOption}, runProbe},
        {u"machines"_s, u"List the simulated Macs built into the program."_s, {}, runMachines},
        {u"import-ioreg"_s, u"Turn an ioreg dump (ioreg -a -l) of a real Mac into a machine file."_s,
         {hardwareOption, batteryOption, outOption}, runImport, 1},
        {u"record-sysfs"_s, u"Copy what the Linux backend reads from this computer into a folder (--out DIR)."_s,
         {recordOutOption, fsRootOption()}, runRecord},
    };
    return list;
}

int runCoreCommand(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    setApplicationInfo();
    const QStringList args = QCoreApplication::arguments();
    const QString& first = args.at(1);
    if (first == u"--help" || first == u"-h" || first == u"help") {
        print(stdout, overview);
        return 0;
    }
    if (first == u"--version" || first == u"-v") {
        print(stdout, u"kabelwacht %1\n"_s.arg(QCoreApplication::applicationVersion()));
        return 0;
    }
    const auto& list = commands();
    auto command = std::find_if(list.begin(), list.end(), [&](const Command& c) { return c.name == first; });
    if (command == list.end()) {
        print(stderr, u"kabelwacht: unknown command '%1'. Run 'kabelwacht --help' for the list.\n"_s.arg(first));
        return exitUsage;
    }
    QCommandLineParser parser;
    parser.setApplicationDescription(command->summary);
    parser.addOption(helpOption());
    parser.addOptions(command->options);
    if (command->positional)
        parser.addPositionalArgument(u"DUMP.plist"_s, u"What 'ioreg -a -l' printed, as XML."_s);
    if (const auto status = parseOrExplain(parser, u"kabelwacht "_s + command->name, 1, command->positional))
        return *status;
    return command->run(parser);
}

} // namespace

int runCommandLine(int argc, char** argv)
{
    const QString first = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString();
    if (first == u"screenshot")
        return finishStandardOutput(runScreenshotCommand(argc, argv));
    const bool windowOption = first.startsWith(u'-') && first != u"--help" && first != u"-h" && first != u"--version"
                           && first != u"-v";
    if (first.isEmpty() || windowOption)
        return finishStandardOutput(runWindowCommand(argc, argv));
    return finishStandardOutput(runCoreCommand(argc, argv));
}

} // namespace kw::app
