#include "download/DownloadJob.h"

#include "catalogue/MapCatalogue.h"
#include "common/Prompt.h"
#include "download/DownloadFileName.h"
#include "download/HttpDownload.h"
#include "download/Sha256.h"
#include "log/LogCategories.h"

#include <QDir>

namespace verdane {

namespace {

// Why a link gives no local path, for the log.
QString refusal(const QString& link)
{
    const QString cause =
        downloadFileName(link).isEmpty()
            ? QStringLiteral("unusable file name \"%1\"").arg(link.section(u'/', -1))
            : QStringLiteral("no download folder set");
    return QStringLiteral("download of %1 refused: %2").arg(addressForLog(link), cause);
}

} // namespace

DownloadJob::DownloadJob(QObject* owner, Entry entry, const std::atomic<bool>& cancel)
    : owner_(owner)
    , entry_(std::move(entry))
    , cancel_(cancel)
{
}

QString DownloadJob::localPath() const
{
    const QString name = downloadFileName(entry_.downLink);
    const QString folder = MapCatalogue::downloadFolder(entry_.category);
    if (name.isEmpty() || folder.isEmpty())
        return {};
    // Only the last level is made: a missing game folder fails the download.
    QDir().mkdir(folder);
    return folder + QLatin1Char('/') + name;
}

bool DownloadJob::run(const Screen& screen) const
{
    const QString path = localPath();
    if (path.isEmpty()) {
        qCWarning(lcDownload).noquote() << refusal(entry_.downLink);
        showNotice(QStringLiteral("下载失败!"), owner_);
        return false;
    }
    // A digest that cannot be read could not prove anything: no download.
    const QByteArray sha256 = Sha256::fromHex(entry_.sha256.trimmed());
    if (sha256.isEmpty() && !entry_.sha256.trimmed().isEmpty()) {
        showNotice(
            QStringLiteral("目录中这一项的 SHA-256 校验值（Down_Sha256）不是 64 位十六进制数，"
                           "无法核对下载的文件，请更新目录后再下载。"),
            owner_);
        return false;
    }
    if (!confirmNotice(path, owner_) || !screen.showDialog())
        return false;
    const bool downloaded = screen.downloadFile(entry_.downLink, path, sha256, &cancel_) == 0;
    if (cancel_)
        return false;
    showNotice(downloaded ? QStringLiteral("下载成功!") : QStringLiteral("下载失败!"), owner_);
    return downloaded;
}

} // namespace verdane
