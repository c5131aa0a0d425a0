#include "app/CommandLineSupport.h"

#include "probe/backends/simulated/MachineCatalogue.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>

namespace kw::app {

using namespace Qt::StringLiterals;

namespace {
int standardOutputError = 0; // the first error in writing standard output
}

void print(FILE* stream, const QString& text) { write(stream, text.toUtf8()); }

void write(FILE* stream, const QByteArray& bytes)
{
    errno = 0;
    const bool written = std::fwrite(bytes.constData(), 1, std::size_t(bytes.size()), stream) == std::size_t(bytes.size());
    if ((!written || std::fflush(stream) != 0) && stream == stdout && !standardOutputError)
        standardOutputError = errno ? errno : EIO;
}

int finishStandardOutput(int status)
{
    errno = 0;
    if ((std::fflush(stdout) != 0 || std::ferror(stdout)) && !standardOutputError)
        standardOutputError = errno ? errno : EIO;
    if (!standardOutputError)
        return status;
    print(stderr, u"kabelwacht: standard output could not be written whole: %1\n"_s.arg(
                      QString::fromLocal8Bit(std::strerror(standardOutputError))));
    return status == 0 ? 1 : status;
}

void setApplicationInfo()
{
    QCoreApplication::setApplicationName(u"kabelwacht"_s);
    QCoreApplication::setApplicationVersion(QStringLiteral(KABELWACHT_VERSION));
}

const QCommandLineOption& helpOption()
{
    static const QCommandLineOption option({u"h"_s, u"help"_s}, u"Show this help."_s);
    return option;
}

const QCommandLineOption& machineOption()
{
    static const QCommandLineOption option(
        u"machine"_s,
        u"The simulated Mac: the name of a built-in machine (see 'kabelwacht machines') or a machine file; a file "
        u"named like a built-in machine is given as ./NAME. Default: %1."_s.arg(probe::defaultMachineName),
        u"FILE|NAME"_s);
    return option;
}

const QCommandLineOption& fsRootOption()
{
    static const QCommandLineOption option(
        u"fs-root"_s,
        u"Read a tree recorded from a Linux computer (DIR/sys/…, DIR/proc/device-tree/…) instead of a Mac; not "
        u"together with --machine."_s,
        u"DIR"_s);
    return option;
}

std::optional<int> parseOrExplain(QCommandLineParser& parser, const QString& command, int skip, int positional)
{
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    QStringList args = QCoreApplication::arguments();
    args.remove(1, std::min<qsizetype>(skip, args.size() - 1));
    if (!parser.parse(args)) {
        print(stderr, u"%1: %2. Run '%1 --help'.\n"_s.arg(command, parser.errorText()));
        return exitUsage;
    }
    if (parser.isSet(helpOption())) {
        QString help = parser.helpText();
        help.replace(u"Usage: "_s + args.at(0), u"Usage: "_s + command);
        print(stdout, help);
        return 0;
    }
    if (parser.positionalArguments().size() > positional) {
        print(stderr, u"%1: unexpected argument '%2'. Run '%1 --help'.\n"_s.arg(command, parser.positionalArguments().at(positional)));
        return exitUsage;
    }
    if (parser.positionalArguments().size() < positional) {
        print(stderr, u"%1: an argument is missing. Run '%1 --help'.\n"_s.arg(command));
        return exitUsage;
    }
    return std::nullopt;
}

std::optional<QByteArray> readBoundedFile(const QString& path, qint64 maxBytes, QString& error)
{
    // A FIFO or a device could block or never end.
    if (QFileInfo info(path); info.exists() && !info.isFile()) {
        error = u"%1: not a regular file"_s.arg(path);
        return std::nullopt;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        error = u"%1: cannot be read: %2"_s.arg(path, file.errorString());
        return std::nullopt;
    }
    QByteArray bytes = file.read(maxBytes + 1);
    if (bytes.size() > maxBytes) {
        error = u"%1: larger than %2 KiB"_s.arg(path).arg(maxBytes / 1024);
        return std::nullopt;
    }
    return bytes;
}

std::optional<std::vector<diagnosis::script::Line>> loadScript(const QString& path, QString& error)
{
    const std::optional<QByteArray> bytes = readBoundedFile(path, 1024 * 1024, error);
    if (!bytes)
        return std::nullopt;
    diagnosis::script::ParseResult parsed = diagnosis::script::parseScript(QString::fromUtf8(*bytes));
    if (!parsed.error.isEmpty()) {
        error = u"%1:%2"_s.arg(path, parsed.error);
        return std::nullopt;
    }
    return std::move(parsed.lines);
}



bool readScriptOption(const QCommandLineParser& parser, const QCommandLineOption& option, const QString& command,
                      std::vector<diagnosis::script::Line>& script)
{
    if (!parser.isSet(option))
        return true;
    QString error;
    auto parsed = loadScript(parser.value(option), error);
    if (!parsed) {
        print(stderr, command + u": "_s + error + u'\n');
        return false;
    }
    script = std::move(*parsed);
    return true;
}

namespace {
// Without a warning for an option the command does not have.
bool given(const QCommandLineParser& parser, const QCommandLineOption& option)
{
    return parser.optionNames().contains(option.names().first());
}
} // namespace

std::optional<QString> backendOptionsProblem(const QCommandLineParser& parser)
{
    const bool machine = given(parser, machineOption());
    const bool fsRoot = given(parser, fsRootOption());
    if (machine && parser.value(machineOption()).isEmpty())
        return u"--machine needs the name of a built-in machine or a machine file"_s;
    if (fsRoot && parser.value(fsRootOption()).isEmpty())
        return u"--fs-root needs the folder of a recorded tree"_s;
    if (machine && fsRoot)
        return u"--machine and --fs-root exclude each other: one picks a simulated Mac, the other a recorded Linux "
               u"computer"_s;
    return std::nullopt;
}

std::optional<BackendChoice> backendOrExplain(const QCommandLineParser& parser, const QString& command)
{
    if (const auto problem = backendOptionsProblem(parser)) {
        print(stderr, u"%1: %2. Run '%1 --help'.\n"_s.arg(command, *problem));
        return std::nullopt;
    }
    const QString fsRoot = given(parser, fsRootOption()) ? parser.value(fsRootOption()) : QString();
    const QString machine = given(parser, machineOption()) ? parser.value(machineOption()) : QString();
    BackendChoice backend = chooseBackend(machine, fsRoot);
    if (!backend.platform) {
        print(stderr, command + u": "_s + backend.error + u'\n');
        return std::nullopt;
    }
    return backend;
}

} // namespace kw::app
