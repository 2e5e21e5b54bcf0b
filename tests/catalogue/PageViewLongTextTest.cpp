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

// An explanation too long for its row is cut with "…" so that the row's "日志"
// link ends before the download button; a text that fits keeps its geometry.
TEST(PageViewLongTextTest, ALongExplanationIsCutWhereItsLinkStaysInsideTheRow)
{
    qputenv("VERDANE_CONTENT_SERVER", "127.0.0.1:9");
    const QString previous = QDir::currentPath();
    test::TempConfig config;
    test::FakePrompt prompt;
    const QString texts[] = {QString(u'说').repeated(512 * 1024), QString(41, u'w'),
                             u"<b>粗体</b>"_s};
    for (const QString& text : texts) {
        SCOPED_TRACE(text.size());
        QTemporaryDir work;
        ASSERT_TRUE(test::writeCatalogue(work.filePath(u"ZarnREZ.dat"_s),
                                         {{0, u"2026"_s, u"map"_s, text}}));
        QDir::setCurrent(work.path());
        CVerdaneDlg dialog;
        dialog.OnInitDialog();
        const auto* explanation = dialog.control<QLabel>(1017);
        const QRect link = dialog.control(1063)->geometry();
        EXPECT_LT(link.right(), dialog.control(1022)->x());
        EXPECT_EQ(explanation->geometry().right() + 1, link.x());
        EXPECT_EQ(explanation->textFormat(), Qt::PlainText);
        if (text.size() > 40) {
            EXPECT_TRUE(explanation->text().endsWith(u'…'));
            EXPECT_LE(explanation->fontMetrics().horizontalAdvance(explanation->text()),
                      explanation->width());
        } else {
            EXPECT_EQ(explanation->text(), text);
        }
        QDir::setCurrent(previous);
    }
}

} // namespace
} // namespace verdane
