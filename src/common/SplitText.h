#pragma once

#include <QChar>
#include <QString>
#include <QStringList>

namespace verdane {

// Appends the pieces of the text between separators to the list (which is
// not cleared). Inner empty pieces are kept; an empty last piece is dropped,
// so "a|" gives a, "|b" gives "" and b, and the empty text gives nothing.
void splitText(const QString& text, QChar separator, QStringList& list);

} // namespace verdane
