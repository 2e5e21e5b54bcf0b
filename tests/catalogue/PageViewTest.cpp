#include "catalogue/ui/PageView.h"
#include "catalogue/MapCatalogue.h"
#include "settings/SettingsStore.h"
#include "support/CatalogueFile.h"
#include "support/FakePrompt.h"
#include "support/FakeShell.h"
#include "support/TempConfig.h"
#include "ui/CVerdaneDlg.h"
#include "ui/CWebPanel.h"
#include "ui/skin/Bitmaps.h"
#include "ui/skin/CSkinMusicButton.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

using namespace verdane;
using test::CatalogueRow;
using namespace Qt::Literals::StringLiterals;

namespace {

QList<CatalogueRow> entries(int category, int count)
{
    QList<CatalogueRow> rows;
    for (int i = 0; i < count; ++i) {
        // Inserted oldest first, so the newest (the last) is shown first.
        rows.append({category, QStringLiteral("2026-01-%1").arg(i + 10),
                     QStringLiteral("地图%1-%2").arg(category).arg(i),
                     QStringLiteral("说明%1").arg(i),
                     QStringLiteral("http://127.0.0.1:9/p%1.png").arg(i),
                     QStringLiteral("http://127.0.0.1:9/files/m%1-%2.w3x").arg(category).arg(i),
                     QStringLiteral("http://127.0.0.1:9/explain/%1-%2.html").arg(category).arg(i)});
    }
    return rows;
}

class PageViewTest : public testing::Test {
protected:
    void SetUp() override { qputenv("VERDANE_CONTENT_SERVER", "127.0.0.1:9"); }
    void TearDown() override { QDir::setCurrent(previousDir); }

    void open(const QList<CatalogueRow>& rows, bool withDatabase = true)
    {
        if (withDatabase) {
            ASSERT_TRUE(test::writeCatalogue(work.filePath(QStringLiteral("ZarnREZ.dat")), rows));
        }
        QDir::setCurrent(work.path());
        dialog = std::make_unique<CVerdaneDlg>();
        dialog->OnInitDialog();
        dialog->show();
    }

    QString label(int id) const { return dialog->control<QLabel>(id)->text(); }
    bool shown(int id) const { return !dialog->control(id)->isHidden(); }
    void click(int id) { QTest::mouseClick(dialog->control(id), Qt::LeftButton); }
    QStringList titles() const
    {
        QStringList result;
        for (int id : {1016, 1018, 1020})
            result.append(shown(id) ? label(id) : QStringLiteral("-"));
        return result;
    }
    bool markDrawnAt(int y) const
    {
        const QImage buffer = dialog->backBuffer().toImage();
        const QImage mark = loadBitmap(1038).toImage();
        // Only the mark's opaque pixels look the same over any background.
        int compared = 0;
        for (int dy = 0; dy < mark.height(); ++dy) {
            for (int dx = 0; dx < mark.width(); ++dx) {
                if (qAlpha(mark.pixel(dx, dy)) != 255)
                    continue;
                ++compared;
                if (buffer.pixel(535 + dx, y + dy) != mark.pixel(dx, dy))
                    return false;
            }
        }
        return compared > 0;
    }

