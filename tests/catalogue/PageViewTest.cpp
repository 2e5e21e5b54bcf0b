#include "catalogue/ui/PageView.h"
#include "catalogue/MapCatalogue.h"
#include "common/ControlIds.h"
#include "mainwindow/MainWindow.h"
#include "support/CatalogueFile.h"
#include "support/Controls.h"
#include "support/FakePrompt.h"
#include "support/FakeShell.h"
#include "support/Files.h"
#include "support/StoredSettings.h"
#include "support/TempConfig.h"
#include "widgets/SkinTabButton.h"
#include "widgets/WebPanel.h"

#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

using namespace verdane;
using namespace verdane::ControlId;
using namespace Qt::Literals::StringLiterals;

namespace {

QList<test::CatalogueRow> entries(int category, int count)
{
    QList<test::CatalogueRow> rows;
    for (int i = 0; i < count; ++i) // inserted oldest first: the last is shown first
        rows.append({category, u"2026-01-%1"_s.arg(i + 10), u"%1-%2"_s.arg(category).arg(i),
                     u"说明%1"_s.arg(i), u"/p%1.png"_s.arg(i),
                     u"/m%1-%2.w3x"_s.arg(category).arg(i), u"/e%1-%2"_s.arg(category).arg(i)});
    return rows;
}

class PageViewTest : public testing::Test {
protected:
    void open(const QList<test::CatalogueRow>& rows)
    {
        qputenv("VERDANE_CONTENT_SERVER", "127.0.0.1:9");
        dialog.reset();
        ASSERT_TRUE(rows.isEmpty() || test::writeCatalogue(work.filePath(u"ZarnREZ.dat"_s), rows));
        QDir::setCurrent(work.path());
        dialog = std::make_unique<MainWindow>();
        dialog->start();
        dialog->show();
        QDir::setCurrent(previousDir);
    }
    bool shown(int id) const { return !test::control(&*dialog, id)->isHidden(); }
    void click(int id) { QTest::mouseClick(test::control(&*dialog, id), Qt::LeftButton); }
    QStringList titles() const
    {
        QStringList result;
        for (int id : RowTitle)
            result.append(shown(id) ? test::control<QLabel>(&*dialog, id)->text() : u"-"_s);
        return result << test::control<QLabel>(&*dialog, PageSummary)->text();
    }

