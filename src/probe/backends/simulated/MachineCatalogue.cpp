#include "probe/backends/simulated/MachineCatalogue.h"

#include <QDir>
#include <QFileInfo>

namespace kw::probe {

using namespace Qt::StringLiterals;

namespace {
const QString cataloguePrefix = u":/machines/"_s;
}

QStringList catalogueMachineNames()
{
    QStringList names;
    for (const QString& file : QDir(cataloguePrefix).entryList({u"*.json"_s}, QDir::Files, QDir::Name))
        names << QFileInfo(file).completeBaseName();
    return names;
}

MachineLoadResult loadMachine(const QString& pathOrName)
{
    // A built-in name always means the built-in machine, whatever lies in the working folder; a file
    // of that name is given with its folder (./NAME).
    const QString resource = cataloguePrefix + pathOrName + u".json"_s;
    if (!pathOrName.isEmpty() && !pathOrName.contains(u'/') && QFileInfo::exists(resource)) {
        MachineLoadResult result = loadMachineFile(resource);
        if (!result.machine)
            result.error.replace(resource, u"catalogue machine "_s + pathOrName);
        return result;
    }
    if (QFileInfo::exists(pathOrName) || pathOrName.contains(u'/'))
        return loadMachineFile(pathOrName);
    return {std::nullopt, u"%1: no such machine file, and no catalogue machine of that name (known: %2)"_s.arg(
                              pathOrName, catalogueMachineNames().join(u", "_s))};
}

} // namespace kw::probe
