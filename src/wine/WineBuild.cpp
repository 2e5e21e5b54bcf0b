#include "wine/WineBuild.h"

#include <QDir>
#include <QFileInfo>
#include <QStringList>

namespace verdane {

namespace {

// The existing folders among the relative ones, in their order, as one path list.
QString existingFolders(const QString& build, const QStringList& relative)
{
    QStringList found;
    for (const QString& folder : relative) {
        if (QFileInfo(build + u'/' + folder).isDir())
            found.append(build + u'/' + folder);
    }
    return found.join(u':');
}

// The list in front of the value this process has.
QString prepended(const QString& list, const char* variable)
{
    const QString inherited = qEnvironmentVariable(variable);
    return inherited.isEmpty() ? list : list + u':' + inherited;
}

WineRunner runnerOf(const QString& build, bool proton)
{
    WineRunner runner{build + QLatin1String("/bin/wine"), {}};
    // Proton 9 and later keep their libraries by architecture under lib/;
    // older Proton builds and the other managers' builds in lib64/ and lib/.
    const QString libraries = existingFolders(
        build, {QStringLiteral("lib/x86_64-linux-gnu"), QStringLiteral("lib/i386-linux-gnu"),
                QStringLiteral("lib64"), QStringLiteral("lib")});
    if (!libraries.isEmpty())
        runner.environment.insert(QStringLiteral("LD_LIBRARY_PATH"),
                                  prepended(libraries, "LD_LIBRARY_PATH"));
    if (!proton)
        return runner;
    const QString dlls =
        existingFolders(build, {QStringLiteral("lib/vkd3d"), QStringLiteral("lib64/wine"),
                                QStringLiteral("lib/wine")});
    if (!dlls.isEmpty())
        runner.environment.insert(QStringLiteral("WINEDLLPATH"), prepended(dlls, "WINEDLLPATH"));
    if (!libraries.isEmpty() && !qEnvironmentVariableIsSet("ORIG_LD_LIBRARY_PATH"))
        runner.environment.insert(QStringLiteral("ORIG_LD_LIBRARY_PATH"),
                                  qEnvironmentVariable("LD_LIBRARY_PATH"));
    return runner;
}

bool hasWine(const QString& build)
{
    const QFileInfo wine(build + QLatin1String("/bin/wine"));
    return wine.isFile() && wine.isExecutable();
}

} // namespace

std::optional<WineRunner> wineBuildIn(const QString& folder)
{
    const QString clean = QDir::cleanPath(folder);
    if (hasWine(clean))
        return runnerOf(clean, false);
    for (const char* dist : {"/files", "/dist"}) {
        if (hasWine(clean + QLatin1String(dist)))
            return runnerOf(clean + QLatin1String(dist), true);
    }
    return std::nullopt;
}

} // namespace verdane
