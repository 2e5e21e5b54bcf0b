#include "catalogue/MapCatalogue.h"

#include "catalogue/CatalogueLocation.h"
#include "common/LastLinkPiece.h"
#include "log/LogCategories.h"
#include "settings/ProgramSettings.h"

#include <QDir>
#include <QFile>
#include <QStringConverter>

#include <sqlite3.h>

#include <algorithm>
#include <array>
#include <map>
#include <utility>
#include <vector>

namespace verdane {

namespace {

struct DbCloser {
    void operator()(sqlite3* db) const { sqlite3_close_v2(db); }
};
struct StatementFinalizer {
    void operator()(sqlite3_stmt* statement) const { sqlite3_finalize(statement); }
};
using Database = std::unique_ptr<sqlite3, DbCloser>;
using Statement = std::unique_ptr<sqlite3_stmt, StatementFinalizer>;

// The columns a page shows, in the order they are looked up.
constexpr std::array<const char*, 5> ShownColumns{"MapName", "MapExplain", "Pic_Link", "Down_Link",
                                                  "ExplainLink"};
enum ShownColumn { MapName, MapExplain, Pic_Link, Down_Link, ExplainLink };

// The position of a named column (any letter case, as SQL has it), or -1.
int columnOf(sqlite3_stmt* statement, const char* name)
{
    for (int i = 0; i < sqlite3_column_count(statement); ++i) {
        if (sqlite3_stricmp(sqlite3_column_name(statement, i), name) == 0)
            return i;
    }
    return -1;
}

QByteArrayView bytesOf(sqlite3_stmt* statement, int column)
{
    if (column < 0)
        return {};
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement, column));
    return text != nullptr ? QByteArrayView(text, sqlite3_column_bytes(statement, column))
                           : QByteArrayView();
}

// NULL reads as empty text, numbers as their text.
QString textOf(sqlite3_stmt* statement, int column)
{
    return QString::fromUtf8(bytesOf(statement, column));
}

bool prepare(sqlite3* db, const char* sql, Statement& statement)
{
    sqlite3_stmt* raw = nullptr;
    const int rc = sqlite3_prepare_v2(db, sql, -1, &raw, nullptr);
    statement.reset(raw);
    return rc == SQLITE_OK && raw != nullptr;
}

} // namespace

// A category in its order: the rows' ids, and whether each is the first entry
// of its file name (only those can be marked).
struct MapCatalogue::Order {
    std::vector<sqlite3_int64> rowids;
    std::vector<bool> firstOfName;
};

struct MapCatalogue::Connection {
    Database db;
    // The database's data version when the orders were worked out: another
    // connection's commit changes it.
    sqlite3_int64 dataVersion = -1;
    Statement version;
    // One entry by its row id, with the page's columns.
    Statement row;
    std::array<int, ShownColumns.size()> columns{};
    int sha256 = -1;
    std::map<int, Order> orders;
};

QString MapCatalogue::catalogueFile()
{
    // The working folder's catalogue, or the update installed in its place.
    return CatalogueLocation::catalogueFile();
}

QString MapCatalogue::categoryQuery(int category)
{
    return QString::asprintf("select * from ZarnMapDB where Maptype = %d order by UpdateTime desc",
                             category);
}

QString MapCatalogue::downloadFolder(int category)
{
    return ProgramSettings().downloadFolder(category == ToolsCategory);
}

MapCatalogue::MapCatalogue(const QString& file)
    : file_(file)
    , baseFolder_(QDir::currentPath())
{
}

MapCatalogue::~MapCatalogue() = default;

QString MapCatalogue::file() const
{
    return QDir::cleanPath(
        QDir(baseFolder_).absoluteFilePath(file_.isEmpty() ? catalogueFile() : file_));
}

