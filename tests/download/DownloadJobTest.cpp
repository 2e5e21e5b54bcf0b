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
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <tuple>

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

    void open(int category, const QString& path, const QString& sha256 = {})
    {
        ASSERT_TRUE(test::writeCatalogue(
            work.filePath(u"ZarnREZ.dat"_s),
            {{category, u"2"_s, u"图"_s, {}, {}, server.url(path), {}, sha256},
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
    QString status() const
    {
        return test::control<QLabel>(dialog->downloadDialog(), ControlId::Status)->text();
    }
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
    open(0, u"/files/map.w3x"_s,
         QCryptographicHash::hash(QByteArray(100000, 'm'), QCryptographicHash::Sha256).toHex());
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
    const SkinProgressBar* bar = dialog->downloadDialog()->progressBar();
    // Full but for the dialog units' rounding: 4 x 100 on a bar of 401 pixels.
    EXPECT_GE(bar->pos() * 100, bar->upper() * 99) << "the bar is full";
    EXPECT_EQ(status(), u"下载状态：已接收数据100%"_s);
}

// Closed while the file comes: the close tells the job to end and waits for it, and
// nothing of the job is shown.
TEST_F(DownloadJobTest, ClosingTheWindowAbandonsARunningDownloadSilently)
{
    open(0, u"/fault/stall/files/map.w3x"_s);
    QTest::mouseClick(test::control(&*dialog, ControlId::RowDownload[0]), Qt::LeftButton);
    // Half the file has come, then the server is silent: the job is in the transfer.
    ASSERT_TRUE(test::waitUntil([&] { return status() == u"下载状态：已接收数据50%"_s; }));
    DownloadDialog* shown = dialog->downloadDialog();
    EXPECT_LT(shown->progressBar()->pos(), shown->progressBar()->upper());
    QTest::keyClick(shown, Qt::Key_Escape);
    EXPECT_FALSE(shown->close());
    EXPECT_TRUE(shown->isVisible()) << "neither Esc nor the close box ends it";
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

// An older copy counts as downloaded and stays when the question is cancelled or the
// download fails: a body other than the catalogue's SHA-256 says, a cell that is no
// digest (nothing is asked), a body that breaks off (its own box first).
TEST_F(DownloadJobTest, CancelledOrFailedDownloadsKeepWhatWasThereAndSayWhy)
{
    const QString path = mapsFolder() + u"/map.w3x"_s;
    const std::tuple<QString, QString, QStringList> cases[] = {
        {u"/fault/status/404/map.w3x"_s, {}, {path, u"下载失败!"_s}},
        {u"/files/map.w3x"_s, QString(64, u'0'), {path, u"下载失败!"_s}},
        {u"/files/map.w3x"_s,
         u"a"_s + QString(64, u'0'),
         {u"目录中这一项的 SHA-256 校验值（Down_Sha256）不是 64 位十六进制数，无法核对下载的文件，"
          u"请更新目录后再下载。"_s}},
        {u"/fault/short/files/map.w3x"_s, {}, {path, u"读文件出错!"_s, u"下载失败!"_s}}};
    test::writeFile(path, "older copy");
    for (const auto& [link, sha256, texts] : cases) {
        open(0, link, sha256);
        EXPECT_TRUE(test::control(&*dialog, ControlId::RowDownload[0])->isHidden());
        prompt.clear();
        prompt.answerNext(false);
        ASSERT_TRUE(downloadAndWait(1));
        dialog->onDownloadButton(0);
        ASSERT_TRUE(test::waitUntil([&] { return !dialog->downloadBusy(); }, 30000));
        EXPECT_EQ(prompt.texts().mid(1), texts) << link.toStdString();
        EXPECT_EQ(test::readFile(path), "older copy");
        EXPECT_EQ(QDir(mapsFolder()).entryList(QDir::Files), QStringList{u"map.w3x"_s});
        EXPECT_FALSE(dialog->downloadDialog()->isVisible());
    }
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
