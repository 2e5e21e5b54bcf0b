#pragma once

#include <QDialog>

class QLabel;

namespace verdane {

class SkinProgressBar;

// The download dialog "资源下载": a progress bar, the status line, a warning
// and a link. Created hidden with the main window, which shows it for a
// download job, moves it with the job's reports and hides it again. Esc and
// the close box do nothing.
class DownloadDialog : public QDialog {
    Q_OBJECT
public:
    explicit DownloadDialog(QWidget* parent);

    SkinProgressBar* progressBar() const { return progress_; }
    void showProgress(int percent);
    // Shows the dialog centred over its owner window.
    void showCentred();

protected:
    void reject() override;
    void closeEvent(QCloseEvent* event) override;

private:
    SkinProgressBar* progress_;
    QLabel* status_;
};

} // namespace verdane
