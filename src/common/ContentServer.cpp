#include "common/ContentServer.h"

namespace verdane {

QString contentServerHost()
{
    return qEnvironmentVariable("VERDANE_CONTENT_SERVER", QStringLiteral(VERDANE_CONTENT_SERVER));
}

QString homePageAddress()
{
    return QStringLiteral("http://") + contentServerHost() + QStringLiteral("/");
}

QString fileServerIndexAddress()
{
    return QStringLiteral("http://") + contentServerHost() + QStringLiteral("/zarn/box/index.html");
}

QString gameSectionAddress()
{
    return QStringLiteral("http://") + contentServerHost() + QStringLiteral("/plexa/plexa.shtml");
}

QString versionFileAddress()
{
    return contentServerHost() + QStringLiteral("/zarn/plexa/ZarnMapVersion.txt");
}

} // namespace verdane
