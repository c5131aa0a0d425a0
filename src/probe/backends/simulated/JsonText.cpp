#include "probe/backends/simulated/JsonText.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QSet>

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdint>
#include <vector>

namespace kw::probe {

using namespace Qt::StringLiterals;

namespace {

struct Frame {
    bool object = false;
    bool expectingKey = false;
    QSet<QString> keys;
};

int hexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return 0;
}

// Passes the string whose opening quote is at i; i ends after the closing quote.
void skipString(const QByteArray& json, qsizetype& i)
{
    for (++i; i < json.size() && json[i] != '"'; ++i)
        if (json[i] == '\\')
            ++i;
    ++i;
}

// The text of a string whose opening quote is at i; i ends after the closing quote. The JSON is
// known to be valid, so the escapes are too.
QString readString(const QByteArray& json, qsizetype& i)
{
    const qsizetype start = i + 1;
    skipString(json, i);
    const QByteArray raw = json.mid(start, i - 1 - start);
    if (!raw.contains('\\'))
        return QString::fromUtf8(raw);
    QString text;
    QByteArray plain;
    auto flush = [&] {
        text += QString::fromUtf8(plain);
        plain.clear();
    };
    for (qsizetype j = 0; j < raw.size(); ++j) {
        if (raw[j] != '\\') {
            plain += raw[j];
            continue;
        }
        flush();
        if (++j >= raw.size())
            break;
        const char c = raw[j];
        switch (c) {
        case 'b': text += u'\b'; break;
        case 'f': text += u'\f'; break;
        case 'n': text += u'\n'; break;
        case 'r': text += u'\r'; break;
        case 't': text += u'\t'; break;
        case 'u': {
            char16_t unit = 0;
            for (int k = 1; k <= 4 && j + k < raw.size(); ++k)
                unit = char16_t(unit * 16 + hexDigit(raw[j + k]));
            text += QChar(unit);
            j += 4;
            break;
        }
        default: text += QLatin1Char(c); // " \ /
        }
    }
    flush();
    return text;
}

// Reads the number that starts at i; i ends after it. Whether it is written as an integer (no
// fraction, no exponent) that lies outside the signed 64-bit range.
bool integerBeyond64Bits(const QByteArray& json, qsizetype& i)
{
    const qsizetype at = i;
    bool integer = true;
    while (i < json.size() && (std::isdigit(static_cast<unsigned char>(json[i])) || json[i] == '-' || json[i] == '+'
                               || json[i] == '.' || json[i] == 'e' || json[i] == 'E')) {
        if (json[i] == '.' || json[i] == 'e' || json[i] == 'E')
            integer = false;
        ++i;
    }
    std::int64_t value = 0;
    return integer
        && std::from_chars(json.constData() + at, json.constData() + i, value).ec == std::errc::result_out_of_range;
}

} // namespace

QByteArray jsonTextKeepingReals(const QJsonDocument& document)
{
    const QByteArray json = document.toJson(QJsonDocument::Indented);
    QByteArray out;
    out.reserve(json.size());
    qsizetype copied = 0;
    qsizetype i = 0;
    while (i < json.size()) {
        const char c = json[i];
        if (c == '"') {
            skipString(json, i);
        } else if (c == '-' || std::isdigit(static_cast<unsigned char>(c))) {
            // Qt's integers are 64-bit, so a number that does not fit was a real.
            if (integerBeyond64Bits(json, i)) {
                out += json.mid(copied, i - copied) + ".0";
                copied = i;
            }
        } else {
            ++i;
        }
    }
    return out + json.mid(copied);
}

std::optional<JsonTextProblem> strictJsonProblem(const QByteArray& json)
{
    std::vector<Frame> frames;
    qsizetype i = 0;
    while (i < json.size()) {
        const char c = json[i];
        switch (c) {
        case '{':
            frames.push_back({true, true, {}});
            ++i;
            break;
        case '[':
            frames.push_back({false, false, {}});
            ++i;
            break;
        case '}':
        case ']':
            if (!frames.empty())
                frames.pop_back();
            ++i;
            break;
        case ',':
            if (!frames.empty() && frames.back().object)
                frames.back().expectingKey = true;
            ++i;
            break;
        case '"': {
            const qsizetype at = i;
            const QString text = readString(json, i);
            if (!frames.empty() && frames.back().object && frames.back().expectingKey) {
                frames.back().expectingKey = false;
                if (frames.back().keys.contains(text))
                    return JsonTextProblem{at, u"the key \"%1\" appears twice in one object"_s.arg(text)};
                frames.back().keys.insert(text);
            }
            break;
        }
        case '-':
        case '0': case '1': case '2': case '3': case '4': case '5': case '6': case '7': case '8': case '9': {
            const qsizetype at = i;
            if (integerBeyond64Bits(json, i))
                return JsonTextProblem{at, u"%1 does not fit in 64 bits; integers must lie from -9223372036854775808 to "
                                           u"9223372036854775807"_s.arg(QString::fromLatin1(json.mid(at, i - at)))};
            break;
        }
        default:
            ++i; // white space, colons, true, false, null
        }
    }
    return std::nullopt;
}

int jsonNestingDepth(const QJsonValue& value)
{
    int deepest = 0;
    if (value.isArray()) {
        for (const QJsonValue& item : value.toArray())
            deepest = std::max(deepest, jsonNestingDepth(item));
    } else if (value.isObject()) {
        const QJsonObject object = value.toObject();
        for (auto it = object.begin(); it != object.end(); ++it)
            deepest = std::max(deepest, jsonNestingDepth(it.value()));
    } else {
        return 0;
    }
    return deepest + 1;
}

} // namespace kw::probe
