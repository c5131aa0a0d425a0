#include "FuzzTarget.h"

#include "probe/backends/simulated/IoregImport.h"
#include "probe/backends/simulated/MachineDescription.h"

using namespace Qt::StringLiterals;

namespace {

// A small valid dump, for inputs that fuzz the hardware overview or the battery service instead.
const QByteArray validDump = R"(<?xml version="1.0" encoding="UTF-8"?>
<plist version="1.0"><array><dict>
<key>IOObjectClass</key><string>AppleHPMInterfaceType10</string>
<key>IORegistryEntryID</key><integer>4294968573</integer>
<key>IORegistryEntryName</key><string>Port-USB-C@1</string>
<key>PortTypeDescription</key><string>USB-C</string><key>PortNumber</key><integer>1</integer>
</dict></array></plist>)";

} // namespace

// The first byte chooses what the rest is: 'H' the hardware overview, 'B' the battery service,
// anything else the registry dump itself.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    kw::probe::IoregImportResult result;
    if (bytes.startsWith('H'))
        result = kw::probe::importIoreg({u"dump"_s, validDump}, kw::probe::IoregInput{u"hardware"_s, bytes.mid(1)},
                                        std::nullopt);
    else if (bytes.startsWith('B'))
        result = kw::probe::importIoreg({u"dump"_s, validDump}, std::nullopt,
                                        kw::probe::IoregInput{u"battery"_s, bytes.mid(1)});
    else
        result = kw::probe::importIoreg({u"dump"_s, bytes}, std::nullopt, std::nullopt);
    if (result.machine.has_value() == !result.error.isEmpty())
        __builtin_trap();
    // Whatever the import accepts, the loader loads.
    if (result.machine && !kw::probe::parseMachineFile(result.json, u"imported.json"_s).machine)
        __builtin_trap();
    return 0;
}
