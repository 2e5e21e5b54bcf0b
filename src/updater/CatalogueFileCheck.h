#pragma once

#include <QString>

namespace verdane {

// Whether a file opens as a catalogue: an SQLite database, read-only, whose
// table ZarnMapDB can be read. Empty when it does, else why not (SQLite's text).
QString catalogueFileProblem(const QString& path);

} // namespace verdane
