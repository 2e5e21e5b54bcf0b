#include "support/ContentServerProcess.h"
#include "support/Files.h"
#include "support/Wait.h"
#include "ui/CWebPanel.h"

#include <QTemporaryDir>
#include <QWebEngineView>

#include <gtest/gtest.h>

using namespace verdane;

namespace {

TEST(WebPanelTest, AnInactivePanelOnlyRemembersItsAddressAndLoadsItOnceActive)
{
    QTemporaryDir site;
    test::writeFile(site.filePath(QStringLiteral("page.html")),
                    "<html><head><title>loaded page</title></head></html>");
    test::ContentServerProcess server(site.path());
    ASSERT_TRUE(server.started());
    QWidget host;
    CWebPanel panel(20, &host);
    panel.resize(200, 100);
    panel.show();
    const QString address = server.url(QStringLiteral("/page.html"));
    panel.SetPageUrl(address);
    EXPECT_TRUE(panel.view()->url().isEmpty());
    EXPECT_TRUE(panel.SetActive(true));
    EXPECT_TRUE(test::waitUntil([&] { return panel.view()->title() == u"loaded page"; }, 30000));
    EXPECT_FALSE(panel.SetActive(false));
    EXPECT_TRUE(panel.url().isEmpty()) << "deactivating forgets the address";
    panel.MoveBrowser(-10, -15); // cuts off the page's margin but covers the panel
    EXPECT_EQ(panel.view()->geometry(), QRect(-10, -15, 210, 115));
}

} // namespace
