#include "catalogue/MapCatalogue.h"
#include "common/ControlIds.h"
#include "download/ui/DownloadDialog.h"
#include "mainwindow/MainWindow.h"
#include "support/CatalogueFile.h"
#include "support/ContentServerProcess.h"
#include "support/Controls.h"
#include "support/FakePrompt.h"
#include "support/FakeShell.h"
#include "support/Files.h"
#include "support/StoredSettings.h"
#include "support/TempConfig.h"
#include "support/Wait.h"
#include "widgets/SkinProgressBar.h"

#include <QApplication>
#include <QDir>
#include <QFile>
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
        test::writeFile(site.filePath(u"files/map.w3x"_s), QByteArray(100000, 'm'));
        QDir(work.path()).mkpath(u"game/Maps"_s);
        test::storePath(u"War3"_s, work.filePath(u"game/War3.exe"_s));
        ASSERT_TRUE(server.started());
    }

    void open(int category, const QString& path)
    {
        ASSERT_TRUE(test::writeCatalogue(
            work.filePath(u"ZarnREZ.dat"_s),
            {{category, u"2"_s, u"图"_s, {}, {}, server.url(path)},
             {category, u"1"_s, u"图"_s, {}, {}, server.url(u"/files/other.w3x"_s)}}));
        QDir::setCurrent(work.path());
        dialog = std::make_unique<MainWindow>();
        dialog->start();
        if (category == MapCatalogue::ToolsCategory)
            QTest::mouseClick(test::control(&*dialog, ControlId::LastCategoryButton),
                              Qt::LeftButton);
        dialog->show();
    }
    QString mapsFolder() const { return work.filePath(u"game/Maps/NaloBox"_s); }
    bool downloadAndWait(int row = 0)
    {
        QTest::mouseClick(test::control(&*dialog, ControlId::RowDownload[row]), Qt::LeftButton);
        return test::waitUntil([&] { return !dialog->downloadBusy(); }, 30000);
    }

    test::TempConfig config;
    test::FakePrompt prompt;
    test::FakeShell shell;
    QTemporaryDir site;
    QTemporaryDir work;
    test::ContentServerProcess server{site.path()};
    std::unique_ptr<MainWindow> dialog;
};

TEST_F(DownloadJobTest, ConfirmedDownloadLandsInTheMapsFolderAndMarksTheRow)
{
    open(0, u"/files/map.w3x"_s);
    bool dialogShown = false;
    prompt.onNextMessage([](const QString&) {});
    // Another button while the job runs gets the busy message.
    prompt.onNextMessage([&](const QString&) {
        dialogShown = dialog->downloadDialog()->isVisible();
        QTest::mouseClick(test::control(&*dialog, ControlId::RowDownload[1]), Qt::LeftButton);
    });
    ASSERT_TRUE(downloadAndWait());
    EXPECT_EQ(prompt.texts(),
              (QStringList{mapsFolder() + u"/map.w3x"_s, u"下载成功!"_s,
                           u"有数据在下载中，请你稍等片刻！下载完后在进行后续操作.谢谢！"_s}));
    EXPECT_TRUE(dialogShown) << "the dialog shows until the result has been read";
    EXPECT_FALSE(dialog->downloadDialog()->isVisible());
    EXPECT_EQ(QFileInfo(mapsFolder() + u"/map.w3x"_s).size(), 100000);
    EXPECT_TRUE(test::control(&*dialog, ControlId::RowDownload[0])->isHidden());
    EXPECT_EQ(dialog->downloadDialog()->progressBar()->pos(), 400);
}

