#pragma once

#include <QString>

namespace verdane {

// The local file name of a download link: its lastLinkPiece, as it stands, not
// decoded. Empty when the link gives no name or one that must not be created:
// empty, ".", "..", a leading dot, a backslash, a control character, or more
// than 255 bytes on disk.
QString downloadFileName(const QString& link);

} // namespace verdane
