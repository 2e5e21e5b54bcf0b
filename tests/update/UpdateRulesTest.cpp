#include "update/HttpGetText.h"
#include "update/SplitText.h"
#include "update/VersionDecision.h"

#include <gtest/gtest.h>

namespace verdane {
namespace {

TEST(SplitText, KeepsInnerEmptyPiecesAndDropsAnEmptyLastOne)
{
    const struct {
        QString text;
        QStringList pieces;
    } cases[] = {
        {"a|b", {"a", "b"}}, {"a|", {"a"}},
        {"|b", {"", "b"}},   {"a||b", {"a", "", "b"}},
        {"a", {"a"}},        {"", {}},
        {"|a|", {"", "a"}},  {"||", {"", ""}},
        {"|", {""}},         {"1.0|full\r\n", {"1.0", "full\r\n"}},
    };
    for (const auto& row : cases) {
        QStringList pieces;
        SplitText(row.text, u'|', pieces);
        EXPECT_EQ(pieces, row.pieces) << row.text.toStdString();
    }
}

TEST(SplitText, AppendsToWhatTheListHolds)
{
    QStringList pieces{"kept"};
    SplitText(QStringLiteral("http://host/files/a.w3x"), u'/', pieces);
    EXPECT_EQ(pieces, QStringList({"kept", "http:", "", "host", "files", "a.w3x"}));
}

TEST(SplitServerAndPath, FollowsTheVersionCheckRule)
{
    const struct {
        QString url;
        QString server;
        QString path;
    } cases[] = {
        {"update.example/zarn/plexa/ZarnMapVersion.txt", "update.example",
         "/zarn/plexa/ZarnMapVersion.txt"},
        {"http://update.example/zarn/v.txt", "update.example", "/zarn/v.txt"},
        {"127.0.0.1:8637/zarn/v.txt", "127.0.0.1:8637", "/zarn/v.txt"},
        {"http://host:81/a", "host:81", "/a"},
        // Every occurrence of the server is taken out of the path.
        {"host/a/host/b", "host", "/a//b"},
        {"host", "host", ""},
        {"http://host", "host", ""},
        {"https://host/a", "https://host", "/a"},
        {"", "", ""},
    };
    for (const auto& row : cases) {
        const ServerAndPath split = SplitServerAndPath(row.url);
        EXPECT_EQ(split.server, row.server) << row.url.toStdString();
        EXPECT_EQ(split.path, row.path) << row.url.toStdString();
    }
}

TEST(CompareVersionText, ComparesFieldOneExactly)
{
    const struct {
        QString installed;
        QByteArray fetched;
        bool hasVersion;
        bool upToDate;
        bool hasUpdateType;
        QString updateType;
    } cases[] = {
        {"1.0.0", "1.0.0|full", true, true, true, "full"},
        {"1.0.0", "1.0.1|full", true, false, true, "full"},
        {"", "1.0.0|full", true, false, true, "full"},
        {"", "|full", true, true, true, "full"},
        // No ordering: a later installed release is offered the server's.
        {"1.0.10", "1.0.9|patch", true, false, true, "patch"},
        // No trimming: the line break is part of field 1.
        {"1.0.0", "1.0.0\n", true, false, false, ""},
        {"1.0.0", " 1.0.0|x", true, false, true, "x"},
        {"1.0.0", "1.0.0|full\r\n|ignored", true, true, true, "full\r\n"},
        {"1.0.0", "1.0.0", true, true, false, ""},
        {"1.0.0", "1.0.0|", true, true, false, ""},
        {"1.0.0", "1.0.0||x", true, true, true, ""},
        {"1.0.0", "", false, false, false, ""},
        // Code page 936: "全量更新" and "版本二".
        {"2.0", "2.0|\xc8\xab\xc1\xbf\xb8\xfc\xd0\xc2", true, true, true, "全量更新"},
        {"版本二", "\xb0\xe6\xb1\xbe\xb6\xfe|x", true, true, true, "x"},
    };
    for (const auto& row : cases) {
        const VersionDecision decision = CompareVersionText(row.installed, row.fetched);
        SCOPED_TRACE(row.fetched.toStdString());
        EXPECT_EQ(decision.hasVersion, row.hasVersion);
        EXPECT_EQ(decision.upToDate, row.upToDate);
        EXPECT_EQ(decision.hasUpdateType, row.hasUpdateType);
        EXPECT_EQ(decision.updateType, row.updateType);
    }
}

} // namespace
} // namespace verdane
