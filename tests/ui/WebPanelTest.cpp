#include "support/ContentServerProcess.h"
#include "support/Wait.h"
#include "ui/CWebPanel.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QWebEnginePage>
#include <QWebEngineView>

#include <gtest/gtest.h>

using namespace verdane;

namespace {

class WebPanelTest : public testing::Test {
protected:
    void SetUp() override
    {
        QFile page(site.filePath(QStringLiteral("page.html")));
        ASSERT_TRUE(page.open(QIODevice::WriteOnly));
        page.write("<html><head><title>loaded page</title></head><body>hi</body></html>");
        page.close();
        server = std::make_unique<test::ContentServerProcess>(site.path());
        ASSERT_TRUE(server->started());
        panel.resize(200, 100);
        panel.show();
    }

    QTemporaryDir site;
    std::unique_ptr<test::ContentServerProcess> server;
    QWidget host;
    CWebPanel panel{20, &host};
};

TEST_F(WebPanelTest, AnInactivePanelOnlyRemembersItsAddress)
{
    panel.SetPageUrl(server->url(QStringLiteral("/page.html")));
    EXPECT_EQ(panel.url(), server->url(QStringLiteral("/page.html")));
    EXPECT_TRUE(panel.view()->url().isEmpty());
}

TEST_F(WebPanelTest, ActivatingLoadsTheRememberedPageFromTheServer)
{
    panel.SetPageUrl(server->url(QStringLiteral("/page.html")));
    EXPECT_TRUE(panel.SetActive(true));
    EXPECT_TRUE(test::waitUntil([&] { return panel.view()->title() == u"loaded page"; }, 30000));
}

TEST_F(WebPanelTest, AnActivePanelNavigatesAtOnceAndDeactivatingForgetsTheAddress)
{
    panel.SetActive(true);
    EXPECT_TRUE(panel.view()->url().isEmpty()) << "nothing to load without an address";
    panel.SetPageUrl(server->url(QStringLiteral("/page.html")));
    EXPECT_TRUE(test::waitUntil([&] { return panel.view()->title() == u"loaded page"; }, 30000));
    EXPECT_TRUE(panel.SetActive(true)) << "the same state again changes nothing";
    EXPECT_EQ(panel.url(), server->url(QStringLiteral("/page.html")));
    EXPECT_FALSE(panel.SetActive(false));
    EXPECT_TRUE(panel.url().isEmpty());
}

TEST_F(WebPanelTest, TheBrowserOffsetCutsOffThePagesMarginButCoversThePanel)
{
    panel.MoveBrowser(-10, -15);
    EXPECT_EQ(panel.view()->geometry(), QRect(-10, -15, 210, 115));
}

} // namespace
