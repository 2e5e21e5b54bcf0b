#include "catalogue/MapRecord.h"

namespace verdane {

QStringView MapRecord::fileName() const
{
    QStringView link(Down_Link);
    if (link.endsWith(u'/'))
        link.chop(1);
    const qsizetype slash = link.lastIndexOf(u'/');
    return slash < 0 ? link : link.mid(slash + 1);
}

} // namespace verdane
