#include "CategoryListing.h"

#include "CatalogueSource.h"

#include "SqliteHandles.h"
#include "catalogue/CatalogueError.h"

#include <QFile>
#include <QStringList>

#include <sqlite3.h>

#include <cstdio>
#include <memory>

namespace verdane::tool {

namespace {

void printLine(FILE* stream, const QString& text)
{
    std::fputs(text.toUtf8().constData(), stream);
    std::fputc('\n', stream);
}

int fail(CatalogueError::Failure failure, const QString& file, const QString& detail)
{
    printLine(stderr,
              QStringLiteral("verdane-catalogue: ") + CatalogueError{failure, file, detail}.text());
    return 1;
}

} // namespace

int listCategory(const QString& file, const QString& query)
{
    sqlite3* raw = nullptr;
    int rc =
        sqlite3_open_v2(QFile::encodeName(file).constData(), &raw, SQLITE_OPEN_READONLY, nullptr);
    Database db(raw);
    // The schema read at once: a file that is not a database fails as opening.
    if (rc == SQLITE_OK)
        rc = sqlite3_exec(raw, "select count(*) from sqlite_master", nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK)
        return fail(CatalogueError::Failure::Open, file,
                    QString::fromUtf8(raw != nullptr ? sqlite3_errmsg(raw) : sqlite3_errstr(rc)));
    sqlite3_stmt* rawStatement = nullptr;
    if (sqlite3_prepare_v2(raw, query.toUtf8().constData(), -1, &rawStatement, nullptr) !=
        SQLITE_OK)
        return fail(CatalogueError::Failure::Read, file, QString::fromUtf8(sqlite3_errmsg(raw)));
    Statement statement(rawStatement);
    const QStringList columns = CatalogueSource::columns();
    QList<int> positions;
    for (const QString& column : columns) {
        int position = -1;
        for (int i = 0; i < sqlite3_column_count(rawStatement) && position < 0; ++i) {
            if (column.compare(QString::fromUtf8(sqlite3_column_name(rawStatement, i)),
                               Qt::CaseInsensitive) == 0)
                position = i;
        }
        if (position < 0)
            return fail(CatalogueError::Failure::Read, file,
                        QStringLiteral("no such column: %1").arg(column));
        positions.append(position);
    }
    printLine(stdout, columns.join(u'\t'));
    int step = SQLITE_ROW;
    while ((step = sqlite3_step(rawStatement)) == SQLITE_ROW) {
        QStringList fields;
        for (const int position : positions)
            fields.append(QString::fromUtf8(
                reinterpret_cast<const char*>(sqlite3_column_text(rawStatement, position))));
        printLine(stdout, fields.join(u'\t'));
    }
    if (step != SQLITE_DONE)
        return fail(CatalogueError::Failure::Read, file, QString::fromUtf8(sqlite3_errmsg(raw)));
    return 0;
}

} // namespace verdane::tool
