#pragma once

#include <QDialog>

#include <atomic>

namespace verdane {

class SkinProgressBar;

// The download dialog "资源下载": a progress bar, the status line, a warning
// and a link. Created hidden with the main window; a download job shows it,
// drives it and hides it again. Esc and the close box do nothing.
class DownloadDialog : public QDialog {
    Q_OBJECT
public:
    explicit DownloadDialog(QWidget* parent);

    // Runs on the download worker: fetches the file, reporting progress to this
    // dialog with queued calls. 0 on success, -1 on failure (its own message,
    // if any, has been shown).
    // With sha256 (32 bytes) the file must have that digest. A set cancel flag
    // abandons the transfer silently; what arrived is kept for the next try.
    int downloadFile(const QString& url, const QString& localPath, const QByteArray& sha256 = {},
                     const std::atomic<bool>* cancel = nullptr);

    SkinProgressBar* progressBar() const { return progress_; }
    void showProgress(int percent);
    void showCentred();

protected:
    void reject() override;
    void closeEvent(QCloseEvent* event) override;

private:
    SkinProgressBar* progress_;
};

} // namespace verdane
