#include "update/UpdateCheck.h"

#include "common/ControlIds.h"
#include "common/ProgramFolder.h"
#include "mainwindow/MainWindow.h"

#include "support/ContentServerProcess.h"
#include "support/Controls.h"
#include "support/FakePrompt.h"
#include "support/FakeShell.h"
#include "support/Files.h"
#include "support/PrintQString.h"
#include "support/TempConfig.h"
#include "support/Wait.h"

#include <QCoreApplication>
#include <QDir>
#include <QSettings>
#include <QSystemTrayIcon>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace verdane {
namespace {

using namespace Qt::Literals::StringLiterals;
const QString Updater = programFolder() + QStringLiteral("NaloUpdate.exe");
const QString Offer = QStringLiteral("已经有新的版本了，现在需要更新？");

// Curr_Version is 1.0.0; the current folder holds an empty catalogue, whose first query
// shows a box.
class UpdateCheckTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(server.started());
        qputenv("VERDANE_CONTENT_SERVER", server.host().toUtf8());
        config.writeSystemFile("[General]\nCurr_Version=1.0.0\n");
        test::writeFile(root.filePath(QStringLiteral("ZarnREZ.dat")));
        QDir::setCurrent(root.path());
    }
    void TearDown() override
    {
        QFile::remove(Updater);
        QDir::setCurrent(previous);
    }
    // Serves this version file (none: null) with or without the updater, nothing stored.
    void serve(const QByteArray& served, bool updater = true)
    {
        const QString version = root.filePath(QStringLiteral("zarn/plexa/ZarnMapVersion.txt"));
        QFile::remove(version);
        if (!served.isNull())
            test::writeFile(version, served);
        QFile::remove(Updater);
        QFile::remove(config.userFile());
        if (updater)
            test::writeFile(Updater, "#!/bin/sh\n", true);
    }
    // The offer accepted: the text to show (or "started"), Update and UpdateType as
    // stored, the programs started.
    QString accept(const QByteArray& served, bool updater)
    {
        serve(served, updater);
        const auto started =
            UpdateCheck::startUpdate(UpdateCheck::fetch(UpdateCheck::LinkFetchLimit),
                                     [this](const QString& notice) { notices.append(notice); });
        const QSettings stored(config.userFile(), QSettings::IniFormat);
        return QStringList{started.started ? QStringLiteral("started") : started.cause,
                           stored.value("Update").toString(), stored.value("UpdateType").toString(),
                           shell.programs().join(u'+')}
            .join(u'|');
    }

    const QString previous = QDir::currentPath();
    QTemporaryDir root;
    test::ContentServerProcess server{root.path()};
    test::TempConfig config;
    test::FakePrompt prompt;
    test::FakeShell shell;
    QStringList notices;
};

// Accepting starts nothing, and the program runs on, without field two or the updater,
// or when the request cannot be recorded: an update type too long to read back, a
// settings folder that cannot be made (a file stands in its place). Else it stores both
// values, then starts the updater.
TEST_F(UpdateCheckTest, AcceptingStoresBothValuesThenStartsTheUpdaterOrSaysWhyNot)
{
    const QString unrecorded = QStringLiteral("无法记录更新请求，请检查配置文件是否可写。");
    EXPECT_EQ(accept("2.0", true), QStringLiteral("|1||")); // only Update is written
    EXPECT_EQ(accept("2.0|full", false), QStringLiteral("找不到升级程序 NaloUpdate.exe！|||"));
    EXPECT_EQ(accept("2.0|" + QByteArray(300, 'x'), true), unrecorded + QStringLiteral("|1||"));
    QDir(config.userDir()).removeRecursively();
    test::writeFile(config.userDir() + QStringLiteral("/NaloSoft"));
    EXPECT_EQ(accept("2.0|full", true), unrecorded + QStringLiteral("|||"));
    QDir(config.userDir()).removeRecursively();
    // "全量更新" in code page 936, then a line break and a third field.
    EXPECT_EQ(accept("2.0|\xc8\xab\xc1\xbf\xb8\xfc\xd0\xc2\r\n|ignored", true),
              QStringLiteral("started|1|全量更新\r\n|%1").arg(Updater));
}

// Accepted at start-up, the update ends the program once the window has appeared, also
// when a box after the offer (the catalogue's) runs events of its own, as a real box does.
TEST_F(UpdateCheckTest, AnUpdateAcceptedAtStartUpEndsTheProgramOnceTheWindowHasAppeared)
{
    serve("2.0|full");
    for (int box = 0; box < 3; ++box)
        prompt.onNextMessage([](const QString&) { QCoreApplication::processEvents(); });
    MainWindow window;
    window.start();
    EXPECT_FALSE(window.isVisible());
    QTimer::singleShot(10000, &window, [&] { static_cast<QDialog&>(window).done(2); }); // no hang
    EXPECT_EQ(window.exec(), QDialog::Rejected);
    EXPECT_EQ(prompt.texts().indexOf(Offer), 0);
    EXPECT_GT(prompt.texts().size(), 1) << "the catalogue's box follows";
    EXPECT_EQ(shell.programs(), QStringList{Updater});
    EXPECT_FALSE(window.trayIcon()->isVisible());
}

// The link's check runs on a worker and writes nothing; a second click meanwhile starts
// nothing; only an equal version says so, a failed fetch (no version file) says nothing.
TEST_F(UpdateCheckTest, TheLinkChecksOnceAtATimeAndSaysOnlyWhenUpToDate)
{
    MainWindow window;
    window.start();
    window.show();
    for (const QByteArray& served : {QByteArray("1.0.0"), QByteArray()}) {
        serve(served);
        prompt.clear();
        for (int click = 0; click < 2; ++click)
            QTest::mouseClick(test::control(&window, ControlId::CheckUpdateLink), Qt::LeftButton);
        ASSERT_TRUE(test::waitUntil([&] { return !window.updateCheckRunning(); }));
        QCoreApplication::processEvents();
        EXPECT_EQ(prompt.texts(), served.isNull()
                                      ? QStringList()
                                      : QStringList{u"当前客户端版本是最新的，不需要更新！"_s});
        EXPECT_FALSE(QFile::exists(config.userFile()));
    }
}

} // namespace
} // namespace verdane
