#include "mainwindow/MainWindow.h"

#include "catalogue/MapCatalogue.h"
#include "catalogue/ui/PageView.h"
#include "common/ContentServer.h"
#include "common/ControlIds.h"
#include "common/Prompt.h"
#include "common/Shell.h"
#include "download/ui/DownloadDialog.h"
#include "log/LogHandler.h"
#include "mainwindow/AboutDialog.h"
#include "settings/ProgramSettings.h"
#include "settings/ui/PathSettingsDialog.h"
#include "settings/ui/StartTarget.h"
#include "update/UpdateCheck.h"
#include "widgets/Bitmaps.h"
#include "widgets/ClickLabel.h"
#include "widgets/DialogUnits.h"
#include "widgets/SkinButton.h"
#include "widgets/SkinTabButton.h"
#include "widgets/WebPanel.h"

#include <QApplication>
#include <QBitmap>
#include <QButtonGroup>
#include <QCloseEvent>
#include <QDir>
#include <QIntValidator>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QSystemTrayIcon>
#include <QWindow>

#include <utility>

namespace verdane {

namespace {

const QString Title = QStringLiteral("Nalo Zarn地图发布器");

struct ButtonLayout {
    int id;
    QRect rect;
    unsigned int image;
};

template <typename Button> Button* createSkinButton(const ButtonLayout& layout, QWidget* parent)
{
    auto* button = new Button(parent);
    button->setObjectName(controlName(layout.id));
    button->setGeometry(layout.rect);
    button->setButtonImage(layout.image);
    button->setFocusPolicy(Qt::NoFocus);
    button->show();
    return button;
}

const QColor TextBackground(5, 5, 5);
const QColor KeyColour(255, 0, 255);

QPixmap withKeyColourTransparent(const QPixmap& picture)
{
    if (picture.isNull())
        return picture;
    QPixmap shaped = picture;
    shaped.setMask(picture.createMaskFromColor(KeyColour, Qt::MaskInColor));
    return shaped;
}

// The text background behind a label's text: a strip of the text's width on
// its line, the rest of the label left clear.
void paintTextBackground(QLabel* label)
{
    if (label->text().isEmpty())
        return;
    const QFontMetrics metrics(label->font());
    const QRect area = label->contentsRect();
    const Qt::Alignment alignment =
        QStyle::visualAlignment(label->layoutDirection(), label->alignment());
    const QRect line = QStyle::alignedRect(
        label->layoutDirection(), alignment,
        QSize(metrics.horizontalAdvance(label->text()), metrics.height()), area);
    QPainter painter(label);
    painter.fillRect(line & area, TextBackground);
}

} // namespace

MainWindow::MainWindow(QWidget* parent)
    : QDialog(parent, Qt::Window | Qt::FramelessWindowHint)
    , catalogue_(std::make_unique<MapCatalogue>())
{
    // Before the update check, which may ask its question next.
    PageView::openCatalogue(*catalogue_);
    setObjectName(controlName(ControlId::MainWindowTemplate));
    // The key colour of the background is drawn transparent, which a compositor
    // (every Wayland desktop) shows as the window's outline; the mask shapes
    // the window where no compositor runs.
    setAttribute(Qt::WA_TranslucentBackground);
    setFixedSize(603, 428);
    setWindowTitle(Title);
    setWindowIcon(programIcon());

    createLabels();
    createTitleButtons();
    qApp->installEventFilter(this);

    background_ = withKeyColourTransparent(loadBitmap(BitmapId::Background));
    backBuffer_ = QPixmap(size());
    backBuffer_.fill(Qt::transparent);
    resetBackBuffer();
    applyShape();

    createWindowMenu();
    downloadDialog_ = new DownloadDialog(this);
    createLaunchAndCategoryButtons();
    createWebPanels();
    pageEdit_->setText(QStringLiteral("1"));
    pagePanel_->hide();
    createPageView();
}

MainWindow::~MainWindow()
{
    removeTrayIcon();
    // A download still running is abandoned: nothing may outlive this window.
    abandonDownload();
}

void MainWindow::start()
{
    // Before the window first shows; an accepted update closes it once it has.
    offerUpdate(UpdateCheck::fetch(UpdateCheck::StartupFetchLimit), false);
    createTrayIcon();
    pageView_->showFirstCategory();
}

void MainWindow::createPageView()
{
    PageView::Controls controls{};
    controls.window = this;
    controls.backBuffer = &backBuffer_;
    controls.resetBackBuffer = [this] { resetBackBuffer(); };
    controls.categories = categoryButtons_;
    controls.summary = pageSummary_;
    controls.previous = previousPage_;
    controls.next = nextPage_;
    controls.pageEdit = pageEdit_;
    controls.pagePanel = pagePanel_;
    for (std::size_t row = 0; row < controls.rows.size(); ++row) {
        const Row& own = rows_[row];
        controls.rows[row] = {own.title, own.explanation, own.link, own.picture, own.download};
    }
    pageView_ = new PageView(std::move(controls), *catalogue_, this);
}

WebPanel* MainWindow::webPanel(int id) const
{
    for (std::size_t row = 0; row < rows_.size(); ++row) {
        if (ControlId::RowPicture[row] == id)
            return rows_[row].picture;
    }
    return id == ControlId::PagePanel ? pagePanel_ : nullptr;
}

void MainWindow::resetBackBuffer()
{
    QPainter painter(&backBuffer_);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.drawPixmap(0, 0, background_);
}

template <typename Label>
Label* MainWindow::addLabel(int id, const QRect& rect, const QString& text, const QColor& colour,
                            bool textBackground)
{
    auto* label = new Label(text, this);
    label->setObjectName(controlName(id));
    label->setGeometry(rect);
    // Titles and explanations come from the catalogue: never read as rich text.
    label->setTextFormat(Qt::PlainText);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, colour);
    palette.setColor(QPalette::Text, colour);
    label->setPalette(palette);
    label->setAutoFillBackground(false);
    if (textBackground)
        textBackgroundLabels_.append(label);
    return label;
}

