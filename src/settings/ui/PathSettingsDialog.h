#pragma once

#include "settings/DownloadFolders.h"
#include "settings/LaunchTarget.h"

#include <QDialog>
#include <QFont>
#include <QPen>
#include <QString>
#include <QStringList>

#include <array>
#include <optional>

class QLineEdit;

namespace verdane {

class SkinButton;
class SkinGroupItem;

// "对战平台及游戏设置": the executable path of each launch target and the tools
// download folder. Each control's objectName is its control id ("1056" for the
// executable path box, "1043".."1049" for the items on the left).
//
// The dialog keeps no copy of the stored paths: every opening reloads both
// boxes from the settings, and whether a box holds an unsaved change is
// decided when it matters, by reading the stored value again. Opened without
// a parent window: `PathSettingsDialog dialog; dialog.exec();`. An object may also be
// kept and run again; each opening starts afresh (initialise).
class PathSettingsDialog : public QDialog {
    Q_OBJECT
public:
    explicit PathSettingsDialog(QWidget* parent = nullptr);

    // The roots the search dialog offers instead of the local disks.
    void setSearchRoots(const QStringList& roots);

    // Showing the dialog (exec(), open(), show()) runs initialise first.
    void setVisible(bool visible) override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void initialise();
    void onSelectTarget(int index);
    void onSelectPathItem(int folder);
    void onApply();
    void onConfirm();
    void onBrowseExecutable();
    void onBrowseFolder();
    void onSearch();
    void onUseFoundPath(const QString& path);

    // Index of the selected target, or -1.
    int selectedTarget() const;
    bool toolsSelected() const;
    bool mapsSelected() const;

    QFont textFont_;
    QFont titleFont_;
    QPen framePen_;
    std::array<SkinGroupItem*, LaunchTargetCount> targetItems_{};
    std::array<SkinGroupItem*, DownloadFolderCount> pathItems_{};
    SkinButton* apply_ = nullptr;
    SkinButton* cancel_ = nullptr;
    SkinButton* confirm_ = nullptr;
    SkinButton* browseExecutable_ = nullptr;
    SkinButton* search_ = nullptr;
    SkinButton* browseFolder_ = nullptr;
    QLineEdit* executablePath_ = nullptr;
    QLineEdit* downloadPath_ = nullptr;
    std::optional<QStringList> searchRoots_;
};

} // namespace verdane
