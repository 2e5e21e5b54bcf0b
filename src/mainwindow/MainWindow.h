#pragma once

#include "common/ControlIds.h"
#include "common/Worker.h"
#include "download/DownloadJob.h"

#include <QDialog>
#include <QPixmap>
#include <QPoint>

#include <atomic>
#include <memory>
#include <optional>

class QButtonGroup;
class QMenu;
class QSystemTrayIcon;

namespace verdane {

class DownloadDialog;
class WebPanel;
class MapCatalogue;
class PageView;

// The program's only top-level window: a borderless dialog shaped by its
// background image, with the catalogue page, the launch buttons and a tray icon.
class MainWindow : public QDialog {
    Q_OBJECT
public:
    explicit MainWindow(QWidget* parent = nullptr);
    ~MainWindow() override;

    // Initialises the window (as a dialog's initialisation does) and runs it modally.
    int run();
    void initialise();

    // Controls are found by their number (ControlId), which is their objectName.
    template <typename T = QWidget> T* control(int id) const
    {
        return findChild<T*>(controlName(id));
    }
    WebPanel* webPanel(int id) const;

    DownloadDialog* downloadDialog() const { return loadDown_; }
    MapCatalogue& catalogue() { return *catalogue_; }
    PageView& pageView() { return *pageView_; }

    QSystemTrayIcon* trayIcon() const { return tray_; }
    QMenu* trayMenu() const { return trayMenu_; }
    QMenu* windowMenu() const { return windowMenu_; }

    // Set from a download button until its job has ended; read by the buttons.
    bool downloadBusy_ = false;

public Q_SLOTS:
    void onDownloadButton(int row);
    void startDownload();
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
    void createTemplateControls();
    void createTitleButtons();
    void createLaunchAndCategoryButtons();
    void createWebPanels();
    void createPageView();
    void createTrayIcon();
    void createWindowMenu();
    void applyControlColours();
    void applyShape();
    void removeTrayIcon();
    // The page view draws into the back buffer; painting copies it to the screen.
    void resetBackBuffer();
    void onDownloadEnded(const DownloadJob::Entry& entry, bool downloaded);

    std::unique_ptr<MapCatalogue> catalogue_;
    PageView* pageView_ = nullptr;
    QButtonGroup* categoryButtons_ = nullptr;
    DownloadDialog* loadDown_ = nullptr;
    // Read by the download job: the window is going.
    std::atomic<bool> closingDown_{false};
    // The result of a close that waits for the download job to end.
    std::optional<int> pendingClose_;
    QPixmap background_;
    QPixmap backBuffer_;
    QSystemTrayIcon* tray_ = nullptr;
    QMenu* trayMenu_ = nullptr;
    QMenu* windowMenu_ = nullptr;
    QPoint dragOffset_;
    bool draggingByHand_ = false;
    bool initialised_ = false;
    // Last, so that it goes first: nothing the job uses goes before it.
    Worker downloadWorker_{this};
};

} // namespace verdane
