#pragma once

#include <QByteArray>
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

// How deep a value nests: 0 for a plain value, 1 more than its deepest member for an array or object.
int jsonNestingDepth(const QJsonValue& value);

} // namespace kw::probe
