#include "widgets/WebProfile.h"

#include <QCoreApplication>
#include <QStandardPaths>
#include <QWebEngineProfile>
#include <QWebEngineSettings>

namespace verdane {

namespace {

constexpr int CacheBytes = 50 * 1024 * 1024;

} // namespace

void shareOneRenderer()
{
    QByteArray flags = qgetenv("QTWEBENGINE_CHROMIUM_FLAGS");
    if (!flags.contains("--renderer-process-limit"))
        flags.append(flags.isEmpty() ? "" : " ").append("--renderer-process-limit=1");
    qputenv("QTWEBENGINE_CHROMIUM_FLAGS", flags);
}

QWebEngineProfile* webProfile()
{
    static QWebEngineProfile* profile = [] {
        // Everything the engine keeps can be thrown away, so all of it lives in the cache folder.
        const QString folder = QStandardPaths::writableLocation(QStandardPaths::CacheLocation);
        auto* made = new QWebEngineProfile(QStringLiteral("Verdane"), QCoreApplication::instance());
        made->setPersistentStoragePath(folder + QStringLiteral("/Storage"));
        made->setCachePath(folder);
        made->setHttpCacheType(QWebEngineProfile::DiskHttpCache);
        made->setHttpCacheMaximumSize(CacheBytes);
        made->setPersistentCookiesPolicy(QWebEngineProfile::NoPersistentCookies);
        // A page that cannot load shows the panel's own placeholder instead.
        made->settings()->setAttribute(QWebEngineSettings::ErrorPageEnabled, false);
        return made;
    }();
    return profile;
}

} // namespace verdane
