#include "probe/MacIdentityDetection.h"

#include "probe/MachineText.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStringDecoder>

#include <cstring>

namespace kw::probe {

using namespace Qt::StringLiterals;

std::optional<QString> readSysctlString(const KernelValues& kernel, const QString& name)
{
    const std::optional<QByteArray> bytes = kernel.read(name);
    if (!bytes || bytes->size() < 2)
        return std::nullopt;
    const qsizetype zero = bytes->indexOf('\0');
    return QString::fromUtf8(zero < 0 ? *bytes : bytes->left(zero)); // invalid sequences become U+FFFD
}

std::optional<std::int32_t> readSysctlInt32(const KernelValues& kernel, const QString& name)
{
    const std::optional<QByteArray> bytes = kernel.read(name);
    // A value larger than the 4-byte buffer makes the kernel call fail.
    if (!bytes || bytes->size() > qsizetype(sizeof(std::int32_t)))
        return std::nullopt;
    std::int32_t value = 0;
    std::memcpy(&value, bytes->constData(), std::size_t(bytes->size()));
    return value;
}

std::optional<QString> runProcess(const ProcessLauncher& launcher, const QString& executablePath,
                                  const QStringList& arguments, double timeoutSeconds)
{
    const std::optional<ChildExit> exit = launcher.run(executablePath, arguments, Seconds(timeoutSeconds));
    if (!exit || !exit->exitedNormally || exit->status != 0)
        return std::nullopt;
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = decoder.decode(exit->standardOutput);
    if (decoder.hasError())
        return std::nullopt;
    return text;
}

void applyHardwareOverview(const QString& output, model::MacIdentity& identity)
{
    const QJsonDocument doc = QJsonDocument::fromJson(output.toUtf8());
    if (!doc.isObject() || doc.object().isEmpty())
        return;
    const QJsonValue records = doc.object().value(u"SPHardwareDataType");
    if (!records.isArray())
        return;
    const QJsonArray array = records.toArray();
    // Every element must be a dictionary, as the tool's own schema promises.
    for (const QJsonValue& element : array)
        if (!element.isObject())
            return;
    if (array.isEmpty())
        return;
    const QJsonObject record = array.first().toObject();

    auto firstString = [&](QStringView first, QStringView second) -> std::optional<QString> {
        for (QStringView key : {first, second}) {
            const QJsonValue v = record.value(key);
            if (v.isString())
                return v.toString();
        }
        return std::nullopt;
    };
    identity.marketingName = firstString(u"machine_name", u"_name").value_or(QString());
    if (auto chip = firstString(u"chip_type", u"cpu_type"))
        identity.chipName = *chip;
}

model::MacIdentity detectMacIdentity(const Platform& platform, double timeoutSeconds)
{
    model::MacIdentity identity;
    identity.modelIdentifier = readSysctlString(*platform.kernel, u"hw.model"_s).value_or(u"Unbekanntes Mac Modell"_s);
    identity.isAppleSilicon = readSysctlInt32(*platform.kernel, u"hw.optional.arm64"_s) == 1;
    identity.marketingName = QString();
    identity.chipName = identity.isAppleSilicon ? u"Apple Chip"_s : u"Intel"_s;

    if (auto output = runProcess(*platform.processes, u"/usr/sbin/system_profiler"_s,
                                 {u"SPHardwareDataType"_s, u"-json"_s}, timeoutSeconds))
        applyHardwareOverview(*output, identity);
    // Here the machine's words enter the program; from here on they are text to show.
    identity.modelIdentifier = cleanMachineText(identity.modelIdentifier);
    identity.marketingName = cleanMachineText(identity.marketingName);
    identity.chipName = cleanMachineText(identity.chipName);

    identity.isNotebook = identity.marketingName.contains(u"MacBook", Qt::CaseInsensitive)
        || identity.modelIdentifier.startsWith(u"MacBook");
    return identity;
}

} // namespace kw::probe
