#include "catalogue/MapCatalogue.h"
#include "download/DownloadJob.h"
#include "download/HttpDownload.h"
#include "log/LogFile.h"
#include "log/LogHandler.h"
#include "mainwindow/MainWindow.h"
#include "support/CatalogueFile.h"
#include "support/ContentServerProcess.h"
#include "support/FakePrompt.h"
#include "support/FakeShell.h"
#include "support/Files.h"
#include "support/TempConfig.h"
#include "support/Wait.h"
#include "update/HttpGetText.h"

#include <QDir>
#include <QFileInfo>
#include <QMenu>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>

using namespace verdane;
using namespace Qt::Literals::StringLiterals;

namespace {

class LogTest : public testing::Test {
protected:
    void SetUp() override
    {
        qputenv("XDG_STATE_HOME", QFile::encodeName(state.path()));
        installLogHandler();
    }
    void TearDown() override { qunsetenv("XDG_STATE_HOME"); }

    QTemporaryDir state;
    QTemporaryDir work;
    test::TempConfig config;
    test::FakePrompt prompt;
};

TEST_F(LogTest, EachDownloadAndEachReportedFailureLeavesOneLineWithItsCause)
{
    ASSERT_TRUE(test::writeFile(work.filePath(u"site/files/a.w3x"_s), QByteArray(50000, 'a')));
    ASSERT_TRUE(test::writeFile(work.filePath(u"broken.dat"_s), "not a database"));
    ASSERT_TRUE(test::writeCatalogue(work.filePath(u"ZarnREZ.dat"_s), {}));
    test::ContentServerProcess server(work.filePath(u"site"_s));
    ASSERT_TRUE(server.started());
    const QString target = work.filePath(u"a.w3x"_s);
    const QString file = server.url(u"/files/a.w3x"_s);
    const QString missing = server.url(u"/fault/status/404/a.w3x"_s);
    const auto get = [&](const QString& link, const QString& to) {
        return [=] { HttpDownload().downloadFile(link, to); };
    };
    const std::pair<std::function<void()>, QString> cases[] = {
        // what is done, the cause logged
        {get(file, target), u"downloaded %1 to %2 (50000 bytes)"_s.arg(file, target)},
        {get(QString(missing).replace(u"//"_s, u"//user:pw@"_s), target),
         u"%1 to %2 failed: HTTP status 404"_s.arg(missing, target)},
        {get(server.url(u"/fault/short/files/a.w3x"_s), target),
         u"failed: the body broke off after 25000 of 50000 bytes"_s},
        {get(file, work.path()), u"cannot create the file: Is a directory"_s},
        {[&] { // a download job whose link names a file the program refuses to create
             const QString link = server.url(u"/files/.a.w3x"_s).replace(u"//"_s, u"//user:pw@"_s);
             static_cast<void>(DownloadJob::prepare({0, 0, link, {}}, work.path()));
         },
         u"refused: unusable file name \".a.w3x\""_s},
        {[] { MapCatalogue(u"broken.dat"_s).open(); },
         u"cannot open the catalogue %1: file is not a database"_s.arg(
             work.filePath(u"broken.dat"_s))},
        {[&] { httpGetText(server.host() + u"/fault/status/503/v.txt"_s, 80); },
         u"the server answered HTTP status 503"_s},
    };
    QDir::setCurrent(work.path());
    for (const auto& [action, cause] : cases) {
        QFile::remove(logFilePath());
        action();
        const QByteArray log = test::readFile(logFilePath());
        EXPECT_EQ(log.count('\n'), 1) << log.toStdString();
        EXPECT_TRUE(log.contains(cause.toUtf8())) << log.toStdString();
        EXPECT_FALSE(log.contains("user") || log.contains("pw@")) << log.toStdString();
    }
}

TEST_F(LogTest, RotatesAtTheSizeBoundKeepingThreeFiles)
{
    LogFile log(logFilePath());
    // Four lines fill a file exactly; the fifth starts the next one.
    const QByteArray line = QByteArray(LogFile::MaxBytes / 4 - 1, 'x') + '\n';
    for (int i = 0; i < 3 * 4 + 1; ++i)
        log.append(line);
    EXPECT_EQ(QDir(logFolder()).entryList(QDir::Files),
              QStringList({u"verdane.log"_s, u"verdane.log.1"_s, u"verdane.log.2"_s}));
    EXPECT_EQ(QFileInfo(logFilePath()).size(), line.size());
    EXPECT_EQ(QFileInfo(logFilePath() + u".1"_s).size(), LogFile::MaxBytes);
}

TEST_F(LogTest, AnUnwritableLogChangesNothingForTheUser)
{
    // A file where the folder should be (the home beside it); a full disk.
    ASSERT_TRUE(test::writeFile(work.filePath(u"state"_s), "x"));
    qputenv("XDG_STATE_HOME", QFile::encodeName(work.filePath(u"state"_s)));
    const QByteArray home = qgetenv("HOME");
    qputenv("HOME", QFile::encodeName(work.path()));
    installLogHandler();
    LogFile(u"/dev/full"_s).append("lost\n");
    HttpDownload download;
    download.downloadFile(u"http://127.0.0.1:9/a.w3x"_s, work.filePath(u"a.w3x"_s));
    qputenv("HOME", home);
    EXPECT_EQ(download.failure(), DownloadFailure::Connect);
    // The line is lost: neither the file in the way nor any other place took it.
    EXPECT_EQ(test::readFile(work.filePath(u"state"_s)), "x");
    EXPECT_EQ(QDir(work.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
              QStringList{u"state"_s});
}

TEST_F(LogTest, TheWindowMenuOpensTheLogFolderBeforeItsSeparator)
{
    test::FakeShell shell;
    qputenv("VERDANE_CONTENT_SERVER", "127.0.0.1:9");
    QDir::setCurrent(work.path());
    MainWindow window;
    window.start();
    const QList<QAction*> actions = window.windowMenu()->actions();
    ASSERT_TRUE(actions[actions.size() - 2]->isSeparator());
    actions[actions.size() - 3]->trigger();
    EXPECT_EQ(shell.folders(), QStringList{logFolder()});
}

} // namespace
