#include "catalogue/MapCatalogue.h"
#include "catalogue/ui/PageView.h"
#include "download/ui/CLoadDown.h"
#include "settings/SettingsStore.h"
#include "support/CatalogueFile.h"
#include "support/ContentServerProcess.h"
#include "support/FakePrompt.h"
#include "support/FakeShell.h"
#include "support/TempConfig.h"
#include "support/Wait.h"
#include "ui/CVerdaneDlg.h"
#include "ui/skin/CSkinProgressCtrl.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

using namespace verdane;
using namespace Qt::Literals::StringLiterals;

namespace {

class DownloadJobTest : public testing::Test {
protected:
    void SetUp() override
    {
        qputenv("VERDANE_CONTENT_SERVER", "127.0.0.1:9");
        QDir(site.path()).mkpath(u"files"_s);
        QFile map(site.filePath(u"files/map.w3x"_s));
        ASSERT_TRUE(map.open(QIODevice::WriteOnly));
        map.write(QByteArray(100000, 'm'));
        map.close();
        server = std::make_unique<test::ContentServerProcess>(site.path());
        ASSERT_TRUE(server->started());
    }
    void TearDown() override
    {
        dialog.reset();
        QDir::setCurrent(previousDir);
    }

    void open(int category, const QString& link)
    {
        ASSERT_TRUE(
            test::writeCatalogue(work.filePath(u"ZarnREZ.dat"_s),
                                 {{category, u"2026-01-02"_s, u"第一张"_s, u"说明"_s, {}, link, {}},
                                  {category,
                                   u"2026-01-01"_s,
                                   u"第二张"_s,
                                   u"说明"_s,
                                   {},
                                   server->url(u"/files/other.w3x"_s),
                                   {}}}));
        QDir::setCurrent(work.path());
        dialog = std::make_unique<CVerdaneDlg>();
        dialog->OnInitDialog();
        if (category == 4)
            QTest::mouseClick(dialog->control(3010), Qt::LeftButton);
        dialog->show();
    }

    void setPath(const QString& subkey, const QString& path)
    {
        SettingsStore().WriteSetting(SettingsRoot::LocalMachine, programSubkey(subkey),
                                     u"ClientPath"_s, path);
    }

    QString game() const { return work.filePath(u"game/War3.exe"_s); }
    QString mapsFolder() const { return work.filePath(u"game/Maps/NaloBox"_s); }

    bool downloadAndWait(int row = 0)
    {
        QTest::mouseClick(dialog->control(1022 + row), Qt::LeftButton);
        return test::waitUntil([&] { return !dialog->DownloadBusy; }, 30000);
    }

