#pragma once

#include "model/Text.h"

#include <QString>

namespace kw::model {

struct MacIdentity {
    QString modelIdentifier;
    QString marketingName;
    QString chipName;
    bool isAppleSilicon = false;
    bool isNotebook = false;

    friend bool operator==(const MacIdentity& a, const MacIdentity& b)
    {
        return canonicallyEqual(a.modelIdentifier, b.modelIdentifier)
            && canonicallyEqual(a.marketingName, b.marketingName) && canonicallyEqual(a.chipName, b.chipName)
            && a.isAppleSilicon == b.isAppleSilicon && a.isNotebook == b.isNotebook;
    }
};

} // namespace kw::model