std::optional<CatalogueError> MapCatalogue::open()
{
    const QString file = this->file();
    connection_.reset();
    opened_ = true;
    openedFile_ = file;
    // Stamped before opening: a change meanwhile opens the file again next time.
    openedStamp_ = FileStamp::of(file);
    openError_.reset();
    openErrorReported_ = false;

    sqlite3* raw = nullptr;
    // Read-only: a missing file is an error and never becomes a new empty database.
    int rc =
        sqlite3_open_v2(QFile::encodeName(file).constData(), &raw, SQLITE_OPEN_READONLY, nullptr);
    Database db(raw);
    if (rc == SQLITE_OK) {
        // SQLite reads the file lazily; reading the schema now makes a file that
        // is not a database fail here rather than at the first query.
        rc = sqlite3_exec(raw, "select count(*) from sqlite_master", nullptr, nullptr, nullptr);
    }
    if (rc != SQLITE_OK) {
        const QString detail = raw != nullptr ? QString::fromUtf8(sqlite3_errmsg(raw))
                                              : QString::fromUtf8(sqlite3_errstr(rc));
        // Logged once, however often the failure is reported again.
        qCWarning(lcCatalogue).noquote()
            << QStringLiteral("cannot open the catalogue %1: %2").arg(file, detail);
        openError_ = CatalogueError{CatalogueError::Failure::Open, file, detail};
        openErrorReported_ = true;
        return openError_;
    }
    connection_ = std::make_unique<Connection>();
    connection_->db = std::move(db);
    return std::nullopt;
}

MapCatalogue::Connection* MapCatalogue::connection(const QString& file)
{
    const bool unchanged = opened_ && file == openedFile_ && FileStamp::of(file) == openedStamp_;
    if (std::exchange(openErrorReported_, false) && unchanged) {
        // open() has just failed and its caller has reported it.
        error_.reset();
        return nullptr;
    }
    // A file that changed within the time stamps' granularity may have changed
    // again unseen: it is opened again until its stamp has settled.
    if (!unchanged || !openedStamp_.settled()) {
        open();
        openErrorReported_ = false;
    }
    error_ = openError_;
    return connection_.get();
}

CatalogueError MapCatalogue::readError(const char* doing) const
{
    sqlite3* db = connection_->db.get();
    const QString detail = QString::fromUtf8(sqlite3_errmsg(db));
    qCWarning(lcCatalogue).noquote()
        << QStringLiteral("%1 the catalogue %2 failed: %3")
               .arg(QLatin1String(doing), QString::fromUtf8(sqlite3_db_filename(db, "main")),
                    detail);
    return {CatalogueError::Failure::Read, openedFile_, detail};
}

CataloguePage MapCatalogue::page(int category, qsizetype first, int rows)
{
    CataloguePage page;
    page.first = first;
    Connection* connection = this->connection(file());
    if (connection == nullptr) {
        page.error = error_;
        return page;
    }
    sqlite3* db = connection->db.get();
    // One read transaction: the whole page comes from one state of the file.
    bool read = sqlite3_exec(db, "begin", nullptr, nullptr, nullptr) == SQLITE_OK &&
                (connection->version || prepare(db, "pragma data_version", connection->version)) &&
                sqlite3_step(connection->version.get()) == SQLITE_ROW;
    if (read) {
        const sqlite3_int64 version = sqlite3_column_int64(connection->version.get(), 0);
        if (version != connection->dataVersion) {
            // Another connection has written: what was worked out goes.
            connection->orders.clear();
            connection->row.reset();
            connection->dataVersion = version;
        }
    } else {
        error_ = readError("query of");
    }
    if (connection->version)
        sqlite3_reset(connection->version.get());
    auto order = connection->orders.find(category);
    if (read && order == connection->orders.end()) {
        Order built;
        read = buildOrder(category, built);
        if (read)
            order = connection->orders.emplace(category, std::move(built)).first;
    }
    if (read) {
        page.count = static_cast<qsizetype>(order->second.rowids.size());
        read = readRecords(order->second, rows, page);
    }
    // Ends the read (and the lock on the file) whatever happened.
    sqlite3_exec(db, "rollback", nullptr, nullptr, nullptr);
    if (!read) {
        page.error = error_;
        page.count = 0;
        page.records.clear();
        return page;
    }
    markDownloaded(category, order->second, page);
    return page;
}

