#include "catalogue/MapRecord.h"

#include "common/LastLinkPiece.h"

namespace verdane {

QStringView MapRecord::fileName() const
{
    return LastLinkPiece(Down_Link);
}

} // namespace verdane