// Closed while the file comes: the close tells the job to end and waits for it, and
// nothing of the job is shown.
TEST_F(DownloadJobTest, ClosingTheWindowAbandonsARunningDownloadSilently)
{
    open(0, u"/fault/stall/files/map.w3x"_s);
    QTest::mouseClick(test::control(&*dialog, ControlId::RowDownload[0]), Qt::LeftButton);
    // Half the file has come, then the server is silent: the job is in the transfer.
    ASSERT_TRUE(
        test::waitUntil([&] { return dialog->downloadDialog()->progressBar()->pos() > 0; }));
    dialog->close();
    EXPECT_FALSE(dialog->downloadRunning());
    QCoreApplication::processEvents(); // the job's result, which is dropped
    EXPECT_EQ(prompt.texts(), QStringList{mapsFolder() + u"/map.w3x"_s});
    EXPECT_FALSE(dialog->downloadBusy() || dialog->downloadDialog()->isVisible());
    EXPECT_FALSE(QFile::exists(mapsFolder() + u"/map.w3x"_s));
}

// Closed while the path question is open: the answer starts nothing.
TEST_F(DownloadJobTest, ClosingTheWindowWhileThePathQuestionIsOpenStartsNothing)
{
    open(0, u"/files/map.w3x"_s);
    prompt.onNextMessage([&](const QString&) { dialog->close(); });
    QTest::mouseClick(test::control(&*dialog, ControlId::RowDownload[0]), Qt::LeftButton);
    EXPECT_EQ(prompt.texts(), QStringList{mapsFolder() + u"/map.w3x"_s});
    EXPECT_FALSE(dialog->downloadBusy() || dialog->downloadRunning() ||
                 dialog->downloadDialog()->isVisible());
    EXPECT_FALSE(QFile::exists(mapsFolder() + u"/map.w3x"_s));
}

TEST_F(DownloadJobTest, CancelledOrFailedDownloadsKeepWhatWasThere)
{
    test::writeFile(mapsFolder() + u"/x.w3x"_s, "older copy");
    open(0, u"/fault/status/404/x.w3x"_s);
    EXPECT_TRUE(test::control(&*dialog, ControlId::RowDownload[0])->isHidden())
        << "the older copy counts as downloaded";
    prompt.answerNext(false);
    ASSERT_TRUE(downloadAndWait(1));
    EXPECT_FALSE(dialog->downloadDialog()->isVisible());
    dialog->onDownloadButton(0);
    ASSERT_TRUE(test::waitUntil([&] { return !dialog->downloadBusy(); }, 30000));
    EXPECT_EQ(prompt.texts().mid(1), (QStringList{mapsFolder() + u"/x.w3x"_s, u"下载失败!"_s}));
    EXPECT_EQ(test::readFile(mapsFolder() + u"/x.w3x"_s), "older copy");
    EXPECT_EQ(QDir(mapsFolder()).entryList(QDir::Files), QStringList{u"x.w3x"_s});
}

TEST_F(DownloadJobTest, MissingFolderSettingsAreAskedForBeforeAnyJobAndToolsGoToTheirFolder)
{
    const std::pair<int, QString> cases[] = {
        {0, u"请先设置 冰封王座 启动程序！"_s},
        {MapCatalogue::ToolsCategory, u"请先设置 工具下载地址！"_s}};
    test::storePath(u"War3"_s, {});
    for (const auto& [category, message] : cases) {
        prompt.clear();
        open(category, u"/files/map.w3x"_s);
        bool settingsOpened = false;
        QTimer::singleShot(0, [&] {
            settingsOpened = test::waitUntil([] {
                QWidget* settings = QApplication::activeModalWidget();
                return settings != nullptr && settings->close();
            });
        });
        QTest::mouseClick(test::control(&*dialog, ControlId::RowDownload[0]), Qt::LeftButton);
        EXPECT_EQ(prompt.texts(), QStringList{message});
        EXPECT_TRUE(settingsOpened) << "the path settings dialog follows the message";
        EXPECT_FALSE(dialog->downloadBusy());
        dialog.reset();
        test::storePath(u"War3"_s, work.filePath(u"game/War3.exe"_s));
    }
    test::storePath(u"Tools"_s, work.filePath(u"tools"_s));
    open(MapCatalogue::ToolsCategory, u"/files/map.w3x"_s);
    ASSERT_TRUE(downloadAndWait());
    EXPECT_EQ(prompt.texts().last(), u"下载成功!"_s);
    EXPECT_TRUE(QFile::exists(work.filePath(u"tools/map.w3x"_s)));
}

} // namespace
