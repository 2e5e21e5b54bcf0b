#include "support/CatalogueFile.h"
#include "support/FakePrompt.h"
#include "support/TempConfig.h"
#include "ui/CVerdaneDlg.h"

#include <QDir>
#include <QLabel>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace verdane {
namespace {

using namespace Qt::StringLiterals;

// A text too long for its row is cut with "…" where the "日志" link still ends
// before the download button; one that fits keeps its text and geometry.
TEST(PageViewLongTextTest, ALongExplanationIsCutWhereItsLinkStaysInsideTheRow)
{
    qputenv("VERDANE_CONTENT_SERVER", "127.0.0.1:9");
    const QString previous = QDir::currentPath();
    test::TempConfig config;
    test::FakePrompt prompt;
    for (const QString& text :
         {QString(u'说').repeated(512 * 1024), QString(41, u'w'), u"<b>粗体</b>"_s}) {
        QTemporaryDir work;
        ASSERT_TRUE(test::writeCatalogue(work.filePath(u"ZarnREZ.dat"_s),
                                         {{0, u"2026"_s, u"map"_s, text}}));
        QDir::setCurrent(work.path());
        CVerdaneDlg dialog;
        dialog.OnInitDialog();
        const auto* label = dialog.control<QLabel>(1017);
        const QRect link = dialog.control(1063)->geometry();
        EXPECT_LT(link.right(), dialog.control(1022)->x());
        EXPECT_EQ(label->geometry().right() + 1, link.x());
        EXPECT_EQ(label->textFormat(), Qt::PlainText);
        EXPECT_EQ(label->text().endsWith(u'…'), text.size() > 40);
        if (text.size() > 40) {
            EXPECT_LE(label->fontMetrics().horizontalAdvance(label->text()), label->width());
        }
        QDir::setCurrent(previous);
    }
}

} // namespace
} // namespace verdane
