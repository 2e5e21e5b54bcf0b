#include "catalogue/CatalogueLocation.h"
#include "settings/ProgramSettings.h"
#include "settings/SettingsStore.h"
#include "support/CatalogueFile.h"
#include "support/ContentServerProcess.h"
#include "support/Files.h"
#include "support/TempConfig.h"
#include "updater/CatalogueFileCheck.h"
#include "updater/UpdateInstaller.h"
#include "updater/UpdateLock.h"
#include "updater/UpdateManifest.h"

#include <QCryptographicHash>
#include <QDir>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <functional>
#include <memory>

#include <csignal>

namespace verdane::test {
namespace {

using Location = CatalogueLocation;

// A user whose working folder holds a one-entry catalogue of version 1.0.0, who
// accepted the offer of 1.0.1: a two-entry catalogue that verdane-catalogue
// published under www/, served by the content server.
class UpdaterTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        qputenv("XDG_DATA_HOME", QFile::encodeName(home_.filePath("data")));
        QDir().mkpath(home_.filePath("run"));
        ASSERT_TRUE(writeCatalogue(home_.filePath("run/ZarnREZ.dat"), {{0, "2026-01-01", "旧"}}));
        QDir::setCurrent(home_.filePath("run"));
        config_.writeSystemFile("[General]\nCurr_Version=1.0.0\n");
        config_.writeUserFile("[General]\nUpdate=1\nUpdateType=full\n");
        publish({{0, "2026-01-01", "旧"}, {0, "2026-02-01", "新"}});
        server_ = std::make_unique<ContentServerProcess>(home_.filePath("www"));
        qputenv("VERDANE_CONTENT_SERVER", server_->host().toUtf8());
    }
    void TearDown() override { QDir::setCurrent(QDir::tempPath()); }

    void publish(const QList<CatalogueRow>& rows, const QStringList& extra = {})
    {
        ASSERT_TRUE(writeCatalogue(home_.filePath("new.dat"), rows));
        QProcess tool;
        tool.start(binaryDir() + "/verdane-catalogue",
                   QStringList{"publish", "--catalogue", home_.filePath("new.dat"), "--version",
                               "1.0.1", "--out", home_.filePath("www")} +
                       extra);
        ASSERT_TRUE(tool.waitForFinished(20000) && tool.exitCode() == 0)
            << tool.readAllStandardError().toStdString();
    }
    QString published(const QString& name) const
    {
        return home_.filePath("www/zarn/plexa/update/1.0.1/" + name);
    }
    // The manifest rewritten to fit the served catalogue as it is now.
    void listServedFile(const QString& name = "ZarnREZ.dat") const
    {
        const QByteArray bytes = readFile(published("ZarnREZ.dat"));
        UpdateManifest manifest{"1.0.1", "full", {}};
        manifest.files.append(
            {name, bytes.size(), QCryptographicHash::hash(bytes, QCryptographicHash::Sha256)});
        writeFile(published("manifest.txt"), manifest.toText());
    }
    // Entries of the catalogue the program would open now; -1 when it does not open.
    static int entries()
    {
        sqlite3* db = nullptr;
        sqlite3_stmt* query = nullptr;
        const QByteArray file = QFile::encodeName(Location::catalogueFile());
        sqlite3_open_v2(file.constData(), &db, SQLITE_OPEN_READONLY, nullptr);
        sqlite3_prepare_v2(db, "select count(*) from ZarnMapDB", -1, &query, nullptr);
        const int count = sqlite3_step(query) == SQLITE_ROW ? sqlite3_column_int(query, 0) : -1;
        sqlite3_finalize(query);
        sqlite3_close(db);
        return count;
    }
    QString setting(const QString& name) const { return SettingsStore::value(name); }
    // Nothing of a new catalogue in the user's folder.
    QStringList leftBehind() const
    {
        return QDir(Location::userFolder())
                   .entryList({"catalogue*", ".catalogue*"}, QDir::AllEntries | QDir::Hidden) +
               QDir(Location::userFolder() + "/incoming").entryList(QDir::Files);
    }

    TempConfig config_;
    QTemporaryDir home_;
    std::unique_ptr<ContentServerProcess> server_;
};

