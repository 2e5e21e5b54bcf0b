#include "Publisher.h"

#include "updater/CatalogueFileCheck.h"
#include "updater/UpdateManifest.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <cstdio>
#include <fcntl.h>

namespace verdane::tool {

Publisher::Publisher(QString catalogue, QString version, QString type, QString out)
    : catalogue_(std::move(catalogue))
    , version_(std::move(version))
    , type_(std::move(type))
    , out_(std::move(out))
{
}

bool Publisher::fail(const QString& why)
{
    error_ = why;
    return false;
}

bool Publisher::publish()
{
    if (!UpdateManifest::isVersionName(version_))
        return fail(QStringLiteral("%1: a version is letters, digits, \".\", \"_\", \"+\" and "
                                   "\"-\" only")
                        .arg(version_));
    if (type_.isEmpty() || type_.contains(u'|') ||
        std::any_of(type_.cbegin(), type_.cend(), [](QChar c) { return c.unicode() < 0x20; }))
        return fail(QStringLiteral("%1: a type is not empty and has no \"|\" or control character")
                        .arg(type_));
    if (!QFileInfo(catalogue_).isFile())
        return fail(QStringLiteral("%1: no such file").arg(catalogue_));
    if (const QString problem = catalogueFileProblem(catalogue_); !problem.isEmpty())
        return fail(QStringLiteral("%1 is not a catalogue: %2").arg(catalogue_, problem));

    const QString plexa = out_ + QStringLiteral("/zarn/plexa");
    const QString updates = plexa + QStringLiteral("/update");
    if (!QDir().mkpath(updates))
        return fail(QStringLiteral("%1: cannot create the folder").arg(updates));
    QByteArray pattern = QFile::encodeName(updates + QStringLiteral("/.publishing-XXXXXX"));
    if (::mkdtemp(pattern.data()) == nullptr)
        return fail(QStringLiteral("%1: cannot create a folder").arg(updates));
    const QString staging = QFile::decodeName(pattern);
    if (!writeFolder(staging)) {
        QDir(staging).removeRecursively();
        return false;
    }
    // The version's folder: swapped with an older one in one step where the
    // file system can, else the older one goes aside first.
    const QByteArray target = QFile::encodeName(updates + u'/' + version_);
    const QByteArray from = QFile::encodeName(staging);
    if (::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, target.constData(), RENAME_EXCHANGE) !=
        0) {
        const QByteArray aside = from + ".old";
        const bool hadOld = QFileInfo::exists(QFile::decodeName(target));
        if ((hadOld && ::rename(target.constData(), aside.constData()) != 0) ||
            ::rename(from.constData(), target.constData()) != 0) {
            QDir(staging).removeRecursively();
            return fail(
                QStringLiteral("%1: cannot rename into place").arg(QFile::decodeName(target)));
        }
        QDir(QFile::decodeName(aside)).removeRecursively();
    } else {
        QDir(staging).removeRecursively(); // now the older publication
    }
    QSaveFile versionFile(plexa + QStringLiteral("/ZarnMapVersion.txt"));
    if (!versionFile.open(QIODevice::WriteOnly) ||
        versionFile.write((version_ + u'|' + type_).toUtf8()) < 0 || !versionFile.commit())
        return fail(QStringLiteral("%1: cannot write").arg(versionFile.fileName()));
    return true;
}

bool Publisher::writeFolder(const QString& staging)
{
    UpdateManifest manifest;
    manifest.version = version_;
    manifest.type = type_;
    const QString name = QStringLiteral("ZarnREZ.dat");
    // The copy is what gets hashed: it is what the server will send.
    QFile copy(staging + u'/' + name);
    QCryptographicHash hash(QCryptographicHash::Sha256);
    if (!QFile::copy(catalogue_, copy.fileName()) || !copy.open(QIODevice::ReadOnly) ||
        !hash.addData(&copy))
        return fail(QStringLiteral("%1: cannot copy into %2").arg(catalogue_, staging));
    manifest.files.append({name, copy.size(), hash.result()});
    QFile::setPermissions(staging + u'/' + name, QFile::ReadOwner | QFile::WriteOwner |
                                                     QFile::ReadGroup | QFile::ReadOther);
    QFile::setPermissions(staging, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                       QFile::ReadGroup | QFile::ExeGroup | QFile::ReadOther |
                                       QFile::ExeOther);
    QSaveFile manifestFile(staging + u'/' + UpdateManifest::manifestName());
    if (!manifestFile.open(QIODevice::WriteOnly) || manifestFile.write(manifest.toText()) < 0 ||
        !manifestFile.commit())
        return fail(QStringLiteral("%1: cannot write").arg(manifestFile.fileName()));
    return true;
}

} // namespace verdane::tool
