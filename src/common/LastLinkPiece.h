#pragma once

#include <QStringView>

namespace verdane {

// The piece of a download link after its last "/": the name its file has on
// disk. A trailing "/" names the folder before it, a link without "/" is taken
// whole, and the empty link, "/" or a link ending in "//" give an empty piece.
// A view into link, not decoded.
QStringView lastLinkPiece(QStringView link);

} // namespace verdane