void MainWindow::createLabels()
{
    using namespace ControlId;
    const QColor pageColour(41, 107, 163);
    pageSummary_ = addLabel<QLabel>(PageSummary, dluRect9pt(118, 202, 57, 10), {}, pageColour);
    addLabel<QLabel>(PageLabel, dluRect9pt(181, 201, 21, 10), QStringLiteral("当前第"), pageColour);
    addLabel<QLabel>(PageSuffix, dluRect9pt(230, 201, 9, 10), QStringLiteral("页"), pageColour);
    previousPage_ = addLabel<ClickLabel>(PreviousPage, dluRect9pt(248, 201, 22, 10),
                                         QStringLiteral("上一页"), pageColour);
    nextPage_ = addLabel<ClickLabel>(NextPage, dluRect9pt(279, 200, 34, 10),
                                     QStringLiteral("下一页"), pageColour);
    auto* homePage = addLabel<ClickLabel>(HomePageLink, dluRect9pt(246, 227, 92, 10),
                                          QStringLiteral("访问 Nalo Zarn 官方主页"), pageColour);
    addLabel<QLabel>(Version, dluRect9pt(9, 226, 105, 10), QStringLiteral("版本 V.1.0.0"),
                     pageColour);
    auto* checkUpdate = addLabel<ClickLabel>(CheckUpdateLink, dluRect9pt(115, 226, 49, 11),
                                             QStringLiteral("检查更新"), pageColour);

    // In this order, so that a row's link lies above the texts it overlaps.
    const int titleTops[] = {79, 116, 153};
    for (int index = 0; index < RowsPerPage; ++index)
        rows_[std::size_t(index)].title = addLabel<ClickLabel>(
            RowTitle[index], dluRect9pt(133, titleTops[index], 161, 11), {}, QColor(198, 140, 0));
    const int explanationTops[] = {92, 129, 165};
    for (int index = 0; index < RowsPerPage; ++index)
        rows_[std::size_t(index)].explanation = addLabel<ClickLabel>(
            RowExplanation[index], dluRect9pt(133, explanationTops[index], 161, 11), {},
            QColor(229, 228, 225));
    const int linkTops[] = {94, 125, 161};
    for (int index = 0; index < RowsPerPage; ++index) {
        ClickLabel*& link = rows_[std::size_t(index)].link;
        link = addLabel<ClickLabel>(RowLink[index], dluRect9pt(285, linkTops[index], 15, 10),
                                    QStringLiteral("日志"), QColor(48, 100, 165), false);
        link->setCursor(linkCursor());
    }
    const int downloadTops[] = {84, 120, 155};
    for (int index = 0; index < RowsPerPage; ++index) {
        ClickLabel*& button = rows_[std::size_t(index)].download;
        button = new ClickLabel({}, this);
        button->setObjectName(controlName(RowDownload[index]));
        button->setGeometry(dluRect9pt(305, downloadTops[index], 30, 13));
        button->setPixmap(loadBitmap(BitmapId::DownloadButton));
        button->setScaledContents(true);
        connect(button, &ClickLabel::clicked, this, [this, index] { onDownloadButton(index); });
    }

    pageEdit_ = new QLineEdit(this);
    pageEdit_->setObjectName(controlName(PageEdit));
    pageEdit_->setGeometry(dluRect9pt(205, 199, 21, 12));
    pageEdit_->setReadOnly(true);
    pageEdit_->setAlignment(Qt::AlignCenter);
    pageEdit_->setValidator(new QIntValidator(pageEdit_));
    pageEdit_->setFocusPolicy(Qt::NoFocus);

    for (ClickLabel* link : {homePage, checkUpdate})
        link->setCursor(linkCursor());
    connect(homePage, &ClickLabel::clicked, this, [] { shell().openWebPage(homePageAddress()); });
    connect(checkUpdate, &ClickLabel::clicked, this, &MainWindow::checkForUpdate);
}

