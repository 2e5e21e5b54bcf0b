// The updater's transfer against the program's own download engine for the
// same bytes: a catalogue of --mib MiB (default 256) published with
// verdane-catalogue publish and served by the content server on 127.0.0.1,
// fetched alternately by HttpDownload::downloadFile (with the SHA-256 check, as
// the program downloads) and by UpdateInstaller::run (version file, manifest,
// download, check, rename into place), --reps times (default 5). Prints the
// median of each and their ratio.
//
//   bench_updater [--mib N] [--reps N]

#include "download/HttpDownload.h"
#include "settings/ProgramSettings.h"
#include "updater/UpdateInstaller.h"
#include "updater/UpdateManifest.h"

#include "Statistics.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <sqlite3.h>

#include <cstdio>
#include <vector>

using namespace verdane;

namespace {

bool writeCatalogue(const QString& path, int mib)
{
    sqlite3* db = nullptr;
    const QByteArray sql =
        "create table ZarnMapDB (Maptype, UpdateTime, MapName, MapExplain, "
        "Pic_Link, Down_Link, ExplainLink); create table filler (x);"
        "with recursive n(i) as (select 1 union all select i + 1 from n where i < " +
        QByteArray::number(mib) + ") insert into filler select randomblob(1048000) from n;";
    const bool ok = sqlite3_open(QFile::encodeName(path).constData(), &db) == SQLITE_OK &&
                    sqlite3_exec(db, sql.constData(), nullptr, nullptr, nullptr) == SQLITE_OK;
    sqlite3_close(db);
    return ok;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    int mib = 256, reps = 5;
    const QStringList args = app.arguments();
    for (qsizetype i = 1; i + 1 < args.size(); i += 2)
        (args.at(i) == u"--mib" ? mib : reps) = args.at(i + 1).toInt();
    QTemporaryDir work;
    const QString www = work.filePath("www");
    if (!writeCatalogue(work.filePath("new.dat"), mib) ||
        QProcess::execute(QStringLiteral(VERDANE_BINARY_DIR "/verdane-catalogue"),
                          {"publish", "--catalogue", work.filePath("new.dat"), "--version", "2",
                           "--out", www}) != 0)
        return std::fprintf(stderr, "cannot publish the catalogue\n"), 1;
    QProcess server;
    server.start("python3", {QStringLiteral(VERDANE_SOURCE_DIR "/tools/content_server.py"),
                             "--root", www, "--port", "0"});
    if (!server.waitForReadyRead(10000))
        return std::fprintf(stderr, "no content server\n"), 1;
    const QByteArray host = "127.0.0.1:" + server.readLine().trimmed().mid(5);
    qputenv("VERDANE_CONTENT_SERVER", host);
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(work.filePath("config")));
    QDir::setCurrent(work.path());
    QFile manifestFile(www + "/zarn/plexa/update/2/manifest.txt");
    manifestFile.open(QIODevice::ReadOnly);
    QString problem;
    const QByteArray sha =
        UpdateManifest::parse(manifestFile.readAll(), &problem)->files.at(0).sha256;

    std::vector<double> engine, updater;
    for (int rep = 0; rep < reps; ++rep) {
        QFile::remove(work.filePath("plain/ZarnREZ.dat"));
        QDir().mkpath(work.filePath("plain"));
        QElapsedTimer timer;
        timer.start();
        if (HttpDownload().downloadFile("http://" + host + "/zarn/plexa/update/2/ZarnREZ.dat",
                                        work.filePath("plain/ZarnREZ.dat"), sha) != 0)
            return std::fprintf(stderr, "the download failed\n"), 1;
        engine.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e9);

        const QString data = work.filePath("data%1").arg(rep);
        qputenv("XDG_DATA_HOME", QFile::encodeName(data));
        ProgramSettings settings;
        if (!settings.requestUpdate() || !settings.setUpdateType(QStringLiteral("full")))
            return 1;
        timer.start();
        const UpdateResult result = UpdateInstaller().run();
        if (result.outcome != UpdateResult::Installed)
            return std::fprintf(stderr, "%s\n", qPrintable(result.message)), 1;
        updater.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e9);
        QDir(data).removeRecursively();
    }
    const double a = bench::median(engine), b = bench::median(updater);
    std::printf("%d MiB, %d runs: download engine %.3f s (%.0f MB/s), updater %.3f s (%.0f MB/s), "
                "ratio %.3f\n",
                mib, reps, a, mib * 1.048576 / a, b, mib * 1.048576 / b, b / a);
    server.kill();
    server.waitForFinished();
    return 0;
}
