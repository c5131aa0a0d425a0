#include "FuzzTarget.h"

#include "probe/backends/simulated/MachineDescription.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const kw::probe::MachineLoadResult result = kw::probe::parseMachineFile(bytes, QStringLiteral("fuzz.json"));
    // A file is either loaded or refused with a reason, never both and never neither.
    if (result.machine.has_value() == !result.error.isEmpty())
        __builtin_trap();
    return 0;
}
