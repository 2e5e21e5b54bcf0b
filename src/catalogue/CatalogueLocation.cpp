#include "catalogue/CatalogueLocation.h"

#include "log/LogCategories.h"
#include "settings/ProgramSettings.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <sys/stat.h>

namespace verdane {

namespace {

QByteArray stampText(const CatalogueLocation::Stamp& stamp)
{
    if (!stamp.exists)
        return "none";
    return QByteArray::number(stamp.device) + ' ' + QByteArray::number(stamp.inode) + ' ' +
           QByteArray::number(stamp.size) + ' ' + QByteArray::number(stamp.modifiedNs);
}

} // namespace

CatalogueLocation::Stamp CatalogueLocation::Stamp::of(const QString& path)
{
    struct stat info {};
    Stamp stamp;
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return stamp;
    stamp.exists = true;
    stamp.device = info.st_dev;
    stamp.inode = info.st_ino;
    stamp.size = info.st_size;
    stamp.modifiedNs = qint64(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec;
    return stamp;
}

QByteArray CatalogueLocation::Record::toText() const
{
    return "version=" + version.toUtf8() + "\nsource=" + source.toUtf8() +
           "\nstamp=" + stampText(sourceStamp) + '\n';
}

std::optional<CatalogueLocation::Record> CatalogueLocation::Record::fromText(const QByteArray& text)
{
    Record record;
    QByteArray stamp;
    for (const QByteArray& line : text.split('\n')) {
        const qsizetype equals = line.indexOf('=');
        const QByteArray key = line.left(equals), value = line.mid(equals + 1);
        if (key == "version")
            record.version = QString::fromUtf8(value);
        else if (key == "source")
            record.source = QString::fromUtf8(value);
        else if (key == "stamp")
            stamp = value;
    }
    const QList<QByteArray> fields = stamp.split(' ');
    if (record.version.isEmpty() || record.source.isEmpty() ||
        (stamp != "none" && fields.size() != 4))
        return std::nullopt;
    if (fields.size() == 4) {
        record.sourceStamp = {true, fields[0].toULongLong(), fields[1].toULongLong(),
                              fields[2].toLongLong(), fields[3].toLongLong()};
    }
    return record;
}

QString CatalogueLocation::userFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
           QStringLiteral("/NaloSoft/Verdane");
}

QString CatalogueLocation::installedLink()
{
    return userFolder() + QStringLiteral("/catalogue");
}

QString CatalogueLocation::workingCatalogue()
{
    return QDir::currentPath() + u'/' + fileName();
}

std::optional<CatalogueLocation::Record> CatalogueLocation::installed(QString* folder)
{
    // Resolved once, so a record and its catalogue are read from the same folder.
    const QString target = QFileInfo(installedLink()).canonicalFilePath();
    if (target.isEmpty())
        return std::nullopt;
    QFile file(target + u'/' + recordName());
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    if (folder != nullptr)
        *folder = target;
    return Record::fromText(file.read(64 * 1024));
}

QString CatalogueLocation::catalogueFile()
{
    QString folder;
    const std::optional<Record> record = installed(&folder);
    const QString working = workingCatalogue();
    if (!record || record->source != working)
        return QStringLiteral(".//") + fileName();
    if (record->sourceStamp == Stamp::of(working) && QFileInfo(folder + u'/' + fileName()).isFile())
        return folder + u'/' + fileName();
    // The installation's catalogue changed under the update: it wins.
    qCInfo(lcCatalogue).noquote()
        << QStringLiteral("%1 changed since update %2 was installed for it: the update is retired")
               .arg(working, record->version);
    QFile::remove(installedLink());
    QDir(folder).removeRecursively();
    ProgramSettings::forgetUserVersion(record->version);
    return QStringLiteral(".//") + fileName();
}

} // namespace verdane
