#include "catalogue/RecordSet.h"

#include "catalogue/CatalogueError.h"
#include "common/Prompt.h"
#include "log/LogCategories.h"

#include <sqlite3.h>

namespace verdane {

RecordSet::RecordSet(sqlite3_stmt* statement, int firstStep)
    : statement_(statement)
{
    const int columns = sqlite3_column_count(statement_);
    columns_.reserve(columns);
    for (int i = 0; i < columns; ++i)
        columns_.append(QString::fromUtf8(sqlite3_column_name(statement_, i)));
    take(firstStep);
}

RecordSet::~RecordSet()
{
    sqlite3_finalize(statement_);
}

void RecordSet::take(int stepResult)
{
    if (stepResult == SQLITE_ROW) {
        eof_ = false;
        return;
    }
    eof_ = true;
    if (stepResult != SQLITE_DONE)
        fail(QString::fromUtf8(sqlite3_errmsg(sqlite3_db_handle(statement_))));
}

void RecordSet::fail(const QString& text)
{
    eof_ = true;
    failed_ = true;
    // Leave the statement reset so that it holds no read lock on the file.
    sqlite3_reset(statement_);
    qCWarning(lcCatalogue).noquote()
        << QStringLiteral("reading the catalogue %1 failed: %2")
               .arg(QString::fromUtf8(sqlite3_db_filename(sqlite3_db_handle(statement_), "main")),
                    text);
    showNotice(catalogueErrorText(CatalogueFailure::Read, sqlite3_db_handle(statement_), text));
}

void RecordSet::MoveFirst()
{
    if (row_ == 0 && !failed_)
        return;
    sqlite3_reset(statement_);
    row_ = 0;
    failed_ = false;
    take(sqlite3_step(statement_));
}

void RecordSet::MoveNext()
{
    if (eof_)
        return;
    ++row_;
    take(sqlite3_step(statement_));
}

int RecordSet::optionalColumn(const QString& columnName) const
{
    // SQL does not care about the letter case of column names, nor do we.
    for (qsizetype i = 0; i < columns_.size(); ++i) {
        if (columns_.at(i).compare(columnName, Qt::CaseInsensitive) == 0)
            return static_cast<int>(i);
    }
    return -1;
}

int RecordSet::columnIndex(const QString& columnName)
{
    const int column = optionalColumn(columnName);
    if (column >= 0)
        return column;
    if (!failed_)
        fail(QStringLiteral("no such column: %1").arg(columnName));
    return -1;
}

QString RecordSet::getCollect(const QString& columnName)
{
    // The rows already ended in an error box; one box is enough.
    if (failed_)
        return {};
    return getCollect(columnIndex(columnName));
}

QString RecordSet::getCollect(int column)
{
    QString text;
    getCollect(column, text);
    return text;
}

QByteArrayView RecordSet::getBytes(int column)
{
    if (failed_ || column < 0)
        return {};
    if (eof_ || column >= columns_.size()) {
        fail(QStringLiteral("no current row to read column %1 from").arg(column + 1));
        return {};
    }
    const auto* utf8 = reinterpret_cast<const char*>(sqlite3_column_text(statement_, column));
    return utf8 != nullptr ? QByteArrayView(utf8, sqlite3_column_bytes(statement_, column))
                           : QByteArrayView();
}

void RecordSet::getCollect(int column, QString& text)
{
    const QByteArrayView utf8 = getBytes(column);
    // UTF-16 never needs more units than UTF-8 has bytes; resize() keeps the
    // capacity the string already has.
    text.resize(utf8.size());
    if (utf8.isEmpty())
        return;
    const QChar* end = decoder_.appendToBuffer(text.data(), utf8);
    text.resize(end - text.constData());
}

} // namespace verdane
