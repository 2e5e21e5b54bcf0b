#include "catalogue/ui/PageView.h"

#include "catalogue/MapCatalogue.h"
#include "common/Cp936.h"
#include "common/Prompt.h"
#include "common/Shell.h"
#include "ui/CVerdaneDlg.h"
#include "ui/CWebPanel.h"
#include "ui/ClickLabel.h"
#include "ui/skin/Bitmaps.h"
#include "ui/skin/CSkinMusicButton.h"

#include <QLineEdit>
#include <QPainter>
#include <QSignalBlocker>

namespace verdane {

namespace {

struct RowControls {
    int title;
    int explanation;
    int link;
    int picture;
    int download;
    int textY;
    int markY;
};

constexpr RowControls kRows[PageView::RowsPerPage] = {
    {1016, 1017, 1063, 20, 1022, 163, 148},
    {1018, 1019, 1064, 21, 1023, 226, 210},
    {1020, 1021, 1065, 22, 1024, 289, 272},
};

constexpr int kMarkX = 535;
constexpr int kExplanationX = 233;
constexpr int kLinkWidth = 30;

int categoryOfButton(int buttonId)
{
    return buttonId == 3005 ? PageView::HomeCategory : buttonId - 3006;
}

} // namespace

PageView::PageView(CVerdaneDlg& dialog, MapCatalogue& catalogue)
    : QObject(&dialog)
    , dialog_(dialog)
    , catalogue_(catalogue)
{
}

void PageView::connectControls()
{
    for (int id = 3005; id <= 3010; ++id) {
        connect(dialog_.control<CSkinMusicButton>(id), &CSkinMusicButton::clicked, this,
                [this, id] { OnCategoryClicked(id); });
    }
    connect(dialog_.control<ClickLabel>(1011), &ClickLabel::clicked, this,
            &PageView::OnPreviousPage);
    connect(dialog_.control<ClickLabel>(1012), &ClickLabel::clicked, this, &PageView::OnNextPage);
    connect(dialog_.control<QLineEdit>(1014), &QLineEdit::textChanged, this, &PageView::RenderPage);
    for (const RowControls& row : kRows) {
        const int link = row.link;
        connect(dialog_.control<ClickLabel>(link), &ClickLabel::clicked, this,
                [this, link] { OpenExplainLink(link); });
    }
}

void PageView::showFirstCategory()
{
    setPageEdit(1);
    category_ = 0;
    currentPage_ = 1;
    RenderPage();
}

void PageView::RenderPage()
{
    dialog_.resetBackBuffer();
    if (!catalogue_.LoadCategory(category_)) {
        hideRows();
        invalidatePage();
        return;
    }
    const qsizetype count = catalogue_.records().count();
    rowsOnLastPage_ = static_cast<int>(count % RowsPerPage);
    pageCount_ = static_cast<int>(count / RowsPerPage) + (rowsOnLastPage_ != 0 ? 1 : 0);
    auto* summary = dialog_.control<QLabel>(1008);
    summary->setText(QString::asprintf("共%d页：%d条记录", pageCount_, static_cast<int>(count)));
    summary->show();

    int rowsShown = RowsPerPage;
    if (currentPage_ == pageCount_ && rowsOnLastPage_ != 0)
        rowsShown = rowsOnLastPage_;
    for (int row = 0; row < RowsPerPage; ++row) {
        const qsizetype index = pageBase() + row;
        if (row < rowsShown && catalogue_.records().contains(index))
            showRow(row, index);
        else
            hideRow(row);
    }
    invalidatePage();
}

void PageView::hideRows()
{
    auto* summary = dialog_.control<QLabel>(1008);
    summary->clear();
    summary->hide();
    for (int row = 0; row < RowsPerPage; ++row)
        hideRow(row);
}

void PageView::showRow(int row, qsizetype index)
{
    const RowControls& controls = kRows[row];
    const MapRecord& record = catalogue_.records().at(index);
    auto* title = dialog_.control<QLabel>(controls.title);
    auto* explanation = dialog_.control<QLabel>(controls.explanation);
    title->setText(record.MapName);
    // Widths follow the explanation's length in code page 936 bytes. A text too
    // long for the row is cut with "…" where its "日志" link still ends before
    // the download button.
    double textWidth = static_cast<double>(cp936Length(record.MapExplain)) * 6.7;
    const int widest = dialog_.control(controls.download)->x() - kLinkWidth - kExplanationX;
    if (textWidth > widest) {
        textWidth = widest;
        // Enough characters to fill the label however narrow its letters; the
        // rest of a huge text is never laid out.
        const QString head = record.MapExplain.left(4 * qsizetype{widest});
        explanation->setText(explanation->fontMetrics().elidedText(head, Qt::ElideRight, widest));
    } else {
        explanation->setText(record.MapExplain);
    }
    explanation->setGeometry(kExplanationX, controls.textY, static_cast<int>(textWidth), 19);
    dialog_.control(controls.link)
        ->setGeometry(static_cast<int>(textWidth + kExplanationX), controls.textY, kLinkWidth, 19);
    title->show();
    explanation->show();
    dialog_.control(controls.link)->show();
    dialog_.webPanel(controls.picture)->SetPageUrl(record.Pic_Link);
    dialog_.webPanel(controls.picture)->show();
    if (record.Downloaded) {
        dialog_.control(controls.download)->hide();
        drawMark(row);
    } else {
        dialog_.control(controls.download)->show();
    }
}

void PageView::hideRow(int row)
{
    const RowControls& controls = kRows[row];
    for (int id : {controls.title, controls.explanation, controls.link, controls.download})
        dialog_.control(id)->hide();
    dialog_.webPanel(controls.picture)->hide();
    dialog_.control<QLabel>(controls.title)->clear();
    dialog_.control<QLabel>(controls.explanation)->clear();
}

void PageView::drawMark(int row)
{
    QPainter painter(&dialog_.backBuffer());
    painter.drawPixmap(kMarkX, kRows[row].markY, loadBitmap(1038));
}

void PageView::setPageEdit(int page)
{
    // The edit's change notification renders the page.
    dialog_.control<QLineEdit>(1014)->setText(QString::number(page));
}

void PageView::invalidatePage()
{
    dialog_.update(QRect(QPoint(220, 120), QPoint(589, 369)));
}

void PageView::OnCategoryClicked(int buttonId)
{
    for (int id = 3005; id <= 3010; ++id) {
        if (id == buttonId)
            continue;
        auto* other = dialog_.control<CSkinMusicButton>(id);
        other->selected = false;
        other->update();
    }
    dialog_.webPanel(23)->setVisible(buttonId == 3005);
    const int category = categoryOfButton(buttonId);
    if (category != category_) {
        category_ = category;
        currentPage_ = 1;
        // The rendering below covers it; one query per click is enough.
        const QSignalBlocker blocker(dialog_.control<QLineEdit>(1014));
        setPageEdit(1);
    }
    RenderPage();
}

void PageView::OnPreviousPage()
{
    if (dialog_.control(1008)->isHidden())
        return;
    if (currentPage_ > 1) {
        --currentPage_;
        setPageEdit(currentPage_);
    } else {
        showNotice(QStringLiteral("当前已是第一页"), &dialog_);
    }
}

void PageView::OnNextPage()
{
    if (dialog_.control(1008)->isHidden())
        return;
    if (currentPage_ < pageCount_) {
        ++currentPage_;
        setPageEdit(currentPage_);
    } else {
        showNotice(QStringLiteral("当前已是最后一页"), &dialog_);
    }
}

void PageView::OpenExplainLink(int linkId)
{
    const int row = linkId - kRows[0].link;
    if (category_ == HomeCategory || dialog_.control<QLabel>(kRows[0].title)->text().isEmpty())
        return;
    const qsizetype index = pageBase() + row;
    if (!catalogue_.records().contains(index))
        return;
    shell().openWebPage(catalogue_.records().at(index).ExplainLink);
}

void PageView::OnDownloadDone(int category, qsizetype index, const QString& downLink)
{
    dialog_.resetBackBuffer();
    MapRecordList& records = catalogue_.records();
    // The user may have paged or switched category since the download started:
    // only the entry that was downloaded is marked.
    if (category == category_ && records.contains(index) && records.at(index).Down_Link == downLink)
        records[index].Downloaded = true;
    for (int row = 0; row < RowsPerPage; ++row) {
        const qsizetype shown = pageBase() + row;
        if (dialog_.control(kRows[row].title)->isHidden() || !records.contains(shown))
            continue;
        if (records.at(shown).Downloaded) {
            dialog_.control(kRows[row].download)->hide();
            drawMark(row);
        }
    }
    invalidatePage();
}

} // namespace verdane
