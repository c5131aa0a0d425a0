#pragma once

#include <QString>

#include <chrono>
#include <variant>
#include <vector>

namespace kw::diagnosis::script {

// One line of a diagnosis script. The grammar is documented in docs/scripts.md.
struct ModelOperation {
    QString name; // start, begin, retry, defective, copy, reset, open-repair, open-website
};
struct Plug {
    enum class What { charger, magSafeCharger, pdDevice } what = What::charger;
    int socket = 0;
    int watts = 96;
};
struct Unplug {
    enum class Which { all, socket, magSafe } which = Which::all;
    int socket = 0;
};
struct Break {
    int socket = 0;
};
// Wears a socket out: a charger there brings 5 V without Power Delivery.
struct Weaken {
    int socket = 0;
};
struct Wait {
    enum class On { phase, status } on = On::phase;
    QString value; // a case name
};
struct Sleep {
    std::chrono::nanoseconds duration{0};
};
struct Expect {
    enum class What { phase, status, seconds, results } what = What::phase;
    QString value;  // for phase and status
    int number = 0; // for seconds and results
};

// Ends the script, and in the window the program, here.
struct Quit {};

using Command = std::variant<ModelOperation, Plug, Unplug, Break, Weaken, Wait, Sleep, Expect, Quit>;

struct Line {
    int number = 0;
    QString text;
    Command command;
};

struct ParseResult {
    std::vector<Line> lines;
    QString error; // "LINE: problem" when the script is refused
};

ParseResult parseScript(const QString& text);

} // namespace kw::diagnosis::script
