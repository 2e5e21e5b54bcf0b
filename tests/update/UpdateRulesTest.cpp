#include "common/SplitText.h"
#include "update/VersionDecision.h"

#include <gtest/gtest.h>

namespace verdane {
namespace {

TEST(splitText, KeepsInnerEmptyPiecesAndDropsAnEmptyLastOneAppendingToTheList)
{
    const std::pair<QString, QStringList> cases[] = {
        {"a|b", {"a", "b"}},
        {"a|", {"a"}},
        {"|b", {"", "b"}},
        {"a||b", {"a", "", "b"}},
        {"", {}},
        {"||", {"", ""}},
        {"1.0|full\r\n", {"1.0", "full\r\n"}},
    };
    for (const auto& [text, pieces] : cases) {
        QStringList list{"kept"};
        splitText(text, u'|', list);
        EXPECT_EQ(list, QStringList{"kept"} + pieces) << text.toStdString();
    }
}

TEST(compareVersionText, ComparesFieldOneExactly)
{
    const struct {
        QString installed;
        QByteArray fetched;
        bool hasVersion, upToDate, hasUpdateType;
        QString updateType;
    } cases[] = {
        {"1.0.0", "1.0.0|full", true, true, true, "full"},
        {"", "|full", true, true, true, "full"},
        {"1.0.10", "1.0.9|patch", true, false, true, "patch"}, // no ordering
        {"1.0.0", "1.0.0\n", true, false, false, ""},          // no trimming
        {"1.0.0", "1.0.0|full\r\n|ignored", true, true, true, "full\r\n"},
        {"1.0.0", "1.0.0|", true, true, false, ""},
        {"1.0.0", "", false, false, false, ""},
        {"版本二", "\xb0\xe6\xb1\xbe\xb6\xfe|\xc8\xab\xc1\xbf", true, true, true,
         "全量"}, // code page 936
    };
    for (const auto& c : cases) {
        const VersionDecision decision = compareVersionText(c.installed, c.fetched);
        EXPECT_EQ(QList<bool>({decision.hasVersion, decision.upToDate, decision.hasUpdateType}),
                  QList<bool>({c.hasVersion, c.upToDate, c.hasUpdateType}))
            << c.fetched.toStdString();
        EXPECT_EQ(decision.updateType, c.updateType) << c.fetched.toStdString();
    }
}

} // namespace
} // namespace verdane