    QString previousDir = QDir::currentPath();
    test::TempConfig config;
    test::FakePrompt prompt;
    test::FakeShell shell;
    QTemporaryDir work;
    std::unique_ptr<CVerdaneDlg> dialog;
};

TEST_F(PageViewTest, SevenEntriesMakeThreePagesTheLastWithOneRow)
{
    open(entries(0, 7));
    EXPECT_EQ(label(1008), QStringLiteral("共3页：7条记录"));
    EXPECT_EQ(titles(), (QStringList{u"地图0-6"_s, u"地图0-5"_s, u"地图0-4"_s}));
    click(1012);
    EXPECT_EQ(dialog->control<QLineEdit>(1014)->text(), QStringLiteral("2"));
    EXPECT_EQ(titles(), (QStringList{u"地图0-3"_s, u"地图0-2"_s, u"地图0-1"_s}));
    click(1012);
    EXPECT_EQ(titles(), (QStringList{u"地图0-0"_s, u"-"_s, u"-"_s}));
    for (int id : {1018, 1019, 1020, 1021}) {
        EXPECT_TRUE(label(id).isEmpty()) << id;
        EXPECT_FALSE(shown(id)) << id;
    }
    for (int id : {1064, 1065, 1023, 1024})
        EXPECT_FALSE(shown(id)) << id;
    EXPECT_FALSE(shown(21));
    EXPECT_TRUE(prompt.texts().isEmpty());

    click(1012);
    EXPECT_EQ(prompt.texts(), QStringList{u"当前已是最后一页"_s});
    EXPECT_EQ(dialog->pageView().currentPage(), 3);
    click(1011);
    click(1011);
    click(1011);
    EXPECT_EQ(prompt.texts().last(), QStringLiteral("当前已是第一页"));
    EXPECT_EQ(dialog->pageView().currentPage(), 1);
    EXPECT_EQ(prompt.messages().last().caption, QStringLiteral("Nalo友情提示"));
}

TEST_F(PageViewTest, SixEntriesFillTwoWholePages)
{
    open(entries(0, 6));
    EXPECT_EQ(label(1008), QStringLiteral("共2页：6条记录"));
    click(1012);
    EXPECT_EQ(titles(), (QStringList{u"地图0-2"_s, u"地图0-1"_s, u"地图0-0"_s}));
}

TEST_F(PageViewTest, ExplanationWidthFollowsItsByteLengthAndTheLinkFollowsIt)
{
    QList<CatalogueRow> rows = entries(0, 2);
    rows[1].MapExplain = QStringLiteral("十个汉字的一句说明文");
    rows[0].MapExplain.clear();
    open(rows);
    EXPECT_EQ(dialog->control(1017)->geometry(), QRect(233, 163, 134, 19));
    EXPECT_EQ(dialog->control(1063)->geometry(), QRect(367, 163, 30, 19));
    EXPECT_EQ(dialog->control(1019)->geometry(), QRect(233, 226, 0, 19));
    EXPECT_EQ(dialog->control(1064)->geometry(), QRect(233, 226, 30, 19));
    EXPECT_EQ(dialog->webPanel(20)->url(), QStringLiteral("http://127.0.0.1:9/p1.png"));
}

TEST_F(PageViewTest, CategoryButtonsSwitchToPageOneAndSelectOnlyThemselves)
{
    QList<CatalogueRow> rows = entries(0, 7);
    rows += entries(1, 2);
    rows += entries(99, 1);
    open(rows);
    click(1012);
    click(1012);
    click(3006);
    EXPECT_EQ(dialog->pageView().currentPage(), 3) << "the same category keeps its page";
    click(3007);
    EXPECT_EQ(dialog->pageView().currentPage(), 1);
    EXPECT_EQ(dialog->control<QLineEdit>(1014)->text(), QStringLiteral("1"));
    EXPECT_EQ(label(1008), QStringLiteral("共1页：2条记录"));
    for (int id = 3005; id <= 3010; ++id)
        EXPECT_EQ(dialog->control<CSkinMusicButton>(id)->selected, id == 3007) << id;
    EXPECT_FALSE(shown(23));
    click(3005);
    EXPECT_TRUE(shown(23)) << "the home category shows the page panel";
    EXPECT_EQ(label(1016), QStringLiteral("地图99-0"));
    click(3008);
    EXPECT_FALSE(shown(23));
}

TEST_F(PageViewTest, AnEmptyCategoryHidesRowsAndSummaryAndPagingStaysSilent)
{
    open(entries(0, 4));
    click(3009);
    for (int id : {1008, 1016, 1017, 1018, 1063, 1022, 1023, 1024, 20, 21, 22})
        EXPECT_FALSE(shown(id)) << id;
    for (int id : {1009, 1010, 1011, 1012, 1014})
        EXPECT_TRUE(shown(id)) << id;
    click(1011);
    click(1012);
    EXPECT_TRUE(prompt.texts().isEmpty());
}

TEST_F(PageViewTest, ExplanationLinksOpenTheRowsPageExceptOnTheHomeCategory)
{
    QList<CatalogueRow> rows = entries(0, 3);
    rows += entries(99, 2);
    open(rows);
    click(1064);
    EXPECT_EQ(shell.webPages(), QStringList{u"http://127.0.0.1:9/explain/0-1.html"_s});
    click(3005);
    click(1063);
    EXPECT_EQ(shell.webPages().size(), 1);
}

TEST_F(PageViewTest, EntriesAlreadyOnDiskShowTheMarkInsteadOfTheButton)
{
    QDir(work.path()).mkpath(QStringLiteral("game/Maps/NaloBox"));
    QFile(work.filePath(QStringLiteral("game/Maps/NaloBox/m0-1.w3x"))).open(QIODevice::WriteOnly);
    SettingsStore().WriteSetting(SettingsRoot::LocalMachine, programSubkey(QStringLiteral("War3")),
                                 QStringLiteral("ClientPath"),
                                 work.filePath(QStringLiteral("game/War3.exe")));
    open(entries(0, 3));
    EXPECT_TRUE(shown(1022));
    EXPECT_FALSE(shown(1023));
    EXPECT_TRUE(markDrawnAt(210));
    EXPECT_FALSE(markDrawnAt(148));
}

TEST_F(PageViewTest, AFinishedDownloadMarksItsEntryEvenAfterThePageChanged)
{
    open(entries(0, 7));
    click(1012);
    const MapRecord record = dialog->catalogue().records().at(4);
    dialog->pageView().OnDownloadDone(0, 4, record.Down_Link);
    EXPECT_TRUE(dialog->catalogue().records().at(4).Downloaded);
    EXPECT_FALSE(shown(1023));
    EXPECT_TRUE(markDrawnAt(210));

    // Started on page 1, finished while page 3 shows: nothing on page 3 is marked.
    click(1012);
    dialog->pageView().OnDownloadDone(0, 0, dialog->catalogue().records().at(0).Down_Link);
    EXPECT_TRUE(dialog->catalogue().records().at(0).Downloaded);
    EXPECT_TRUE(shown(1022));
    EXPECT_FALSE(dialog->catalogue().records().at(6).Downloaded);
}

TEST_F(PageViewTest, AMissingCatalogueIsReportedAndTheWindowOpensEmpty)
{
    open({}, false);
    ASSERT_GE(prompt.count(), 1);
    EXPECT_EQ(prompt.messages()[0].caption, QStringLiteral("Nalo友情提示"));
    EXPECT_FALSE(prompt.messages()[0].text.isEmpty());
    EXPECT_FALSE(QFile::exists(work.filePath(QStringLiteral("ZarnREZ.dat"))));
    EXPECT_FALSE(shown(1008));
    EXPECT_FALSE(shown(1016));
    EXPECT_TRUE(dialog->isVisible());
}

} // namespace