    QString previousDir = QDir::currentPath();
    test::TempConfig config;
    test::FakePrompt prompt;
    test::FakeShell shell;
    QTemporaryDir work;
    std::unique_ptr<MainWindow> dialog;
};

TEST_F(PageViewTest, PagesOfThreeRowsTheLastWithWhatIsLeft)
{
    const std::pair<int, QString> cases[] = {
        {7, u"0-6,0-5,0-4,共3页：7条记录,0-0,-,-,共3页：7条记录"_s},
        {6, u"0-5,0-4,0-3,共2页：6条记录,0-2,0-1,0-0,共2页：6条记录"_s}};
    for (const auto& [count, pages] : cases) {
        prompt.clear();
        open(entries(0, count));
        const QStringList first = titles();
        for (int i = 0; i < 3; ++i)
            click(NextPage);
        EXPECT_EQ((first + titles()).join(u','), pages);
        const int last = (count + 2) / 3;
        EXPECT_EQ(test::control<QLineEdit>(&*dialog, PageEdit)->text(), QString::number(last));
        for (int i = 0; i < 3; ++i)
            click(PreviousPage);
        EXPECT_EQ(prompt.texts(), QStringList(4 - last, u"当前已是最后一页"_s) +
                                      QStringList(4 - last, u"当前已是第一页"_s));
    }
}

TEST_F(PageViewTest, CategoryButtonsSwitchToPageOneAndEmptyOnesHideTheRows)
{
    open(entries(0, 7) + entries(1, 2) + entries(99, 1));
    click(NextPage);
    // The catalogue replaced: the page kept is past the end of the category now.
    test::writeCatalogue(work.filePath(u"ZarnREZ.dat"_s),
                         entries(0, 2) + entries(1, 2) + entries(99, 1));
    click(FirstCategoryButton);
    EXPECT_EQ(dialog->pageView().currentPage(), 2) << "the same category keeps its page";
    EXPECT_EQ(titles().join(u','), u"-,-,-,共1页：2条记录"_s);
    click(FirstCategoryButton + 1);
    EXPECT_EQ(titles(), (QStringList{u"1-1"_s, u"1-0"_s, u"-"_s, u"共1页：2条记录"_s}));
    for (int id = HomeButton; id <= LastCategoryButton; ++id)
        EXPECT_EQ(test::control<SkinTabButton>(&*dialog, id)->isChecked(),
                  id == FirstCategoryButton + 1)
            << id;
    click(RowLink[1]); // the explanation link of the second row
    click(HomeButton);
    EXPECT_TRUE(shown(PagePanel)) << "the home category shows the page panel";
    click(RowLink[0]); // no explanation links there
    EXPECT_EQ(shell.webPages(), QStringList{u"/e1-0"_s});
    click(FirstCategoryButton + 3);
    for (int id : {PageSummary, RowTitle[0], RowExplanation[0], RowLink[0], RowDownload[0],
                   RowPicture[0], PagePanel})
        EXPECT_FALSE(shown(id)) << id;
    click(PreviousPage);
    click(NextPage);
    EXPECT_EQ(prompt.texts(), QStringList());
}

TEST_F(PageViewTest, EntriesOnDiskAndFinishedDownloadsShowTheMarkInsteadOfTheButton)
{
    test::writeFile(work.filePath(u"game/Maps/NaloBox/m0-5.w3x"_s));
    test::storePath(u"War3"_s, work.filePath(u"game/War3.exe"_s));
    open(entries(0, 7));
    EXPECT_TRUE(shown(RowDownload[0]) && !shown(RowDownload[1]));
    click(NextPage);
    PageView& page = dialog->pageView();
    const QString link = page.shownEntry(4)->Down_Link;
    // Only the entry that was downloaded: not one of another category or whose link changed.
    page.markDownloaded(1, 4, link);
    page.markDownloaded(0, 4, page.shownEntry(3)->Down_Link);
    EXPECT_TRUE(shown(RowDownload[1]));
    page.markDownloaded(0, 4, link);
    EXPECT_TRUE(shown(RowDownload[0]) && !shown(RowDownload[1]));
    // Started on page 2, finished while page 3 shows: nothing on page 3 is marked.
    click(NextPage);
    page.markDownloaded(0, 4, link);
    EXPECT_TRUE(shown(RowDownload[0]));
}

TEST_F(PageViewTest, AMissingCatalogueIsReportedAndTheWindowOpensEmpty)
{
    open({});
    EXPECT_EQ(prompt.texts(),
              QStringList{u"无法打开地图数据库 ZarnREZ.dat：unable to open database file"_s});
    EXPECT_FALSE(QFile::exists(work.filePath(u"ZarnREZ.dat"_s)) || shown(PageSummary) ||
                 shown(RowTitle[0]));
}

// A text too long for its row is cut with "…" where the "日志" link still ends
// before the download button; one that fits keeps its text and geometry.
TEST_F(PageViewTest, ALongExplanationIsCutWhereItsLinkStaysInsideTheRow)
{
    for (const QString& text :
         {QString(u'说').repeated(512 * 1024), QString(41, u'w'), u"<b>粗体</b>"_s}) {
        open({{0, u"2026"_s, u"map"_s, text}});
        const auto* label = test::control<QLabel>(&*dialog, RowExplanation[0]);
        const QRect link = test::control(&*dialog, RowLink[0])->geometry();
        EXPECT_LT(link.right(), test::control(&*dialog, RowDownload[0])->x());
        EXPECT_EQ(label->geometry().right() + 1, link.x());
        EXPECT_EQ(label->textFormat(), Qt::PlainText);
        EXPECT_EQ(label->text().endsWith(u'…'), text.size() > 40);
        EXPECT_LE(label->fontMetrics().horizontalAdvance(label->text()), label->width());
    }
}

} // namespace
