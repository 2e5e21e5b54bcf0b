#include "support/ContentServerProcess.h"
#include "support/FakeShell.h"
#include "support/Wait.h"
#include "ui/CWebPanel.h"

#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <QTest>
#include <QWebEngineView>

#include <gtest/gtest.h>

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
        for (CWebPanel* panel : {&picture_, &page_}) {
            panel->resize(120, 160);
            panel->show();
            panel->SetActive(true);
        }
        page_.SetPlaceholderText(QStringLiteral("无法连接"));
    }
    static QColor shown(CWebPanel& panel)
    {
        return panel.view()->grab().toImage().pixelColor(60, 10);
    }
    QString page(const QString& name, const QByteArray& body)
    {
        QFile file(site.filePath(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly) && file.write(body) == body.size());
        return server->url(u'/' + name);
    }

    QTemporaryDir site;
    std::unique_ptr<test::ContentServerProcess> server;
    CWebPanel picture_{20, nullptr};
    CWebPanel page_{23, nullptr};
};

TEST_F(WebCacheTest, WhatWasSeenShowsWithoutTheServerAndTheRestAQuietTile)
{
    const QString pageAddress = page("seen.html", "<body style='background:#00f'>a</body>");
    page("unseen.html", "<body style='background:#0f0'>b</body>");
    const QString base = server->url({});
    page_.SetPageUrl(pageAddress);
    picture_.SetPageUrl(base + QStringLiteral("/seen.png"));
    ASSERT_TRUE(test::waitUntil([&] { return shown(picture_) == served; }, 30000));
    ASSERT_TRUE(test::waitUntil([&] { return shown(page_) == QColor(Qt::blue); }, 30000));
    server.reset();
    const QColor tile(0x12, 0x1c, 0x28);
    const struct {
        CWebPanel* panel;
        const char* path;
        QColor expected;
    } cases[] = {{&picture_, "/unseen.png", tile},
                 {&picture_, "/seen.png", served},
                 {&page_, "/unseen.html", tile},
                 {&page_, "/seen.html", Qt::blue}};
    for (const auto& c : cases) {
        c.panel->SetPageUrl(base + QString::fromLatin1(c.path));
        EXPECT_TRUE(test::waitUntil([&] { return shown(*c.panel) == c.expected; }, 30000))
            << c.path;
    }
}

TEST_F(WebCacheTest, ANewWindowLinkGoesToTheBrowserOnlyForAWebAddress)
{
    test::FakeShell shell;
    const QString target = server->url(QStringLiteral("/seen.png"));
    const QByteArray link = "<a target=_blank style='display:block;height:50px' href='%1'>x</a>";
    page_.SetPageUrl(page("links.html", "<body style='margin:0;background:#00f'>" +
                                            QByteArray(link).replace("%1", "file:///etc/hosts") +
                                            QByteArray(link).replace("%1", "about:blank") +
                                            QByteArray(link).replace("%1", target.toUtf8())));
    ASSERT_TRUE(test::waitUntil([&] { return shown(page_) == QColor(Qt::blue); }, 30000));
    for (const int y : {20, 70, 120})
        QTest::mouseClick(page_.view()->focusProxy(), Qt::LeftButton, {}, QPoint(30, y));
    EXPECT_TRUE(test::waitUntil([&] { return !shell.webPages().isEmpty(); }, 30000));
    EXPECT_EQ(shell.webPages(), QStringList{target});
}

} // namespace
