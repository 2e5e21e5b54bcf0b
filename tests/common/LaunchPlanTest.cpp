#include "common/LaunchPlan.h"
#include "support/Files.h"
#include "support/PrintQString.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace verdane {
namespace {

using namespace Qt::StringLiterals;

// What the real shell test does not reach: no wine, and files that start nothing.
TEST(LaunchPlan, HowEachKindOfFileIsStarted)
{
    QTemporaryDir dir;
    const QString wine = u"/usr/bin/wine"_s;
    const struct {
        QString file;
        QByteArray content; // null: not made
        bool executable;
        QString winePath;
        QString program; // empty: nothing starts
    } cases[] = {
        {u"pfx/drive_c/setup.BAT"_s, "@echo off", false, wine, wine},
        {u"tool.cmd"_s, "", false, wine, wine},
        {u"NoWine.exe"_s, "MZ", true, {}, {}},
        {u"game"_s, "#!/bin/sh\n", true, wine, dir.filePath(u"game"_s)},
        {u"readme.exe"_s, "text", false, wine, {}},
        {u"missing.exe"_s, {}, false, wine, {}},
    };
    for (const auto& c : cases) {
        if (!c.content.isNull())
            test::writeFile(dir.filePath(c.file), c.content, c.executable);
        const LaunchPlan plan = planLaunch(dir.filePath(c.file), c.winePath);
        EXPECT_EQ(plan.program, c.program) << c.file.toStdString();
        EXPECT_EQ(plan.startable, !c.program.isEmpty());
        EXPECT_EQ(plan.winePrefix,
                  c.file.startsWith(u"pfx"_s) ? dir.filePath(u"pfx"_s) : QString());
    }
}

} // namespace
} // namespace verdane
