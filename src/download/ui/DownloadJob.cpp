#include "download/ui/DownloadJob.h"

#include "catalogue/MapCatalogue.h"
#include "catalogue/ui/PageView.h"
#include "common/Prompt.h"
#include "download/DownloadFileName.h"
#include "download/HttpDownload.h"
#include "download/Sha256.h"
#include "download/ui/CLoadDown.h"
#include "log/LogCategories.h"
#include "ui/CVerdaneDlg.h"

#include <QDir>
#include <QMetaObject>

namespace verdane {

namespace {

// Why a link gives no local path, for the log.
QString refusal(const QString& link)
{
    const QString cause =
        DownloadFileName(link).isEmpty()
            ? QStringLiteral("unusable file name \"%1\"").arg(link.section(u'/', -1))
            : QStringLiteral("no download folder set");
    return QStringLiteral("download of %1 refused: %2").arg(AddressForLog(link), cause);
}

} // namespace

DownloadJob::DownloadJob(CVerdaneDlg& mainWindow, CLoadDown& dialog, Entry entry,
                         std::atomic<bool>& busy, const std::atomic<bool>& cancel)
    : mainWindow_(&mainWindow)
    , dialog_(&dialog)
    , entry_(std::move(entry))
    , busy_(busy)
    , cancel_(cancel)
{
}

QString DownloadJob::localPath() const
{
    const QString name = DownloadFileName(entry_.downLink);
    const QString folder = MapCatalogue::downloadFolder(entry_.category);
    if (name.isEmpty() || folder.isEmpty())
        return {};
    // Only the last level is made: a missing game folder fails the download.
    QDir().mkdir(folder);
    return folder + QLatin1Char('/') + name;
}

void DownloadJob::run()
{
    const QString path = localPath();
    if (path.isEmpty()) {
        qCWarning(lcDownload).noquote() << refusal(entry_.downLink);
        showNotice(QStringLiteral("下载失败!"), mainWindow_);
        busy_ = false;
        return;
    }
    // A digest that cannot be read could not prove anything: no download.
    const QByteArray sha256 = Sha256::FromHex(entry_.sha256.trimmed());
    if (sha256.isEmpty() && !entry_.sha256.trimmed().isEmpty()) {
        showNotice(
            QStringLiteral("目录中这一项的 SHA-256 校验值（Down_Sha256）不是 64 位十六进制数，"
                           "无法核对下载的文件，请更新目录后再下载。"),
            mainWindow_);
        busy_ = false;
        return;
    }
    if (!confirmNotice(path, mainWindow_)) {
        busy_ = false;
        return;
    }
    QMetaObject::invokeMethod(dialog_, "showCentred", Qt::BlockingQueuedConnection);
    const bool downloaded = dialog_->DownloadFile(entry_.downLink, path, sha256, &cancel_) == 0;
    if (!cancel_)
        finish(downloaded);
    busy_ = false;
}

void DownloadJob::finish(bool downloaded)
{
    showNotice(downloaded ? QStringLiteral("下载成功!") : QStringLiteral("下载失败!"), mainWindow_);
    QMetaObject::invokeMethod(dialog_, "hide", Qt::BlockingQueuedConnection);
    if (!downloaded)
        return;
    // The main window marks the entry while this worker waits.
    QMetaObject::invokeMethod(
        mainWindow_,
        [this] {
            mainWindow_->pageView().OnDownloadDone(entry_.category, entry_.index, entry_.downLink);
        },
        Qt::BlockingQueuedConnection);
}

} // namespace verdane
