#include "probe/MachineText.h"

#include <QList>
#include <QStringView>

namespace kw::probe {

namespace {

bool reordersText(char32_t c)
{
    return c == 0x061C || c == 0x200E || c == 0x200F || (c >= 0x202A && c <= 0x202E) || (c >= 0x2066 && c <= 0x2069);
}

} // namespace

bool isLayoutControl(char32_t c)
{
    return c < 0x20 || (c >= 0x7F && c <= 0x9F) || c == 0x2028 || c == 0x2029 || reordersText(c);
}

QString cleanMachineText(const QString& text)
{
    QString clean;
    clean.reserve(text.size());
    for (char32_t c : QStringView(text).toUcs4()) {
        if (reordersText(c))
            continue;
        if (isLayoutControl(c))
            clean += u' ';
        else
            clean += QString::fromUcs4(&c, 1);
    }
    return clean;
}

} // namespace kw::probe
