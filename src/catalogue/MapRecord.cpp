#include "catalogue/MapRecord.h"

#include "common/LastLinkPiece.h"

namespace verdane {

QStringView MapRecord::fileName() const
{
    return lastLinkPiece(Down_Link);
}

} // namespace verdane
