#pragma once

#include <QObject>
#include <QString>

namespace verdane {

class CVerdaneDlg;
class MapCatalogue;

// The catalogue page of the main window: six category buttons, three rows,
// the page summary, previous/next and the page number. Main thread only.
class PageView : public QObject {
    Q_OBJECT
public:
    static constexpr int RowsPerPage = 3;
    static constexpr int HomeCategory = 99;

    PageView(CVerdaneDlg& dialog, MapCatalogue& catalogue);

    // Hooks the page's controls to the handlers below.
    void connectControls();
    // The state of a freshly opened window: category 0, page 1.
    void showFirstCategory();

    void RenderPage();
    void OnCategoryClicked(int buttonId);
    void OnPreviousPage();
    void OnNextPage();
    void OpenExplainLink(int linkId);
    // A download has finished: marks the entry (identified by the category and
    // list position it had when the download started, and its link) and draws
    // the marks of the page shown.
    void OnDownloadDone(int category, qsizetype index, const QString& downLink);

    int category() const { return category_; }
    int currentPage() const { return currentPage_; }
    int pageCount() const { return pageCount_; }
    int rowsOnLastPage() const { return rowsOnLastPage_; }
    // The list position of the page's first row.
    qsizetype pageBase() const { return static_cast<qsizetype>(currentPage_ - 1) * RowsPerPage; }
    int SelectedRow = 0;

private:
    void hideRows();
    void showRow(int row, qsizetype index);
    void hideRow(int row);
    void drawMark(int row);
    void setPageEdit(int page);
    void invalidatePage();

    CVerdaneDlg& dialog_;
    MapCatalogue& catalogue_;
    int category_ = HomeCategory;
    int pageCount_ = 0;
    int rowsOnLastPage_ = 0;
    int currentPage_ = 1;
};

} // namespace verdane
