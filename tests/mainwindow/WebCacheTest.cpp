#include "common/ControlIds.h"
#include "support/ContentServerProcess.h"
#include "support/FakeShell.h"
#include "support/Wait.h"
#include "widgets/WebPanel.h"

#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <QTest>
#include <QWebEngineSettings>
#include <QWebEngineView>

#include <gtest/gtest.h>

#include <tuple>

using namespace verdane;

namespace {

const QColor served(200, 30, 40);

class WebCacheTest : public testing::Test {
protected:
    void SetUp() override
    {
        QImage picture(120, 160, QImage::Format_RGB32);
        picture.fill(served);
        for (const char* name : {"seen.png", "unseen.png"})
            ASSERT_TRUE(picture.save(site.filePath(QString::fromLatin1(name))));
        server = std::make_unique<test::ContentServerProcess>(site.path());
        ASSERT_TRUE(server->started());
        // Scripts that open windows at load and on a timer, then tell whether they could.
        const QByteArray unseen = server->url(QStringLiteral("/unseen.png")).toUtf8();
        QByteArray links = "<body style='margin:0;background:#00f'><script>open('" + unseen +
                           "');setTimeout(()=>{const w=open('" + unseen +
                           "');document.links[2].click();document.title=w?'opened':'blocked'},50)"
                           "</script>";
        for (const QByteArray& to : {QByteArray("file:///etc/hosts"), QByteArray("about:blank"),
                                     server->url(QStringLiteral("/seen.png")).toUtf8()})
            links += "<a target=_blank style='display:block;height:50px' href='" + to + "'>x</a>";
        for (const auto& [name, body] :
             {std::pair<const char*, QByteArray>{"seen.html", "<body style='background:#00f'>"},
              {"unseen.html", "<body style='background:#0f0'>"},
              {"links.html", links}}) {
            QFile file(site.filePath(QString::fromLatin1(name)));
            ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write(body) == body.size());
        }
        for (WebPanel* panel : {&picture_, &page_}) {
            panel->resize(120, 160);
            panel->show();
            panel->setActive(true);
        }
        page_.setPlaceholderText(QStringLiteral("无法连接"));
    }

    QTemporaryDir site;
    std::unique_ptr<test::ContentServerProcess> server;
    WebPanel picture_{ControlId::RowPicture[0], nullptr};
    WebPanel page_{ControlId::PagePanel, nullptr};
};

// Waits until the panel shows the colour (invalid: any dark one) at a point clear of text.
bool shows(WebPanel& panel, const QColor& colour)
{
    return test::waitUntil(
        [&] {
            const QColor shown = panel.view()->grab().toImage().pixelColor(60, 10);
            return colour.isValid() ? shown == colour : shown.lightness() < 60;
        },
        30000);
}

TEST_F(WebCacheTest, WhatWasSeenShowsWithoutTheServerAndTheRestAQuietPlaceholder)
{
    page_.setPageUrl(server->url(QStringLiteral("/seen.html")));
    picture_.setPageUrl(server->url(QStringLiteral("/seen.png")));
    ASSERT_TRUE(shows(picture_, served) && shows(page_, Qt::blue));
    const QString base = server->url({});
    server.reset();
    const std::tuple<WebPanel*, const char*, QColor> cases[] = {{&picture_, "/unseen.png", {}},
                                                                {&picture_, "/seen.png", served},
                                                                {&page_, "/unseen.html", {}},
                                                                {&page_, "/seen.html", Qt::blue}};
    for (const auto& [panel, path, expected] : cases) {
        panel->setPageUrl(base + QString::fromLatin1(path));
        EXPECT_TRUE(shows(*panel, expected)) << path;
    }
}

TEST_F(WebCacheTest, OnlyAClickedLinkToAWebAddressGoesToTheBrowserNeverAScript)
{
    test::FakeShell shell;
    // The picture view lets scripts open windows, as the profile does not: their
    // requests reach the panel, which sends none of them on.
    picture_.view()->settings()->setAttribute(QWebEngineSettings::JavascriptCanOpenWindows, true);
    for (WebPanel* panel : {&picture_, &page_})
        panel->setPageUrl(server->url(QStringLiteral("/links.html")));
    ASSERT_TRUE(test::waitUntil(
        [&] {
            return picture_.view()->title() == u"opened" && page_.view()->title() == u"blocked";
        },
        30000));
    for (const int y : {20, 70, 120})
        QTest::mouseClick(page_.view()->focusProxy(), Qt::LeftButton, {}, QPoint(30, y));
    EXPECT_TRUE(test::waitUntil([&] { return !shell.webPages().isEmpty(); }, 30000));
    EXPECT_EQ(shell.webPages(), QStringList{server->url(QStringLiteral("/seen.png"))});
}

} // namespace
