#pragma once

#include <QString>

#include <ostream>

namespace verdane::test {

// Runs SQL text on a database file, creating it when missing; fails the test on error.
void runSql(const QString& file, const QString& sql);

// Creates a file (and its folders) with a little content.
void touchFile(const QString& path);

} // namespace verdane::test

// Readable QString values in failure messages.
inline void PrintTo(const QString& text, std::ostream* out)
{
    *out << '"' << text.toStdString() << '"';
}