void MainWindow::createTitleButtons()
{
    const ButtonLayout buttons[] = {
        {ControlId::Minimise, dluRect9pt(305, 0, 17, 16), BitmapId::MinimiseButton},
        {ControlId::Close, dluRect9pt(327, 0, 16, 16), BitmapId::CloseButton},
        {ControlId::PathSettings, dluRect9pt(278, 0, 18, 15), BitmapId::SettingsButton},
    };
    SkinButton* created[std::size(buttons)];
    for (std::size_t i = 0; i < std::size(buttons); ++i) {
        auto* button = new SkinButton(this);
        button->setObjectName(controlName(buttons[i].id));
        button->setGeometry(buttons[i].rect);
        button->setButtonImage(buttons[i].image);
        button->setFocusPolicy(Qt::NoFocus);
        created[i] = button;
    }
    minimise_ = created[0];
    connect(minimise_, &SkinButton::clicked, this, &QWidget::showMinimized);
    connect(created[1], &SkinButton::clicked, this, &MainWindow::reject);
    connect(created[2], &SkinButton::clicked, this, &MainWindow::openPathSettings);
}

void MainWindow::createLaunchAndCategoryButtons()
{
    using namespace ControlId;
    const ButtonLayout launchButtons[] = {
        {FirstLaunchButton, pixelRect(11, 111, 162, 159), BitmapId::War3Button},
        {FirstLaunchButton + 1, pixelRect(11, 159, 162, 214), BitmapId::HaofangButton},
        {FirstLaunchButton + 2, pixelRect(11, 214, 162, 269), BitmapId::VsButton},
        {FirstLaunchButton + 3, pixelRect(11, 269, 162, 324), BitmapId::AaButton},
        {FirstLaunchButton + 4, pixelRect(11, 324, 162, 379), BitmapId::ZhangmenrenButton},
    };
    auto* launchGroup = new QButtonGroup(this);
    launchGroup->setExclusive(false);
    for (const ButtonLayout& layout : launchButtons)
        launchGroup->addButton(createSkinButton<SkinButton>(layout, this), layout.id);
    connect(launchGroup, &QButtonGroup::idClicked, this, [this](int id) { startTarget(this, id); });

    const ButtonLayout categoryButtons[] = {
        {HomeButton, pixelRect(181, 22, 244, 109), BitmapId::HomeTab},
        {FirstCategoryButton, pixelRect(244, 22, 307, 109), BitmapId::BattleMapsTab},
        {FirstCategoryButton + 1, pixelRect(307, 22, 370, 109), BitmapId::RpgMapsTab},
        {FirstCategoryButton + 2, pixelRect(370, 22, 433, 109), BitmapId::DefenceMapsTab},
        {FirstCategoryButton + 3, pixelRect(433, 22, 496, 109), BitmapId::CasualMapsTab},
        {FirstCategoryButton + 4, pixelRect(496, 22, 559, 109), BitmapId::ToolsTab},
    };
    // Exclusive: the button clicked last is the one checked.
    categoryButtons_ = new QButtonGroup(this);
    for (const ButtonLayout& layout : categoryButtons)
        categoryButtons_->addButton(createSkinButton<SkinTabButton>(layout, this), layout.id);
}

