#pragma once

#include "common/Worker.h"
#include "updater/UpdateInstaller.h"

#include <QDialog>

#include <atomic>

class QLabel;
class QPushButton;

namespace verdane {

class SkinProgressBar;

// The updater's window "Verdane 升级": what is being fetched, a bar over all
// files and "取消". Runs the installer on a worker; when it has ended, says
// why an update was not installed in a box, starts Verdane again in the same
// working folder (unless another updater is at work) and closes.
class UpdaterWindow : public QDialog {
    Q_OBJECT
public:
    explicit UpdaterWindow(QWidget* parent = nullptr);
    ~UpdaterWindow() override;

    void start();
    // How the run ended; Failed until it has.
    UpdateResult::Outcome outcome() const { return result_.outcome; }

protected:
    void reject() override; // Esc and the close box cancel, as "取消" does

private:
    void showProgress(const QString& file, int percent);
    void finish(const UpdateResult& result);

    QLabel* fetching_;
    QLabel* status_;
    SkinProgressBar* progress_;
    QPushButton* cancelButton_;
    std::atomic<bool> cancel_{false};
    UpdateResult result_;
    Worker worker_{this};
};

} // namespace verdane
