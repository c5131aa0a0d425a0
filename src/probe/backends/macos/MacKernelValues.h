#pragma once

#include "probe/Platform.h"

namespace kw::probe {

// Kernel values through sysctlbyname: the size first, then the value.
class MacKernelValues final : public KernelValues {
public:
    std::optional<QByteArray> read(const QString& name) const override;
};

} // namespace kw::probe
