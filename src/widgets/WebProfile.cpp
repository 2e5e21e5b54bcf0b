#include "widgets/WebProfile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QWebEngineProfile>
#include <QWebEngineSettings>

namespace verdane {

namespace {

constexpr int CacheBytes = 50 * 1024 * 1024;
constexpr char DataHome[] = "XDG_DATA_HOME";

// The user's data folder as the XDG rules give it, whether the variable is set or not.
QByteArray dataHome()
{
    const QByteArray set = qgetenv(DataHome);
    return set.isEmpty() ? QFile::encodeName(QDir::homePath()) + "/.local/share" : set;
}

} // namespace

void shareOneRenderer()
{
    QByteArray flags = qgetenv("QTWEBENGINE_CHROMIUM_FLAGS");
    if (!flags.contains("--renderer-process-limit"))
        flags.append(flags.isEmpty() ? "" : " ").append("--renderer-process-limit=1");
    qputenv("QTWEBENGINE_CHROMIUM_FLAGS", flags);
    // Spelled out while no thread runs, so that webProfile() later only swaps
    // the value of a variable that exists (the same folder for every reader).
    qputenv(DataHome, dataHome());
}

QWebEngineProfile* webProfile()
{
    static QWebEngineProfile* profile = [] {
        // Everything the engine keeps can be thrown away, so all of it lives in
        // the cache folder. The engine opens its preference file in the data
        // folder the moment the profile is made, before a storage path can be
        // given, so the data folder points into the cache folder meanwhile.
        const QString folder = QStandardPaths::writableLocation(QStandardPaths::CacheLocation);
        const QByteArray userDataHome = dataHome();
        qputenv(DataHome, QFile::encodeName(folder + QStringLiteral("/Storage")));
        auto* made = new QWebEngineProfile(QStringLiteral("Verdane"), QCoreApplication::instance());
        made->setPersistentStoragePath(made->persistentStoragePath());
        qputenv(DataHome, userDataHome);
        made->setCachePath(folder);
        made->setHttpCacheType(QWebEngineProfile::DiskHttpCache);
        made->setHttpCacheMaximumSize(CacheBytes);
        made->setPersistentCookiesPolicy(QWebEngineProfile::NoPersistentCookies);
        // A page that cannot load shows the panel's own placeholder instead.
        made->settings()->setAttribute(QWebEngineSettings::ErrorPageEnabled, false);
        // A page's script opens no window; only a click on a link asks for one.
        made->settings()->setAttribute(QWebEngineSettings::JavascriptCanOpenWindows, false);
        return made;
    }();
    return profile;
}

} // namespace verdane
