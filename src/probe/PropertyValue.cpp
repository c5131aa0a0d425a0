#include "probe/PropertyValue.h"

#include "probe/MachineText.h"

#include <algorithm>
#include <cmath>

namespace kw::probe {

using namespace Qt::StringLiterals;

namespace {

auto lowerBound(const std::vector<PropertyDictionary::Entry>& entries, const QString& key)
{
    return std::lower_bound(entries.begin(), entries.end(), key,
                            [](const PropertyDictionary::Entry& e, const QString& k) { return e.first < k; });
}

bool needsQuotes(const QString& s)
{
    if (s.isEmpty())
        return true;
    for (QChar c : s) {
        const char16_t u = c.unicode();
        const bool plain = (u >= u'a' && u <= u'z') || (u >= u'A' && u <= u'Z') || (u >= u'0' && u <= u'9')
            || u == u'_' || u == u'$' || u == u'.' || u == u'/' || u == u':' || u == u'-';
        if (!plain)
            return true;
    }
    return false;
}

void appendString(QString& out, const QString& s)
{
    if (!needsQuotes(s)) {
        out += s;
        return;
    }
    out += u'"';
    for (QChar c : s) {
        switch (c.unicode()) {
        case u'"': out += u"\\\""_s; break;
        case u'\\': out += u"\\\\"_s; break;
        case u'\n': out += u"\\n"_s; break;
        case u'\t': out += u"\\t"_s; break;
        case u'\r': out += u"\\r"_s; break;
        default:
            // Escaped like Foundation's other characters, so that the text shows what it holds.
            if (isLayoutControl(c.unicode()))
                out += u"\\U%1"_s.arg(int(c.unicode()), 4, 16, QChar(u'0'));
            else
                out += c;
        }
    }
    out += u'"';
}

void appendIndent(QString& out, int level) { out += QString(4 * level, u' '); }

void appendValue(QString& out, const PropertyValue& value, int level);

void appendDictionary(QString& out, const PropertyDictionary& dict, int level)
{
    out += u"{\n"_s;
    for (const auto& [key, value] : dict) {
        appendIndent(out, level + 1);
        appendString(out, key);
        out += u" = "_s;
        if (value.as<PropertyArray>() || value.as<PropertyDictionary>())
            appendIndent(out, level + 1); // Foundation's quirk: nested collections start indented
        appendValue(out, value, level + 1);
        out += u";\n"_s;
    }
    appendIndent(out, level);
    out += u'}';
}

void appendArray(QString& out, const PropertyArray& array, int level)
{
    out += u"(\n"_s;
    for (std::size_t i = 0; i < array.size(); ++i) {
        appendIndent(out, level + 1);
        appendValue(out, array[i], level + 1);
        out += (i + 1 < array.size()) ? u",\n"_s : u"\n"_s;
    }
    appendIndent(out, level);
    out += u')';
}

void appendValue(QString& out, const PropertyValue& value, int level)
{
    if (level > maxPropertyDepth) {
        out += u"..."_s; // loaders refuse such input; this only keeps a bad backend from blowing the stack
        return;
    }
    std::visit(
        [&](const auto& v) {
            using T = std::decay_t<decltype(v)>;
            if constexpr (std::is_same_v<T, bool>)
                out += v ? u'1' : u'0';
            else if constexpr (std::is_same_v<T, std::int64_t>)
                out += QString::number(v);
            else if constexpr (std::is_same_v<T, double>)
                out += QString::number(v, 'g', 17);
            else if constexpr (std::is_same_v<T, QString>)
                appendString(out, v);
            else if constexpr (std::is_same_v<T, QByteArray>) {
                out += u'<';
                for (qsizetype i = 0; i < v.size(); ++i) {
                    if (i > 0 && i % 4 == 0)
                        out += u' ';
                    out += QString::fromLatin1(v.mid(i, 1).toHex());
                }
                out += u'>';
            } else if constexpr (std::is_same_v<T, QDateTime>)
                out += v.toUTC().toString(u"yyyy-MM-dd HH:mm:ss"_s) + u" +0000"_s;
            else if constexpr (std::is_same_v<T, PropertyArray>)
                appendArray(out, v, level);
            else
                appendDictionary(out, v, level);
        },
        value.storage());
}

} // namespace

PropertyDictionary::PropertyDictionary(std::initializer_list<Entry> entries)
{
    for (const auto& e : entries)
        insert(e.first, e.second);
}

const PropertyValue* PropertyDictionary::find(const QString& key) const
{
    auto it = lowerBound(m_entries, key);
    return (it != m_entries.end() && it->first == key) ? &it->second : nullptr;
}

void PropertyDictionary::insert(QString key, PropertyValue value)
{
    auto it = lowerBound(m_entries, key);
    if (it != m_entries.end() && it->first == key) {
        m_entries[std::size_t(it - m_entries.begin())].second = std::move(value);
        return;
    }
    m_entries.insert(it, Entry{std::move(key), std::move(value)});
}

bool PropertyDictionary::remove(const QString& key)
{
    auto it = lowerBound(m_entries, key);
    if (it == m_entries.end() || it->first != key)
        return false;
    m_entries.erase(it);
    return true;
}

bool operator==(const PropertyDictionary& a, const PropertyDictionary& b) { return a.m_entries == b.m_entries; }

bool PropertyValue::isNumber() const
{
    return as<bool>() || as<std::int64_t>() || as<double>();
}

std::int64_t PropertyValue::integerValue() const
{
    if (auto b = as<bool>())
        return *b ? 1 : 0;
    if (auto i = as<std::int64_t>())
        return *i;
    if (auto d = as<double>()) {
        // Truncation toward zero, saturated; NaN gives 0.
        if (std::isnan(*d))
            return 0;
        if (*d >= 9.2233720368547758e18)
            return INT64_MAX;
        if (*d <= -9.2233720368547758e18)
            return INT64_MIN;
        return static_cast<std::int64_t>(*d);
    }
    return 0;
}

QString textForm(const PropertyDictionary& dictionary)
{
    QString out;
    appendDictionary(out, dictionary, 0);
    return out;
}

QString textForm(const PropertyValue& value)
{
    QString out;
    appendValue(out, value, 0);
    return out;
}

} // namespace kw::probe
