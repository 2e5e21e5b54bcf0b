#include "settings/SettingsStore.h"

#include "common/Cp936.h"
#include "log/LogCategories.h"
#include "settings/ProgramSettings.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMutex>
#include <QMutexLocker>
#include <QSettings>
#include <QStringDecoder>
#include <QStringList>
#include <QTemporaryDir>

#include <sys/stat.h>

#include <optional>

namespace verdane {

namespace {

// QSettings objects on different threads share one cached copy of each file
// and write it back on sync; one lock keeps a reader from seeing a write half
// done and two writers from merging over each other.
QMutex& settingsMutex()
{
    static QMutex mutex;
    return mutex;
}

QSettings::Format settingsFormat()
{
    return QSettings::NativeFormat;
}

QString organisation()
{
    return QStringLiteral("NaloSoft");
}

QString application()
{
    return QStringLiteral("Verdane");
}

// "Software\NaloSoft\Verdane\War3" with "ClientPath" becomes "War3/ClientPath";
// the program key's own values stay at the top. Keys outside the program key
// and names that would be read as groups have no place in the file.
std::optional<QString> settingName(const QString& key, const QString& valueName)
{
    static const QStringList program = programKey().split(u'\\');
    QStringList parts = key.split(u'\\', Qt::SkipEmptyParts);
    if (parts.size() < program.size())
        return std::nullopt;
    for (qsizetype i = 0; i < program.size(); ++i) {
        // Key names in the registry never cared about letter case.
        if (parts[i].compare(program[i], Qt::CaseInsensitive) != 0)
            return std::nullopt;
    }
    parts.remove(0, program.size());
    parts.append(valueName);
    for (const QString& part : parts) {
        if (part.isEmpty() || part.contains(u'/') || part.contains(u'\\'))
            return std::nullopt;
    }
    return parts.join(u'/');
}

// Identifies the file a path names: a replacement through a temporary file
// and rename always brings a new inode.
struct FileIdentity {
    bool exists = false;
    dev_t device = 0;
    ino_t inode = 0;

    bool operator==(const FileIdentity&) const = default;
};

FileIdentity identityOf(const QString& path)
{
    struct stat info {};
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return {};
    return {true, info.st_dev, info.st_ino};
}

// The settings this program keeps in the user's file, as QSettings names them.
QStringList programSettingNames()
{
    QStringList names;
    for (const auto& [key, valueName] : ProgramSettings::carriedValues())
        names.append(settingName(key, valueName).value_or(QString()));
    return names;
}

// A free name beside the file: "Verdane.conf.unreadable-20260101-120000".
QString asideName(const QString& file)
{
    const QString stem = file + QStringLiteral(".unreadable-") +
                         QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    QString name = stem;
    for (int n = 2; QFileInfo::exists(name); ++n)
        name = stem + u'-' + QString::number(n);
    return name;
}

// Whether QSettings parses these bytes without a format error. QSettings keeps
// what it parsed of a file for every later object of that file, and only the
// first one reports the error: a copy under a name of its own is parsed afresh.
bool parsesCleanly(const QByteArray& content)
{
    QTemporaryDir folder;
    QFile copy(folder.filePath(QStringLiteral("check.conf")));
    if (!folder.isValid() || !copy.open(QIODevice::WriteOnly) ||
        copy.write(content) != content.size())
        return false;
    copy.close();
    return QSettings(copy.fileName(), settingsFormat()).status() == QSettings::NoError;
}

// Whether QSettings read the file as it is: a settings file is UTF-8 text, and
// QSettings quietly makes keys of whatever else it finds (random bytes, a NUL).
bool readAsWritten(const QSettings& settings, const QString& file)
{
    QFile in(file);
    if (settings.status() != QSettings::NoError || !in.open(QIODevice::ReadOnly))
        return false;
    const QByteArray content = in.readAll();
    QStringDecoder utf8(QStringDecoder::Utf8);
    const QString text = utf8(content);
    return !utf8.hasError() && !text.contains(QChar(u'\0')) && parsesCleanly(content);
}

void openForWriting(QSettings& settings)
{
    // Only the user's own file is written; machine-wide values stay untouched.
    settings.setFallbacksEnabled(false);
    settings.setAtomicSyncRequired(true);
}

} // namespace

QString programKey()
{
    return QStringLiteral("Software\\NaloSoft\\Verdane");
}

QString programSubkey(const QString& subkey)
{
    return programKey() + u'\\' + subkey;
}

QString SettingsStore::readSetting(SettingsRoot root, const QString& key, const QString& valueName)
{
    static_cast<void>(root); // one root only: the file stands for it
    const std::optional<QString> name = settingName(key, valueName);
    if (!name)
        return {};
    QMutexLocker lock(&settingsMutex());
    // A fresh object per read sees what another process wrote meanwhile.
    const QSettings settings(settingsFormat(), QSettings::UserScope, organisation(), application());
    const QVariant value = settings.value(*name);
    if (value.typeId() != QMetaType::QString)
        return {};
    QString text = value.toString();
    if (!wouldReadBack(text))
        return {};
    return text;
}

bool SettingsStore::wouldReadBack(const QString& text)
{
    return cp936Length(text) <= MaxValueBytes;
}

bool SettingsStore::writeSetting(SettingsRoot root, const QString& key, const QString& valueName,
                                 const QString& text)
{
    static_cast<void>(root);
    keptFile_.clear();
    const std::optional<QString> name = settingName(key, valueName);
    if (!name || !wouldReadBack(text))
        return false;
    QMutexLocker lock(&settingsMutex());
    std::optional<QSettings> opened(std::in_place, settingsFormat(), QSettings::UserScope,
                                    organisation(), application());
    openForWriting(*opened);
    const QString file = opened->fileName();
    QDir().mkpath(QFileInfo(file).absolutePath());

    // QSettings would write what it made of an unreadable file back over it:
    // keep the file aside and start a clean one with the settings that did read.
    QString aside;
    if (QFileInfo(file).isFile() && !readAsWritten(*opened, file)) {
        QList<std::pair<QString, QString>> carried;
        for (const QString& known : programSettingNames()) {
            const QVariant value = opened->value(known);
            if (value.typeId() == QMetaType::QString && wouldReadBack(value.toString()))
                carried.append({known, value.toString()});
        }
        aside = asideName(file);
        if (!QFile::rename(file, aside))
            return false;
        // A new object reads the file again, now that there is none.
        opened.emplace(settingsFormat(), QSettings::UserScope, organisation(), application());
        openForWriting(*opened);
        for (const auto& [known, value] : carried)
            opened->setValue(known, value);
    }
    QSettings& settings = *opened;

    const FileIdentity before = identityOf(file);
    const bool hadValue = settings.contains(*name);
    const QVariant oldValue = settings.value(*name);
    settings.setValue(*name, text);
    settings.sync();

    // QSettings keeps a format error of the old file as its status and then
    // hides a failed write behind it, so the file itself must show the write.
    const FileIdentity after = identityOf(file);
    const bool stored =
        settings.status() != QSettings::AccessError && after.exists && after != before;
    if (!stored) {
        qCWarning(lcSettings).noquote() << QStringLiteral("cannot store %1 in %2").arg(*name, file);
        // QSettings caches the file per process and would hand the unstored
        // value to the next reader (and write it later); put the old one back.
        if (hadValue)
            settings.setValue(*name, oldValue);
        else
            settings.remove(*name);
        if (!aside.isEmpty())
            QFile::rename(aside, file);
        return false;
    }
    keptFile_ = aside;
    return true;
}

} // namespace verdane