TEST_F(UpdaterTest, InstallsForTheUserUntilThePackageBringsANewerCatalogue)
{
    const UpdateResult result = UpdateInstaller().run();
    ASSERT_EQ(result.outcome, UpdateResult::Installed) << result.message.toStdString();
    EXPECT_EQ(entries(), 2);
    EXPECT_EQ(QStringList({ProgramSettings().installedVersion(), setting("Update")}),
              QStringList({"1.0.1", ""}));
    // Another folder with a catalogue of its own is read as ever.
    QDir().mkpath(home_.filePath("other"));
    QDir::setCurrent(home_.filePath("other"));
    EXPECT_EQ(Location::catalogueFile(), ".//ZarnREZ.dat");
    QDir::setCurrent(home_.filePath("run"));
    // A package upgrade: a new file renamed over the installed one.
    ASSERT_TRUE(writeCatalogue(home_.filePath("upgrade.dat"), {{0, "2026-03-01", "包"}}));
    ASSERT_TRUE(::rename("../upgrade.dat", "ZarnREZ.dat") == 0);
    EXPECT_EQ(entries(), 1);
    EXPECT_EQ(ProgramSettings().installedVersion(), "1.0.0");
    EXPECT_EQ(leftBehind(), QStringList());
}

TEST_F(UpdaterTest, BadInputChangesNothing)
{
    const auto manifest = [this](const QByteArray& text) {
        return [this, text] { writeFile(published("manifest.txt"), text); };
    };
    const auto named = [this](const QString& name) {
        return [this, name] { listServedFile(name); };
    };
    const QByteArray head = "verdane-update 1\nversion 1.0.1\ntype full\n";
    const QByteArray hash(64, 'a');
    std::unique_ptr<UpdateLock> otherUpdater;
    const struct {
        const char* what;
        std::function<void()> spoil;
        QString says;
    } cases[] = {
        {"missing", [this] { QFile::remove(published("manifest.txt")); }, "升级清单缺失"},
        {"truncated", manifest(head + "file ZarnREZ.dat 5 " + hash + "\n"), "升级清单不完整"},
        {"malformed", manifest("<html>404</html>"), "升级清单格式不对"},
        {"dot-dot", named(".."), "文件名不可用"},
        {"slash", named("maps/ZarnREZ.dat"), "文件名不可用"},
        {"backslash", named("maps\\ZarnREZ.dat"), "文件名不可用"},
        {"control", named("Zarn\x01.dat"), "文件名不可用"},
        {"huge size", manifest(head + "file ZarnREZ.dat 99999999999 " + hash + "\nend\n"),
         "文件大小不合理"},
        {"body over size", manifest(head + "file ZarnREZ.dat 100 " + hash + "\nend\n"),
         "超过升级清单所列的大小"},
        {"bytes",
         [this] {
             writeFile(published("ZarnREZ.dat"),
                       readFile(published("ZarnREZ.dat")).replace("SQLite", "sQLite"));
         },
         "校验值不符"},
        {"not sqlite",
         [this] {
             writeFile(published("ZarnREZ.dat"), QByteArray(4096, 'x'));
             listServedFile();
         },
         "file is not a database"},
        {"no ZarnMapDB",
         [this] {
             QFile::remove(published("ZarnREZ.dat"));
             QProcess::execute("sqlite3", {published("ZarnREZ.dat"), "create table t(x)"});
             listServedFile();
         },
         "no such table: ZarnMapDB"},
        {"server gone", [this] { server_.reset(); }, "无法从升级服务器读取版本"},
        {"second updater",
         [&otherUpdater] {
             otherUpdater = std::make_unique<UpdateLock>(Location::userFolder() + "/update.lock");
         },
         "另一个升级程序正在运行"},
    };
    QDir().mkpath(Location::userFolder());
    for (const auto& c : cases) {
        SetUp();
        c.spoil();
        const UpdateResult result = UpdateInstaller().run();
        EXPECT_NE(result.outcome, UpdateResult::Installed) << c.what;
        EXPECT_TRUE(result.message.contains(c.says))
            << c.what << ": " << result.message.toStdString();
        EXPECT_EQ(entries(), 1) << c.what;
        EXPECT_EQ(QStringList({ProgramSettings().installedVersion(), setting("Update")}),
                  QStringList({"1.0.0", "1"}))
            << c.what;
        EXPECT_EQ(leftBehind(), QStringList()) << c.what;
        otherUpdater.reset();
    }
}

