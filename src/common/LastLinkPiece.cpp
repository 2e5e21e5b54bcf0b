#include "common/LastLinkPiece.h"

namespace verdane {

QStringView lastLinkPiece(QStringView link)
{
    if (link.endsWith(u'/'))
        link.chop(1);
    const qsizetype slash = link.lastIndexOf(u'/');
    return slash < 0 ? link : link.mid(slash + 1);
}

} // namespace verdane