    QString previousDir = QDir::currentPath();
    test::TempConfig config;
    test::FakePrompt prompt;
    test::FakeShell shell;
    QTemporaryDir site;
    QTemporaryDir work;
    std::unique_ptr<test::ContentServerProcess> server;
    std::unique_ptr<CVerdaneDlg> dialog;
};

TEST_F(DownloadJobTest, ConfirmedDownloadLandsInTheMapsFolderAndMarksTheRow)
{
    QDir(work.path()).mkpath(u"game/Maps"_s);
    setPath(u"War3"_s, game());
    open(0, server->url(u"/files/map.w3x"_s));
    bool dialogShown = false;
    prompt.answerNext(true);
    prompt.onNextMessage([&](const test::FakePrompt::Shown&) {});
    prompt.onNextMessage([&](const test::FakePrompt::Shown&) {
        dialogShown = dialog->downloadDialog()->isVisible();
    });
    ASSERT_TRUE(downloadAndWait());
    EXPECT_EQ(prompt.texts(), (QStringList{mapsFolder() + u"/map.w3x"_s, u"下载成功!"_s}));
    EXPECT_TRUE(dialogShown) << "the dialog shows until the result has been read";
    EXPECT_FALSE(dialog->downloadDialog()->isVisible());
    EXPECT_EQ(QFileInfo(mapsFolder() + u"/map.w3x"_s).size(), 100000);
    EXPECT_TRUE(dialog->catalogue().records().at(0).Downloaded);
    EXPECT_TRUE(dialog->control(1022)->isHidden());
    EXPECT_FALSE(dialog->control(1023)->isHidden());
    EXPECT_EQ(dialog->downloadDialog()->findChild<QLabel*>(u"1036"_s)->text(),
              u"下载状态：已接收数据100%"_s);
    EXPECT_EQ(dialog->downloadDialog()->progressBar()->pos(), 400);
}

TEST_F(DownloadJobTest, ClosingTheWindowAbandonsARunningDownloadSilently)
{
    QDir(work.path()).mkpath(u"game/Maps"_s);
    setPath(u"War3"_s, game());
    open(0, server->url(u"/fault/stall/files/map.w3x"_s));
    QTest::mouseClick(dialog->control(1022), Qt::LeftButton);
    ASSERT_TRUE(test::waitUntil([&] { return dialog->downloadDialog()->isVisible(); }));
    dialog.reset();
    EXPECT_EQ(prompt.texts(), QStringList{mapsFolder() + u"/map.w3x"_s})
        << "no failure message once the window has gone";
    EXPECT_FALSE(QFile::exists(mapsFolder() + u"/map.w3x"_s));
}

TEST_F(DownloadJobTest, CancellingTheConfirmationLeavesNothing)
{
    setPath(u"War3"_s, game());
    open(0, server->url(u"/files/map.w3x"_s));
    prompt.answerNext(false);
    ASSERT_TRUE(downloadAndWait());
    EXPECT_EQ(prompt.count(), 1);
    EXPECT_FALSE(QFile::exists(mapsFolder() + u"/map.w3x"_s));
    EXPECT_FALSE(dialog->downloadDialog()->isVisible());
    EXPECT_FALSE(dialog->control(1022)->isHidden());
}

TEST_F(DownloadJobTest, AnotherButtonWhileAJobRunsGetsTheBusyMessage)
{
    setPath(u"War3"_s, game());
    open(0, server->url(u"/files/map.w3x"_s));
    prompt.answerNext(false);
    prompt.onNextMessage([&](const test::FakePrompt::Shown&) {
        QTest::mouseClick(dialog->control(1023), Qt::LeftButton);
    });
    ASSERT_TRUE(downloadAndWait());
    ASSERT_EQ(prompt.count(), 2);
    EXPECT_EQ(prompt.texts()[1], u"有数据在下载中，请你稍等片刻！下载完后在进行后续操作.谢谢！"_s);
}

TEST_F(DownloadJobTest, AFailedDownloadSaysSoAndKeepsTheOlderCopy)
{
    QDir(work.path()).mkpath(u"game/Maps/NaloBox"_s);
    QFile older(mapsFolder() + u"/x.w3x"_s);
    ASSERT_TRUE(older.open(QIODevice::WriteOnly));
    older.write("older copy");
    older.close();
    setPath(u"War3"_s, game());
    open(0, server->url(u"/fault/status/404/x.w3x"_s));
    EXPECT_TRUE(dialog->control(1022)->isHidden()) << "the older copy counts as downloaded";
    dialog->OnDownloadButton(0);
    ASSERT_TRUE(test::waitUntil([&] { return !dialog->DownloadBusy; }, 30000));
    EXPECT_EQ(prompt.texts().last(), u"下载失败!"_s);
    QFile kept(mapsFolder() + u"/x.w3x"_s);
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
    EXPECT_EQ(kept.readAll(), "older copy");
    EXPECT_EQ(QDir(mapsFolder()).entryList(QDir::Files), QStringList{u"x.w3x"_s});
}

// Closes the path settings dialog once it shows; true when it did.
bool closePathSettingsWhenShown()
{
    return test::waitUntil([] {
        for (QWidget* window : QApplication::topLevelWidgets()) {
            if (window->isVisible() && window->windowTitle() == u"对战平台及游戏设置"_s) {
                window->close();
                return true;
            }
        }
        return false;
    });
}

TEST_F(DownloadJobTest, MissingFolderSettingsAreAskedForBeforeAnyJob)
{
    const struct {
        int category;
        QString message;
    } cases[] = {{0, u"请先设置 冰封王座 启动程序！"_s}, {4, u"请先设置 工具下载地址！"_s}};
    for (const auto& item : cases) {
        prompt.clear();
        open(item.category, server->url(u"/files/map.w3x"_s));
        bool settingsOpened = false;
        QTimer::singleShot(0, [&] { settingsOpened = closePathSettingsWhenShown(); });
        QTest::mouseClick(dialog->control(1022), Qt::LeftButton);
        EXPECT_EQ(prompt.texts(), QStringList{item.message});
        EXPECT_TRUE(settingsOpened) << "the path settings dialog follows the message";
        EXPECT_FALSE(dialog->DownloadBusy);
        dialog.reset();
        setPath(u"War3"_s, game());
    }
}

TEST_F(DownloadJobTest, ToolsGoToTheToolsFolder)
{
    QDir(work.path()).mkpath(u"tools"_s);
    setPath(u"Tools"_s, work.filePath(u"tools"_s));
    open(4, server->url(u"/files/map.w3x"_s));
    ASSERT_TRUE(downloadAndWait());
    EXPECT_EQ(prompt.texts().first(), work.filePath(u"tools/map.w3x"_s));
    EXPECT_TRUE(QFile::exists(work.filePath(u"tools/map.w3x"_s)));
}

TEST_F(DownloadJobTest, TheDownloadDialogIgnoresEscAndCarriesItsTexts)
{
    open(0, server->url(u"/files/map.w3x"_s));
    CLoadDown* download = dialog->downloadDialog();
    download->showCentred();
    QTest::keyClick(download, Qt::Key_Escape);
    download->close();
    EXPECT_TRUE(download->isVisible());
    EXPECT_EQ(download->windowTitle(), u"资源下载"_s);
    EXPECT_EQ(download->findChild<QLabel*>(u"1037"_s)->text(), u"未下载完成请勿关闭窗口"_s);
    EXPECT_EQ(download->findChild<QLabel*>(u"1037"_s)->palette().color(QPalette::WindowText),
              QColor(255, 0, 0));
    EXPECT_TRUE(download->findChild<QLabel*>(u"1035"_s)->text().startsWith(u"NaloZarn专区："_s));
    EXPECT_EQ(download->progressBar()->upper(), download->progressBar()->contentsRect().width());
    QTest::mouseClick(download->findChild<QLabel*>(u"1035"_s), Qt::LeftButton);
    EXPECT_EQ(shell.webPages().size(), 1);
    download->hide();
}

} // namespace
