#include "support/Files.h"
#include "support/Wait.h"
#include "ui/CWebPanel.h"

#include <QTemporaryDir>
#include <QWebEngineView>

#include <gtest/gtest.h>

namespace verdane {
namespace {

using namespace Qt::StringLiterals;

TEST(WebPanelAddressTest, APictureThatIsNoWebAddressShowsNothingLocal)
{
    QTemporaryDir local;
    const QString page = local.filePath(u"page.html"_s);
    test::writeFile(page, "<html><head><title>local</title></head><body>secret</body></html>");
    QWidget host;
    CWebPanel panel(20, &host);
    panel.resize(200, 100);
    panel.show();
    panel.SetActive(true);
    for (const QString& link :
         {u"file://"_s + page, page, u"data:text/html,<title>local</title>"_s}) {
        SCOPED_TRACE(link.toStdString());
        panel.SetPageUrl(link);
        EXPECT_FALSE(test::waitUntil([&] { return panel.view()->title() == u"local"; }, 1500));
        // As for an entry without a picture.
        const QUrl shown = panel.view()->url();
        EXPECT_TRUE(shown.isEmpty() || shown == QUrl(u"about:blank"_s))
            << shown.toString().toStdString();
    }
}

} // namespace
} // namespace verdane
