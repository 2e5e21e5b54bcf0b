#include "mainwindow/MainWindow.h"

#include "catalogue/MapCatalogue.h"
#include "catalogue/ui/PageView.h"
#include "common/ContentServer.h"
#include "common/ControlIds.h"
#include "common/Prompt.h"
#include "common/Shell.h"
#include "download/DownloadJob.h"
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
#include <QSystemTrayIcon>
#include <QWindow>

namespace verdane {

namespace {

const QString Title = QStringLiteral("Nalo Zarn地图发布器");

struct LabelLayout {
    int id;
    QRect rect;
    const char16_t* text;
    bool reportsClicks;
};

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

void colourLabel(QWidget* label, const QColor& text, bool transparent)
{
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, text);
    palette.setColor(QPalette::Text, text);
    if (!transparent)
        palette.setColor(QPalette::Window, TextBackground);
    label->setPalette(palette);
    label->setAutoFillBackground(false);
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
    // (every Wayland desktop) shows as the window's outline; the mask set later
    // shapes the window where no compositor runs.
    setAttribute(Qt::WA_TranslucentBackground);
    setFixedSize(603, 428);
}

MainWindow::~MainWindow()
{
    removeTrayIcon();
    // A download still running is abandoned: nothing may outlive this window.
    closingDown_ = true;
    downloadWorker_.wait();
}

int MainWindow::run()
{
    initialise();
    return exec();
}

void MainWindow::initialise()
{
    if (initialised_)
        return;
    initialised_ = true;

    createTemplateControls();
    createTitleButtons();
    qApp->installEventFilter(this);
    // Runs before the window first shows; an accepted update closes it again.
    UpdateCheck([this] { close(); }).checkForUpdate(this, UpdateCheck::StartupFetchLimit);

    background_ = withKeyColourTransparent(loadBitmap(BitmapId::Background));
    backBuffer_ = QPixmap(size());
    backBuffer_.fill(Qt::transparent);
    resetBackBuffer();
    applyShape();

    createWindowMenu();
    setWindowIcon(programIcon());
    loadDown_ = new DownloadDialog(this);

    createLaunchAndCategoryButtons();
    createWebPanels();
    createTrayIcon();
    setWindowTitle(Title);

    control<QLineEdit>(ControlId::PageEdit)->setText(QStringLiteral("1"));
    webPanel(ControlId::PagePanel)->hide();
    applyControlColours();
    createPageView();
    pageView_->showFirstCategory();
}

void MainWindow::createPageView()
{
    PageView::Controls controls{};
    controls.window = this;
    controls.backBuffer = &backBuffer_;
    controls.resetBackBuffer = [this] { resetBackBuffer(); };
    controls.categories = categoryButtons_;
    controls.summary = control<QLabel>(ControlId::PageSummary);
    controls.previous = control<ClickLabel>(ControlId::PreviousPage);
    controls.next = control<ClickLabel>(ControlId::NextPage);
    controls.pageEdit = control<QLineEdit>(ControlId::PageEdit);
    controls.pagePanel = webPanel(ControlId::PagePanel);
    for (std::size_t row = 0; row < controls.rows.size(); ++row) {
        controls.rows[row] = {control<QLabel>(ControlId::RowTitle[row]),
                              control<QLabel>(ControlId::RowExplanation[row]),
                              control<ClickLabel>(ControlId::RowLink[row]),
                              webPanel(ControlId::RowPicture[row]),
                              control(ControlId::RowDownload[row])};
    }
    pageView_ = new PageView(std::move(controls), *catalogue_, this);
}

WebPanel* MainWindow::webPanel(int id) const
{
    return control<WebPanel>(id);
}

void MainWindow::resetBackBuffer()
{
    QPainter painter(&backBuffer_);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.drawPixmap(0, 0, background_);
}

void MainWindow::createTemplateControls()
{
    using namespace ControlId;
    const LabelLayout labels[] = {
        {PageSummary, dluRect9pt(118, 202, 57, 10), u"", false},
        {PageLabel, dluRect9pt(181, 201, 21, 10), u"当前第", false},
        {PageSuffix, dluRect9pt(230, 201, 9, 10), u"页", false},
        {PreviousPage, dluRect9pt(248, 201, 22, 10), u"上一页", true},
        {NextPage, dluRect9pt(279, 200, 34, 10), u"下一页", true},
        {HomePageLink, dluRect9pt(246, 227, 92, 10), u"访问 Nalo Zarn 官方主页", true},
        {Version, dluRect9pt(9, 226, 105, 10), u"版本 V.1.0.0", false},
        {CheckUpdateLink, dluRect9pt(115, 226, 49, 11), u"检查更新", true},
        {RowTitle[0], dluRect9pt(133, 79, 161, 11), u"", true},
        {RowTitle[1], dluRect9pt(133, 116, 161, 11), u"", true},
        {RowTitle[2], dluRect9pt(133, 153, 161, 11), u"", true},
        {RowExplanation[0], dluRect9pt(133, 92, 161, 11), u"", true},
        {RowExplanation[1], dluRect9pt(133, 129, 161, 11), u"", true},
        {RowExplanation[2], dluRect9pt(133, 165, 161, 11), u"", true},
        {RowLink[0], dluRect9pt(285, 94, 15, 10), u"日志", true},
        {RowLink[1], dluRect9pt(285, 125, 15, 10), u"日志", true},
        {RowLink[2], dluRect9pt(285, 161, 15, 10), u"日志", true},
    };
    for (const LabelLayout& layout : labels) {
        const QString text = QString::fromUtf16(layout.text);
        QLabel* label = layout.reportsClicks ? new ClickLabel(text, this) : new QLabel(text, this);
        label->setObjectName(controlName(layout.id));
        label->setGeometry(layout.rect);
        // Titles and explanations come from the catalogue: never read as rich text.
        label->setTextFormat(Qt::PlainText);
    }

    const int downloadButtonTops[] = {84, 120, 155};
    for (int row = 0; row < RowsPerPage; ++row) {
        auto* button = new ClickLabel({}, this);
        button->setObjectName(controlName(RowDownload[row]));
        button->setGeometry(dluRect9pt(305, downloadButtonTops[row], 30, 13));
        button->setPixmap(loadBitmap(BitmapId::DownloadButton));
        button->setScaledContents(true);
    }

    auto* pageEdit = new QLineEdit(this);
    pageEdit->setObjectName(controlName(PageEdit));
    pageEdit->setGeometry(dluRect9pt(205, 199, 21, 12));
    pageEdit->setReadOnly(true);
    pageEdit->setAlignment(Qt::AlignCenter);
    pageEdit->setValidator(new QIntValidator(pageEdit));
    pageEdit->setFocusPolicy(Qt::NoFocus);

    for (int id : {CheckUpdateLink, HomePageLink, RowLink[0], RowLink[1], RowLink[2]})
        control(id)->setCursor(linkCursor());
    for (int row = 0; row < RowsPerPage; ++row) {
        connect(control<ClickLabel>(RowDownload[row]), &ClickLabel::clicked, this,
                [this, row] { onDownloadButton(row); });
    }
    connect(control<ClickLabel>(HomePageLink), &ClickLabel::clicked, this,
            [] { shell().openWebPage(homePageAddress()); });
    connect(control<ClickLabel>(CheckUpdateLink), &ClickLabel::clicked, this,
            [this] { UpdateCheck([this] { close(); }).onCheckUpdateLink(this); });
}

void MainWindow::createTitleButtons()
{
    const ButtonLayout buttons[] = {
        {ControlId::Minimise, dluRect9pt(305, 0, 17, 16), BitmapId::MinimiseButton},
        {ControlId::Close, dluRect9pt(327, 0, 16, 16), BitmapId::CloseButton},
        {ControlId::PathSettings, dluRect9pt(278, 0, 18, 15), BitmapId::SettingsButton},
    };
    for (const ButtonLayout& layout : buttons) {
        auto* button = new SkinButton(this);
        button->setObjectName(controlName(layout.id));
        button->setGeometry(layout.rect);
        button->setButtonImage(layout.image);
        button->setFocusPolicy(Qt::NoFocus);
    }
    connect(control<SkinButton>(ControlId::Minimise), &SkinButton::clicked, this,
            &QWidget::showMinimized);
    connect(control<SkinButton>(ControlId::Close), &SkinButton::clicked, this, &MainWindow::reject);
    connect(control<SkinButton>(ControlId::PathSettings), &SkinButton::clicked, this,
            &MainWindow::openPathSettings);
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
        panel->setGeometry(pictureRects[row]);
        panel->setPageUrl(fileServerIndexAddress());
        panel->moveBrowser(-10, -15);
        panel->hide();
        panel->setActive(true);
    }
    auto* pagePanel = new WebPanel(ControlId::PagePanel, this);
    pagePanel->setGeometry(pixelRect(161, 110, 582, 370));
    pagePanel->setPageUrl(gameSectionAddress());
    pagePanel->setPlaceholderText(QStringLiteral("无法连接 Nalo Zarn 服务器"));
    pagePanel->show();
    pagePanel->setActive(true);
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

void MainWindow::applyControlColours()
{
    using namespace ControlId;
    for (int id : {PageSummary, PageLabel, PageSuffix, PreviousPage, NextPage, HomePageLink,
                   Version, CheckUpdateLink})
        colourLabel(control(id), QColor(41, 107, 163), false);
    for (int row = 0; row < RowsPerPage; ++row) {
        colourLabel(control(RowTitle[row]), QColor(198, 140, 0), false);
        colourLabel(control(RowExplanation[row]), QColor(229, 228, 225), false);
        colourLabel(control(RowLink[row]), QColor(48, 100, 165), true);
    }
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
    ProgramSettings settings;
    const QString gamePath = settings.gamePath();
    const int category = pageView_->category();
    if (category == MapCatalogue::ToolsCategory) {
        const QString tools = settings.toolsFolder();
        if (tools.isEmpty()) {
            showNotice(QStringLiteral("请先设置 工具下载地址！"), this);
            openPathSettings();
            return;
        }
    } else if (gamePath.isEmpty()) {
        showNotice(QStringLiteral("请先设置 冰封王座 启动程序！"), this);
        openPathSettings();
        return;
    }
    const qsizetype index = pageView_->pageBase() + pageView_->selectedRow();
    const MapRecord* record = pageView_->shownEntry(index);
    if (record == nullptr)
        return;
    // Busy from the button to the end of the job, so two jobs never share the dialog.
    downloadBusy_ = true;
    auto job = std::make_shared<DownloadJob>(
        this, DownloadJob::Entry{category, index, record->Down_Link, record->Down_Sha256},
        closingDown_);
    DownloadJob::Screen screen;
    screen.showDialog = [this] {
        return downloadWorker_.callOnUiThread([this] {
            if (!closingDown_)
                loadDown_->showCentred();
        }) && !closingDown_;
    };
    screen.downloadFile = [this](const QString& url, const QString& path, const QByteArray& sha256,
                                 const std::atomic<bool>* cancel) {
        return loadDown_->downloadFile(url, path, sha256, cancel);
    };
    downloadWorker_.run(
        [job, screen] { return job->run(screen); },
        [this, job](bool downloaded) { onDownloadEnded(job->entry(), downloaded); });
}

void MainWindow::onDownloadEnded(const DownloadJob::Entry& entry, bool downloaded)
{
    downloadBusy_ = false;
    if (pendingClose_) {
        QDialog::done(*pendingClose_);
        return;
    }
    loadDown_->hide();
    if (downloaded)
        pageView_->markDownloaded(entry.category, entry.index, entry.downLink);
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
        control<SkinButton>(ControlId::Minimise)->click();
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
    if (!downloadBusy_) {
        QDialog::done(result);
        return;
    }
    // The download job may be waiting for this thread (a message box, the
    // dialog), so the window cannot wait for it here: the job is told to end
    // and the close completes when it has. The window stays until then,
    // because hiding a dialog ends its exec() at once.
    closingDown_ = true;
    pendingClose_ = result;
    loadDown_->hide();
}

} // namespace verdane
