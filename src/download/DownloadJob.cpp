#include "download/DownloadJob.h"

#include "download/DownloadFileName.h"
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

DownloadJob::DownloadJob(Entry entry, QString localPath, QByteArray sha256)
    : entry_(std::move(entry))
    , localPath_(std::move(localPath))
    , sha256_(std::move(sha256))
{
}

std::variant<DownloadJob, QString> DownloadJob::prepare(Entry entry, const QString& folder)
{
    const QString name = downloadFileName(entry.downLink);
    if (name.isEmpty() || folder.isEmpty()) {
        qCWarning(lcDownload).noquote() << refusal(entry.downLink);
        return QStringLiteral("下载失败!");
    }
    QDir().mkdir(folder);
    // A digest that cannot be read could not prove anything: no download.
    QByteArray sha256 = Sha256::fromHex(entry.sha256.trimmed());
    if (sha256.isEmpty() && !entry.sha256.trimmed().isEmpty())
        return QStringLiteral("目录中这一项的 SHA-256 校验值（Down_Sha256）不是 64 位十六进制数，"
                              "无法核对下载的文件，请更新目录后再下载。");
    QString localPath = folder + QLatin1Char('/') + name;
    return DownloadJob(std::move(entry), std::move(localPath), std::move(sha256));
}

DownloadJob::Result DownloadJob::run(const HttpDownload::Progress& progress,
                                     const std::atomic<bool>& cancel) const
{
    DownloadLimits limits;
    limits.cancel = &cancel;
    HttpDownload download(progress, limits);
    Result result;
    result.downloaded = download.downloadFile(entry_.downLink, localPath_, sha256_) == 0;
    if (!result.downloaded)
        result.cause = download.failureMessage();
    return result;
}

} // namespace verdane
