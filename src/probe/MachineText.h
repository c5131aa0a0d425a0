#pragma once

#include <QString>

namespace kw::probe {

// Characters that change how text is laid out rather than being text: controls (C0, DEL, C1), line
// and paragraph separators, and the marks, embeddings, overrides and isolates that reorder text.
bool isLayoutControl(char32_t c);

// Text from the machine (its identity, the adapter's name, registry names and types) as the program
// shows it in the report, the window and the terminal: controls and separators become spaces,
// reordering marks are dropped. Nothing else changes. A name could otherwise forge a line of the
// copied report, move the terminal's cursor or show itself reversed.
QString cleanMachineText(const QString& text);

} // namespace kw::probe
