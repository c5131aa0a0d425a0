#include "app/CommandLine.h"

#include "app/Backend.h"
#include "probe/HardwareReportAssembly.h"
#include "probe/PortObserver.h"
#include "probe/PowerSnapshotReader.h"
#include "probe/SupportDump.h"
#include "probe/backends/simulated/MachineCatalogue.h"

#include <QCommandLineParser>
#include <QCoreApplication>
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
