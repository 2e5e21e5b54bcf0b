#pragma once

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

class SkinTabButton;
class WebPanel;
class ClickLabel;
class MapCatalogue;

// The catalogue page of the main window: six category buttons, three rows,
// the page summary, previous/next and the page number. Main thread only.
class PageView : public QObject {
    Q_OBJECT
public:
    static constexpr int RowsPerPage = ControlId::RowsPerPage;
    static constexpr int HomeCategory = 99;

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

    // The state of a freshly opened window: category 0, page 1.
    void showFirstCategory();

    void renderPage();
    void onCategoryClicked(int buttonId);
    void onPreviousPage();
    void onNextPage();
    void openExplainLink(int row);
    // A download has finished: marks the entry (identified by the category and
    // list position it had when the download started, and its link) and draws
    // the marks of the page shown.
    void onDownloadDone(int category, qsizetype index, const QString& downLink);

    int category() const { return category_; }
    int currentPage() const { return currentPage_; }
    // The list position of the page's first row.
    qsizetype pageBase() const { return static_cast<qsizetype>(currentPage_ - 1) * RowsPerPage; }
    int selectedRow = 0;

private:
    void connectControls();
    void hideRows();
    void showRow(int row, qsizetype index);
    void hideRow(int row);
    void drawMark(int row);
    void setPageEdit(int page);
    void invalidatePage();

    Controls controls_;
    MapCatalogue& catalogue_;
    int category_ = HomeCategory;
    int pageCount_ = 0;
    int rowsOnLastPage_ = 0;
    int currentPage_ = 1;
};

} // namespace verdane
