#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>

#include <cstdint>
#include <utility>
#include <variant>
#include <vector>

namespace kw::probe {

class PropertyValue;
using PropertyArray = std::vector<PropertyValue>;

// A registry property dictionary: string keys, kept sorted so that lookups are cheap and
// iteration is deterministic (the text form lists keys sorted anyway).
class PropertyDictionary {
public:
    using Entry = std::pair<QString, PropertyValue>;

    PropertyDictionary() = default;
    PropertyDictionary(std::initializer_list<Entry> entries);

    const PropertyValue* find(const QString& key) const;
    void insert(QString key, PropertyValue value); // replaces an existing entry
    bool remove(const QString& key);

    // Defined below, once PropertyValue is complete.
    std::size_t size() const;
    bool empty() const;
    std::vector<Entry>::const_iterator begin() const;
    std::vector<Entry>::const_iterator end() const;

    friend bool operator==(const PropertyDictionary&, const PropertyDictionary&);

private:
    std::vector<Entry> m_entries;
};

// One typed registry value, as the I/O registry publishes them.
class PropertyValue {
public:
    using Storage = std::variant<bool, std::int64_t, double, QString, QByteArray, QDateTime, PropertyArray,
                                 PropertyDictionary>;

    PropertyValue() : m_storage(false) {}
    PropertyValue(bool b) : m_storage(b) {}
    PropertyValue(int i) : m_storage(std::int64_t{i}) {}
    PropertyValue(std::int64_t i) : m_storage(i) {}
    PropertyValue(double d) : m_storage(d) {}
    PropertyValue(QString s) : m_storage(std::move(s)) {}
    PropertyValue(const char16_t* s) : m_storage(QString::fromUtf16(s)) {}
    PropertyValue(QByteArray data) : m_storage(std::move(data)) {}
    PropertyValue(QDateTime date) : m_storage(std::move(date)) {}
    PropertyValue(PropertyArray array) : m_storage(std::move(array)) {}
    PropertyValue(PropertyDictionary dict) : m_storage(std::move(dict)) {}

    const Storage& storage() const { return m_storage; }

    template <typename T>
    const T* as() const { return std::get_if<T>(&m_storage); }

    bool isNumber() const; // booleans count as numbers, as they do in Foundation
    std::int64_t integerValue() const; // for numbers; 0 otherwise

    friend bool operator==(const PropertyValue&, const PropertyValue&) = default;

private:
    Storage m_storage;
};

inline std::size_t PropertyDictionary::size() const { return m_entries.size(); }
inline bool PropertyDictionary::empty() const { return m_entries.empty(); }
inline std::vector<PropertyDictionary::Entry>::const_iterator PropertyDictionary::begin() const { return m_entries.begin(); }
inline std::vector<PropertyDictionary::Entry>::const_iterator PropertyDictionary::end() const { return m_entries.end(); }

// The old-style property-list text of a value: dictionaries in braces with "key = value;" lines and
// keys sorted, arrays in parentheses, strings quoted only where needed, booleans as 1 and 0, data as
// hex bytes in angle brackets, nested collections indented by four spaces per level.
QString textForm(const PropertyDictionary& dictionary);
QString textForm(const PropertyValue& value);

// Nesting beyond this is refused by every loader and never descended into by the algorithms.
inline constexpr int maxPropertyDepth = 64;

} // namespace kw::probe
