#include "search/ui/ProgramSearchDialog.h"

#include "common/ControlIds.h"
#include "common/Prompt.h"
#include "log/LogCategories.h"
#include "search/FixedDrives.h"
#include "search/ScanDrives.h"
#include "widgets/Bitmaps.h"
#include "widgets/DialogUnits.h"
#include "widgets/SkinButton.h"

#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>

namespace verdane {

namespace {

const char* const AllDrivesText = "所有本地硬盘";

QString allDrivesText()
{
    return QString::fromUtf8(AllDrivesText);
}

} // namespace

ProgramSearchDialog::ProgramSearchDialog(QWidget* parent)
    : ProgramSearchDialog(listFixedDrives(), parent)
{
}

ProgramSearchDialog::ProgramSearchDialog(const QStringList& roots, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint)
    , framePen_(QColor(209, 208, 190), 1, Qt::SolidLine)
    , scan_(std::make_shared<DriveScan>())
{
    setObjectName(controlName(ControlId::SearchTemplate));
    setWindowTitle(QStringLiteral("搜索游戏程序"));
    setFont(dialogFont8pt());
    textFont_ = serifFont9pt();
    setFixedSize(dluRect8pt(0, 0, 319, 150).size());

    const auto makeButton = [this](int id, const char* text, QRect rect) {
        auto* button = new SkinButton(this);
        button->setObjectName(controlName(id));
        button->setText(QString::fromUtf8(text));
        button->setGeometry(rect);
        return button;
    };
    exit_ = makeButton(ControlId::Cancel, "退出", dluRect8pt(262, 129, 50, 14));
    stop_ = makeButton(ControlId::Stop, "停止", dluRect8pt(201, 129, 50, 14));
    start_ = makeButton(ControlId::Start, "开始", dluRect8pt(140, 129, 50, 14));

    drives_ = new QComboBox(this);
    drives_->setObjectName(controlName(ControlId::Drives));
    drives_->setEditable(true);
    drives_->setInsertPolicy(QComboBox::NoInsert);
    const QRect boxRect = dluRect8pt(69, 67, 107, 55);
    drives_->setGeometry(boxRect.x(), boxRect.y(), boxRect.width(), drives_->sizeHint().height());

    position_ = new QLabel(this);
    position_->setObjectName(controlName(ControlId::Position));
    position_->setTextFormat(Qt::PlainText);
    position_->setWordWrap(true);
    position_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    position_->setGeometry(dluRect8pt(69, 85, 233, 28));

    connect(start_, &SkinButton::clicked, this, &ProgramSearchDialog::onStart);
    connect(stop_, &SkinButton::clicked, this, &ProgramSearchDialog::onStop);
    connect(exit_, &SkinButton::clicked, this, &ProgramSearchDialog::reject);

    initialise(roots);
    connect(drives_, &QComboBox::currentIndexChanged, this, &ProgramSearchDialog::onDriveChosen);
}

ProgramSearchDialog::~ProgramSearchDialog()
{
    scan_->requestStop();
    waitForWorker();
}

void ProgramSearchDialog::initialise(const QStringList& roots)
{
    for (SkinButton* button : {start_, stop_, exit_})
        button->setButtonImage(BitmapId::WideButton);

    drives_->addItem(allDrivesText());
    for (const QString& root : roots)
        addSorted(root);
    drives_->setCurrentIndex(drives_->findText(allDrivesText()));
    driveList_ = everyDrive();
    scan_->addFilter(QStringLiteral(".exe"));
}

void ProgramSearchDialog::setExecutableName(const QString& name)
{
    exeName_ = name;
    update();
}

bool ProgramSearchDialog::workerActive() const
{
    return worker_.isActive();
}

void ProgramSearchDialog::addSorted(const QString& text)
{
    // The box keeps its entries sorted, letter case aside, as a sorted list box does.
    int index = 0;
    while (index < drives_->count() &&
           QString::compare(drives_->itemText(index), text, Qt::CaseInsensitive) <= 0)
        ++index;
    drives_->insertItem(index, text);
}

QStringList ProgramSearchDialog::everyDrive() const
{
    QStringList roots;
    for (int i = 0; i < drives_->count(); ++i) {
        const QString text = drives_->itemText(i);
        if (text != allDrivesText())
            roots.append(text);
    }
    return roots;
}

void ProgramSearchDialog::onDriveChosen()
{
    const QString text = drives_->currentIndex() < 0 ? QString() : drives_->currentText();
    driveList_ = text != allDrivesText() ? QStringList{text} : everyDrive();
}

void ProgramSearchDialog::onStart()
{
    start_->setEnabled(false);
    running_ = true;
    // A stopped worker may not have noticed yet; the context is not shared twice.
    waitForWorker();
    scan_->clearStop();
    const int number = ++scanNumber_;
    // Runs on the worker thread. The dialog outlives every worker (see waitForWorker).
    scan_->setNotify([this, scan = scan_.get(), number, name = exeName_](ScanReport report,
                                                                         const QString& path) {
        const bool found =
            report == ScanReport::Found && path.section(QLatin1Char('/'), -1) == name;
        if (found)
            scan->hold();
        QMetaObject::invokeMethod(
            this, [=, this] { onScanReport(number, report, path, found); }, Qt::QueuedConnection);
        if (found)
            scan->waitWhileHeld();
    });
    worker_.run([scan = scan_, roots = driveList_] { scanDrives(*scan, roots); }, [] {});
}

void ProgramSearchDialog::onStop()
{
    scan_->requestStop();
    running_ = false;
    start_->setEnabled(true);
}

void ProgramSearchDialog::reject()
{
    if (running_) {
        if (!confirmNotice(QStringLiteral("搜索还未停止，你确定要退出吗？"), this))
            return;
        scan_->requestStop();
    }
    QDialog::reject();
}

void ProgramSearchDialog::done(int result)
{
    // The worker never waits for this thread: stopped, it ends at its next check.
    scan_->requestStop();
    running_ = false;
    waitForWorker();
    QDialog::done(result);
}

void ProgramSearchDialog::onScanReport(int scan, ScanReport report, const QString& path, bool found)
{
    // A report that crossed a stop request belongs to a scan the user has ended.
    const auto current = [this, scan] { return scan == scanNumber_ && running_; };
    if (!current())
        return;
    if (report == ScanReport::Finished) {
        qCInfo(lcSearch).noquote() << QStringLiteral("the search found no %1").arg(exeName_);
        showNotice(QStringLiteral("搜索完毕！没有找到对应的文件，请重新确定盘符"), this);
        start_->setEnabled(true);
        scan_->clearStop();
        running_ = false;
        return;
    }
    position_->setText(path);
    if (!found)
        return;
    const bool use = confirmNotice(QStringLiteral("找到一个符合的文件，是否启用！"), this);
    // Stopped or closed while the question was open: the walk has been released.
    if (!current())
        return;
    if (!use) {
        scan_->resume();
        return;
    }
    Q_EMIT useFoundPath(path);
    start_->setEnabled(true);
    scan_->requestStop();
    running_ = false;
    reject();
}

void ProgramSearchDialog::waitForWorker()
{
    // A stop has been requested: the worker sends nothing more and ends at its
    // next check.
    worker_.wait();
}

void ProgramSearchDialog::keyPressEvent(QKeyEvent* event)
{
    if (event->key() != Qt::Key_Return && event->key() != Qt::Key_Enter) {
        QDialog::keyPressEvent(event);
        return;
    }
    // Enter presses the button that has the focus; elsewhere it ends the
    // dialog (done() stops a running scan first).
    if (!SkinButton::pressFocused(this))
        accept();
}

void ProgramSearchDialog::paintEvent(QPaintEvent* event)
{
    QDialog::paintEvent(event);
    QPainter painter(this);
    painter.setFont(textFont_);
    painter.setBackgroundMode(Qt::TransparentMode);
    const int ascent = QFontMetrics(textFont_).ascent();
    const auto text = [&](int x, int y, const QColor& colour, const QString& s) {
        painter.setPen(colour);
        painter.drawText(QPoint(x, y + ascent), s);
    };
    const QColor caption(45, 105, 198);
    text(28, 13, caption, QStringLiteral("信息"));
    text(28, 86, caption, QStringLiteral("搜索"));
    text(27, 50, Qt::black, QStringLiteral("程序：    ") + exeName_);
    text(27, 114, Qt::black, QStringLiteral("选择盘符："));
    text(27, 140, Qt::black, QStringLiteral("当前位置："));

    painter.setPen(framePen_);
    const QPoint frame[] = {{63, 19},  {465, 19}, {468, 22}, {468, 192}, {465, 195},
                            {15, 195}, {12, 192}, {12, 22},  {14, 19},   {19, 19}};
    painter.drawPolyline(frame, int(std::size(frame)));
    for (int y : {92, 93}) {
        painter.drawLine(12, y, 19, y);
        painter.drawLine(63, y, 468, y);
    }
}

} // namespace verdane
