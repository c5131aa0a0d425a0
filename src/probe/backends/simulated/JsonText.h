#pragma once

#include <QByteArray>
#include <QJsonDocument>
#include <QJsonValue>
#include <QString>

#include <optional>

namespace kw::probe {

struct JsonTextProblem {
    qsizetype offset = 0; // in bytes from the start of the text
    QString what;
};

// A JSON text that Qt's reader has accepted, read once more for what that reader lets pass silently:
// a key twice in one object (it keeps the last) and integers beyond the signed 64-bit range (it clamps
// or rounds them). The first such problem; none when there is none.
std::optional<JsonTextProblem> strictJsonProblem(const QByteArray& json);

// The document as indented JSON text in which every real stays a real. Qt writes a whole real
// without a fraction (1e20 as 100000000000000000000), which reads back as an integer, and beyond 64
// bits as one that strictJsonProblem refuses; such a number gets ".0".
QByteArray jsonTextKeepingReals(const QJsonDocument& document);

// How deep a value nests: 0 for a plain value, 1 more than its deepest member for an array or object.
int jsonNestingDepth(const QJsonValue& value);

} // namespace kw::probe
