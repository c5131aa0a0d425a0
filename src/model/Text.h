#pragma once

#include <QString>

#include <cstddef>

namespace kw::model {

// Texts are equal when they are canonically equivalent Unicode; hashing agrees with that.
bool canonicallyEqual(const QString& a, const QString& b);
std::size_t canonicalHash(const QString& text, std::size_t seed = 0);

inline std::size_t hashCombine(std::size_t seed, std::size_t value)
{
    return seed ^ (value + 0x9e3779b97f4a7c15ULL + (seed << 6) + (seed >> 2));
}

} // namespace kw::model
