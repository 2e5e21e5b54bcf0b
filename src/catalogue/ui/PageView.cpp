#include "catalogue/ui/PageView.h"

#include "catalogue/MapCatalogue.h"
#include "common/Cp936.h"
#include "common/Prompt.h"
#include "common/Shell.h"
#include "widgets/Bitmaps.h"
#include "widgets/ClickLabel.h"
#include "widgets/WebPanel.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QSignalBlocker>

namespace verdane {

namespace {

// Where a row's texts and its downloaded mark are drawn.
struct RowPlace {
    int textY;
    int markY;
};

constexpr RowPlace RowPlaces[PageView::RowsPerPage] = {{163, 148}, {226, 210}, {289, 272}};

constexpr int MarkX = 535;
constexpr int ExplanationX = 233;
constexpr int LinkWidth = 30;

int categoryOfButton(int buttonId)
{
    return buttonId == ControlId::HomeButton ? MapCatalogue::HomeCategory
                                             : buttonId - ControlId::FirstCategoryButton;
}

} // namespace

PageView::PageView(Controls controls, MapCatalogue& catalogue, QObject* parent)
    : QObject(parent)
    , controls_(std::move(controls))
    , catalogue_(catalogue)
    , category_(MapCatalogue::HomeCategory)
{
    connectControls();
}

void PageView::connectControls()
{
    connect(controls_.categories, &QButtonGroup::idClicked, this, &PageView::selectCategory);
    connect(controls_.previous, &ClickLabel::clicked, this, &PageView::showPreviousPage);
    connect(controls_.next, &ClickLabel::clicked, this, &PageView::showNextPage);
    connect(controls_.pageEdit, &QLineEdit::textChanged, this, &PageView::showPage);
    for (int row = 0; row < RowsPerPage; ++row) {
        connect(controls_.rows[row].link, &ClickLabel::clicked, this,
                [this, row] { openExplainLink(row); });
    }
}

void PageView::openCatalogue(MapCatalogue& catalogue)
{
    if (const std::optional<CatalogueError> error = catalogue.open())
        showNotice(error->text());
}

void PageView::showFirstCategory()
{
    setPageEdit(1);
    category_ = 0;
    currentPage_ = 1;
    showPage();
    controls_.categories->button(ControlId::FirstCategoryButton)->setChecked(true);
}

void PageView::showPage()
{
    controls_.resetBackBuffer();
    page_ = catalogue_.page(category_, pageBase(), RowsPerPage);
    if (page_.error)
        showNotice(page_.error->text());
    if (page_.count == 0) {
        hideRows();
        invalidatePage();
        return;
    }
    const qsizetype count = page_.count;
    rowsOnLastPage_ = static_cast<int>(count % RowsPerPage);
    pageCount_ = static_cast<int>(count / RowsPerPage) + (rowsOnLastPage_ != 0 ? 1 : 0);
    QLabel* summary = controls_.summary;
    summary->setText(QString::asprintf("共%d页：%d条记录", pageCount_, static_cast<int>(count)));
    summary->show();

    // A page past the end (the category has shrunk since the page was chosen) shows no rows.
    int rowsShown = currentPage_ <= pageCount_ ? RowsPerPage : 0;
    if (currentPage_ == pageCount_ && rowsOnLastPage_ != 0)
        rowsShown = rowsOnLastPage_;
    for (int row = 0; row < RowsPerPage; ++row) {
        if (row < rowsShown)
            showRow(row, page_.records.value(row));
        else
            hideRow(row);
    }
    invalidatePage();
}

void PageView::hideRows()
{
    QLabel* summary = controls_.summary;
    summary->clear();
    summary->hide();
    for (int row = 0; row < RowsPerPage; ++row)
        hideRow(row);
}

void PageView::showRow(int row, const MapRecord& record)
{
    const Controls::Row& controls = controls_.rows[row];
    const int textY = RowPlaces[row].textY;
    controls.title->setText(record.MapName);
    // Widths follow the explanation's length in code page 936 bytes. A text too
    // long for the row is cut with "…" where its "日志" link still ends before
    // the download button.
    double textWidth = static_cast<double>(cp936Length(record.MapExplain)) * 6.7;
    const int widest = controls.download->x() - LinkWidth - ExplanationX;
    QLabel* explanation = controls.explanation;
    if (textWidth > widest) {
        textWidth = widest;
        // Enough characters to fill the label however narrow its letters; the
        // rest of a huge text is never laid out.
        const QString head = record.MapExplain.left(4 * qsizetype{widest});
        explanation->setText(explanation->fontMetrics().elidedText(head, Qt::ElideRight, widest));
    } else {
        explanation->setText(record.MapExplain);
    }
    explanation->setGeometry(ExplanationX, textY, static_cast<int>(textWidth), 19);
    controls.link->setGeometry(static_cast<int>(textWidth + ExplanationX), textY, LinkWidth, 19);
    controls.title->show();
    explanation->show();
    controls.link->show();
    controls.picture->setPageUrl(record.Pic_Link);
    controls.picture->show();
    if (record.Downloaded) {
        controls.download->hide();
        drawMark(row);
    } else {
        controls.download->show();
    }
}

void PageView::hideRow(int row)
{
    const Controls::Row& controls = controls_.rows[row];
    for (QWidget* widget :
         std::initializer_list<QWidget*>{controls.title, controls.explanation, controls.link,
                                         controls.download, controls.picture})
        widget->hide();
    controls.title->clear();
    controls.explanation->clear();
}

void PageView::drawMark(int row)
{
    QPainter painter(controls_.backBuffer);
    painter.drawPixmap(MarkX, RowPlaces[row].markY, loadBitmap(BitmapId::DownloadedMark));
}

void PageView::setPageEdit(int page)
{
    // The edit's change notification renders the page.
    controls_.pageEdit->setText(QString::number(page));
}

void PageView::invalidatePage()
{
    controls_.window->update(QRect(QPoint(220, 120), QPoint(589, 369)));
}

void PageView::selectCategory(int buttonId)
{
    // The group is exclusive: the clicked button is the only one checked now.
    controls_.pagePanel->setVisible(buttonId == ControlId::HomeButton);
    const int category = categoryOfButton(buttonId);
    if (category != category_) {
        category_ = category;
        currentPage_ = 1;
        // The rendering below covers it; one query per click is enough.
        const QSignalBlocker blocker(controls_.pageEdit);
        setPageEdit(1);
    }
    showPage();
}

void PageView::showPreviousPage()
{
    if (controls_.summary->isHidden())
        return;
    if (currentPage_ > 1) {
        --currentPage_;
        setPageEdit(currentPage_);
    } else {
        showNotice(QStringLiteral("当前已是第一页"), controls_.window);
    }
}

void PageView::showNextPage()
{
    if (controls_.summary->isHidden())
        return;
    if (currentPage_ < pageCount_) {
        ++currentPage_;
        setPageEdit(currentPage_);
    } else {
        showNotice(QStringLiteral("当前已是最后一页"), controls_.window);
    }
}

void PageView::openExplainLink(int row)
{
    if (category_ == MapCatalogue::HomeCategory || controls_.rows[0].title->text().isEmpty())
        return;
    if (const MapRecord* record = page_.recordAt(pageBase() + row))
        shell().openWebPage(record->ExplainLink);
}

void PageView::markDownloaded(int category, qsizetype index, const QString& downLink)
{
    controls_.resetBackBuffer();
    // The user may have paged or switched category since the download started:
    // only the entry that was downloaded is marked.
    const MapRecord* done = category == category_ ? page_.recordAt(index) : nullptr;
    if (done != nullptr && done->Down_Link == downLink)
        page_.records[index - page_.first].Downloaded = true;
    for (int row = 0; row < RowsPerPage; ++row) {
        const MapRecord* shown = page_.recordAt(pageBase() + row);
        if (controls_.rows[row].title->isHidden() || shown == nullptr)
            continue;
        if (shown->Downloaded) {
            controls_.rows[row].download->hide();
            drawMark(row);
        }
    }
    invalidatePage();
}

} // namespace verdane
