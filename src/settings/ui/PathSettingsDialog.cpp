#include "settings/ui/PathSettingsDialog.h"

#include "common/ControlIds.h"
#include "common/Prompt.h"
#include "search/FixedDrives.h"
#include "search/ui/ProgramSearchDialog.h"
#include "settings/DownloadFolders.h"
#include "settings/LaunchTarget.h"
#include "settings/ProgramSettings.h"
#include "settings/SettingsNotices.h"
#include "settings/SettingsStore.h"
#include "widgets/Bitmaps.h"
#include "widgets/DialogUnits.h"
#include "widgets/SkinButton.h"
#include "widgets/SkinGroupItem.h"

#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPainter>

namespace verdane {

namespace {

constexpr int MapsItem = static_cast<int>(DownloadFolder::Maps);
constexpr int ToolsItem = static_cast<int>(DownloadFolder::Tools);
// Right edges of the two columns of frames, and the room kept before them.
constexpr int LeftFramesRight = 175;
constexpr int RightFramesRight = 495;
constexpr int TextMargin = 4;

const LaunchTarget& targetAt(int index)
{
    return launchTargets()[static_cast<std::size_t>(index)];
}

// The name the file system gives the file at this path, or empty when there is
// no file there. A folder that ignores letter case answers for war3.exe with
// the name on disk, which is what the name check must see.
QString foundFileName(const QString& path)
{
    const QFileInfo info(path);
    if (!info.isFile())
        return {};
    const QString wanted = info.fileName();
    const QStringList entries =
        info.dir().entryList(QDir::Files | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    if (entries.contains(wanted))
        return wanted;
    for (const QString& entry : entries) {
        if (entry.compare(wanted, Qt::CaseInsensitive) == 0)
            return entry;
    }
    return wanted;
}

// The folder a save dialog's answer lies in: the path cut before its last "/".
QString folderOf(const QString& path)
{
    const qsizetype slash = path.lastIndexOf(u'/');
    if (slash < 0)
        return {};
    // The top folder itself; an empty text would read as "not set".
    if (slash == 0)
        return QStringLiteral("/");
    return path.left(slash);
}

// The font narrowed so that the text takes at most `room` pixels. The stand-in
// text font has wider Latin letters than the half-width ones the hints were
// laid out for, which would push the longest hint across its frame.
QFont fittedFont(QFont font, const QString& text, int room)
{
    const int width = QFontMetrics(font).horizontalAdvance(text);
    if (width > room && !text.isEmpty())
        font.setLetterSpacing(QFont::AbsoluteSpacing,
                              static_cast<qreal>(room - width) / static_cast<qreal>(text.size()));
    return font;
}

} // namespace

PathSettingsDialog::PathSettingsDialog(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint)
    , textFont_(serifFont9pt())
    , titleFont_(QStringList{QStringLiteral("Noto Sans CJK SC"), QStringLiteral("sans-serif")})
    , framePen_(Qt::black, 1, Qt::SolidLine)
{
    setObjectName(controlName(ControlId::PathSettingsTemplate));
    setWindowTitle(QStringLiteral("对战平台及游戏设置"));
    setFont(dialogFont8pt());
    setFixedSize(dluRect8pt(0, 0, 343, 204).size());
    titleFont_.setPixelSize(12);
    titleFont_.setWeight(QFont::Bold);

    // The controls of the template, in its order (which is also the tab order).
    const auto makeButton = [this](int id, const QString& text, QRect rect) {
        auto* button = new SkinButton(this);
        button->setObjectName(controlName(id));
        button->setText(text);
        button->setGeometry(rect);
        return button;
    };
    apply_ = makeButton(ControlId::Ok, QStringLiteral("应用"), dluRect8pt(286, 183, 50, 14));
    cancel_ = makeButton(ControlId::Cancel, QStringLiteral("取消"), dluRect8pt(229, 183, 50, 14));
    confirm_ = makeButton(ControlId::Confirm, QStringLiteral("确定"), dluRect8pt(178, 183, 45, 14));
    browseExecutable_ = makeButton(ControlId::BrowseExecutable, QStringLiteral("浏览"),
                                   dluRect8pt(254, 76, 26, 15));
    search_ = makeButton(ControlId::Search, QStringLiteral("搜索"), dluRect8pt(291, 76, 26, 15));
    browseFolder_ =
        makeButton(ControlId::BrowseFolder, QStringLiteral("浏览"), dluRect8pt(291, 157, 26, 15));

    const auto makeEdit = [this](int id, QRect rect) {
        auto* edit = new QLineEdit(this);
        edit->setObjectName(controlName(id));
        edit->setGeometry(rect);
        return edit;
    };
    executablePath_ = makeEdit(ControlId::ExecutablePath, dluRect8pt(141, 53, 178, 15));
    downloadPath_ = makeEdit(ControlId::DownloadPath, dluRect8pt(141, 137, 178, 15));

    // The items on the left, in client pixels: the five targets, then the two folders.
    const auto makeItem = [this](int id, const QString& text, QRect rect) {
        auto* item = new SkinGroupItem(text, this);
        item->setObjectName(controlName(id));
        item->setGeometry(rect);
        item->setCursor(linkCursor());
        return item;
    };
    for (const LaunchTarget& target : launchTargets()) {
        const int bottom = 56 + 24 * target.index;
        SkinGroupItem* item = makeItem(ControlId::FirstTargetItem + target.index,
                                       target.displayName, pixelRect(29, bottom - 13, 144, bottom));
        targetItems_[static_cast<std::size_t>(target.index)] = item;
        connect(item, &SkinGroupItem::clicked, this,
                [this, index = target.index] { onSelectTarget(index); });
    }
    for (int folder : {MapsItem, ToolsItem}) {
        const int top = 190 + 24 * folder;
        SkinGroupItem* item =
            makeItem(ControlId::MapsFolderItem + folder, downloadFolderLabel(folder),
                     pixelRect(29, top, 144, top + 13));
        pathItems_[static_cast<std::size_t>(folder)] = item;
        connect(item, &SkinGroupItem::clicked, this, [this, folder] { onSelectPathItem(folder); });
    }

    connect(apply_, &SkinButton::clicked, this, &PathSettingsDialog::onApply);
    connect(cancel_, &SkinButton::clicked, this, &PathSettingsDialog::reject);
    connect(confirm_, &SkinButton::clicked, this, &PathSettingsDialog::onConfirm);
    connect(browseExecutable_, &SkinButton::clicked, this, &PathSettingsDialog::onBrowseExecutable);
    connect(search_, &SkinButton::clicked, this, &PathSettingsDialog::onSearch);
    connect(browseFolder_, &SkinButton::clicked, this, &PathSettingsDialog::onBrowseFolder);
}

void PathSettingsDialog::setSearchRoots(const QStringList& roots)
{
    searchRoots_ = roots;
}

void PathSettingsDialog::setVisible(bool visible)
{
    if (visible && !isVisible())
        initialise();
    QDialog::setVisible(visible);
}

void PathSettingsDialog::initialise()
{
    for (SkinGroupItem* item : targetItems_) {
        item->setFont(textFont_);
        item->selected = false;
    }
    for (SkinGroupItem* item : pathItems_) {
        item->setFont(textFont_);
        item->selected = false;
    }
    targetItems_[0]->selected = true;
    pathItems_[MapsItem]->selected = true;
    for (SkinGroupItem* item : targetItems_)
        item->update();
    for (SkinGroupItem* item : pathItems_)
        item->update();

    ProgramSettings settings;
    executablePath_->setText(settings.launchPath(targetAt(0)));
    downloadPath_->setText(settings.mapsFolder());
    browseFolder_->setEnabled(false);

    for (SkinButton* button : {search_, browseExecutable_, browseFolder_})
        button->setButtonImage(BitmapId::SmallButton);
    for (SkinButton* button : {apply_, cancel_, confirm_})
        button->setButtonImage(BitmapId::WideButton);
    // The first control of the template takes the focus, as a new dialog gives it.
    apply_->setFocus();
}

int PathSettingsDialog::selectedTarget() const
{
    for (std::size_t i = 0; i < targetItems_.size(); ++i) {
        if (targetItems_[i]->selected)
            return static_cast<int>(i);
    }
    return -1;
}

bool PathSettingsDialog::mapsSelected() const
{
    // The first selected item counts, as for the targets.
    return pathItems_[MapsItem]->selected;
}

bool PathSettingsDialog::toolsSelected() const
{
    return !pathItems_[MapsItem]->selected && pathItems_[ToolsItem]->selected;
}

void PathSettingsDialog::onSelectTarget(int index)
{
    ProgramSettings settings;
    const QString text = executablePath_->text();
    const int current = selectedTarget();
    // Also for the item already selected: the box must hold what is stored.
    if (current >= 0 && settings.launchPath(targetAt(current)) != text) {
        showNotice(QStringLiteral("请你先点击“应用”按钮来保存上个修改的地址！"), this);
        return;
    }
    for (std::size_t i = 0; i < targetItems_.size(); ++i) {
        targetItems_[i]->selected = static_cast<int>(i) == index;
        targetItems_[i]->update();
    }
    executablePath_->setText(settings.launchPath(targetAt(index)));
}

void PathSettingsDialog::onSelectPathItem(int folder)
{
    // A hand edit of the folder box is simply replaced: only the tools folder is
    // ever stored, and "确定" compares it.
    browseFolder_->setEnabled(folder == ToolsItem);
    for (std::size_t i = 0; i < pathItems_.size(); ++i) {
        pathItems_[i]->selected = static_cast<int>(i) == folder;
        pathItems_[i]->update();
    }
    downloadPath_->setText(ProgramSettings().downloadFolder(folder == ToolsItem));
}

void PathSettingsDialog::onApply()
{
    ProgramSettings settings;
    const QString path = executablePath_->text();
    const int target = selectedTarget();
    // A value that would not read back is refused before anything is written:
    // the stored paths and the boxes stay as they are.
    if ((target >= 0 && !SettingsStore::wouldReadBack(path)) ||
        (toolsSelected() && !SettingsStore::wouldReadBack(downloadPath_->text()))) {
        showNotice(pathTooLongNotice(), this);
        return;
    }
    bool saved = true;
    QString repaired;
    if (target >= 0) {
        const SettingsWrite write = settings.setLaunchPath(targetAt(target), path);
        saved = write.stored;
        repaired = write.repairNotice();
        // The maps folder follows the game path as stored; without a "/" (also
        // when empty) the path gives the bare "/Maps/NaloBox".
        if (saved && target == 0 && mapsSelected())
            downloadPath_->setText(ProgramSettings::mapsFolderFor(path));
    }
    // The maps folder is derived, never stored.
    if (toolsSelected()) {
        const SettingsWrite write = settings.setToolsFolder(downloadPath_->text());
        saved = write.stored && saved;
        if (repaired.isEmpty())
            repaired = write.repairNotice();
    }
    // A write that did not reach the file is no success: the boxes keep the
    // texts so that the user can try again or cancel.
    QString report = saved ? QStringLiteral("设置成功！")
                           : QStringLiteral("设置保存失败！请检查配置文件是否可写。");
    if (!repaired.isEmpty())
        report += u'\n' + repaired;
    showNotice(report, this);
}

void PathSettingsDialog::onConfirm()
{
    // Only the selected target and the tools folder can hold an unsaved change:
    // the executable box only ever shows the selected target's path, and
    // switching targets needs that saved first.
    ProgramSettings settings;
    bool unsaved = false;
    const int target = selectedTarget();
    if (target >= 0)
        unsaved = settings.launchPath(targetAt(target)) != executablePath_->text();
    if (!unsaved && toolsSelected())
        unsaved = settings.toolsFolder() != downloadPath_->text();
    if (unsaved) {
        showNotice(QStringLiteral("请你先点击“应用”按钮来保存地址，在关闭！"), this);
        return;
    }
    accept();
}

void PathSettingsDialog::onBrowseExecutable()
{
    FileDialogRequest request;
    request.title = QStringLiteral("请手动设置路径对应程序路径");
    request.initialName = QStringLiteral("*.exe");
    request.defaultSuffix = QStringLiteral("exe");
    request.filter = QStringLiteral("可执行程序 (*.exe)|*.exe|All Files (*.*)|*.*||");
    request.mustExist = true;
    const QString chosen = askOpenFile(request, this);
    if (chosen.isEmpty())
        return;
    // Nothing is stored here; "应用" does that.
    const int target = selectedTarget();
    if (target >= 0 && foundFileName(chosen) == targetAt(target).executableName) {
        executablePath_->setText(chosen);
        return;
    }
    showNotice(QStringLiteral("没有找到程序默认运行程序，请核对盘符路径！"), this);
    executablePath_->clear();
}

void PathSettingsDialog::onBrowseFolder()
{
    FileDialogRequest request;
    request.title = QStringLiteral("请手动设置文件保存路径");
    request.initialName = QStringLiteral("NaloZarn");
    request.filter = QStringLiteral("(*.*)|*.*||");
    request.mustExist = false;
    request.confirmOverwrite = true;
    const QString chosen = askSaveFile(request, this);
    if (!chosen.isEmpty())
        downloadPath_->setText(folderOf(chosen));
}

void PathSettingsDialog::onSearch()
{
    const int target = selectedTarget();
    ProgramSearchDialog search(searchRoots_ ? *searchRoots_ : listFixedDrives());
    search.setExecutableName(target >= 0 ? targetAt(target).executableName : QString());
    // Delivered on this thread while the search dialog is still open, which
    // keeps this one from changing its selection meanwhile.
    connect(&search, &ProgramSearchDialog::useFoundPath, this, &PathSettingsDialog::onUseFoundPath);
    search.exec();
}

void PathSettingsDialog::onUseFoundPath(const QString& path)
{
    executablePath_->setText(path);
    onApply();
}

void PathSettingsDialog::keyPressEvent(QKeyEvent* event)
{
    // Enter presses the focused button, else the default one, "应用".
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    const bool plain = event->modifiers() == Qt::NoModifier ||
                       (event->modifiers() == Qt::KeypadModifier && event->key() == Qt::Key_Enter);
    if (enter && plain) {
        if (!SkinButton::pressFocused(this) && apply_->isEnabled())
            apply_->click();
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void PathSettingsDialog::paintEvent(QPaintEvent* event)
{
    QDialog::paintEvent(event);
    QPainter painter(this);
    painter.setBackgroundMode(Qt::TransparentMode);
    // Positions are the top left corner of the text; each text stays inside
    // the frame it is written in.
    const auto text = [&painter](const QFont& font, int x, int y, const QColor& colour,
                                 const QString& s) {
        const int frameRight = x < LeftFramesRight ? LeftFramesRight : RightFramesRight;
        const QFont fitted = fittedFont(font, s, frameRight - TextMargin - x);
        painter.setFont(fitted);
        painter.setPen(colour);
        painter.drawText(QPoint(x, y + QFontMetrics(fitted).ascent()), s);
    };
    const QColor hint(102, 101, 97);
    text(textFont_, 190, 26, hint,
         QStringLiteral("提示：请选择左边的游戏（平台），然后，你可以通过"));
    text(textFont_, 190, 40, hint, QStringLiteral("“浏览”或者“搜索”来定位各个项目的可执行程序！"));
    text(textFont_, 190, 172, hint,
         QStringLiteral("提示：地图下载路径放在war3文件夹的Maps下的NaloBox中,"));
    text(textFont_, 190, 186, hint,
         QStringLiteral("工具下载路径在左边的选择项目中可以更改文件下载路径"));
    text(textFont_, 202, 70, Qt::black, QStringLiteral("1.  游戏可执行文件或快捷方式："));
    text(textFont_, 202, 204, Qt::black, QStringLiteral("2.  文件或者工具下载地址："));
    text(titleFont_, 20, 24, Qt::black, QStringLiteral("快速启动设置"));
    text(titleFont_, 20, 167, Qt::black, QStringLiteral("下载路径设置"));

    // Outlines from the first corner up to, not including, the second.
    painter.setPen(framePen_);
    painter.setBrush(Qt::NoBrush);
    const QRect frames[] = {
        pixelRect(15, 17, LeftFramesRight, 155), pixelRect(182, 17, RightFramesRight, 155),
        pixelRect(15, 160, LeftFramesRight, 285), pixelRect(182, 160, RightFramesRight, 285)};
    for (const QRect& frame : frames) {
        const QPoint corners[] = {frame.topLeft(), frame.topRight(), frame.bottomRight(),
                                  frame.bottomLeft()};
        painter.drawPolygon(corners, int(std::size(corners)));
    }
}

} // namespace verdane
