#pragma once

#include <QString>

namespace verdane {

// The content server (home page, file server, update server): host with an
// optional port, from the build setting; VERDANE_CONTENT_SERVER in the
// environment overrides it (development and tests).
QString contentServerHost();

QString homePageAddress();
QString fileServerIndexAddress();
QString gameSectionAddress();
// Host followed by the path, no scheme: the form the version check takes.
QString versionFileAddress();

} // namespace verdane
