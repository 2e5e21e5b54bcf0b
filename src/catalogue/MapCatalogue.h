#pragma once

#include "catalogue/CatalogueError.h"
#include "catalogue/CataloguePage.h"
#include "catalogue/FileStamp.h"
#include "catalogue/FolderNames.h"

#include <QString>

#include <array>
#include <memory>
#include <optional>

struct sqlite3_stmt;

namespace verdane {

// The catalogue of maps and tools: the catalogue file, opened read-only, and
// its entries one category at a time, with the marks of those whose file lies
// in their download folder. Main thread only.
//
// Every read shows the catalogue and the folder as they are at that moment: a
// catalogue file replaced or changed, a file added to or removed from the
// folder, shows at the next read. What was worked out for a category (its
// order and which entry is the first of each file name) is kept while the
// catalogue is unchanged, and the folder's names while the folder is, so a
// read costs the same however big the two are.
class MapCatalogue {
public:
    // The category of the home button, and the one whose files go to the tools
    // folder; every other one is a map category.
    static constexpr int HomeCategory = 99;
    static constexpr int ToolsCategory = 4;

    // The catalogue file the program reads.
    static QString catalogueFile();
    // The query that gives a category's entries in their order.
    static QString categoryQuery(int category);
    // The download folder of a category from the settings, empty when its path
    // setting is not set: the game's "Maps/NaloBox" folder, or the tools folder.
    static QString downloadFolder(int category);

    // Reads file; without one, catalogueFile() as it is at each read. A
    // relative path is taken from the current directory of now.
    explicit MapCatalogue(const QString& file = {});
    ~MapCatalogue();
    MapCatalogue(const MapCatalogue&) = delete;
    MapCatalogue& operator=(const MapCatalogue&) = delete;

    // Opens the catalogue file and returns why it could not be opened. The
    // caller reports that; the read right after then gives no rows rather
    // than the same failure again. Reads open the file themselves when needed.
    std::optional<CatalogueError> open();

    // The category's count and its entries from position first on, at most
    // rows of them, with their downloaded marks: an entry is marked when a
    // file of its name lies in the category's download folder and no entry
    // before it in the category has that name.
    CataloguePage page(int category, qsizetype first, int rows);

private:
    struct Connection;
    struct Order;

    QString file() const;
    // The connection to the file as it is now, opened again when the file has
    // changed; nullptr after a failure, which error_ then holds.
    Connection* connection(const QString& file);
    CatalogueError readError(const char* doing) const;
    bool buildOrder(int category, Order& order);
    // The positions of the shown columns in statement's rows; false (with
    // error_ set) when one is missing.
    bool findColumns(sqlite3_stmt* statement, std::array<int, 5>& columns);
    bool readRecords(const Order& order, int rows, CataloguePage& page);
    void markDownloaded(int category, const Order& order, CataloguePage& page);

    QString file_;
    QString baseFolder_;
    std::unique_ptr<Connection> connection_;
    // The file as it was when last opened, whether or not that worked.
    QString openedFile_;
    FileStamp openedStamp_;
    bool opened_ = false;
    std::optional<CatalogueError> openError_;
    // The caller of open() has reported openError_.
    bool openErrorReported_ = false;
    std::optional<CatalogueError> error_;
    FolderNames folder_;
};

} // namespace verdane
