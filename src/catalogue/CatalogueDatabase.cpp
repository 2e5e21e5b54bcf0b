#include "catalogue/CatalogueDatabase.h"

#include "catalogue/CatalogueError.h"
#include "common/Prompt.h"
#include "log/LogCategories.h"

#include <QDir>
#include <QFile>

#include <sqlite3.h>

namespace verdane {

CatalogueDatabase::CatalogueDatabase(const QString& file)
    : file_(file)
{
    sqlite3* db = nullptr;
    // Read-only: a missing file is an error and never becomes a new empty database.
    int rc =
        sqlite3_open_v2(QFile::encodeName(file).constData(), &db, SQLITE_OPEN_READONLY, nullptr);
    if (rc == SQLITE_OK) {
        // SQLite reads the file lazily; reading the schema now makes a file that
        // is not a database fail here rather than at the first query.
        rc = sqlite3_exec(db, "select count(*) from sqlite_master", nullptr, nullptr, nullptr);
    }
    if (rc != SQLITE_OK) {
        const QString detail = db != nullptr ? QString::fromUtf8(sqlite3_errmsg(db))
                                             : QString::fromUtf8(sqlite3_errstr(rc));
        openError_ = catalogueErrorText(CatalogueFailure::Open, file, detail);
        sqlite3_close(db);
        // Logged once: the same text comes back in a box at every query.
        qCWarning(lcCatalogue).noquote()
            << QStringLiteral("cannot open the catalogue %1: %2")
                   .arg(QDir::cleanPath(QDir().absoluteFilePath(file)), detail);
        showNotice(openError_);
        // The query that follows at once would only repeat it.
        openErrorShown_ = true;
        return;
    }
    db_ = db;
}

CatalogueDatabase::~CatalogueDatabase()
{
    current_.reset();
    // Result sets handed out may outlive the connection; the handle closes
    // when the last of their statements is finalised.
    sqlite3_close_v2(db_);
}

std::shared_ptr<RecordSet> CatalogueDatabase::executeSql(const QString& sql)
{
    if (db_ == nullptr) {
        if (!openErrorShown_)
            showNotice(openError_);
        openErrorShown_ = false;
        return current_;
    }
    const QByteArray text = sql.toUtf8();
    sqlite3_stmt* statement = nullptr;
    int rc = sqlite3_prepare_v2(db_, text.constData(), static_cast<int>(text.size()), &statement,
                                nullptr);
    if (rc == SQLITE_OK && statement == nullptr) {
        // Only white space or a comment: there is nothing to run.
        qCWarning(lcCatalogue).noquote() << QStringLiteral("no statement in \"%1\"").arg(sql);
        showNotice(readError(QStringLiteral("not an SQL statement")));
        return current_;
    }
    if (rc == SQLITE_OK)
        rc = sqlite3_step(statement);
    if (rc != SQLITE_ROW && rc != SQLITE_DONE) {
        qCWarning(lcCatalogue).noquote()
            << QStringLiteral("query of the catalogue %1 failed: %2")
                   .arg(QString::fromUtf8(sqlite3_db_filename(db_, "main")),
                        QString::fromUtf8(sqlite3_errmsg(db_)));
        showNotice(readError(QString::fromUtf8(sqlite3_errmsg(db_))));
        sqlite3_finalize(statement);
        return current_;
    }
    current_ = std::make_shared<RecordSet>(statement, rc);
    return current_;
}

QString CatalogueDatabase::readError(const QString& detail) const
{
    return catalogueErrorText(CatalogueFailure::Read, file_, detail);
}

} // namespace verdane
