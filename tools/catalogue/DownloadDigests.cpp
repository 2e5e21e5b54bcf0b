#include "DownloadDigests.h"

#include "download/Sha256.h"

#include <QFile>
#include <QFileInfo>
#include <QUrl>

namespace verdane::tool {

DownloadDigests::DownloadDigests(QString folder, QString server)
    : folder_(std::move(folder))
    , server_(std::move(server))
{
}

QStringList DownloadDigests::fill(QList<CatalogueEntry>& entries) const
{
    QStringList warnings;
    for (CatalogueEntry& entry : entries) {
        const QUrl link(entry.Down_Link);
        const QString host = link.port() < 0
                                 ? link.host()
                                 : QStringLiteral("%1:%2").arg(link.host()).arg(link.port());
        if (host != server_ || (link.scheme() != u"http" && link.scheme() != u"https"))
            continue;
        const QString path = link.path(QUrl::FullyDecoded);
        if (!path.split(u'/').contains(QStringLiteral(".."))) {
            entry.Down_Sha256 = fileDigest(folder_ + path);
            if (!entry.Down_Sha256.isEmpty())
                continue;
        }
        warnings.append(QStringLiteral("%1: warning: no file %2 in %3 for Down_Link; "
                                       "Down_Sha256 left empty")
                            .arg(entry.line)
                            .arg(path, folder_));
    }
    return warnings;
}

QString DownloadDigests::fileDigest(const QString& path)
{
    QFile file(path);
    if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly))
        return {};
    Sha256 hash;
    QByteArray block(1 << 20, Qt::Uninitialized);
    qint64 got = 0;
    while ((got = file.read(block.data(), block.size())) > 0)
        hash.add(block.constData(), got);
    return got < 0 ? QString() : QString::fromLatin1(hash.result().toHex());
}

} // namespace verdane::tool