bool MapCatalogue::buildOrder(int category, Order& order)
{
    sqlite3* db = connection_->db.get();
    // The category query with only what the order needs: the same rows in the
    // same order, each row's id and link.
    const QByteArray sql =
        categoryQuery(category)
            .replace(QStringLiteral("select *"), QStringLiteral("select rowid, Down_Link"))
            .toUtf8();
    Statement statement;
    int rc = SQLITE_ERROR;
    if (prepare(db, sql.constData(), statement))
        rc = sqlite3_step(statement.get());
    if (rc != SQLITE_ROW && rc != SQLITE_DONE) {
        error_ = readError("query of");
        return false;
    }

    // Each file name marks only the first entry that has it.
    NameSet names;
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString link;
    for (; rc == SQLITE_ROW; rc = sqlite3_step(statement.get())) {
        order.rowids.push_back(sqlite3_column_int64(statement.get(), 0));
        const QByteArrayView bytes = bytesOf(statement.get(), 1);
        link.resize(bytes.size());
        const QChar* end = decoder.appendToBuffer(link.data(), bytes);
        const QStringView name =
            lastLinkPiece(QStringView(link.constData(), end - link.constData()));
        order.firstOfName.push_back(!name.isEmpty() && names.insert(name));
    }
    if (rc != SQLITE_DONE) {
        error_ = readError("reading");
        return false;
    }
    return true;
}

bool MapCatalogue::findColumns(sqlite3_stmt* statement, std::array<int, 5>& columns)
{
    for (std::size_t i = 0; i < ShownColumns.size(); ++i) {
        columns[i] = columnOf(statement, ShownColumns[i]);
        if (columns[i] < 0) {
            const QString detail =
                QStringLiteral("no such column: %1").arg(QLatin1String(ShownColumns[i]));
            qCWarning(lcCatalogue).noquote()
                << QStringLiteral("reading the catalogue %1 failed: %2")
                       .arg(QString::fromUtf8(sqlite3_db_filename(connection_->db.get(), "main")),
                            detail);
            error_ = CatalogueError{CatalogueError::Failure::Read, openedFile_, detail};
            return false;
        }
    }
    return true;
}

bool MapCatalogue::readRecords(const Order& order, int rows, CataloguePage& page)
{
    const qsizetype count = static_cast<qsizetype>(order.rowids.size());
    if (count == 0)
        return true;
    sqlite3* db = connection_->db.get();
    Connection& connection = *connection_;
    if (!connection.row) {
        if (!prepare(db, "select * from ZarnMapDB where rowid = ?", connection.row)) {
            error_ = readError("query of");
            return false;
        }
        if (!findColumns(connection.row.get(), connection.columns)) {
            connection.row.reset();
            return false;
        }
        connection.sha256 = columnOf(connection.row.get(), "Down_Sha256");
    }
    sqlite3_stmt* row = connection.row.get();
    const qsizetype end = std::min(count, page.first + rows);
    for (qsizetype at = std::max<qsizetype>(0, page.first); at < end; ++at) {
        sqlite3_bind_int64(row, 1, order.rowids[static_cast<std::size_t>(at)]);
        const int rc = sqlite3_step(row);
        if (rc != SQLITE_ROW) {
            error_ = readError("reading");
            sqlite3_reset(row);
            return false;
        }
        MapRecord record;
        record.MapName = textOf(row, connection.columns[MapName]);
        record.MapExplain = textOf(row, connection.columns[MapExplain]);
        record.Pic_Link = textOf(row, connection.columns[Pic_Link]);
        record.Down_Link = textOf(row, connection.columns[Down_Link]);
        record.ExplainLink = textOf(row, connection.columns[ExplainLink]);
        record.Down_Sha256 = textOf(row, connection.sha256);
        page.records.append(std::move(record));
        sqlite3_reset(row);
    }
    return true;
}

void MapCatalogue::markDownloaded(int category, const Order& order, CataloguePage& page)
{
    if (page.records.isEmpty())
        return;
    const NameSet& names = folder_.of(downloadFolder(category));
    for (qsizetype i = 0; i < page.records.size(); ++i) {
        MapRecord& record = page.records[i];
        record.Downloaded = order.firstOfName[static_cast<std::size_t>(page.first + i)] &&
                            names.contains(record.fileName());
    }
}

} // namespace verdane
