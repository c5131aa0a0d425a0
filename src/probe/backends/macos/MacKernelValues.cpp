#include "probe/backends/macos/MacKernelValues.h"

#include <sys/sysctl.h>

namespace kw::probe {

std::optional<QByteArray> MacKernelValues::read(const QString& name) const
{
    const QByteArray key = name.toUtf8();
    std::size_t size = 0;
    if (sysctlbyname(key.constData(), nullptr, &size, nullptr, 0) != 0)
        return std::nullopt; // no such value (hw.optional.arm64 on Intel)
    QByteArray value(qsizetype(size), '\0');
    // A value that grew in between no longer fits and makes this call fail: absent, as the kernel says.
    if (sysctlbyname(key.constData(), value.data(), &size, nullptr, 0) != 0)
        return std::nullopt;
    value.truncate(qsizetype(size));
    return value;
}

} // namespace kw::probe
