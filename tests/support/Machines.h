#pragma once

// Simulated Macs as the tests build them: from the catalogue, or from a real capture in tests/data,
// imported as the import-ioreg command does.
#include "probe/backends/simulated/IoregImport.h"
#include "probe/backends/simulated/MachineCatalogue.h"
#include "probe/backends/simulated/SimulatedMac.h"

#include <QFile>
#include <QJsonDocument>

#include <gtest/gtest.h>

namespace kw::test {

inline QByteArray sourceFile(const QString& relative)
{
    QFile file(QStringLiteral(KW_SOURCE_DIR) + u'/' + relative);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << relative.toStdString();
    return file.readAll();
}

inline std::shared_ptr<probe::SimulatedMac> catalogueMac(const QString& name)
{
    auto loaded = probe::loadMachine(name);
    EXPECT_TRUE(loaded.machine) << loaded.error.toStdString();
    return probe::SimulatedMac::create(std::move(*loaded.machine), QStringLiteral(KW_PROFILER_HELPER));
}

// A capture's dump and hardware overview, both named relative to tests/data, as a machine file.
inline QJsonObject importedCapture(const QString& dump, const std::optional<QString>& hardware)
{
    std::optional<probe::IoregInput> hw;
    if (hardware)
        hw = probe::IoregInput{*hardware, sourceFile(QStringLiteral("tests/data/") + *hardware)};
    const auto imported = probe::importIoreg({dump, sourceFile(QStringLiteral("tests/data/") + dump)}, hw, std::nullopt);
    EXPECT_TRUE(imported.machine) << imported.error.toStdString();
    return imported.machine.value_or(QJsonObject());
}

inline std::shared_ptr<probe::SimulatedMac> macFrom(const QJsonObject& machine)
{
    auto loaded = probe::parseMachineFile(QJsonDocument(machine).toJson(), QStringLiteral("import"));
    EXPECT_TRUE(loaded.machine) << loaded.error.toStdString();
    return probe::SimulatedMac::create(std::move(*loaded.machine), QStringLiteral(KW_PROFILER_HELPER));
}

} // namespace kw::test
