#include "download/ui/DownloadDialog.h"

#include "common/ContentServer.h"
#include "common/ControlIds.h"
#include "common/Shell.h"
#include "download/HttpDownload.h"
#include "widgets/Bitmaps.h"
#include "widgets/ClickLabel.h"
#include "widgets/DialogUnits.h"
#include "widgets/SkinProgressBar.h"

#include <QCloseEvent>
#include <QLabel>

namespace verdane {

DownloadDialog::DownloadDialog(QWidget* parent)
    : QDialog(parent,
              Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::CustomizeWindowHint)
    , progress_(new SkinProgressBar(this))
    , status_(new QLabel(this))
{
    setObjectName(controlName(ControlId::DownloadTemplate));
    setWindowTitle(QStringLiteral("资源下载"));
    setFixedSize(dluRect8pt(0, 0, 304, 89).size());

    progress_->setObjectName(controlName(ControlId::Progress));
    progress_->setGeometry(dluRect8pt(20, 9, 267, 24));
    progress_->setRange(0, progress_->contentsRect().width());
    progress_->setPos(0);

    status_->setObjectName(controlName(ControlId::Status));
    status_->setGeometry(dluRect8pt(25, 39, 124, 19));

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

void DownloadDialog::showProgress(int percent)
{
    status_->setText(downloadStatusText(percent));
    progress_->setPos(progressBarPosition(percent));
}

void DownloadDialog::showCentred()
{
    if (parentWidget() != nullptr) {
        // The owner's own area: a window manager's frame around a frameless
        // window can read as 1 x 1 pixel at its corner (openbox).
        const QRect owner = parentWidget()->geometry();
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
