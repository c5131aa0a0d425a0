#include "FuzzTarget.h"

#include "probe/PropertyValue.h"
#include "probe/backends/simulated/PropertyList.h"

// The XML property-list reader, and the text form of whatever it reads.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const kw::probe::PropertyListResult result = kw::probe::readXmlPropertyList(bytes);
    if (result.value)
        (void)kw::probe::textForm(*result.value);
    else if (result.error.isEmpty())
        __builtin_trap();
    return 0;
}
