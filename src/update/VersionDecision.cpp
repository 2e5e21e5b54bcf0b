#include "update/VersionDecision.h"

#include "common/Cp936.h"
#include "common/SplitText.h"

#include <QStringList>

namespace verdane {

VersionDecision compareVersionText(const QString& installed, const QByteArray& fetched)
{
    QStringList fields;
    splitText(decodeCp936(fetched), u'|', fields);
    VersionDecision decision;
    if (fields.isEmpty())
        return decision;
    decision.hasVersion = true;
    decision.version = fields.at(0);
    decision.upToDate = decision.version == installed;
    if (fields.size() > 1) {
        decision.hasUpdateType = true;
        decision.updateType = fields.at(1);
    }
    return decision;
}

} // namespace verdane
