#include "model/Text.h"

#include <QHashFunctions>

namespace kw::model {

bool canonicallyEqual(const QString& a, const QString& b)
{
    if (a == b)
        return true;
    return a.normalized(QString::NormalizationForm_D) == b.normalized(QString::NormalizationForm_D);
}

std::size_t canonicalHash(const QString& text, std::size_t seed)
{
    return qHash(text.normalized(QString::NormalizationForm_D), seed);
}

} // namespace kw::model