void MainWindow::createWebPanels()
{
    const QRect pictureRects[] = {pixelRect(170, 135, 220, 180), pixelRect(170, 200, 220, 245),
                                  pixelRect(170, 265, 220, 310)};
    for (int row = 0; row < ControlId::RowsPerPage; ++row) {
        auto* panel = new WebPanel(ControlId::RowPicture[row], this);
        rows_[std::size_t(row)].picture = panel;
        panel->setGeometry(pictureRects[row]);
        panel->setPageUrl(fileServerIndexAddress());
        panel->moveBrowser(-10, -15);
        panel->hide();
        panel->setActive(true);
    }
    pagePanel_ = new WebPanel(ControlId::PagePanel, this);
    pagePanel_->setGeometry(pixelRect(161, 110, 582, 370));
    pagePanel_->setPageUrl(gameSectionAddress());
    pagePanel_->setPlaceholderText(QStringLiteral("无法连接 Nalo Zarn 服务器"));
    pagePanel_->show();
    pagePanel_->setActive(true);
}

void MainWindow::createTrayIcon()
{
    trayMenu_ = new QMenu(QStringLiteral("托盘菜单"), this);
    trayMenu_->setObjectName(controlName(ControlId::TrayMenu));
    QAction* show = trayMenu_->addAction(QStringLiteral("显示主界面"));
    show->setObjectName(controlName(ControlId::TrayShow));
    trayMenu_->addSeparator();
    QAction* quit = trayMenu_->addAction(QStringLiteral("退出"));
    quit->setObjectName(controlName(ControlId::TrayQuit));
    connect(show, &QAction::triggered, this, &MainWindow::restoreFromTray);
    connect(quit, &QAction::triggered, this, &MainWindow::quitFromTray);

    tray_ = new QSystemTrayIcon(programIcon(), this);
    tray_->setToolTip(Title);
    tray_->setContextMenu(trayMenu_);
    connect(tray_, &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason why) {
                if (why == QSystemTrayIcon::DoubleClick)
                    restoreFromTray();
            });
    tray_->show();
}

void MainWindow::createWindowMenu()
{
    windowMenu_ = new QMenu(this);
    windowMenu_->addAction(QStringLiteral("最小化(&N)"), this, &QWidget::showMinimized);
    windowMenu_->addAction(QStringLiteral("关闭(&C)"), this, &QWidget::close);
    windowMenu_->addAction(QStringLiteral("打开日志文件夹(&L)..."), this,
                           &MainWindow::openLogFolder);
    windowMenu_->addSeparator();
    QAction* about = windowMenu_->addAction(QStringLiteral("关于 Verdane(&A)..."));
    connect(about, &QAction::triggered, this, &MainWindow::showAbout);
}

void MainWindow::applyShape()
{
    if (background_.isNull())
        return;
    setMask(background_.mask());
}

