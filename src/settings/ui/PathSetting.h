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

class CSkinButton;
class CSkinGroupStatic;

// "对战平台及游戏设置": the executable path of each launch target and the tools
// download folder. Each control's objectName is its control id ("1056" for the
// executable path box, "1043".."1049" for the items on the left).
//
// The dialog keeps no copy of the stored paths: every opening reloads both
// boxes from the settings, and whether a box holds an unsaved change is
// decided when it matters, by reading the stored value again. Opened without
// a parent window: `PathSetting dialog; dialog.exec();`. An object may also be
// kept and run again; each opening starts afresh (OnInitDialog).
class PathSetting : public QDialog {
    Q_OBJECT
public:
    explicit PathSetting(QWidget* parent = nullptr);

    // The roots the search dialog offers instead of the local disks.
    void SetSearchRoots(const QStringList& roots);

    // Showing the dialog (exec(), open(), show()) runs OnInitDialog first.
    void setVisible(bool visible) override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void OnInitDialog();
    void OnSelectTarget(int index);
    void OnSelectPathItem(int folder);
    void OnApply();
    void OnConfirm();
    void OnBrowseExecutable();
    void OnBrowseFolder();
    void OnSearch();
    void OnUseFoundPath(const QString& path);

    // Index of the selected target, or -1.
    int SelectedTarget() const;
    bool ToolsSelected() const;
    bool MapsSelected() const;

    QFont textFont_;
    QFont titleFont_;
    QPen framePen_;
    std::array<CSkinGroupStatic*, LaunchTargetCount> targetItems_{};
    std::array<CSkinGroupStatic*, DownloadFolderCount> pathItems_{};
    CSkinButton* apply_ = nullptr;
    CSkinButton* cancel_ = nullptr;
    CSkinButton* confirm_ = nullptr;
    CSkinButton* browseExecutable_ = nullptr;
    CSkinButton* search_ = nullptr;
    CSkinButton* browseFolder_ = nullptr;
    QLineEdit* executablePath_ = nullptr;
    QLineEdit* downloadPath_ = nullptr;
    std::optional<QStringList> searchRoots_;
};

} // namespace verdane
