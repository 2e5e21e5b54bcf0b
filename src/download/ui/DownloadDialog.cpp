#include "download/ui/DownloadDialog.h"

#include "common/ContentServer.h"
#include "common/ControlIds.h"
#include "common/Prompt.h"
#include "common/Shell.h"
#include "download/HttpDownload.h"
#include "widgets/Bitmaps.h"
#include "widgets/ClickLabel.h"
#include "widgets/DialogUnits.h"
#include "widgets/SkinProgressBar.h"

#include <QCloseEvent>
#include <QLabel>
#include <QMetaObject>

namespace verdane {

DownloadDialog::DownloadDialog(QWidget* parent)
    : QDialog(parent,
              Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::CustomizeWindowHint)
    , progress_(new SkinProgressBar(this))
{
    setObjectName(controlName(ControlId::DownloadTemplate));
    setWindowTitle(QStringLiteral("资源下载"));
    setFixedSize(dluRect8pt(0, 0, 304, 89).size());

    progress_->setObjectName(controlName(ControlId::Progress));
    progress_->setGeometry(dluRect8pt(20, 9, 267, 24));
    progress_->setRange(0, progress_->contentsRect().width());
    progress_->setPos(0);

    auto* status = new QLabel(this);
    status->setObjectName(controlName(ControlId::Status));
    status->setGeometry(dluRect8pt(25, 39, 124, 19));

    auto* warning = new QLabel(QStringLiteral("未下载完成请勿关闭窗口"), this);
    warning->setObjectName(controlName(ControlId::Warning));
    warning->setGeometry(dluRect8pt(191, 60, 106, 10));
    QPalette red = warning->palette();
    red.setColor(QPalette::WindowText, QColor(255, 0, 0));
    warning->setPalette(red);

    auto* link = new ClickLabel(QStringLiteral("NaloZarn专区：") + gameSectionAddress(), this);
    link->setObjectName(controlName(ControlId::SectionLink));
    link->setGeometry(dluRect8pt(174, 74, 123, 8));
    link->setCursor(linkCursor());
    connect(link, &ClickLabel::clicked, this, [] { shell().openWebPage(gameSectionAddress()); });
}

int DownloadDialog::downloadFile(const QString& url, const QString& localPath,
                                 const QByteArray& sha256, const std::atomic<bool>* cancel)
{
    // Runs on the download worker; the bar moves through queued calls so the
    // transfer never waits for the screen.
    DownloadLimits limits;
    limits.cancel = cancel;
    HttpDownload download(
        [this](int percent) {
            QMetaObject::invokeMethod(
                this, [this, percent] { showProgress(percent); }, Qt::QueuedConnection);
        },
        limits);
    const int result = download.downloadFile(url, localPath, sha256);
    const bool cancelled = cancel != nullptr && cancel->load();
    if (result != 0 && !cancelled && !download.failureMessage().isEmpty())
        showNotice(download.failureMessage(), this);
    return result;
}

void DownloadDialog::showProgress(int percent)
{
    findChild<QLabel*>(controlName(ControlId::Status))->setText(downloadStatusText(percent));
    progress_->setPos(progressBarPosition(percent));
}

void DownloadDialog::showCentred()
{
    if (parentWidget() != nullptr) {
        const QRect owner = parentWidget()->frameGeometry();
        move(owner.center() - QPoint(width() / 2, height() / 2));
    }
    show();
    raise();
}

void DownloadDialog::reject()
{
    // The job hides the dialog when it is done; the user cannot.
}

void DownloadDialog::closeEvent(QCloseEvent* event)
{
    event->ignore();
}

} // namespace verdane
