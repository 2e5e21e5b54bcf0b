#include "ui/CVerdaneDlg.h"

#include "catalogue/MapCatalogue.h"
#include "catalogue/ui/PageView.h"
#include "common/ContentServer.h"
#include "common/Prompt.h"
#include "common/Shell.h"
#include "download/ui/CLoadDown.h"
#include "download/ui/DownloadJob.h"
#include "log/LogHandler.h"
#include "settings/ProgramSettings.h"
#include "settings/ui/Launcher.h"
#include "settings/ui/PathSetting.h"
#include "ui/CAboutDlg.h"
#include "ui/CWebPanel.h"
#include "ui/ClickLabel.h"
#include "ui/DialogUnits.h"
#include "ui/skin/Bitmaps.h"
#include "ui/skin/CSkinButton.h"
#include "ui/skin/CSkinMusicButton.h"
#include "update/ui/UpdateCheck.h"

#include <QApplication>
#include <QBitmap>
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

const QString kTitle = QStringLiteral("Nalo Zarn地图发布器");

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

const QColor kTextBackground(5, 5, 5);
const QColor kKeyColour(255, 0, 255);

QPixmap withKeyColourTransparent(const QPixmap& picture)
{
    if (picture.isNull())
        return picture;
    QPixmap shaped = picture;
    shaped.setMask(picture.createMaskFromColor(kKeyColour, Qt::MaskInColor));
    return shaped;
}

void colourLabel(QWidget* label, const QColor& text, bool transparent)
{
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, text);
    palette.setColor(QPalette::Text, text);
    if (!transparent)
        palette.setColor(QPalette::Window, kTextBackground);
    label->setPalette(palette);
    label->setAutoFillBackground(false);
}

} // namespace

CVerdaneDlg::CVerdaneDlg(QWidget* parent)
    : QDialog(parent, Qt::Window | Qt::FramelessWindowHint)
    , catalogue_(std::make_unique<MapCatalogue>())
{
    setObjectName(QStringLiteral("102"));
    // The key colour of the background is drawn transparent, which a compositor
    // (every Wayland desktop) shows as the window's outline; the mask set later
    // shapes the window where no compositor runs.
    setAttribute(Qt::WA_TranslucentBackground);
    setFixedSize(603, 428);
}

CVerdaneDlg::~CVerdaneDlg()
{
    removeTrayIcon();
    // A download still running is abandoned: nothing may outlive this window.
    closingDown_ = true;
    waitForDownloadWorker();
}

int CVerdaneDlg::DoModal()
{
    OnInitDialog();
    return exec();
}

void CVerdaneDlg::OnInitDialog()
{
    if (initialised_)
        return;
    initialised_ = true;

    createTemplateControls();
    createTitleButtons();
    qApp->installEventFilter(this);
    // Runs before the window first shows; an accepted update closes it again.
    UpdateCheck().CheckForUpdate(this, UpdateCheck::StartupFetchLimit);

    background_ = withKeyColourTransparent(loadBitmap(129));
    backBuffer_ = QPixmap(size());
    backBuffer_.fill(Qt::transparent);
    resetBackBuffer();
    applyShape();

    createWindowMenu();
    setWindowIcon(programIcon());
    loadDown_ = new CLoadDown(this);

    createLaunchAndCategoryButtons();
    createWebPanels();
    createTrayIcon();
    setWindowTitle(kTitle);

    control<QLineEdit>(1014)->setText(QStringLiteral("1"));
    for (int id = 3005; id <= 3010; ++id) {
        auto* button = control<CSkinMusicButton>(id);
        button->selected = false;
        button->update();
    }
    webPanel(23)->hide();
    applyControlColours();
    pageView_ = new PageView(*this, *catalogue_);
    pageView_->connectControls();
    pageView_->showFirstCategory();
    control<CSkinMusicButton>(3006)->selected = true;
}

CWebPanel* CVerdaneDlg::webPanel(int id) const
{
    return control<CWebPanel>(id);
}

void CVerdaneDlg::resetBackBuffer()
{
    QPainter painter(&backBuffer_);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.drawPixmap(0, 0, background_);
}