void MainWindow::removeTrayIcon()
{
    if (tray_ != nullptr)
        tray_->hide();
}

void MainWindow::onDownloadButton(int row)
{
    if (downloadBusy_) {
        showNotice(QStringLiteral("有数据在下载中，请你稍等片刻！下载完后在进行后续操作.谢谢！"),
                   this);
        return;
    }
    pageView_->setSelectedRow(row);
    startDownload();
}

void MainWindow::startDownload()
{
    const int category = pageView_->category();
    const bool tools = category == MapCatalogue::ToolsCategory;
    const QString folder = ProgramSettings().downloadFolder(tools);
    if (folder.isEmpty()) {
        showNotice(tools ? QStringLiteral("请先设置 工具下载地址！")
                         : QStringLiteral("请先设置 冰封王座 启动程序！"),
                   this);
        openPathSettings();
        return;
    }
    const qsizetype index = pageView_->pageBase() + pageView_->selectedRow();
    const MapRecord* record = pageView_->shownEntry(index);
    if (record == nullptr)
        return;
    auto prepared = DownloadJob::prepare(
        DownloadJob::Entry{category, index, record->Down_Link, record->Down_Sha256}, folder);
    if (const QString* refused = std::get_if<QString>(&prepared)) {
        showNotice(*refused, this);
        return;
    }
    const auto job =
        std::make_shared<const DownloadJob>(std::get<DownloadJob>(std::move(prepared)));
    // Busy from the question to the end of the job, so two jobs never share the dialog.
    downloadBusy_ = true;
    // A window closed while the question was open starts nothing.
    if (!confirmNotice(job->localPath(), this) || !isVisible()) {
        downloadBusy_ = false;
        return;
    }
    abandonDownload_ = false;
    downloadDialog_->showCentred();
    downloadWorker_.run(
        [job, dialog = downloadDialog_, &cancel = abandonDownload_] {
            const auto progress = [dialog](int percent) {
                QMetaObject::invokeMethod(
                    dialog, [dialog, percent] { dialog->showProgress(percent); },
                    Qt::QueuedConnection);
            };
            return job->run(progress, cancel);
        },
        [this, job](const DownloadJob::Result& result) { onDownloadEnded(*job, result); });
}

void MainWindow::onDownloadEnded(const DownloadJob& job, const DownloadJob::Result& result)
{
    // The dialog shows, and the buttons stay busy, until the result has been read.
    const bool shown = !abandonDownload_;
    if (shown) {
        if (!result.cause.isEmpty())
            showNotice(result.cause, this);
        showNotice(result.downloaded ? QStringLiteral("下载成功!") : QStringLiteral("下载失败!"),
                   this);
    }
    downloadBusy_ = false;
    downloadDialog_->hide();
    if (shown && result.downloaded) {
        const DownloadJob::Entry& entry = job.entry();
        pageView_->markDownloaded(entry.category, entry.index, entry.downLink);
    }
}

void MainWindow::abandonDownload()
{
    // The job never waits for this thread: told to end, it ends within about a second.
    abandonDownload_ = true;
    downloadWorker_.wait();
}

void MainWindow::checkForUpdate()
{
    // The window stays responsive meanwhile; a second click does nothing.
    if (updateChecking_)
        return;
    updateChecking_ = true;
    updateWorker_.run([] { return UpdateCheck::fetch(UpdateCheck::LinkFetchLimit); },
                      [this](const VersionDecision& found) {
                          updateChecking_ = false;
                          if (isVisible())
                              offerUpdate(found, true);
                      });
}

void MainWindow::offerUpdate(const VersionDecision& found, bool fromLink)
{
    switch (UpdateCheck::outcome(found)) {
    case UpdateCheck::Outcome::NoVersion:
        return;
    case UpdateCheck::Outcome::UpToDate:
        if (fromLink)
            showNotice(QStringLiteral("当前客户端版本是最新的，不需要更新！"), this);
        return;
    case UpdateCheck::Outcome::NewVersion:
        break;
    }
    if (!confirmNotice(QStringLiteral("已经有新的版本了，现在需要更新？"), this))
        return;
    const UpdateCheck::Started started = UpdateCheck::startUpdate(
        found, [this](const QString& notice) { showNotice(notice, this); });
    if (!started.cause.isEmpty())
        showNotice(started.cause, this);
    if (!started.started)
        return;
    // From the link the handler returns first, like a posted close; at
    // start-up the window closes once it has appeared.
    if (fromLink)
        QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection);
    else
        closeOnceShown_ = true;
}

