#pragma once

#include "common/Worker.h"
#include "search/DriveScan.h"

#include <QDialog>
#include <QFont>
#include <QPen>
#include <QString>
#include <QStringList>

#include <memory>

class QComboBox;
class QLabel;

namespace verdane {

class SkinButton;

// "搜索游戏程序": looks on the local disks for the executable of one launch
// target. Each widget's objectName is its control id ("1061" for "开始").
//
// The scan runs on a worker thread that shares the scan context with this
// dialog; its reports reach the dialog with queued calls. At a file of the
// name looked for, the walk holds in the scan context until the user has
// answered; a stop ("停止", closing the dialog) releases it. The dialog never
// ends (done(), destruction, a new scan) before its worker has ended; a report
// of an earlier scan still on its way is dropped.
class ProgramSearchDialog : public QDialog {
    Q_OBJECT
public:
    // Offers the local disks (listFixedDrives()).
    explicit ProgramSearchDialog(QWidget* parent = nullptr);
    // Offers these roots instead, each a folder path such as "/" or "/data/".
    explicit ProgramSearchDialog(const QStringList& roots, QWidget* parent = nullptr);
    ~ProgramSearchDialog() override;

    // The file name a scan looks for, such as "War3.exe"; set before the dialog runs.
    void setExecutableName(const QString& name);
    bool isRunning() const { return running_; }
    // A worker thread exists that has not ended yet (a stopped one may still be winding down).
    bool workerActive() const;

    void reject() override; // "退出", Esc and the close box
    void done(int result) override;

Q_SIGNALS:
    // An accepted file, emitted on the user-interface thread; receivers apply
    // the path before they return. The dialog closes afterwards; a receiver
    // must not delete it, deleteLater() is fine.
    void useFoundPath(const QString& path);

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void initialise(const QStringList& roots);
    void onDriveChosen();
    void onStart();
    void onStop();
    // found: the file has the name looked for, and the walk holds until answered.
    void onScanReport(int scan, ScanReport report, const QString& path, bool found);
    void addSorted(const QString& text);
    QStringList everyDrive() const;
    void waitForWorker();

    QFont textFont_;
    QPen framePen_;
    QString exeName_;
    SkinButton* start_ = nullptr;
    SkinButton* stop_ = nullptr;
    SkinButton* exit_ = nullptr;
    QComboBox* drives_ = nullptr;
    QLabel* position_ = nullptr;
    // The roots the next scan walks, in order: every root in box order while
    // "所有本地硬盘" is chosen, else the chosen one alone. Roots are folder paths
    // as the box shows them ("/", "/home/u/.wine/drive_c/").
    QStringList driveList_;
    // Shared with the worker, which keeps it alive for as long as it runs.
    std::shared_ptr<DriveScan> scan_;
    bool running_ = false;
    // Counts the scans started, so that a report of an earlier one is known.
    int scanNumber_ = 0;
    Worker worker_{this};
};

} // namespace verdane