void CVerdaneDlg::createTemplateControls()
{
    const LabelLayout labels[] = {
        {1008, dluRect9pt(118, 202, 57, 10), u"", false},
        {1009, dluRect9pt(181, 201, 21, 10), u"当前第", false},
        {1010, dluRect9pt(230, 201, 9, 10), u"页", false},
        {1011, dluRect9pt(248, 201, 22, 10), u"上一页", true},
        {1012, dluRect9pt(279, 200, 34, 10), u"下一页", true},
        {1013, dluRect9pt(246, 227, 92, 10), u"访问 Nalo Zarn 官方主页", true},
        {1015, dluRect9pt(9, 226, 105, 10), u"版本 V.1.0.0", false},
        {1029, dluRect9pt(115, 226, 49, 11), u"检查更新", true},
        {1016, dluRect9pt(133, 79, 161, 11), u"", true},
        {1018, dluRect9pt(133, 116, 161, 11), u"", true},
        {1020, dluRect9pt(133, 153, 161, 11), u"", true},
        {1017, dluRect9pt(133, 92, 161, 11), u"", true},
        {1019, dluRect9pt(133, 129, 161, 11), u"", true},
        {1021, dluRect9pt(133, 165, 161, 11), u"", true},
        {1063, dluRect9pt(285, 94, 15, 10), u"日志", true},
        {1064, dluRect9pt(285, 125, 15, 10), u"日志", true},
        {1065, dluRect9pt(285, 161, 15, 10), u"日志", true},
    };
    for (const LabelLayout& layout : labels) {
        const QString text = QString::fromUtf16(layout.text);
        QLabel* label = layout.reportsClicks ? new ClickLabel(text, this) : new QLabel(text, this);
        label->setObjectName(QString::number(layout.id));
        label->setGeometry(layout.rect);
        // Titles and explanations come from the catalogue: never read as rich text.
        label->setTextFormat(Qt::PlainText);
    }

    const int downloadButtonTops[] = {84, 120, 155};
    for (int row = 0; row < 3; ++row) {
        auto* button = new ClickLabel({}, this);
        button->setObjectName(QString::number(1022 + row));
        button->setGeometry(dluRect9pt(305, downloadButtonTops[row], 30, 13));
        button->setPixmap(loadBitmap(151));
        button->setScaledContents(true);
    }

    auto* pageEdit = new QLineEdit(this);
    pageEdit->setObjectName(QStringLiteral("1014"));
    pageEdit->setGeometry(dluRect9pt(205, 199, 21, 12));
    pageEdit->setReadOnly(true);
    pageEdit->setAlignment(Qt::AlignCenter);
    pageEdit->setValidator(new QIntValidator(pageEdit));
    pageEdit->setFocusPolicy(Qt::NoFocus);

    for (int id : {1029, 1013, 1063, 1064, 1065})
        control(id)->setCursor(linkCursor());
    for (int row = 0; row < 3; ++row) {
        connect(control<ClickLabel>(1022 + row), &ClickLabel::clicked, this,
                [this, row] { OnDownloadButton(row); });
    }
    connect(control<ClickLabel>(1013), &ClickLabel::clicked, this,
            [] { shell().openWebPage(homePageAddress()); });
    connect(control<ClickLabel>(1029), &ClickLabel::clicked, this,
            [this] { UpdateCheck().OnCheckUpdateLink(this); });
}

void CVerdaneDlg::createTitleButtons()
{
    const ButtonLayout buttons[] = {
        {1, dluRect9pt(305, 0, 17, 16), 136},
        {2, dluRect9pt(327, 0, 16, 16), 138},
        {1030, dluRect9pt(278, 0, 18, 15), 152},
    };
    for (const ButtonLayout& layout : buttons) {
        auto* button = new CSkinButton(this);
        button->setObjectName(QString::number(layout.id));
        button->setGeometry(layout.rect);
        button->SetButtonImage(layout.image);
        button->setFocusPolicy(Qt::NoFocus);
    }
    connect(control<CSkinButton>(1), &CSkinButton::clicked, this, &QWidget::showMinimized);
    connect(control<CSkinButton>(2), &CSkinButton::clicked, this, &CVerdaneDlg::reject);
    connect(control<CSkinButton>(1030), &CSkinButton::clicked, this,
            &CVerdaneDlg::openPathSettings);
}

