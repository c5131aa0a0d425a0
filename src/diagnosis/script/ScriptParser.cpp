#include "diagnosis/script/Script.h"

#include "model/DiagnosticPhase.h"
#include "model/PortTestStatus.h"

#include <QRegularExpression>
#include <QStringList>

#include <cmath>

namespace kw::diagnosis::script {

using namespace Qt::StringLiterals;

namespace {

struct Problem {
    QString what;
};

int wholeNumber(const QString& word, const QString& what, int min, int max)
{
    bool ok = false;
    const int value = word.toInt(&ok);
    if (!ok || value < min || value > max)
        throw Problem{u"%1 must be a whole number from %2 to %3, not '%4'"_s.arg(what).arg(min).arg(max).arg(word)};
    return value;
}

void expectWords(const QStringList& words, qsizetype min, qsizetype max, const QString& usage)
{
    if (words.size() < min || words.size() > max)
        throw Problem{u"usage: %1"_s.arg(usage)};
}

QString caseNameOf(const QString& kind, const QString& value)
{
    if (kind == u"phase") {
        if (!model::diagnosticPhaseFromCaseName(value))
            throw Problem{u"'%1' is not a phase (intro, controllerScan, controllerFailure, portPreparation, "
                          u"portTesting, evaluating, result)"_s.arg(value)};
    } else if (!model::portTestStatusFromCaseName(value)) {
        throw Problem{u"'%1' is not a status (waitingForDisconnect, ready, waitingForConnection, checking, "
                      u"alreadyTested, wrongPowerSource, timedOut, success)"_s.arg(value)};
    }
    return value;
}

Command parseCommand(const QStringList& words)
{
    const QString& verb = words.first();
    static const QStringList operations{u"start"_s, u"begin"_s, u"retry"_s, u"defective"_s,
                                        u"copy"_s,  u"reset"_s, u"open-repair"_s, u"open-website"_s};
    if (operations.contains(verb)) {
        expectWords(words, 1, 1, verb);
        return ModelOperation{verb};
    }
    if (verb == u"quit") {
        expectWords(words, 1, 1, verb);
        return Quit{};
    }
    if (verb == u"plug") {
        expectWords(words, 2, 3, u"plug N [WATTS] or plug magsafe [WATTS]"_s);
        Plug plug;
        if (words[1] == u"magsafe")
            plug.what = Plug::What::magSafeCharger;
        else
            plug.socket = wholeNumber(words[1], u"the socket"_s, 1, 99);
        if (words.size() == 3)
            plug.watts = wholeNumber(words[2], u"the charger's watts"_s, 1, 500);
        return plug;
    }
    if (verb == u"plug-device") {
        expectWords(words, 2, 2, u"plug-device N"_s);
        return Plug{Plug::What::pdDevice, wholeNumber(words[1], u"the socket"_s, 1, 99), 0};
    }
    if (verb == u"unplug") {
        expectWords(words, 1, 2, u"unplug [N|magsafe]"_s);
        if (words.size() == 1)
            return Unplug{};
        if (words[1] == u"magsafe")
            return Unplug{Unplug::Which::magSafe, 0};
        return Unplug{Unplug::Which::socket, wholeNumber(words[1], u"the socket"_s, 1, 99)};
    }
    if (verb == u"break") {
        expectWords(words, 2, 2, u"break N"_s);
        return Break{wholeNumber(words[1], u"the socket"_s, 1, 99)};
    }
    if (verb == u"weaken") {
        expectWords(words, 2, 2, u"weaken N"_s);
        return Weaken{wholeNumber(words[1], u"the socket"_s, 1, 99)};
    }
    if (verb == u"wait") {
        expectWords(words, 3, 3, u"wait phase NAME or wait status NAME"_s);
        if (words[1] != u"phase" && words[1] != u"status")
            throw Problem{u"usage: wait phase NAME or wait status NAME"_s};
        return Wait{words[1] == u"phase" ? Wait::On::phase : Wait::On::status, caseNameOf(words[1], words[2])};
    }
    if (verb == u"sleep") {
        expectWords(words, 2, 2, u"sleep SECONDS"_s);
        static const QRegularExpression decimal(u"^[0-9]+(\\.[0-9]+)?$"_s);
        const double seconds = words[1].toDouble();
        if (!decimal.match(words[1]).hasMatch() || seconds > 86400)
            throw Problem{u"the seconds must be a decimal number from 0 to 86400, not '%1'"_s.arg(words[1])};
        return Sleep{std::chrono::nanoseconds(std::llround(seconds * 1e9))};
    }
    if (verb == u"expect") {
        expectWords(words, 3, 3, u"expect phase NAME | status NAME | seconds N | results N"_s);
        const QString& what = words[1];
        if (what == u"phase" || what == u"status")
            return Expect{what == u"phase" ? Expect::What::phase : Expect::What::status, caseNameOf(what, words[2]), 0};
        if (what == u"seconds")
            return Expect{Expect::What::seconds, {}, wholeNumber(words[2], u"the seconds"_s, 0, 1000)};
        if (what == u"results")
            return Expect{Expect::What::results, {}, wholeNumber(words[2], u"the number of results"_s, 0, 1000)};
        throw Problem{u"usage: expect phase NAME | status NAME | seconds N | results N"_s};
    }
    throw Problem{u"unknown command '%1'"_s.arg(verb)};
}

} // namespace

ParseResult parseScript(const QString& text)
{
    ParseResult result;
    const QStringList lines = text.split(u'\n');
    for (qsizetype i = 0; i < lines.size(); ++i) {
        QString line = lines[i];
        if (const qsizetype hash = line.indexOf(u'#'); hash >= 0)
            line.truncate(hash);
        const QStringList words = line.simplified().split(u' ', Qt::SkipEmptyParts);
        if (words.isEmpty())
            continue;
        try {
            result.lines.push_back({int(i + 1), words.join(u' '), parseCommand(words)});
        } catch (const Problem& p) {
            return {{}, u"%1: %2"_s.arg(i + 1).arg(p.what)};
        }
    }
    return result;
}

} // namespace kw::diagnosis::script
