#include "FuzzTarget.h"

#include "model/MacIdentity.h"
#include "probe/MacIdentityDetection.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    kw::model::MacIdentity identity;
    identity.chipName = QStringLiteral("Intel");
    kw::probe::applyHardwareOverview(QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size)), identity);
    return 0;
}
