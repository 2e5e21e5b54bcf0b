#pragma once

#include "common/ControlIds.h"
#include "common/Worker.h"
#include "download/DownloadJob.h"
#include "update/VersionDecision.h"

#include <QDialog>
#include <QPixmap>
#include <QPoint>

#include <array>
#include <atomic>
#include <memory>

class QButtonGroup;
class QLabel;
class QLineEdit;
class QMenu;
class QSystemTrayIcon;

namespace verdane {

class ClickLabel;
class DownloadDialog;
class MapCatalogue;
class PageView;
class SkinButton;
class WebPanel;

// The program's only top-level window: a borderless dialog shaped by its
// background image, with the catalogue page, the launch buttons and a tray icon.
// Each control carries its number (ControlId) as its objectName.
class MainWindow : public QDialog {
    Q_OBJECT
public:
    explicit MainWindow(QWidget* parent = nullptr);
    ~MainWindow() override;

    // The start-up before the window shows: the update offer, the tray icon,
    // then the first catalogue page (each may show a box). Then exec() runs it.
    void start();

    WebPanel* webPanel(int id) const;

    DownloadDialog* downloadDialog() const { return downloadDialog_; }
    PageView& pageView() { return *pageView_; }

    QSystemTrayIcon* trayIcon() const { return tray_; }
    QMenu* trayMenu() const { return trayMenu_; }
    QMenu* windowMenu() const { return windowMenu_; }

    // From a download button until its job has ended and its result has been shown.
    bool downloadBusy() const { return downloadBusy_; }
    // A download job's thread has not ended yet.
    bool downloadRunning() const { return downloadWorker_.isActive(); }
    // The link's update check has not ended yet.
    bool updateCheckRunning() const { return updateWorker_.isActive(); }

public Q_SLOTS:
    void onDownloadButton(int row);
    void startDownload();
    // The "检查更新" link: fetches on a worker, then offers what it found.
    void checkForUpdate();
    // The path settings dialog, modally (settings button, missing download paths).
    void openPathSettings();
    void showAbout();
    // Shows the folder of the log file (made first if need be).
    void openLogFolder();
    void restoreFromTray();
    void quitFromTray();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void reject() override;
    void done(int result) override;

private:
    struct Row {
        ClickLabel* title = nullptr;
        ClickLabel* explanation = nullptr;
        ClickLabel* link = nullptr;
        ClickLabel* download = nullptr;
        WebPanel* picture = nullptr;
    };

    template <typename Label>
    Label* addLabel(int id, const QRect& rect, const QString& text, const QColor& colour,
                    bool textBackground = true);
    void createLabels();
    void createTitleButtons();
    void createLaunchAndCategoryButtons();
    void createWebPanels();
    void createPageView();
    void createTrayIcon();
    void createWindowMenu();
    void applyShape();
    void removeTrayIcon();
    // The page view draws into the back buffer; painting copies it to the screen.
    void resetBackBuffer();
    // What a fetched version file offers; fromLink: the link's check, which also
    // says when the program is up to date.
    void offerUpdate(const VersionDecision& found, bool fromLink);
    void onDownloadEnded(const DownloadJob& job, const DownloadJob::Result& result);
    // Tells a running download to end and waits for it; nothing of it is shown.
    void abandonDownload();

    std::unique_ptr<MapCatalogue> catalogue_;
    // Read by the download buttons: one job at a time.
    bool downloadBusy_ = false;
    PageView* pageView_ = nullptr;
    QLabel* pageSummary_ = nullptr;
    ClickLabel* previousPage_ = nullptr;
    ClickLabel* nextPage_ = nullptr;
    QLineEdit* pageEdit_ = nullptr;
    std::array<Row, ControlId::RowsPerPage> rows_;
    WebPanel* pagePanel_ = nullptr;
    SkinButton* minimise_ = nullptr;
    QButtonGroup* categoryButtons_ = nullptr;
    // The labels whose text stands on the dark text background.
    QList<QLabel*> textBackgroundLabels_;
    DownloadDialog* downloadDialog_ = nullptr;
    // Read by the download job: end now, the result is not shown.
    std::atomic<bool> abandonDownload_{false};
    bool updateChecking_ = false;
    // An update accepted at start-up: the window closes once it has appeared.
    bool closeOnceShown_ = false;
    QPixmap background_;
    QPixmap backBuffer_;
    QSystemTrayIcon* tray_ = nullptr;
    QMenu* trayMenu_ = nullptr;
    QMenu* windowMenu_ = nullptr;
    QPoint dragOffset_;
    bool draggingByHand_ = false;
    // Last, so that they go first: nothing a job uses goes before it.
    Worker updateWorker_{this};
    Worker downloadWorker_{this};
};

} // namespace verdane