void CVerdaneDlg::createLaunchAndCategoryButtons()
{
    const ButtonLayout launchButtons[] = {
        {3000, pixelRect(11, 111, 162, 159), 140}, {3001, pixelRect(11, 159, 162, 214), 141},
        {3002, pixelRect(11, 214, 162, 269), 143}, {3003, pixelRect(11, 269, 162, 324), 142},
        {3004, pixelRect(11, 324, 162, 379), 139},
    };
    for (const ButtonLayout& layout : launchButtons) {
        auto* button = new CSkinButton(this);
        button->setObjectName(QString::number(layout.id));
        button->setGeometry(layout.rect);
        button->SetButtonImage(layout.image);
        button->setFocusPolicy(Qt::NoFocus);
        button->show();
        const int id = layout.id;
        connect(button, &CSkinButton::clicked, this,
                [this, id] { Launcher().StartTarget(this, id); });
    }
    const ButtonLayout categoryButtons[] = {
        {3005, pixelRect(181, 22, 244, 109), 148}, {3006, pixelRect(244, 22, 307, 109), 146},
        {3007, pixelRect(307, 22, 370, 109), 144}, {3008, pixelRect(370, 22, 433, 109), 147},
        {3009, pixelRect(433, 22, 496, 109), 149}, {3010, pixelRect(496, 22, 559, 109), 145},
    };
    for (const ButtonLayout& layout : categoryButtons) {
        auto* button = new CSkinMusicButton(this);
        button->setObjectName(QString::number(layout.id));
        button->setGeometry(layout.rect);
        button->SetButtonImage(layout.image);
        button->setFocusPolicy(Qt::NoFocus);
        button->show();
    }
}

void CVerdaneDlg::createWebPanels()
{
    const QRect pictureRects[] = {pixelRect(170, 135, 220, 180), pixelRect(170, 200, 220, 245),
                                  pixelRect(170, 265, 220, 310)};
    for (int row = 0; row < 3; ++row) {
        auto* panel = new CWebPanel(20 + row, this);
        panel->setGeometry(pictureRects[row]);
        panel->SetPageUrl(fileServerIndexAddress());
        panel->MoveBrowser(-10, -15);
        panel->hide();
        panel->SetActive(true);
    }
    auto* pagePanel = new CWebPanel(23, this);
    pagePanel->setGeometry(pixelRect(161, 110, 582, 370));
    pagePanel->SetPageUrl(gameSectionAddress());
    pagePanel->SetPlaceholderText(QStringLiteral("无法连接 Nalo Zarn 服务器"));
    pagePanel->show();
    pagePanel->SetActive(true);
}

void CVerdaneDlg::createTrayIcon()
{
    trayMenu_ = new QMenu(QStringLiteral("托盘菜单"), this);
    trayMenu_->setObjectName(QStringLiteral("135"));
    QAction* show = trayMenu_->addAction(QStringLiteral("显示主界面"));
    show->setObjectName(QStringLiteral("1066"));
    trayMenu_->addSeparator();
    QAction* quit = trayMenu_->addAction(QStringLiteral("退出"));
    quit->setObjectName(QStringLiteral("1067"));
    connect(show, &QAction::triggered, this, &CVerdaneDlg::restoreFromTray);
    connect(quit, &QAction::triggered, this, &CVerdaneDlg::quitFromTray);

    tray_ = new QSystemTrayIcon(programIcon(), this);
    tray_->setToolTip(kTitle);
    tray_->setContextMenu(trayMenu_);
    connect(tray_, &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason why) {
                if (why == QSystemTrayIcon::DoubleClick)
                    restoreFromTray();
            });
    tray_->show();
}

void CVerdaneDlg::createWindowMenu()
{
    windowMenu_ = new QMenu(this);
    windowMenu_->addAction(QStringLiteral("最小化(&N)"), this, &QWidget::showMinimized);
    windowMenu_->addAction(QStringLiteral("关闭(&C)"), this, &QWidget::close);
    windowMenu_->addAction(QStringLiteral("打开日志文件夹(&L)..."), this,
                           &CVerdaneDlg::openLogFolder);
    windowMenu_->addSeparator();
    QAction* about = windowMenu_->addAction(QStringLiteral("关于 Verdane(&A)..."));
    connect(about, &QAction::triggered, this, &CVerdaneDlg::showAbout);
}

