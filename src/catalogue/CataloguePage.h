#pragma once

#include "catalogue/CatalogueError.h"
#include "catalogue/MapRecord.h"

#include <QList>

#include <optional>

namespace verdane {

// What one read of a category gives the page view: how many entries the
// category has, and the entries of one page with their downloaded marks.
struct CataloguePage {
    // Set when the catalogue could not be read; the rest is then empty.
    std::optional<CatalogueError> error;
    // The entries of the category; 0 when it has none.
    qsizetype count = 0;
    // The position in the category (from 0) of the first record.
    qsizetype first = 0;
    // The entries from first on, in the category's order, as many as asked
    // for and the category holds.
    QList<MapRecord> records;

    // The record at position index of the category, or nullptr when it is not on this page.
    const MapRecord* recordAt(qsizetype index) const
    {
        return index >= first && index - first < records.size() ? &records[index - first] : nullptr;
    }
};

} // namespace verdane
