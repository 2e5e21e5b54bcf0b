#pragma once

#include <QString>

namespace verdane::tool {

// Prints the rows of a category query on file to stdout in the source's
// format (a header line, then one tab-separated line a row) and returns the
// exit status: 0, or 1 after a database error on stderr.
int listCategory(const QString& file, const QString& query);

} // namespace verdane::tool
