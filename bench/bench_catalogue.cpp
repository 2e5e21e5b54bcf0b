// Page render cost of the catalogue as it grows: for each size, a catalogue of
// that many entries in the category shown (and half as many in others) and as
// many files in the download folder (half of them the files of entries), as
// verdane-catalogue writes it, with its index. Prints the time of the first
// render of a fresh catalogue (the window's start-up) and of one page turn (a
// render of another page of the same category), each the median of its
// repetitions, and the page turn's ratio to the smallest size.
//
// Usage: bench_catalogue [entries...]   (default 1000 10000 100000 1000000)

#include "Statistics.h"

#include "catalogue/MapCatalogue.h"
#include "settings/LaunchTarget.h"
#include "settings/ProgramSettings.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>

#include <sqlite3.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>
#include <vector>

using namespace verdane;

namespace {

constexpr int category = 0;

using Clock = std::chrono::steady_clock;

double millisecondsSince(Clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
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
bool writeCatalogue(const QString& path, int entries)
{
    QFile::remove(path);
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

// Half the files belong to entries of the category, half to nothing. The
// folder grows from the size before: only the files missing are made.
bool writeFolder(const QString& folder, int from, int files)
{
    if (!QDir().mkpath(folder))
        return false;
    for (int i = from; i < files; ++i) {
        const QString name =
            i % 2 == 0 ? QStringLiteral("Map%1.w3x").arg(i) : QStringLiteral("Other%1.w3x").arg(i);
        QFile file(folder + u'/' + name);
        if (!file.open(QIODevice::WriteOnly))
            return false;
    }
    return true;
}

// One render of the page whose first entry is at first: what the page view asks
// of the catalogue, with the shown records read. Returns a checksum.
std::size_t render(MapCatalogue& catalogue, qsizetype first)
{
    const CataloguePage page = catalogue.page(category, first, 3);
    std::size_t sum = static_cast<std::size_t>(page.count);
    for (const MapRecord& record : page.records)
        sum += static_cast<std::size_t>(record.MapName.size() + record.Pic_Link.size()) +
               (record.Downloaded ? 1 : 0);
    return sum;
}

struct Row {
    int entries;
    double firstRender;
    double pageTurn;
};

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    std::vector<int> sizes;
    for (int i = 1; i < argc; ++i)
        sizes.push_back(std::atoi(argv[i]));
    if (sizes.empty())
        sizes = {1000, 10000, 100000, 1000000};
    std::sort(sizes.begin(), sizes.end());

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
    if (!ProgramSettings().setLaunchPath(launchTargets()[0], game + QStringLiteral("/War3.exe"))) {
        std::fprintf(stderr, "could not store the game path\n");
        return 1;
    }
    QDir::setCurrent(work.path());

    std::vector<Row> rows;
    std::size_t sink = 0;
    int files = 0;
    for (const int entries : sizes) {
        if (!writeFolder(folder, files, entries) ||
            !writeCatalogue(QStringLiteral("ZarnREZ.dat"), entries)) {
            std::fprintf(stderr, "could not set up %d entries in %s\n", entries,
                         qPrintable(work.path()));
            return 1;
        }
        files = entries;
        // What changed in the last seconds may change again unseen within the
        // same time stamp: a catalogue trusts nothing that young, so wait.
        std::this_thread::sleep_for(std::chrono::milliseconds(2600));

        const int repetitions = entries >= 1000000 ? 5 : entries >= 100000 ? 9 : 21;
        std::vector<double> first;
        std::vector<double> turn;
        const qsizetype pages = (entries + 2) / 3;
        for (int i = 0; i < repetitions; ++i) {
            auto start = Clock::now();
            {
                MapCatalogue fresh;
                sink += render(fresh, 0);
                first.push_back(millisecondsSince(start));
            }
        }
        MapCatalogue catalogue;
        sink += render(catalogue, 0); // warm
        for (int i = 0; i < repetitions; ++i) {
            // Pages across the whole category, the last one among them.
            const qsizetype page = i == 0 ? pages - 1 : (i * 7919) % pages;
            const auto start = Clock::now();
            sink += render(catalogue, page * 3);
            turn.push_back(millisecondsSince(start));
        }
        rows.push_back({entries, bench::median(first), bench::median(turn)});
        std::fprintf(stderr, "%d entries done\n", entries);
    }

    std::printf("entries and files | first render (ms) | page turn (ms) | page turn / %d\n",
                rows.front().entries);
    for (const Row& row : rows)
        std::printf("%17d | %17.3f | %14.3f | %.2fx\n", row.entries, row.firstRender, row.pageTurn,
                    row.pageTurn / rows.front().pageTurn);
    std::printf("(checksum %zu)\n", sink % 1000);
    QDir::setCurrent(QDir::tempPath());
    return 0;
}
