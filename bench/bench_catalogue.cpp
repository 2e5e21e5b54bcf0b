// Page render cost of the catalogue at scale: loadCategory (the category query,
// the records and the downloaded marks) on 10,000 entries with 10,000 files in
// the download folder, against the least any implementation must do — the same
// SQL stepped through sqlite3 reading the five columns, plus a plain readdir of
// the folder — measured in the same run.
//
// Usage: bench_catalogue [repetitions]

#include "catalogue/MapCatalogue.h"
#include "settings/LaunchTarget.h"
#include "settings/ProgramSettings.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>

#include <dirent.h>
#include <sqlite3.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

using namespace verdane;

namespace {

constexpr int entries = 10000;
constexpr int files = 10000;
constexpr int category = 0;

using Clock = std::chrono::steady_clock;

double millisecondsSince(Clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

double minimum(const std::vector<double>& values)
{
    return *std::min_element(values.begin(), values.end());
}

bool exec(sqlite3* db, const char* sql)
{
    char* error = nullptr;
    if (sqlite3_exec(db, sql, nullptr, nullptr, &error) == SQLITE_OK)
        return true;
    std::fprintf(stderr, "sqlite: %s\n", error);
    sqlite3_free(error);
    return false;
}

// The catalogue as verdane-catalogue writes it: the same table and index.
bool writeCatalogue(const QString& path)
{
    sqlite3* db = nullptr;
    if (sqlite3_open(QFile::encodeName(path).constData(), &db) != SQLITE_OK)
        return false;
    bool ok =
        exec(db, "begin;"
                 "create table ZarnMapDB (Maptype INTEGER NOT NULL, UpdateTime TEXT NOT NULL, "
                 "MapName TEXT NOT NULL, MapExplain TEXT NOT NULL, Pic_Link TEXT NOT NULL, "
                 "Down_Link TEXT NOT NULL, ExplainLink TEXT NOT NULL);"
                 "create index ZarnMapDB_Category on ZarnMapDB (Maptype, UpdateTime);");
    sqlite3_stmt* insert = nullptr;
    ok = ok && sqlite3_prepare_v2(db, "insert into ZarnMapDB values (?, ?, ?, ?, ?, ?, ?)", -1,
                                  &insert, nullptr) == SQLITE_OK;
    // The wanted category among others, as in a real catalogue.
    for (int i = 0; ok && i < entries + entries / 2; ++i) {
        const int type = i < entries ? category : 1 + i % 4;
        const QByteArray time = QStringLiteral("20%1-%2-%3 %4:%5")
                                    .arg(10 + (i * 7919) % 15)
                                    .arg(1 + (i * 31) % 12, 2, 10, QLatin1Char('0'))
                                    .arg(1 + (i * 17) % 28, 2, 10, QLatin1Char('0'))
                                    .arg((i * 13) % 24, 2, 10, QLatin1Char('0'))
                                    .arg(i % 60, 2, 10, QLatin1Char('0'))
                                    .toUtf8();
        const QByteArray name = QStringLiteral("地图 %1 第%2版").arg(i).arg(i % 9).toUtf8();
        const QByteArray explain = QStringLiteral("经典对战地图，适合%1人").arg(2 + i % 6).toUtf8();
        const QByteArray pic = QStringLiteral("http://127.0.0.1:8637/pic/%1.svg").arg(i).toUtf8();
        const QByteArray down =
            QStringLiteral("http://127.0.0.1:8637/files/maps/Map%1.w3x").arg(i).toUtf8();
        const QByteArray page =
            QStringLiteral("http://127.0.0.1:8637/explain/%1.html").arg(i).toUtf8();
        sqlite3_reset(insert);
        sqlite3_bind_int(insert, 1, type);
        sqlite3_bind_text(insert, 2, time.constData(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(insert, 3, name.constData(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(insert, 4, explain.constData(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(insert, 5, pic.constData(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(insert, 6, down.constData(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(insert, 7, page.constData(), -1, SQLITE_TRANSIENT);
        ok = sqlite3_step(insert) == SQLITE_DONE;
    }
    sqlite3_finalize(insert);
    ok = ok && exec(db, "commit;");
    sqlite3_close(db);
    return ok;
}

// Half the files belong to entries of the category, half to nothing.
bool writeFolder(const QString& folder)
{
    if (!QDir().mkpath(folder))
        return false;
    for (int i = 0; i < files; ++i) {
        const QString name =
            i % 2 == 0 ? QStringLiteral("Map%1.w3x").arg(i) : QStringLiteral("Other%1.w3x").arg(i);
        QFile file(folder + u'/' + name);
        if (!file.open(QIODevice::WriteOnly))
            return false;
    }
    return true;
}

// The floor: the query stepped with the five columns read, and the folder listed.
std::size_t bareQueryAndListing(sqlite3* db, const QByteArray& sql, const QByteArray& folder)
{
    std::size_t bytes = 0;
    sqlite3_stmt* statement = nullptr;
    sqlite3_prepare_v2(db, sql.constData(), static_cast<int>(sql.size()), &statement, nullptr);
    const int columns = sqlite3_column_count(statement);
    std::vector<int> wanted;
    for (const char* name : {"MapName", "MapExplain", "Pic_Link", "Down_Link", "ExplainLink"}) {
        for (int i = 0; i < columns; ++i) {
            if (std::strcmp(sqlite3_column_name(statement, i), name) == 0)
                wanted.push_back(i);
        }
    }
    while (sqlite3_step(statement) == SQLITE_ROW) {
        for (const int column : wanted) {
            const unsigned char* text = sqlite3_column_text(statement, column);
            bytes += static_cast<std::size_t>(sqlite3_column_bytes(statement, column)) +
                     (text != nullptr ? text[0] : 0);
        }
    }
    sqlite3_finalize(statement);
    if (DIR* dir = opendir(folder.constData())) {
        while (const dirent* entry = readdir(dir))
            bytes += static_cast<unsigned char>(entry->d_name[0]);
        closedir(dir);
    }
    return bytes;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const int repetitions = argc > 1 ? std::max(3, std::atoi(argv[1])) : 15;

    QTemporaryDir work;
    if (!work.isValid())
        return 1;
    // Settings of our own, away from the user's.
    const QString config = work.filePath(QStringLiteral("config"));
    QDir().mkpath(config);
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(config));
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, config);
    const QString game = work.filePath(QStringLiteral("game"));
    const QString folder = game + QStringLiteral("/Maps/NaloBox");
    const SettingsWrite stored =
        ProgramSettings().setLaunchPath(launchTargets()[0], game + QStringLiteral("/War3.exe"));

    QDir::setCurrent(work.path());
    if (!stored || !writeCatalogue(QStringLiteral("ZarnREZ.dat")) || !writeFolder(folder)) {
        std::fprintf(stderr, "could not set up the benchmark in %s\n", qPrintable(work.path()));
        return 1;
    }

    MapCatalogue catalogue;
    sqlite3* db = nullptr;
    sqlite3_open_v2("ZarnREZ.dat", &db, SQLITE_OPEN_READONLY, nullptr);
    const QByteArray sql = MapCatalogue::categoryQuery(category).toUtf8();
    const QByteArray folderName = QFile::encodeName(folder);

    // Warm the page cache and both code paths once.
    if (!catalogue.loadCategory(category))
        return 1;
    bareQueryAndListing(db, sql, folderName);
    qsizetype marked = 0;
    for (const MapRecord& record : catalogue.records())
        marked += record.Downloaded ? 1 : 0;

    std::vector<double> load;
    std::vector<double> mark;
    std::vector<double> bare;
    std::size_t sink = 0;
    // Each sample times two calls in a row: directory reads on this kind of
    // machine alternate between a fast and a slow call, and a pair gets one of each.
    for (int i = 0; i < repetitions; ++i) {
        auto start = Clock::now();
        catalogue.loadCategory(category);
        catalogue.loadCategory(category);
        load.push_back(millisecondsSince(start) / 2);

        start = Clock::now();
        catalogue.markDownloaded();
        catalogue.markDownloaded();
        mark.push_back(millisecondsSince(start) / 2);

        start = Clock::now();
        sink += bareQueryAndListing(db, sql, folderName);
        sink += bareQueryAndListing(db, sql, folderName);
        bare.push_back(millisecondsSince(start) / 2);
    }
    sqlite3_close(db);

    const double loadMs = median(load);
    const double bareMs = median(bare);
    std::printf("catalogue: %lld entries, %d files, %lld marked, %d repetitions (checksum %zu)\n",
                static_cast<long long>(catalogue.records().count()), files,
                static_cast<long long>(marked), repetitions, sink % 1000);
    std::printf("LoadCategory (query + records + marks): median %.2f ms (min %.2f)\n", loadMs,
                minimum(load));
    std::printf("  the marks alone (markDownloaded):     median %.2f ms (min %.2f)\n", median(mark),
                minimum(mark));
    std::printf("bare sqlite3 query + readdir:           median %.2f ms (min %.2f)\n", bareMs,
                minimum(bare));
    std::printf("ratio: %.2fx of medians, %.2fx of minima (goal <= 1.3x)\n", loadMs / bareMs,
                minimum(load) / minimum(bare));
    QDir::setCurrent(QDir::tempPath());
    return 0;
}
