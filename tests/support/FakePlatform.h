#pragma once

// Hand-built stand-ins for the platform, for tests that need failures a machine file cannot express.

#include "probe/Platform.h"

#include <map>
#include <set>

namespace kw::test {

using probe::ChildExit;
using probe::PropertyDictionary;
using probe::RegistryEntry;

class FakeKernelValues final : public probe::KernelValues {
public:
    std::map<QString, QByteArray> values;
    void setString(const QString& name, const QString& value) { values[name] = value.toUtf8() + QByteArray(1, '\0'); }
    void setInt(const QString& name, std::int32_t value)
    {
        values[name] = QByteArray(reinterpret_cast<const char*>(&value), sizeof value);
    }
    std::optional<QByteArray> read(const QString& name) const override
    {
        auto it = values.find(name);
        return it == values.end() ? std::nullopt : std::optional(it->second);
    }
};

class FakeProcessLauncher final : public probe::ProcessLauncher {
public:
    std::optional<ChildExit> result;
    mutable QString lastPath;
    mutable QStringList lastArguments;
    mutable double lastTimeout = 0;
    std::optional<ChildExit> run(const QString& path, const QStringList& arguments, probe::Seconds timeout) const override
    {
        lastPath = path;
        lastArguments = arguments;
        lastTimeout = timeout.count();
        return result;
    }
    void printsJson(const QByteArray& output) { result = ChildExit{true, 0, output}; }
};

struct FakeEntry {
    std::uint64_t id = 0;
    QStringList classes; // own class first, then superclasses
    std::optional<QString> path;
    std::optional<PropertyDictionary> properties = PropertyDictionary();
    std::vector<std::uint64_t> children;
    bool idReadable = true;
};

// Entries are referred to by their id; a test can make single calls fail.
class FakeRegistry final : public probe::Registry {
public:
    std::vector<FakeEntry> entries; // discovery order
    std::set<QString> failingMatches;
    bool descendantsFail = false;

    FakeEntry& add(FakeEntry entry)
    {
        entries.push_back(std::move(entry));
        return entries.back();
    }

    std::optional<std::vector<RegistryEntry>> matchingServices(const QString& className) const override
    {
        if (failingMatches.count(className))
            return std::nullopt;
        std::vector<RegistryEntry> found;
        for (const auto& e : entries)
            if (e.classes.contains(className))
                found.push_back({e.id});
        return found;
    }
    std::optional<RegistryEntry> entryWithId(std::uint64_t id) const override
    {
        if (!find({id}))
            return std::nullopt;
        return RegistryEntry{id};
    }
    std::optional<std::uint64_t> entryId(RegistryEntry e) const override
    {
        const FakeEntry* f = find(e);
        return f && f->idReadable ? std::optional(f->id) : std::nullopt;
    }
    std::optional<QString> className(RegistryEntry e) const override
    {
        const FakeEntry* f = find(e);
        return f ? std::optional(f->classes.first()) : std::nullopt;
    }
    std::optional<QString> path(RegistryEntry e) const override
    {
        const FakeEntry* f = find(e);
        return f ? f->path : std::nullopt;
    }
    std::optional<PropertyDictionary> properties(RegistryEntry e) const override
    {
        const FakeEntry* f = find(e);
        return f ? f->properties : std::nullopt;
    }
    std::optional<std::vector<RegistryEntry>> descendants(RegistryEntry e) const override
    {
        const FakeEntry* f = find(e);
        if (!f || descendantsFail)
            return std::nullopt;
        std::vector<RegistryEntry> out;
        for (std::uint64_t child : f->children) {
            out.push_back({child});
            if (auto deeper = descendants({child}))
                out.insert(out.end(), deeper->begin(), deeper->end());
        }
        return out;
    }

private:
    const FakeEntry* find(RegistryEntry e) const
    {
        for (const auto& f : entries)
            if (f.id == e.token)
                return &f;
        return nullptr;
    }
};

class FakePowerSources final : public probe::PowerSources {
public:
    std::optional<QString> type;
    std::optional<PropertyDictionary> adapter;
    std::optional<QString> providingPowerSourceType() const override { return type; }
    std::optional<PropertyDictionary> externalAdapterDetails() const override { return adapter; }
};

} // namespace kw::test
