// What one polling cycle, the text form of property dictionaries and the report cost, each beside a
// reference measured in the same run (see docs/performance.md).
#include "diagnosis/DiagnosisReport.h"
#include "model/HardwareReport.h"
#include "model/PortTestResult.h"
#include "probe/PortDiscovery.h"
#include "probe/PortObserver.h"
#include "probe/PowerSnapshotReader.h"
#include "probe/PropertyValue.h"
#include "probe/backends/simulated/MachineCatalogue.h"
#include "probe/backends/simulated/SimulatedMac.h"

#include <benchmark/benchmark.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

using namespace kw;
using namespace Qt::StringLiterals;

namespace {

probe::MachineDescription catalogueMachine(const QString& name)
{
    probe::MachineLoadResult loaded = probe::loadMachine(name);
    if (!loaded.machine)
        qFatal("%s", qPrintable(loaded.error));
    return std::move(*loaded.machine);
}

// The machine's registry with factor - 1 copies of every entry beside it, so the registry is that many
// times larger while the ports stay the same: the copies' port controllers carry another class name.
probe::MachineDescription enlarged(probe::MachineDescription m, int factor)
{
    const QStringList portClasses = probe::portControllerClassNames();
    const std::unordered_map<std::uint64_t, probe::MachineEntry> original = m.entries;
    for (int copy = 1; copy < factor; ++copy) {
        const std::uint64_t offset = std::uint64_t(copy) << 40;
        for (const auto& [id, entry] : original) {
            if (id == m.rootId)
                continue;
            probe::MachineEntry e = entry;
            e.id = id + offset;
            if (portClasses.contains(e.className))
                e.className += u"Copy"_s;
            if (e.parent && *e.parent != m.rootId)
                e.parent = *e.parent + offset;
            for (auto& child : e.children)
                child += offset;
            if (e.parent == m.rootId)
                m.entries.at(m.rootId).children.push_back(e.id);
            m.entries.emplace(e.id, std::move(e));
        }
    }
    return m;
}

struct Probe {
    std::shared_ptr<probe::SimulatedMac> mac;
    probe::Platform platform;
    std::vector<model::PortDescriptor> descriptors;
};

Probe probeOf(probe::MachineDescription machine)
{
    // A charger on the first socket, so that the cycle reads a supplied port as when it sees power.
    auto mac = probe::SimulatedMac::create(std::move(machine), {});
    (void)mac->plugCharger(1, 96);
    probe::Platform platform = mac->platform();
    auto descriptors = probe::discoverPortDescriptors(*platform.registry);
    return {mac, platform, std::move(descriptors)};
}

// One cycle of the port test: the power snapshot, then the observation of every port.
void pollingCycle(benchmark::State& state, const QString& machine, int factor)
{
    const Probe p = probeOf(enlarged(catalogueMachine(machine), factor));
    for (auto _ : state) {
        benchmark::DoNotOptimize(probe::readPowerSnapshot(*p.platform.power));
        benchmark::DoNotOptimize(probe::observePorts(*p.platform.registry, p.descriptors));
    }
    state.counters["ports"] = double(p.descriptors.size());
}

// The reference: fetching the same services and their descendants' properties, and nothing more.
void registryRead(benchmark::State& state, const QString& machine, int factor)
{
    const Probe p = probeOf(enlarged(catalogueMachine(machine), factor));
    const probe::Registry& registry = *p.platform.registry;
    for (auto _ : state) {
        benchmark::DoNotOptimize(p.platform.power->providingPowerSourceType());
        benchmark::DoNotOptimize(p.platform.power->externalAdapterDetails());
        for (const QString& cls : probe::portControllerClassNames())
            benchmark::DoNotOptimize(registry.matchingServices(cls));
        for (const auto& d : p.descriptors) {
            const auto entry = registry.entryWithId(d.id);
            if (!entry)
                continue;
            benchmark::DoNotOptimize(registry.properties(*entry));
            for (const auto child : registry.descendants(*entry).value_or(std::vector<probe::RegistryEntry>{}))
                benchmark::DoNotOptimize(registry.properties(child));
        }
    }
}

// A dictionary shaped like a port controller's, with n entries: strings, numbers, booleans, data and
// nested dictionaries and arrays.
probe::PropertyDictionary largeDictionary(int n)
{
    probe::PropertyDictionary d;
    for (int i = 0; i < n; ++i) {
        const QString key = u"Property %1"_s.arg(i);
        switch (i % 5) {
        case 0: d.insert(key, u"Port-USB-C@%1 (state: sink, partner present)"_s.arg(i)); break;
        case 1: d.insert(key, std::int64_t(i) * 7919); break;
        case 2: d.insert(key, i % 2 == 0); break;
        case 3: d.insert(key, QByteArray(16, char(i))); break;
        case 4: {
            probe::PropertyDictionary inner{{u"PartnerPresent"_s, true}, {u"Watts"_s, std::int64_t(96)}};
            d.insert(key, probe::PropertyArray{probe::PropertyValue(inner), probe::PropertyValue(u"sink"_s)});
            break;
        }
        }
    }
    return d;
}

void textForm(benchmark::State& state)
{
    const probe::PropertyDictionary d = largeDictionary(int(state.range(0)));
    for (auto _ : state)
        benchmark::DoNotOptimize(probe::textForm(d));
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

// The reference: Qt's JSON writer on the same entries, converted beforehand.
void jsonOfSameEntries(benchmark::State& state)
{
    const probe::PropertyDictionary d = largeDictionary(int(state.range(0)));
    QJsonObject json;
    for (const auto& [key, value] : d)
        json.insert(key, probe::textForm(value));
    for (auto _ : state)
        benchmark::DoNotOptimize(QJsonDocument(json).toJson(QJsonDocument::Indented));
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

std::vector<model::PortTestResult> results(int ports)
{
    std::vector<model::PortTestResult> list;
    for (int i = 1; i <= ports; ++i)
        list.push_back(model::PortTestResult::make(i, i % 3 == 0 ? model::PortResultState::failed : model::PortResultState::passed,
                                                   std::nullopt, std::int64_t(96), diagnosis::texts::passedNote(96)));
    return list;
}

void report(benchmark::State& state)
{
    const Probe p = probeOf(catalogueMachine(u"macbookpro18-3"_s));
    model::HardwareReport hardware;
    hardware.identity.modelIdentifier = u"MacBookPro18,3"_s;
    hardware.expectedPortCount = 3;
    hardware.portDescriptors = p.descriptors;
    const auto list = results(3);
    for (auto _ : state)
        benchmark::DoNotOptimize(diagnosis::reportText(hardware, list));
}

// The reference: joining fifteen lines of the same length, the report's bare shape.
void joinedLines(benchmark::State& state)
{
    QStringList lines;
    for (int i = 0; i < 15; ++i)
        lines << QString(48, QChar(u'x'));
    for (auto _ : state)
        benchmark::DoNotOptimize(lines.join(u'\n'));
}

} // namespace

int main(int argc, char** argv)
{
    for (const QString& name : probe::catalogueMachineNames()) {
        benchmark::RegisterBenchmark(("polling cycle/" + name.toStdString()).c_str(), pollingCycle, name, 1);
        benchmark::RegisterBenchmark(("reference: registry read/" + name.toStdString()).c_str(), registryRead, name, 1);
    }
    for (int factor : {10, 100}) {
        const std::string suffix = "/macbookpro18-3 x" + std::to_string(factor);
        benchmark::RegisterBenchmark(("polling cycle" + suffix).c_str(), pollingCycle, u"macbookpro18-3"_s, factor);
        benchmark::RegisterBenchmark(("reference: registry read" + suffix).c_str(), registryRead, u"macbookpro18-3"_s,
                                     factor);
    }
    benchmark::RegisterBenchmark("text form", textForm)->Arg(100)->Arg(10'000);
    benchmark::RegisterBenchmark("reference: JSON of the same entries", jsonOfSameEntries)->Arg(100)->Arg(10'000);
    benchmark::RegisterBenchmark("report text", report);
    benchmark::RegisterBenchmark("reference: joining 15 lines", joinedLines);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 2;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
