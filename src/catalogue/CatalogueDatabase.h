#pragma once

#include "catalogue/CatalogueLocation.h"
#include "catalogue/RecordSet.h"

#include <QString>

#include <memory>

struct sqlite3;

namespace verdane {

// The connection to the catalogue file, opened once and read-only. Every
// database error is shown in the notice box (what failed on which file, then
// SQLite's own text) and then swallowed: callers only ever see a result set or none.
class CatalogueDatabase {
public:
    // The catalogue the program opens (the working folder's, or its update).
    static QString defaultFile() { return CatalogueLocation::catalogueFile(); }

    explicit CatalogueDatabase(const QString& file = defaultFile());
    ~CatalogueDatabase();
    CatalogueDatabase(const CatalogueDatabase&) = delete;
    CatalogueDatabase& operator=(const CatalogueDatabase&) = delete;

    bool isOpen() const { return db_ != nullptr; }

    // Runs one statement and returns its rows, which become the current result
    // set. After a failure the current result set is returned as it stood (the
    // previous query's rows, or none before the first successful query).
    std::shared_ptr<RecordSet> executeSql(const QString& sql);

private:
    // The box text of a failed query.
    QString readError(const QString& detail) const;

    QString file_;
    sqlite3* db_ = nullptr;
    // Why the file could not be opened; shown again at every query but the
    // first, which follows the box of the open itself.
    QString openError_;
    bool openErrorShown_ = false;
    std::shared_ptr<RecordSet> current_;
};

} // namespace verdane
