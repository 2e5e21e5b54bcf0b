#include "settings/SettingsStore.h"

#include "common/Cp936.h"
#include "log/LogCategories.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QList>
#include <QMutex>
#include <QMutexLocker>
#include <QSettings>
#include <QStringDecoder>
#include <QTemporaryDir>

#include <sys/stat.h>

#include <algorithm>
#include <optional>
#include <utility>

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

// Whether a key names the same value once written back: QSettings makes keys
// of whatever it finds in a broken file, such as stray bytes or control codes.
bool isCleanKey(const QString& key)
{
    return !key.isEmpty() && std::none_of(key.cbegin(), key.cend(), [](QChar c) {
        return c.category() == QChar::Other_Control || c == QChar::ReplacementCharacter;
    });
}

// Every value of a file QSettings could not read as it is that still reads
// back: the user's own, in every group; the machine-wide ones stay where they are.
QList<std::pair<QString, QString>> readableValues(const QSettings& settings)
{
    QList<std::pair<QString, QString>> values;
    for (const QString& key : settings.allKeys()) {
        const QVariant value = settings.value(key);
        if (isCleanKey(key) && value.typeId() == QMetaType::QString &&
            SettingsStore::wouldReadBack(value.toString()))
            values.append({key, value.toString()});
    }
    return values;
}

void openForWriting(QSettings& settings)
{
    // Only the user's own file is written; machine-wide values stay untouched.
    settings.setFallbacksEnabled(false);
    settings.setAtomicSyncRequired(true);
}

} // namespace

QString SettingsStore::value(const QString& key)
{
    QMutexLocker lock(&settingsMutex());
    // A fresh object per read sees what another process wrote meanwhile.
    const QSettings settings(settingsFormat(), QSettings::UserScope, organisation(), application());
    const QVariant value = settings.value(key);
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

SettingsWrite SettingsStore::setValue(const QString& key, const QString& text)
{
    if (!wouldReadBack(text))
        return {};
    QMutexLocker lock(&settingsMutex());
    std::optional<QSettings> opened(std::in_place, settingsFormat(), QSettings::UserScope,
                                    organisation(), application());
    openForWriting(*opened);
    const QString file = opened->fileName();
    QDir().mkpath(QFileInfo(file).absolutePath());

    // QSettings would write what it made of an unreadable file back over it:
    // keep the file aside and start a clean one with the values that did read.
    QString aside;
    if (QFileInfo(file).isFile() && !readAsWritten(*opened, file)) {
        const QList<std::pair<QString, QString>> carried = readableValues(*opened);
        aside = asideName(file);
        if (!QFile::rename(file, aside))
            return {};
        // A new object reads the file again, now that there is none.
        opened.emplace(settingsFormat(), QSettings::UserScope, organisation(), application());
        openForWriting(*opened);
        for (const auto& [known, value] : carried)
            opened->setValue(known, value);
    }
    QSettings& settings = *opened;

    const FileIdentity before = identityOf(file);
    const bool hadValue = settings.contains(key);
    const QVariant oldValue = settings.value(key);
    settings.setValue(key, text);
    settings.sync();

    // QSettings keeps a format error of the old file as its status and then
    // hides a failed write behind it, so the file itself must show the write.
    const FileIdentity after = identityOf(file);
    const bool stored =
        settings.status() != QSettings::AccessError && after.exists && after != before;
    if (!stored) {
        qCWarning(lcSettings).noquote() << QStringLiteral("cannot store %1 in %2").arg(key, file);
        // QSettings caches the file per process and would hand the unstored
        // value to the next reader (and write it later); put the old one back.
        if (hadValue)
            settings.setValue(key, oldValue);
        else
            settings.remove(key);
        if (!aside.isEmpty())
            QFile::rename(aside, file);
        return {};
    }
    if (!aside.isEmpty())
        qCWarning(lcSettings).noquote()
            << QStringLiteral("%1 could not be read: kept as %2, replaced by a clean file")
                   .arg(file, aside);
    return {true, aside};
}

} // namespace verdane
