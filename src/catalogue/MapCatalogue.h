#pragma once

#include "catalogue/CatalogueDatabase.h"
#include "catalogue/FileNameIndex.h"
#include "catalogue/MapRecord.h"
#include "catalogue/MapRecordList.h"
#include "catalogue/RecordSet.h"

#include <QString>

#include <memory>

namespace verdane {

// The catalogue as the main window holds it: the connection, the current result
// set, the entries of the last category loaded and their downloaded marks.
// Main thread only.
class MapCatalogue {
public:
    // The category whose files go to the tools folder; every other one is a map category.
    static constexpr int ToolsCategory = 4;

    // Opens the catalogue file (see CatalogueDatabase); a failure has been shown and
    // leaves a catalogue whose every load returns false.
    explicit MapCatalogue(const QString& file = CatalogueDatabase::defaultFile());

    // The query loadCategory runs for a category.
    static QString categoryQuery(int category);

    // Reloads the list from the catalogue and marks the entries already on disk.
    // False when the category has no rows or the query failed: the list and its
    // marks then stay exactly as they were.
    bool loadCategory(int category);

    // Sets Downloaded of every entry whose file lies in the download folder of the
    // category last loaded. Runs at the end of every successful loadCategory.
    void markDownloaded();

    // The download folder of a category from the settings, empty when its path
    // setting is not set: the game's "Maps/NaloBox" folder, or the tools folder.
    static QString downloadFolder(int category);

    const MapRecordList& records() const { return list_; }
    // The page view marks an entry after its download succeeded.
    MapRecordList& records() { return list_; }

private:
    CatalogueDatabase conn_;
    std::shared_ptr<RecordSet> resultSet_;
    MapRecordList list_;
    // The list before the current one, whose storage the next load reuses.
    MapRecordList spare_;
    FileNameIndex names_;
    int category_ = 99;
};

} // namespace verdane
