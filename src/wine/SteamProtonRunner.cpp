#include "wine/ManagerFolders.h"
#include "wine/ManagerRunners.h"
#include "wine/WineBuild.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

namespace verdane {

namespace {

// Small text files of Steam and Proton; a larger file is none of theirs.
QStringList textLines(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() > 1024 * 1024)
        return {};
    return QString::fromUtf8(file.readAll()).split(u'\n');
}

// Proton writes into config_info its prefix version, then folders of its own
// build (fonts, libraries): "<Proton folder>/files/share/fonts/".
std::optional<WineRunner> fromConfigInfo(const QString& compatData)
{
    const QStringList lines = textLines(compatData + QLatin1String("/config_info"));
    for (qsizetype i = 1; i < lines.size(); ++i) {
        for (const char* dist : {"/files/", "/dist/"}) {
            const qsizetype at = lines[i].lastIndexOf(QLatin1String(dist));
            if (at <= 0 || !QDir::isAbsolutePath(lines[i]))
                continue;
            if (std::optional<WineRunner> found = wineBuildIn(lines[i].left(at)))
                return found;
        }
    }
    return std::nullopt;
}

// The prefix version a Proton folder's launch script declares.
QString declaredPrefixVersion(const QString& protonFolder)
{
    static const QRegularExpression declaration(
        QStringLiteral(R"re(^CURRENT_PREFIX_VERSION\s*=\s*"([^"]+)"\s*$)re"));
    for (const QString& line : textLines(protonFolder + QLatin1String("/proton"))) {
        const QRegularExpressionMatch match = declaration.match(line);
        if (match.hasMatch())
            return match.captured(1);
    }
    return {};
}

// Where Steam keeps Proton builds: the library of the prefix, then each Steam
// root's library and compatibility tools, then the system's.
QStringList protonFolders(const QString& library, const QString& home)
{
    QStringList parents{library + QLatin1String("/steamapps/common")};
    for (const QString& root : steamRootFolders(home))
        parents << root + QLatin1String("/steamapps/common")
                << root + QLatin1String("/compatibilitytools.d");
    parents << QStringLiteral("/usr/share/steam/compatibilitytools.d");
    QStringList folders;
    for (const QString& parent : parents) {
        const QDir dir(parent);
        for (const QString& name : dir.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name)) {
            const QString real = QFileInfo(dir.filePath(name)).canonicalFilePath();
            if (!real.isEmpty() && !folders.contains(real))
                folders.append(real);
        }
    }
    return folders;
}

} // namespace

std::optional<WineRunner> steamProtonRunner(const QString& prefix, const QString& home)
{
    const QString compatData = QFileInfo(prefix).absolutePath();
    const QDir apps = QFileInfo(compatData).absoluteDir();
    const QDir steamApps = QFileInfo(apps.absolutePath()).absoluteDir();
    if (prefix.isEmpty() || QFileInfo(prefix).fileName() != QLatin1String("pfx") ||
        apps.dirName() != QLatin1String("compatdata") ||
        steamApps.dirName() != QLatin1String("steamapps"))
        return std::nullopt;
    if (std::optional<WineRunner> found = fromConfigInfo(compatData))
        return found;
    const QString version = textLines(compatData + QLatin1String("/version")).value(0).trimmed();
    if (version.isEmpty())
        return std::nullopt;
    const QString library = QFileInfo(steamApps.absolutePath()).absolutePath();
    for (const QString& folder : protonFolders(library, home)) {
        if (declaredPrefixVersion(folder) != version)
            continue;
        if (std::optional<WineRunner> found = wineBuildIn(folder))
            return found;
    }
    return std::nullopt;
}

} // namespace verdane
