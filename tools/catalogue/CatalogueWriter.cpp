#include "CatalogueWriter.h"
#include "SqliteHandles.h"

#include <QCoreApplication>
#include <QFile>

#include <sqlite3.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

namespace verdane::tool {

namespace {

const char* const Schema = "create table ZarnMapDB ("
                           "Maptype INTEGER NOT NULL, "
                           "UpdateTime TEXT NOT NULL, "
                           "MapName TEXT NOT NULL, "
                           "MapExplain TEXT NOT NULL, "
                           "Pic_Link TEXT NOT NULL, "
                           "Down_Link TEXT NOT NULL, "
                           "ExplainLink TEXT NOT NULL, "
                           "Down_Sha256 TEXT NOT NULL DEFAULT '');"
                           // The program's only query filters on Maptype and sorts on UpdateTime.
                           "create index ZarnMapDB_Category on ZarnMapDB (Maptype, UpdateTime);";

bool bindText(sqlite3_stmt* statement, int index, const QString& text)
{
    const QByteArray bytes = text.toUtf8();
    return sqlite3_bind_text(statement, index, bytes.constData(), static_cast<int>(bytes.size()),
                             SQLITE_TRANSIENT) == SQLITE_OK;
}

} // namespace

CatalogueWriter::CatalogueWriter(QString target)
    : target_(std::move(target))
{
}

bool CatalogueWriter::write(const QList<CatalogueEntry>& entries)
{
    error_.clear();
    const QString temporary =
        QStringLiteral("%1.%2.tmp").arg(target_).arg(QCoreApplication::applicationPid());
    const QByteArray temporaryName = QFile::encodeName(temporary);
    auto discard = [&](const QString& what) {
        error_ = QStringLiteral("%1: %2").arg(temporary, what);
        QFile::remove(temporary);
        QFile::remove(temporary + QStringLiteral("-journal"));
        return false;
    };
    QFile::remove(temporary);

    bool written = false;
    {
        sqlite3* raw = nullptr;
        const int rc = sqlite3_open_v2(temporaryName.constData(), &raw,
                                       SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
        Database db(raw);
        if (rc != SQLITE_OK)
            return discard(
                QString::fromUtf8(raw != nullptr ? sqlite3_errmsg(raw) : sqlite3_errstr(rc)));
        auto failed = [&] { return discard(QString::fromUtf8(sqlite3_errmsg(db.get()))); };

        if (sqlite3_exec(db.get(), "begin", nullptr, nullptr, nullptr) != SQLITE_OK ||
            sqlite3_exec(db.get(), Schema, nullptr, nullptr, nullptr) != SQLITE_OK)
            return failed();
        sqlite3_stmt* rawStatement = nullptr;
        if (sqlite3_prepare_v2(db.get(),
                               "insert into ZarnMapDB (Maptype, UpdateTime, MapName, MapExplain, "
                               "Pic_Link, Down_Link, ExplainLink, Down_Sha256) "
                               "values (?, ?, ?, ?, ?, ?, ?, ?)",
                               -1, &rawStatement, nullptr) != SQLITE_OK)
            return failed();
        Statement insert(rawStatement);
        for (const CatalogueEntry& entry : entries) {
            sqlite3_reset(insert.get());
            const bool bound = sqlite3_bind_int(insert.get(), 1, entry.Maptype) == SQLITE_OK &&
                               bindText(insert.get(), 2, entry.UpdateTime) &&
                               bindText(insert.get(), 3, entry.MapName) &&
                               bindText(insert.get(), 4, entry.MapExplain) &&
                               bindText(insert.get(), 5, entry.Pic_Link) &&
                               bindText(insert.get(), 6, entry.Down_Link) &&
                               bindText(insert.get(), 7, entry.ExplainLink) &&
                               bindText(insert.get(), 8, entry.Down_Sha256);
            if (!bound || sqlite3_step(insert.get()) != SQLITE_DONE)
                return failed();
        }
        insert.reset();
        if (sqlite3_exec(db.get(), "commit", nullptr, nullptr, nullptr) != SQLITE_OK)
            return failed();
        written = sqlite3_close(db.release()) == SQLITE_OK;
    }
    if (!written)
        return discard(QStringLiteral("could not close the new catalogue"));
    // rename() replaces the target in one step.
    if (std::rename(temporaryName.constData(), QFile::encodeName(target_).constData()) != 0)
        return discard(QStringLiteral("cannot replace %1: %2")
                           .arg(target_, QString::fromLocal8Bit(std::strerror(errno))));
    return true;
}

} // namespace verdane::tool
