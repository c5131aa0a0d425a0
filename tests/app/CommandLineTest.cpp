#include "probe/ChildProcess.h"
#include "support/FixedTexts.h"

#include <QDir>
#include <QFileInfo>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>
#include <tuple>

#include <sys/stat.h>

using namespace kw::probe;
namespace fixed = kw::test::fixed;
using namespace Qt::StringLiterals;

namespace {

struct CliRun {
    int status = -1;
    QString output;
};

// The program run by a shell script, for redirections, limits and a working folder of its own:
// "$0" is the program, "$@" the arguments; standard error is folded into the output unless the
// script sends it elsewhere.
CliRun shell(const QString& script, const QStringList& arguments = {}, Seconds timeout = Seconds(60))
{
    const auto exit = runChildProcess(u"/bin/sh"_s, QStringList{u"-c"_s, script, QStringLiteral(KW_PROGRAM)} + arguments, timeout);
    EXPECT_TRUE(exit && exit->exitedNormally) << script.toStdString();
    return exit ? CliRun{exit->status, QString::fromUtf8(exit->standardOutput)} : CliRun{};
}

CliRun kabelwacht(const QStringList& arguments) { return shell(u"exec \"$0\" \"$@\" 2>&1"_s, arguments); }

QByteArray contentOf(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(unreadable)");
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

// What a folder holds, file names only.
QStringList namesIn(const QString& folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

const QString realMac = QStringLiteral(KW_SOURCE_DIR) + u"/tests/data/real-mac/m3pro-mac15-6/"_s;

QJsonObject probeJson(const QString& machine)
{
    const CliRun run = kabelwacht({u"probe"_s, u"--json"_s, u"--machine"_s, machine});
    EXPECT_EQ(run.status, 0) << run.output.toStdString();
    return QJsonDocument::fromJson(run.output.toUtf8()).object();
}

const QString treeDir = QStringLiteral(KW_SOURCE_DIR) + u"/tests/data/sysfs/"_s;

QJsonObject probeTree(const QString& name)
{
    const CliRun run = kabelwacht({u"probe"_s, u"--json"_s, u"--fs-root"_s, treeDir + name});
    EXPECT_EQ(run.status, 0) << run.output.toStdString();
    return QJsonDocument::fromJson(run.output.toUtf8()).object();
}

QStringList notesOf(const QJsonObject& probe)
{
    QStringList notes;
    for (const QJsonValue& n : probe[u"report"_s][u"notes"_s].toArray())
        notes << n.toString();
    return notes;
}

struct Expected {
    QString machine;
    int expectedPorts;
    int descriptors;
    bool failure;
    QStringList notes;
    QString portClass;

    friend void PrintTo(const Expected& e, std::ostream* os) { *os << e.machine.toStdString(); }
};

} // namespace

class Catalogue : public ::testing::TestWithParam<Expected> {};

TEST_P(Catalogue, ProbeShowsWhatTheMachinePublishes)
{
    const Expected& e = GetParam();
    const QJsonObject probe = probeJson(e.machine);
    const QJsonObject report = probe[u"report"_s].toObject();
    EXPECT_EQ(report[u"expectedPortCount"_s].toInt(), e.expectedPorts);
    const QJsonArray descriptors = report[u"portDescriptors"_s].toArray();
    ASSERT_EQ(descriptors.size(), e.descriptors);
    qint64 previousHint = INT64_MIN;
    for (const QJsonValue& d : descriptors) {
        EXPECT_EQ(d[u"serviceClass"_s].toString(), e.portClass);
        EXPECT_FALSE(d[u"debugSummary"_s].toString().contains(u"MagSafe"_s)) << "MagSafe is not a USB-C port";
        EXPECT_GT(d[u"sortHint"_s].toInteger(), previousHint) << "port order";
        previousHint = d[u"sortHint"_s].toInteger();
    }
    EXPECT_EQ(report[u"probableControllerFailure"_s].toBool(), e.failure);
    EXPECT_EQ(notesOf(probe), e.notes);
    // Every catalogue machine starts idle: on battery (or mains for a desktop), nothing plugged in.
    // Each port's observation carries its descriptor; what is absent is null, not left out.
    const QJsonArray observations = probe[u"observations"_s].toArray();
    ASSERT_EQ(observations.size(), e.descriptors);
    for (int i = 0; i < e.descriptors; ++i) {
        EXPECT_EQ(observations[i][u"descriptor"_s][u"id"_s].toInteger(), descriptors[i][u"id"_s].toInteger());
        EXPECT_FALSE(observations[i][u"connected"_s].toBool());
        EXPECT_FALSE(observations[i][u"powerDeliveryActive"_s].toBool());
        EXPECT_FALSE(observations[i][u"partnerIdentityVisible"_s].toBool());
    }
    EXPECT_TRUE(probe[u"power"_s][u"adapterWatts"_s].isNull());
    EXPECT_TRUE(probe[u"power"_s].toObject().contains(u"adapterName"_s) && probe[u"power"_s][u"adapterName"_s].isNull());
}

INSTANTIATE_TEST_SUITE_P(
    Machines, Catalogue,
    ::testing::Values(
        Expected{u"macbookpro18-3"_s, 3, 3, false, {}, u"AppleTCControllerType10"_s},
        Expected{u"mac15-6"_s, 3, 3, false, {}, u"AppleHPMInterfaceType10"_s},
        Expected{u"mac14-2"_s, 2, 2, false, {}, u"AppleHPMInterfaceType10"_s},
        Expected{u"macbookpro16-1"_s, 4, 0, false, {fixed::notes::intelMachine}, {}},
        Expected{u"macbook10-1"_s, 1, 0, false, {fixed::notes::intelMachine}, {}},
        Expected{u"macbookpro17-1-missing-controller"_s, 2, 1, true, {}, u"AppleTCControllerType10"_s},
        Expected{u"macbook-neo-unlisted"_s, 2, 2, false, {}, u"AppleHPMInterfaceType10"_s},
        Expected{u"mac14-3-mac-mini"_s, 2, 2, false, {fixed::notes::notAMacBook, fixed::notes::countFromRegistry},
                 u"AppleHPMInterfaceType10"_s}),
    [](const auto& info) {
        QString name = info.param.machine;
        return name.replace(u'-', u'_').toStdString();
    });

TEST(CommandLine, ProbeTextNamesBackendIdentityAndVerdicts)
{
    if (!QDir(u"/sys/class/typec"_s).entryList({u"port*"_s}, QDir::Dirs | QDir::System).isEmpty())
        GTEST_SKIP() << "this computer has Type-C ports, so probe reads them instead of a simulated Mac";
    const CliRun run = kabelwacht({u"probe"_s});
    EXPECT_EQ(run.status, 0);
    EXPECT_TRUE(run.output.startsWith(u"This computer publishes no USB-C ports"_s)) << run.output.toStdString();
    EXPECT_TRUE(run.output.contains(u"Backend: simulated Mac: "_s));
    EXPECT_TRUE(run.output.contains(u"Model identifier:  MacBookPro18,3"_s));
    EXPECT_TRUE(run.output.contains(u"Probable controller failure: no"_s));
    EXPECT_TRUE(run.output.contains(u"Port observations: 3"_s));
}

TEST(CommandLine, HelpVersionAndUsageErrors)
{
    EXPECT_EQ(kabelwacht({u"--version"_s}).output, u"kabelwacht 0.1.0\n"_s);
    const CliRun help = kabelwacht({u"--help"_s});
    EXPECT_EQ(help.status, 0);
    EXPECT_TRUE(help.output.contains(u"probe"_s));
    const CliRun probeHelp = kabelwacht({u"probe"_s, u"--help"_s});
    EXPECT_EQ(probeHelp.status, 0);
    EXPECT_TRUE(probeHelp.output.contains(u"--machine"_s) && probeHelp.output.contains(u"./NAME"_s));

    // Each refused with status 2, before anything is read or written.
    const QString tree = treeDir + u"ucsi-notebook-charging-port2"_s;
    QTemporaryDir dir;
    const std::vector<std::pair<QStringList, QString>> cases{
        {{u"frobnicate"_s}, u"kabelwacht: unknown command 'frobnicate'"_s},
        {{u"probe"_s, u"--jsn"_s}, u"kabelwacht probe: Unknown option 'jsn'"_s},
        {{u"probe"_s, u"--machine"_s, u"no-such-machine"_s}, u"kabelwacht probe: no-such-machine: no such machine file"_s},
        {{u"probe"_s, u"--machine"_s, u""_s},
         u"kabelwacht probe: --machine needs the name of a built-in machine or a machine file. Run 'kabelwacht probe --help'.\n"_s},
        {{u"run"_s, u"--script"_s, QStringLiteral(KW_SOURCE_DIR) + u"/docs/examples/m2-air.script"_s, u"--fs-root"_s, u""_s},
         u"kabelwacht run: --fs-root needs the folder of a recorded tree."_s},
        {{u"probe"_s, u"--machine"_s, u"mac14-2"_s, u"--fs-root"_s, tree},
         u"kabelwacht probe: --machine and --fs-root exclude each other"_s},
        {{u"record-sysfs"_s, u"--fs-root"_s, u""_s, u"--out"_s, dir.filePath(u"x"_s)}, {}},
        {{u"record-sysfs"_s, u"--out"_s, u""_s}, {}},
        {{u"import-ioreg"_s, realMac + u"ioport.plist"_s, u"--out"_s, u""_s}, {}},
        {{u"import-ioreg"_s}, {}},
        {{u"run"_s}, {}},
        {{u"run"_s, u"--script"_s, dir.path()}, {}},
        {{u"probe"_s, u"--fs-root"_s, u"/nonexistent"_s}, {}},
    };
    for (const auto& [arguments, start] : cases) {
        const CliRun run = kabelwacht(arguments);
        EXPECT_EQ(run.status, 2) << arguments.join(u' ').toStdString();
        EXPECT_TRUE(run.output.startsWith(start)) << run.output.toStdString();
    }
    EXPECT_EQ(namesIn(dir.path()), QStringList());
}

TEST(CommandLine, BadMachineFileIsOneClearMessage)
{
    const QString broken = QStringLiteral(KW_SOURCE_DIR) + u"/tests/app/data/broken-machine.json"_s;
    const CliRun bad = kabelwacht({u"probe"_s, u"--machine"_s, broken});
    EXPECT_EQ(bad.status, 2);
    EXPECT_EQ(bad.output, u"kabelwacht probe: %1: registry.children[0].properties.PortNumber: a number with a fractional "
                          u"part must be written as {\"$real\": …}; integers must fit in 64 bits\n"_s.arg(broken));
}

TEST(CommandLine, RunReportsScriptProblemsByLine)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(u"s.script"_s);
    const std::vector<std::tuple<QByteArray, int, QString>> cases{
        {"start\nwait phase portPreparation\nexpect phase result\n", 1,
         u":3: expect phase result: expected result, but it is portPreparation\n"_s},
        {"start\nplug 7\n", 2, u":2: plug 7: this machine has no USB-C socket 7\n"_s},
        {"start\nwiat phase result\n", 2, u":2: unknown command 'wiat'\n"_s},
        {"start\nwait phase result\n", 1,
         u":2: wait phase result: the phase did not become result within 300 s of program time; it is portPreparation\n"_s},
        // quit ends the script where it stands: the expectation after it is never checked.
        {"start\nwait phase portPreparation\nquit\nexpect phase result\n", 0, QString()},
    };
    for (const auto& [script, status, message] : cases) {
        writeFile(path, script);
        const CliRun run = kabelwacht({u"run"_s, u"--script"_s, path});
        EXPECT_EQ(run.status, status) << script.toStdString();
        if (!message.isEmpty()) {
            EXPECT_EQ(run.output, u"kabelwacht run: "_s + path + message);
        }
    }
}

TEST(CommandLine, ImportIoregWritesAMachineFileThatProbes)
{
    QTemporaryDir dir;
    const QString data = QStringLiteral(KW_SOURCE_DIR) + u"/tests/data/real-mac/m3pro-mac15-6/"_s;
    const QString out = dir.filePath(u"m3.json"_s);
    const CliRun imported = kabelwacht({u"import-ioreg"_s, data + u"ioport.plist"_s, u"--hardware"_s,
                                        data + u"hardware.json"_s, u"--out"_s, out});
    EXPECT_EQ(imported.status, 0) << imported.output.toStdString();
    const QJsonObject probe = probeJson(out);
    EXPECT_EQ(probe[u"report"_s][u"identity"_s][u"modelIdentifier"_s].toString(), u"Mac15,6"_s);
    EXPECT_EQ(probe[u"report"_s][u"portDescriptors"_s].toArray().size(), 3);

    const CliRun bad = kabelwacht({u"import-ioreg"_s, data + u"hardware.json"_s});
    EXPECT_EQ(bad.status, 2);
    EXPECT_TRUE(bad.output.startsWith(u"kabelwacht import-ioreg: "_s + data + u"hardware.json: line 1, column 1:"_s));
}

TEST(CommandLine, RecordedLinuxTreeIsReadByTheSysfsBackend)
{
    const QJsonObject probe = probeTree(u"ucsi-notebook-charging-port2"_s);
    EXPECT_TRUE(probe[u"backend"_s].toString().startsWith(u"Linux sysfs"_s));
    EXPECT_EQ(probe[u"report"_s][u"identity"_s][u"modelIdentifier"_s].toString(), u"ThinkPad X13 Gen 3"_s);
    EXPECT_EQ(probe[u"report"_s][u"expectedPortCount"_s].toInt(), 2);
    EXPECT_TRUE(probe[u"power"_s][u"externalPowerConnected"_s].toBool());
    EXPECT_EQ(probe[u"report"_s][u"rawControllerCount"_s].toInt(), 4) << "two xHCI controllers, two Thunderbolt domains";
    const QJsonArray observations = probe[u"observations"_s].toArray();
    ASSERT_EQ(observations.size(), 2);
    EXPECT_FALSE(observations[0][u"connected"_s].toBool());
    EXPECT_TRUE(observations[1][u"powerDeliveryActive"_s].toBool()) << "the second connector charges";
    EXPECT_EQ(observations[0][u"contract"_s].toObject(), (QJsonObject{{u"published"_s, false}}));
    const QJsonObject contract = observations[1][u"contract"_s].toObject();
    EXPECT_EQ(contract[u"kind"_s].toString(), u"powerDelivery"_s);
    EXPECT_EQ(contract[u"offers"_s].toArray().size(), 4);
    EXPECT_EQ(contract[u"agreed"_s][u"millivolts"_s].toInt(), 20000) << "the best offer stands for the contract";
    EXPECT_EQ(contract[u"bestOffer"_s][u"milliwatts"_s].toInt(), 94000);

    const CliRun text = kabelwacht({u"probe"_s, u"--fs-root"_s, treeDir + u"ucsi-notebook-charging-port2"_s});
    EXPECT_TRUE(text.output.contains(u"charger's offers: 5 V 3 A 15 W, 9 V 3 A 27 W, 15 V 5 A 75 W, 20 V 4.7 A 94 W\n"
                                     u"     contract:         USB Power Delivery, 20 V 4.7 A 94 W agreed"_s))
        << text.output.toStdString();
    EXPECT_TRUE(text.output.contains(u"charger's offers: not published\n     contract:         not published"_s));
}

TEST(CommandLine, LinuxTreesWithoutTheUsualParts)
{
    // An M2 Air: the machine from the device tree's board, the MagSafe controller (typec port1) left out.
    const QJsonObject m2 = probeTree(u"m2-air-charging-usb-c-1"_s);
    const QJsonObject identity = m2[u"report"_s][u"identity"_s].toObject();
    EXPECT_EQ(identity[u"modelIdentifier"_s].toString(), u"Mac14,2"_s) << "from the device tree's board";
    EXPECT_EQ(identity[u"chipName"_s].toString(), u"Apple M2"_s);
    EXPECT_TRUE(identity[u"isAppleSilicon"_s].toBool());
    EXPECT_EQ(m2[u"report"_s][u"portDescriptors"_s].toArray().size(), 2);
    EXPECT_FALSE(m2[u"report"_s][u"probableControllerFailure"_s].toBool());
    // Charging over MagSafe: power from outside, yet no USB-C port shows anything.
    const QJsonObject magSafe = probeTree(u"m2-air-charging-magsafe"_s);
    EXPECT_TRUE(magSafe[u"power"_s][u"externalPowerConnected"_s].toBool());
    for (const QJsonValue& o : magSafe[u"observations"_s].toArray())
        EXPECT_FALSE(o[u"connected"_s].toBool() || o[u"powerDeliveryActive"_s].toBool());
    // No Type-C class: no ports to observe, and no verdict of broken controllers.
    const QJsonObject empty = probeTree(u"ucsi-notebook-empty-typec"_s);
    EXPECT_TRUE(empty[u"report"_s][u"portDescriptors"_s].toArray().isEmpty());
    EXPECT_FALSE(empty[u"report"_s][u"probableControllerFailure"_s].toBool());
    EXPECT_FALSE(empty[u"portDataUnavailable"_s].toBool()) << "a notebook without Apple silicon needs no such word";
    // An Apple-silicon Mac without its Type-C driver: no ports, and so no verdict on its controllers.
    // It is still an M1, and its note says why the check cannot decide (no Intel notes on an M1).
    const QJsonObject noDriver = probeTree(u"m1-air-no-typec-driver"_s);
    EXPECT_TRUE(noDriver[u"portDataUnavailable"_s].toBool());
    EXPECT_EQ(noDriver[u"report"_s][u"identity"_s][u"chipName"_s].toString(), u"Apple M1"_s);
    EXPECT_FALSE(noDriver[u"report"_s][u"controllerCheckIsConclusive"_s].toBool());
    EXPECT_FALSE(noDriver[u"report"_s][u"probableControllerFailure"_s].toBool());
    EXPECT_EQ(notesOf(noDriver), QStringList{fixed::notes::noPortDataFromLinux});
    // No power-supply class: the power state reads as battery, the ports still show their partner.
    const QJsonObject noPower = probeTree(u"no-power-supply-class"_s);
    EXPECT_FALSE(noPower[u"power"_s][u"externalPowerConnected"_s].toBool());
    EXPECT_TRUE(noPower[u"observations"_s][1][u"partnerIdentityVisible"_s].toBool());
}

TEST(CommandLine, WriteErrorsOnStandardOutputAreNotSuccess)
{
    if (!QFileInfo(u"/dev/full"_s).exists())
        GTEST_SKIP() << "no /dev/full here";
    const QString script = QStringLiteral(KW_SOURCE_DIR) + u"/docs/examples/m2-air.script"_s;
    for (const QStringList& command :
         {QStringList{u"probe"_s}, QStringList{u"probe"_s, u"--json"_s}, QStringList{u"machines"_s},
          QStringList{u"run"_s, u"--machine"_s, u"mac14-2"_s, u"--script"_s, script},
          QStringList{u"import-ioreg"_s, realMac + u"ioport.plist"_s}, QStringList{u"--help"_s}}) {
        // Standard error stays with us; standard output goes to a device that is always full.
        const CliRun run = shell(u"exec \"$0\" \"$@\" 2>&1 >/dev/full"_s, command);
        EXPECT_EQ(run.status, 1) << command.join(u' ').toStdString();
        EXPECT_TRUE(run.output.endsWith(u"kabelwacht: standard output could not be written whole: No space left on device\n"_s))
            << run.output.toStdString();
    }
}

TEST(CommandLine, ImportNeverWritesOverItsInputOrWhatIsNotAFile)
{
    QTemporaryDir dir;
    const QString dump = dir.filePath(u"d.plist"_s);
    writeFile(dump, contentOf(realMac + u"ioport.plist"_s));
    const QByteArray original = contentOf(dump);
    ASSERT_TRUE(QFile::link(dump, dir.filePath(u"link.json"_s)));
    const QString hardware = dir.filePath(u"hardware.json"_s);
    writeFile(hardware, contentOf(realMac + u"hardware.json"_s));

    for (const QString& out : {dump, dir.filePath(u"link.json"_s), dir.path() + u"/./d.plist"_s}) {
        const CliRun same = kabelwacht({u"import-ioreg"_s, dump, u"--out"_s, out});
        EXPECT_EQ(same.status, 2) << out.toStdString();
        EXPECT_TRUE(same.output.contains(u"is the input"_s)) << same.output.toStdString();
    }
    const CliRun overHardware = kabelwacht({u"import-ioreg"_s, dump, u"--hardware"_s, hardware, u"--out"_s, hardware});
    EXPECT_EQ(overHardware.status, 2);
    EXPECT_EQ(contentOf(dump), original);
    EXPECT_EQ(contentOf(hardware), contentOf(realMac + u"hardware.json"_s));
    // Nor over the battery service, however the path names it; refused before anything is read.
    const QString battery = dir.filePath(u"battery.plist"_s);
    writeFile(battery, "the customer's battery service\n");
    for (const QString& out : {battery, dir.path() + u"/./battery.plist"_s}) {
        const CliRun overBattery = kabelwacht({u"import-ioreg"_s, dump, u"--battery"_s, battery, u"--out"_s, out});
        EXPECT_EQ(overBattery.status, 2) << out.toStdString();
        EXPECT_EQ(overBattery.output,
                  u"kabelwacht import-ioreg: %1: is the input %2; name a new file for the machine file\n"_s.arg(out, battery));
    }
    EXPECT_EQ(contentOf(battery), "the customer's battery service\n");

    // A FIFO would block the writer, a device or a folder would be replaced by a rename.
    const QString fifo = dir.filePath(u"fifo"_s);
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    for (const QString& out : {fifo, u"/dev/null"_s, dir.path()}) {
        const CliRun refused = kabelwacht({u"import-ioreg"_s, dump, u"--out"_s, out});
        EXPECT_EQ(refused.status, 2) << out.toStdString();
        EXPECT_EQ(refused.output, u"kabelwacht import-ioreg: %1: not a regular file; name a file to be written\n"_s.arg(out));
    }
    EXPECT_FALSE(QFileInfo(fifo).isFile()) << "still a FIFO";
    EXPECT_FALSE(QFileInfo(u"/dev/null"_s).isFile());
}

TEST(CommandLine, AFullDiskLeavesTheOldFileWhole)
{
    QTemporaryDir dir;
    const QString machine = dir.filePath(u"customer.json"_s);
    const QString picture = dir.filePath(u"window.png"_s);
    writeFile(machine, "the old machine file\n");
    writeFile(picture, "the old picture\n");
    // Files may not grow at all: every write fails as on a full disk (EFBIG instead of ENOSPC). In the
    // sanitizer build Qt Quick's own caches would count as leaks of the screenshot (tests/ui/QtLeaks.cpp).
    const QString noQtLeaks = u"export ASAN_OPTIONS=\"${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0\"; "_s;
    const QString fullDisk = noQtLeaks + u"trap '' XFSZ; ulimit -f 0; exec \"$0\" \"$@\" 2>&1"_s;

    const CliRun imported = shell(fullDisk, {u"import-ioreg"_s, realMac + u"ioport.plist"_s, u"--out"_s, machine});
    EXPECT_EQ(imported.status, 1);
    EXPECT_TRUE(imported.output.startsWith(u"kabelwacht import-ioreg: %1: cannot be written: "_s.arg(machine)))
        << imported.output.toStdString();

    const CliRun shot = shell(fullDisk, {u"screenshot"_s, u"--out"_s, picture}, Seconds(120));
    EXPECT_EQ(shot.status, 1);
    EXPECT_TRUE(shot.output.contains(u"kabelwacht screenshot: %1: cannot be written: "_s.arg(picture))) << shot.output.toStdString();

    EXPECT_EQ(contentOf(machine), "the old machine file\n");
    EXPECT_EQ(contentOf(picture), "the old picture\n");
    EXPECT_EQ(namesIn(dir.path()), (QStringList{u"customer.json"_s, u"window.png"_s})) << "no half-written file left";

    // With room on the disk the picture is replaced whole.
    const CliRun written = shell(noQtLeaks + u"exec \"$0\" \"$@\" 2>&1"_s, {u"screenshot"_s, u"--out"_s, picture}, Seconds(120));
    EXPECT_EQ(written.status, 0) << written.output.toStdString();
    EXPECT_TRUE(contentOf(picture).startsWith("\x89PNG"));
}

TEST(CommandLine, ScreenshotRefusesAFifoInsteadOfBlocking)
{
    QTemporaryDir dir;
    const QString fifo = dir.filePath(u"fifo.png"_s);
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const CliRun run = shell(u"exec \"$0\" \"$@\" 2>&1"_s, {u"screenshot"_s, u"--out"_s, fifo}, Seconds(60));
    EXPECT_EQ(run.status, 2);
    EXPECT_TRUE(run.output.endsWith(u"kabelwacht screenshot: %1: not a regular file; name a file to be written\n"_s.arg(fifo)))
        << run.output.toStdString();
}

TEST(CommandLine, ARecordingIntoARelativeFolderReplaysLikeTheOriginal)
{
    auto probeOf = [](const QString& root) {
        QJsonObject probe = QJsonDocument::fromJson(
            kabelwacht({u"probe"_s, u"--json"_s, u"--fs-root"_s, root}).output.toUtf8()).object();
        probe.remove(u"backend"_s); // names the folder
        return probe;
    };
    for (const QString& name : {u"ucsi-notebook-charging-port2"_s, u"m2-air-charging-usb-c-1"_s}) {
        SCOPED_TRACE(name.toStdString());
        const QString tree = treeDir + name;
        QTemporaryDir work;
        // In a folder of its own, as the README shows it: --out names a folder relative to it.
        const QString inWork = u"cd \"$1\" && shift && exec \"$0\" \"$@\" 2>&1"_s;
        const CliRun recorded = shell(inWork, {work.path(), u"record-sysfs"_s, u"--out"_s, u"rec"_s, u"--fs-root"_s, tree});
        ASSERT_EQ(recorded.status, 0) << recorded.output.toStdString();
        EXPECT_EQ(recorded.output, u"Recorded into rec; 'kabelwacht probe --fs-root rec' replays it.\n"_s);
        const QFileInfo link(work.filePath(u"rec/sys/class/typec/port1"_s));
        EXPECT_TRUE(link.isSymLink() && link.isDir()) << "the link leads into the recording";
        EXPECT_EQ(probeOf(work.filePath(u"rec"_s)), probeOf(tree));
        EXPECT_EQ(shell(inWork, {work.path(), u"record-sysfs"_s, u"--out"_s, u"rec"_s, u"--fs-root"_s, tree}).status, 2)
            << "never over a tree";
    }
}

TEST(CommandLine, ARecordingThatCannotBeWrittenIsNoSuccessAndLeavesNothing)
{
    const QString tree = treeDir + u"ucsi-notebook-charging-port2"_s;
    QTemporaryDir work;
    const CliRun full = shell(u"trap '' XFSZ; ulimit -f 0; exec \"$0\" \"$@\" 2>&1"_s,
                              {u"record-sysfs"_s, u"--fs-root"_s, tree, u"--out"_s, work.filePath(u"rec"_s)});
    EXPECT_EQ(full.status, 1);
    EXPECT_TRUE(full.output.startsWith(u"kabelwacht record-sysfs: "_s) && full.output.contains(u"cannot be written"_s))
        << full.output.toStdString();
    EXPECT_FALSE(full.output.contains(u"Recorded"_s));
    EXPECT_EQ(namesIn(work.path()), QStringList()) << "neither the recording nor a part of it";

    const CliRun nowhere = kabelwacht({u"record-sysfs"_s, u"--fs-root"_s, u"/nonexistent"_s, u"--out"_s, work.filePath(u"x"_s)});
    EXPECT_EQ(nowhere.status, 2);
    EXPECT_EQ(nowhere.output, u"kabelwacht record-sysfs: /nonexistent: not a tree to record (it has no sys folder)\n"_s);
    EXPECT_EQ(namesIn(work.path()), QStringList());

    const CliRun help = kabelwacht({u"record-sysfs"_s, u"--help"_s});
    EXPECT_TRUE(help.output.contains(u"--out <DIR>"_s)) << help.output.toStdString();
    EXPECT_FALSE(help.output.contains(u"machine file"_s) || help.output.contains(u"standard output"_s));
}

TEST(CommandLine, ATreeWithMorePortsThanAnyComputerIsRefusedAtOnce)
{
    // In memory where the system lets us: thousands of folders are slow to remove from some disks.
    // Where /dev/shm is missing or not writable, the ordinary temporary folder.
    auto inMemory = std::make_unique<QTemporaryDir>(u"/dev/shm/kabelwacht-test-XXXXXX"_s);
    if (!inMemory->isValid())
        inMemory = std::make_unique<QTemporaryDir>();
    const QTemporaryDir& many = *inMemory;
    ASSERT_TRUE(many.isValid()) << many.errorString().toStdString();
    for (int i = 0; i < 2000; ++i)
        ASSERT_TRUE(QDir().mkpath(many.filePath(u"sys/class/typec/port%1"_s.arg(i))));
    // Read port by port, such a tree once took minutes; it is refused before it is read.
    const CliRun probe = kabelwacht({u"probe"_s, u"--fs-root"_s, many.path()});
    EXPECT_EQ(probe.status, 2);
    EXPECT_EQ(probe.output, u"kabelwacht probe: %1: publishes 2000 Type-C ports; no computer has more than 64, so it is "
                            u"not read\n"_s.arg(many.path()));
    EXPECT_EQ(kabelwacht({u"record-sysfs"_s, u"--fs-root"_s, many.path(), u"--out"_s, many.filePath(u"rec"_s)}).status, 2);

    QTemporaryDir most;
    ASSERT_TRUE(most.isValid()) << most.errorString().toStdString();
    for (int i = 0; i < 64; ++i)
        ASSERT_TRUE(QDir().mkpath(most.filePath(u"sys/class/typec/port%1"_s.arg(i))));
    const CliRun read = kabelwacht({u"probe"_s, u"--json"_s, u"--fs-root"_s, most.path()});
    ASSERT_EQ(read.status, 0) << read.output.toStdString();
    EXPECT_EQ(QJsonDocument::fromJson(read.output.toUtf8())[u"observations"_s].toArray().size(), 64);
}

TEST(CommandLine, TheMachinesWordsCannotForgeTheReportOrDriveTheTerminal)
{
    QFile catalogue(QStringLiteral(KW_SOURCE_DIR) + u"/machines/mac14-2.json"_s);
    ASSERT_TRUE(catalogue.open(QIODevice::ReadOnly));
    QJsonObject machine = QJsonDocument::fromJson(catalogue.readAll()).object();
    QJsonObject overview = machine[u"hardwareOverview"_s].toObject();
    QJsonArray records = overview[u"SPHardwareDataType"_s].toArray();
    QJsonObject record = records[0].toObject();
    record[u"machine_name"_s] = u"MacBook\r\nGesamtergebnis: Alle OK"_s;
    record[u"chip_type"_s] = u"Apple \u202eM2\u0000\x1b[2J"_s;
    records[0] = record;
    overview[u"SPHardwareDataType"_s] = records;
    machine[u"hardwareOverview"_s] = overview;
    machine[u"title"_s] = u"Forged\x1b]0;title\x07"_s;
    QTemporaryDir dir;
    const QString file = dir.filePath(u"forged.json"_s);
    writeFile(file, QJsonDocument(machine).toJson());

    const QString script = QStringLiteral(KW_SOURCE_DIR) + u"/docs/examples/m2-air.script"_s;
    const CliRun run = kabelwacht({u"run"_s, u"--machine"_s, file, u"--script"_s, script});
    ASSERT_EQ(run.status, 0) << run.output.toStdString();
    const QStringList lines = run.output.split(u'\n');
    EXPECT_EQ(lines.filter(QRegularExpression(u"^Gesamtergebnis"_s)).size(), 1) << "no forged verdict of its own";
    EXPECT_TRUE(lines.contains(u"Gerät: MacBook  Gesamtergebnis: Alle OK"_s)) << run.output.toStdString();
    EXPECT_TRUE(lines.contains(u"Gesamtergebnis: Mindestens ein USB-C Anschluss ist vermutlich defekt."_s));

    for (const QStringList& probe : {QStringList{u"probe"_s, u"--machine"_s, file}, QStringList{u"machines"_s},
                                     QStringList{u"probe"_s, u"--json"_s, u"--machine"_s, file}}) {
        const CliRun shown = kabelwacht(probe);
        EXPECT_EQ(shown.status, 0);
        for (QChar c : shown.output)
            if (c != u'\n' && (c.unicode() < 0x20 || c.unicode() == 0x7f || c.unicode() == 0x202e)) {
                ADD_FAILURE() << probe.join(u' ').toStdString() << " shows U+" << std::hex << int(c.unicode());
                break;
            }
    }
}

TEST(CommandLine, ABuiltInNameMeansTheBuiltInMachine)
{
    // A file in the working folder named like a built-in machine does not take its place; ./NAME names it.
    QTemporaryDir work;
    writeFile(work.filePath(u"mac14-2"_s), "not a machine file");
    const QString inWork = u"cd \"$1\" && shift && exec \"$0\" \"$@\" 2>&1"_s;
    const CliRun builtIn = shell(inWork, {work.path(), u"probe"_s, u"--json"_s, u"--machine"_s, u"mac14-2"_s});
    ASSERT_EQ(builtIn.status, 0) << builtIn.output.toStdString();
    EXPECT_EQ(QJsonDocument::fromJson(builtIn.output.toUtf8())[u"report"_s][u"identity"_s][u"modelIdentifier"_s].toString(),
              u"Mac14,2"_s);
    const CliRun file = shell(inWork, {work.path(), u"probe"_s, u"--machine"_s, u"./mac14-2"_s});
    EXPECT_EQ(file.status, 2);
    EXPECT_TRUE(file.output.startsWith(u"kabelwacht probe: ./mac14-2:1:2: not valid JSON"_s)) << file.output.toStdString();
}

TEST(CommandLine, WithoutADisplayTheWindowIsOneLineOfOursPointingToTheHeadlessCommands)
{
    // No X server listens on display 65000; a platform plugin named bogus does not exist.
    for (const auto& [environment, shown] :
         {std::pair(u"unset DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM"_s, u"kabelwacht: no display is available"_s),
          std::pair(u"unset WAYLAND_DISPLAY QT_QPA_PLATFORM; export DISPLAY=:65000"_s,
                    u"kabelwacht: the display could not be opened (DISPLAY=:65000)"_s),
          std::pair(u"export QT_QPA_PLATFORM=bogus"_s, u"kabelwacht: the display could not be opened (QT_QPA_PLATFORM=bogus)"_s)}) {
        const CliRun run = shell(environment + u"; exec \"$0\" --no-simulator 2>&1"_s);
        EXPECT_EQ(run.status, 1) << "not Qt's abort (134)";
        EXPECT_EQ(run.output.count(u'\n'), 1) << run.output.toStdString();
        EXPECT_TRUE(run.output.startsWith(shown)) << run.output.toStdString();
        EXPECT_TRUE(run.output.contains(u"kabelwacht run"_s) && run.output.contains(u"kabelwacht screenshot"_s));
    }
    const CliRun shot = shell(u"export QT_QPA_PLATFORM=bogus; exec \"$0\" screenshot --out /nonexistent/x.png 2>&1"_s);
    EXPECT_EQ(shot.status, 1);
    EXPECT_EQ(shot.output, u"kabelwacht screenshot: the display could not be opened (QT_QPA_PLATFORM=bogus); without "
                           u"QT_QPA_PLATFORM the window is rendered offscreen.\n"_s);
}
