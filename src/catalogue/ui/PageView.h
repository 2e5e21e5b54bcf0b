#pragma once

#include "catalogue/CataloguePage.h"
#include "common/ControlIds.h"

#include <QObject>
#include <QString>

#include <array>
#include <functional>

class QButtonGroup;
class QLabel;
class QLineEdit;
class QPixmap;
class QWidget;

namespace verdane {

class WebPanel;
class ClickLabel;
class MapCatalogue;

// The catalogue page of the main window: six category buttons, three rows,
// the page summary, previous/next and the page number. Main thread only.
class PageView : public QObject {
    Q_OBJECT
public:
    static constexpr int RowsPerPage = ControlId::RowsPerPage;

    // What the page draws on, all owned by its window.
    struct Controls {
        struct Row {
            QLabel* title;
            QLabel* explanation;
            ClickLabel* link;
            WebPanel* picture;
            QWidget* download;
        };
        // Owns the message boxes; the page area of it is repainted.
        QWidget* window;
        // The picture painting copies to the window, and how to start it afresh.
        QPixmap* backBuffer;
        std::function<void()> resetBackBuffer;
        // The home and category buttons, by their control ids.
        QButtonGroup* categories;
        QLabel* summary;
        ClickLabel* previous;
        ClickLabel* next;
        QLineEdit* pageEdit;
        WebPanel* pagePanel;
        std::array<Row, RowsPerPage> rows;
    };

    PageView(Controls controls, MapCatalogue& catalogue, QObject* parent);

    // Opens the catalogue the page shows and reports a failure in the error box.
    static void openCatalogue(MapCatalogue& catalogue);

    // The state of a freshly opened window: category 0, page 1, its button selected.
    void showFirstCategory();
    // A download has finished: marks the entry (identified by the category and
    // list position it had when the download started, and its link) and draws
    // the marks of the page shown.
    void markDownloaded(int category, qsizetype index, const QString& downLink);

    int category() const { return category_; }
    int currentPage() const { return currentPage_; }
    // The list position of the page's first row.
    qsizetype pageBase() const { return static_cast<qsizetype>(currentPage_ - 1) * RowsPerPage; }
    // The row whose download button was pressed last.
    int selectedRow() const { return selectedRow_; }
    void setSelectedRow(int row) { selectedRow_ = row; }
    // The entry at a list position of the category when the page shows it, else nullptr.
    const MapRecord* shownEntry(qsizetype index) const { return page_.recordAt(index); }

private:
    void connectControls();
    // Reads the page from the catalogue and shows it.
    void showPage();
    void selectCategory(int buttonId);
    void showPreviousPage();
    void showNextPage();
    void openExplainLink(int row);
    void hideRows();
    void showRow(int row, const MapRecord& record);
    void hideRow(int row);
    void drawMark(int row);
    void setPageEdit(int page);
    void invalidatePage();

    Controls controls_;
    MapCatalogue& catalogue_;
    // The home category until the first page shows.
    int category_;
    int pageCount_ = 0;
    int rowsOnLastPage_ = 0;
    int currentPage_ = 1;
    int selectedRow_ = 0;
    // What the page shows.
    CataloguePage page_;
};

} // namespace verdane
