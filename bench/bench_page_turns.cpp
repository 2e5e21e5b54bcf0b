// Page turns at the window: the real main window, offscreen, on a catalogue of
// each size with as many files in the maps folder; the time of twenty clicks on
// "下一页" (from the click to the page shown; the pictures load afterwards, off
// this path), the median of five rounds, and its ratio to the smallest size.
//
// Usage: bench_page_turns [entries...]   (default 1000 100000)
// Run with QT_QPA_PLATFORM=offscreen, as the widget tests are.

#include "Statistics.h"

#include "common/ControlIds.h"
#include "mainwindow/ApplicationSetup.h"
#include "mainwindow/MainWindow.h"
#include "settings/LaunchTarget.h"
#include "settings/ProgramSettings.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include <sqlite3.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <thread>
#include <vector>

using namespace verdane;

namespace {

using Clock = std::chrono::steady_clock;

bool writeCatalogue(const QString& path, int entries)
{
    QFile::remove(path);
    sqlite3* db = nullptr;
    if (sqlite3_open(QFile::encodeName(path).constData(), &db) != SQLITE_OK)
        return false;
    bool ok = sqlite3_exec(db,
                           "begin; create table ZarnMapDB (Maptype INTEGER NOT NULL, UpdateTime "
                           "TEXT NOT NULL, MapName TEXT NOT NULL, MapExplain TEXT NOT NULL, "
                           "Pic_Link TEXT NOT NULL, Down_Link TEXT NOT NULL, ExplainLink TEXT NOT "
                           "NULL); create index ZarnMapDB_Category on ZarnMapDB (Maptype, "
                           "UpdateTime);",
                           nullptr, nullptr, nullptr) == SQLITE_OK;
    sqlite3_stmt* insert = nullptr;
    ok = ok && sqlite3_prepare_v2(db, "insert into ZarnMapDB values (0, ?, ?, ?, '', ?, '')", -1,
                                  &insert, nullptr) == SQLITE_OK;
    for (int i = 0; ok && i < entries; ++i) {
        const QByteArray time = QByteArray::number(1000000000 + i * 37 % entries);
        const QByteArray name = QStringLiteral("地图 %1").arg(i).toUtf8();
        const QByteArray explain = QStringLiteral("经典对战地图，适合%1人").arg(2 + i % 6).toUtf8();
        const QByteArray down =
            QStringLiteral("http://127.0.0.1:9/files/Map%1.w3x").arg(i).toUtf8();
        sqlite3_reset(insert);
        sqlite3_bind_text(insert, 1, time.constData(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(insert, 2, name.constData(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(insert, 3, explain.constData(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(insert, 4, down.constData(), -1, SQLITE_TRANSIENT);
        ok = sqlite3_step(insert) == SQLITE_DONE;
    }
    sqlite3_finalize(insert);
    ok = ok && sqlite3_exec(db, "commit", nullptr, nullptr, nullptr) == SQLITE_OK;
    sqlite3_close(db);
    return ok;
}

bool writeFolder(const QString& folder, int from, int files)
{
    if (!QDir().mkpath(folder))
        return false;
    for (int i = from; i < files; ++i) {
        QFile file(folder + QStringLiteral("/Map%1.w3x").arg(i * 2));
        if (!file.open(QIODevice::WriteOnly))
            return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    QTemporaryDir work;
    if (!work.isValid())
        return 1;
    const QString config = work.filePath(QStringLiteral("config"));
    QDir().mkpath(config);
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(config));
    qputenv("XDG_CACHE_HOME", QFile::encodeName(work.filePath(QStringLiteral("cache"))));
    qputenv("VERDANE_CONTENT_SERVER", "127.0.0.1:9");
    prepareProcess();
    QApplication app(argc, argv);
    prepareApplication(app);
    std::vector<int> sizes;
    for (int i = 1; i < argc; ++i)
        sizes.push_back(std::atoi(argv[i]));
    if (sizes.empty())
        sizes = {1000, 100000};

    const QString game = work.filePath(QStringLiteral("game"));
    if (!ProgramSettings().setLaunchPath(launchTargets()[0], game + QStringLiteral("/War3.exe"))) {
        std::fprintf(stderr, "could not store the game path\n");
        return 1;
    }
    QDir::setCurrent(work.path());
    std::vector<double> medians;
    int files = 0;
    for (const int entries : sizes) {
        if (!writeFolder(game + QStringLiteral("/Maps/NaloBox"), files, entries) ||
            !writeCatalogue(QStringLiteral("ZarnREZ.dat"), entries))
            return 1;
        files = entries;
        // Let the files settle (see FileStamp): the clicks are turns, not the first look.
        std::this_thread::sleep_for(std::chrono::milliseconds(2600));
        MainWindow window;
        window.start();
        window.show();
        QWidget* next = window.findChild<QWidget*>(controlName(ControlId::NextPage));
        QWidget* previous = window.findChild<QWidget*>(controlName(ControlId::PreviousPage));
        std::vector<double> rounds;
        for (int round = 0; round < 5; ++round) {
            const auto start = Clock::now();
            for (int click = 0; click < 20; ++click)
                QTest::mouseClick(round % 2 == 0 ? next : previous, Qt::LeftButton);
            rounds.push_back(
                std::chrono::duration<double, std::milli>(Clock::now() - start).count());
        }
        medians.push_back(bench::median(rounds));
        const auto* summary = window.findChild<QLabel*>(controlName(ControlId::PageSummary));
        std::fprintf(stderr, "%d entries: %s\n", entries, qPrintable(summary->text()));
    }
    std::printf("entries and files | 20 page turns (ms) | ratio to %d\n", sizes.front());
    for (std::size_t i = 0; i < sizes.size(); ++i)
        std::printf("%17d | %18.1f | %.2fx\n", sizes[i], medians[i], medians[i] / medians.front());
    QDir::setCurrent(QDir::tempPath());
    return 0;
}