void MainWindow::openPathSettings()
{
    PathSettingsDialog dialog;
    dialog.exec();
}

void MainWindow::showAbout()
{
    AboutDialog about(this);
    about.exec();
}

void MainWindow::openLogFolder()
{
    QDir().mkpath(logFolder());
    shell().openFolder(logFolder());
}

void MainWindow::restoreFromTray()
{
    showNormal();
    raise();
    activateWindow();
}

void MainWindow::quitFromTray()
{
    removeTrayIcon();
    QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection);
}

void MainWindow::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.drawPixmap(0, 0, backBuffer_);
}

void MainWindow::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        QDialog::mousePressEvent(event);
        return;
    }
    // Pressing the background moves the window, as a caption would.
    if (windowHandle() != nullptr && windowHandle()->startSystemMove())
        return;
    draggingByHand_ = true;
    dragOffset_ = event->globalPosition().toPoint() - frameGeometry().topLeft();
}

void MainWindow::mouseMoveEvent(QMouseEvent* event)
{
    if (draggingByHand_ && (event->buttons() & Qt::LeftButton))
        move(event->globalPosition().toPoint() - dragOffset_);
}

void MainWindow::mouseReleaseEvent(QMouseEvent* event)
{
    draggingByHand_ = false;
    QDialog::mouseReleaseEvent(event);
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event)
{
    // Exposed, the window is on the screen: shown, it may not be yet (a window
    // manager maps it later), and its first paint may come before that.
    if (event->type() == QEvent::Expose && closeOnceShown_ && watched == windowHandle() &&
        windowHandle()->isExposed()) {
        closeOnceShown_ = false;
        QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection);
    }
    // Painted before the label's own text, which then stands on it.
    if (event->type() == QEvent::Paint) {
        auto* label = qobject_cast<QLabel*>(watched);
        if (label != nullptr && textBackgroundLabels_.contains(label))
            paintTextBackground(label);
    }
    // The window's keys hold wherever its focus is, also inside a web view,
    // which would otherwise take them for its page. Dialogs opened from here are
    // windows of their own and keep their keys.
    if (event->type() != QEvent::KeyPress || !watched->isWidgetType() ||
        static_cast<QWidget*>(watched)->window() != this)
        return QDialog::eventFilter(watched, event);
    const auto* key = static_cast<QKeyEvent*>(event);
    const Qt::KeyboardModifiers modifiers = key->modifiers() & ~Qt::KeypadModifier;
    if (modifiers == Qt::NoModifier && key->key() == Qt::Key_Escape) {
        reject();
        return true;
    }
    // Enter presses the default button, which minimises.
    if (modifiers == Qt::NoModifier &&
        (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter)) {
        minimise_->click();
        return true;
    }
    if (modifiers == Qt::AltModifier && key->key() == Qt::Key_Space) {
        windowMenu_->popup(mapToGlobal(QPoint(0, 0)));
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void MainWindow::contextMenuEvent(QContextMenuEvent* event)
{
    // Only the bare background opens the window menu, not what a control leaves.
    if (event->reason() == QContextMenuEvent::Mouse && childAt(event->pos()) != nullptr)
        return;
    windowMenu_->popup(event->globalPos());
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    removeTrayIcon();
    QDialog::closeEvent(event);
}

void MainWindow::reject()
{
    removeTrayIcon();
    QDialog::reject();
}

void MainWindow::done(int result)
{
    abandonDownload();
    downloadDialog_->hide();
    QDialog::done(result);
}

} // namespace verdane
