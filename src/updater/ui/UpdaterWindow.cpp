#include "updater/ui/UpdaterWindow.h"

#include "common/Prompt.h"
#include "widgets/DialogUnits.h"
#include "widgets/SkinProgressBar.h"

#include <QCoreApplication>
#include <QDir>
#include <QLabel>
#include <QMetaObject>
#include <QProcess>
#include <QPushButton>

namespace verdane {

UpdaterWindow::UpdaterWindow(QWidget* parent)
    : QDialog(parent,
              Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::CustomizeWindowHint)
    , fetching_(new QLabel(QStringLiteral("正在连接升级服务器..."), this))
    , status_(new QLabel(this))
    , progress_(new SkinProgressBar(this))
    , cancelButton_(new QPushButton(QStringLiteral("取消"), this))
{
    setWindowTitle(QStringLiteral("Verdane 升级"));
    setFont(dialogFont8pt());
    setFixedSize(dluRect8pt(0, 0, 260, 78).size());
    fetching_->setGeometry(dluRect8pt(12, 8, 236, 10));
    progress_->setGeometry(dluRect8pt(12, 22, 236, 20));
    progress_->setRange(0, 100);
    status_->setGeometry(dluRect8pt(12, 48, 150, 10));
    cancelButton_->setGeometry(dluRect8pt(198, 58, 50, 14));
    connect(cancelButton_, &QPushButton::clicked, this, &UpdaterWindow::reject);
}

UpdaterWindow::~UpdaterWindow()
{
    cancel_ = true;
    worker_.wait();
}

void UpdaterWindow::start()
{
    show();
    worker_.run(
        [this] {
            UpdateInstaller installer(
                [this](const QString& file, int percent) {
                    QMetaObject::invokeMethod(
                        this, [this, file, percent] { showProgress(file, percent); },
                        Qt::QueuedConnection);
                },
                &cancel_);
            return installer.run();
        },
        [this](const UpdateResult& result) { finish(result); });
}

void UpdaterWindow::reject()
{
    if (!worker_.isActive())
        return QDialog::reject();
    cancel_ = true;
    cancelButton_->setEnabled(false);
    status_->setText(QStringLiteral("正在取消..."));
}

void UpdaterWindow::showProgress(const QString& file, int percent)
{
    fetching_->setText(QStringLiteral("正在获取：") + file);
    status_->setText(QStringLiteral("已完成%1%").arg(percent));
    progress_->setPos(percent);
}

void UpdaterWindow::finish(const UpdateResult& result)
{
    result_ = result;
    status_->setText(result.message);
    // A cancel needs no box: the user asked for it.
    if (result.outcome != UpdateResult::Installed && !cancel_)
        showNotice(result.message, this);
    // The other updater starts Verdane when it is done.
    if (result.outcome != UpdateResult::Busy)
        QProcess::startDetached(QCoreApplication::applicationDirPath() + QStringLiteral("/verdane"),
                                {}, QDir::currentPath());
    accept();
}

} // namespace verdane