TEST_F(UpdaterTest, ThePublisherRefusesWhatIsNoCatalogueAndLeavesThePublicationAsItWas)
{
    writeFile(home_.filePath("junk.dat"), QByteArray(4096, 'x'));
    QProcess::execute("sqlite3", {home_.filePath("table.dat"), "create table t(x)"});
    const QByteArray before = readFile(published("manifest.txt"));
    const struct {
        QString catalogue, version, says;
    } cases[] = {
        {"junk.dat", "1.0.2", "file is not a database"},
        {"table.dat", "1.0.2", "no such table: ZarnMapDB"},
        {"new.dat", "../1.0.2", "a version is letters"},
    };
    for (const auto& c : cases) {
        QProcess tool;
        tool.start(binaryDir() + "/verdane-catalogue",
                   {"publish", "--catalogue", home_.filePath(c.catalogue), "--version", c.version,
                    "--out", home_.filePath("www")});
        ASSERT_TRUE(tool.waitForFinished(20000));
        EXPECT_EQ(tool.exitCode(), 1) << c.catalogue.toStdString();
        EXPECT_TRUE(tool.readAllStandardError().contains(c.says.toUtf8()))
            << c.catalogue.toStdString();
        EXPECT_EQ(readFile(home_.filePath("www/zarn/plexa/ZarnMapVersion.txt")), "1.0.1|full");
        EXPECT_EQ(QDir(home_.filePath("www/zarn/plexa/update"))
                      .entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                  QStringList{"1.0.1"});
    }
    EXPECT_EQ(readFile(published("manifest.txt")), before);
}

TEST_F(UpdaterTest, AKilledUpdaterLeavesTheOldCatalogueAndTheNextRunGoesOn)
{
    if (!QFile::exists(binaryDir() + "/verdane-update"))
        GTEST_SKIP() << "built without the user interface";
    // A catalogue of about 2 MB, sent at 500 kB/s.
    ASSERT_TRUE(writeCatalogue(home_.filePath("new.dat"), {{0, "1", "旧"}, {0, "2", "新"}}));
    QProcess::execute("sqlite3",
                      {home_.filePath("new.dat"),
                       "create table filler(x); insert into filler values (randomblob(2000000))"});
    QProcess tool;
    tool.start(binaryDir() + "/verdane-catalogue",
               {"publish", "--catalogue", home_.filePath("new.dat"), "--version", "1.0.1", "--out",
                home_.filePath("www")});
    ASSERT_TRUE(tool.waitForFinished(20000));
    QProcess slow;
    slow.start("python3",
               {sourceDir() + "/tools/content_server.py", "--root", home_.filePath("www"), "--port",
                "0", "--rate", "500000", "--log", home_.filePath("requests")});
    ASSERT_TRUE(slow.waitForReadyRead(10000));
    const QByteArray host = "127.0.0.1:" + slow.readLine().trimmed().mid(5);
    qputenv("VERDANE_CONTENT_SERVER", host);
    QProcess updater;
    updater.start(binaryDir() + "/verdane-update");
    ASSERT_TRUE(updater.waitForStarted());
    const QString incoming = Location::userFolder() + "/incoming";
    // Killed once a share of the catalogue has arrived.
    while (updater.state() == QProcess::Running &&
           QDir(incoming)
                   .entryInfoList({".ZarnREZ.dat.verdane-*"}, QDir::Files | QDir::Hidden)
                   .value(0)
                   .size() < 200000)
        updater.waitForFinished(50);
    ::kill(static_cast<pid_t>(updater.processId()), SIGKILL);
    updater.waitForFinished(5000);
    EXPECT_EQ(entries(), 1);
    EXPECT_EQ(QStringList({ProgramSettings().installedVersion(), setting("Update")}),
              QStringList({"1.0.0", "1"}));
    // The next start continues what arrived.
    const UpdateResult result = UpdateInstaller().run();
    EXPECT_EQ(result.outcome, UpdateResult::Installed) << result.message.toStdString();
    EXPECT_TRUE(readFile(home_.filePath("requests")).contains("Range: bytes="));
    EXPECT_EQ(entries(), 2);
    slow.kill();
    slow.waitForFinished();
}

} // namespace
} // namespace verdane::test