void CVerdaneDlg::applyControlColours()
{
    for (int id : {1008, 1009, 1010, 1011, 1012, 1013, 1015, 1029})
        colourLabel(control(id), QColor(41, 107, 163), false);
    for (int id : {1016, 1018, 1020})
        colourLabel(control(id), QColor(198, 140, 0), false);
    for (int id : {1017, 1019, 1021})
        colourLabel(control(id), QColor(229, 228, 225), false);
    for (int id : {1063, 1064, 1065})
        colourLabel(control(id), QColor(48, 100, 165), true);
}

void CVerdaneDlg::applyShape()
{
    if (background_.isNull())
        return;
    setMask(background_.mask());
}

void CVerdaneDlg::removeTrayIcon()
{
    if (tray_ != nullptr)
        tray_->hide();
}

void CVerdaneDlg::OnDownloadButton(int row)
{
    if (DownloadBusy) {
        showNotice(QStringLiteral("有数据在下载中，请你稍等片刻！下载完后在进行后续操作.谢谢！"),
                   this);
        return;
    }
    pageView_->SelectedRow = row;
    StartDownload();
}

void CVerdaneDlg::StartDownload()
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
    const qsizetype index = pageView_->pageBase() + pageView_->SelectedRow;
    if (!catalogue_->records().contains(index))
        return;
    waitForDownloadWorker();
    // Busy from the button to the end of the job, so two jobs never share the dialog.
    DownloadBusy = true;
    auto job = std::make_shared<DownloadJob>(
        *this, *loadDown_,
        DownloadJob::Entry{category, index, catalogue_->records().at(index).Down_Link,
                           catalogue_->records().at(index).Down_Sha256},
        DownloadBusy, closingDown_);
    downloadWorker_ = std::thread([job] { job->run(); });
}

void CVerdaneDlg::openPathSettings()
{
    PathSetting dialog;
    dialog.exec();
}

void CVerdaneDlg::waitForDownloadWorker()
{
    if (!downloadWorker_.joinable())
        return;
    // The worker may be waiting for this thread (a message box, the progress):
    // keep serving it until it has ended.
    while (DownloadBusy)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    downloadWorker_.join();
}

void CVerdaneDlg::showAbout()
{
    CAboutDlg about(this);
    about.exec();
}

void CVerdaneDlg::openLogFolder()
{
    QDir().mkpath(logFolder());
    shell().openFolder(logFolder());
}

void CVerdaneDlg::restoreFromTray()
{
    showNormal();
    raise();
    activateWindow();
}

void CVerdaneDlg::quitFromTray()
{
    removeTrayIcon();
    QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection);
}

void CVerdaneDlg::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.drawPixmap(0, 0, backBuffer_);
}

void CVerdaneDlg::mousePressEvent(QMouseEvent* event)
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

void CVerdaneDlg::mouseMoveEvent(QMouseEvent* event)
{
    if (draggingByHand_ && (event->buttons() & Qt::LeftButton))
        move(event->globalPosition().toPoint() - dragOffset_);
}

void CVerdaneDlg::mouseReleaseEvent(QMouseEvent* event)
{
    draggingByHand_ = false;
    QDialog::mouseReleaseEvent(event);
}

bool CVerdaneDlg::eventFilter(QObject* watched, QEvent* event)
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
        control<CSkinButton>(1)->click();
        return true;
    }
    if (modifiers == Qt::AltModifier && key->key() == Qt::Key_Space) {
        windowMenu_->popup(mapToGlobal(QPoint(0, 0)));
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void CVerdaneDlg::contextMenuEvent(QContextMenuEvent* event)
{
    windowMenu_->popup(event->globalPos());
}

void CVerdaneDlg::closeEvent(QCloseEvent* event)
{
    removeTrayIcon();
    QDialog::closeEvent(event);
}

void CVerdaneDlg::reject()
{
    removeTrayIcon();
    QDialog::reject();
}

} // namespace verdane
