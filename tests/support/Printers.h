#pragma once

// Readable failure messages for Qt types; every test includes this through the build.

#include <QByteArray>
#include <QString>
#include <QStringList>

#include "model/DiagnosticPhase.h"
#include "model/PortTestStatus.h"

#include <optional>
#include <ostream>

inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }
inline void PrintTo(const QByteArray& b, std::ostream* os) { *os << "bytes \"" << b.toHex(' ').toStdString() << '"'; }
inline void PrintTo(const QStringList& l, std::ostream* os)
{
    *os << '[';
    for (qsizetype i = 0; i < l.size(); ++i)
        *os << (i ? ", \"" : "\"") << l[i].toStdString() << '"';
    *os << ']';
}

namespace kw::model {
inline void PrintTo(DiagnosticPhase p, std::ostream* os) { *os << caseName(p).toStdString(); }
inline void PrintTo(PortTestStatus s, std::ostream* os) { *os << caseName(s).toStdString(); }
} // namespace kw::model
