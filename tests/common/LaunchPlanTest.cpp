#include "common/LaunchPlan.h"
#include "support/PrintQString.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace verdane {
namespace {

using namespace Qt::StringLiterals;

// What the real shell test does not reach: no wine, files that start nothing,
// and a prefix found through a link from outside it.
TEST(LaunchPlan, HowEachKindOfFileIsStarted)
{
    QTemporaryDir dir;
    const QString wine = u"/usr/bin/wine"_s;
    const QString prefix = dir.path() + u"/pfx"_s;
    enum class Way { None, Wine, Direct };
    struct Case {
        QString file; // null content: not made
        QByteArray content;
        bool executable;
        QString winePath;
        Way way;
        QString winePrefix;
    };
    const Case cases[] = {
        {u"pfx/drive_c/War3.exe"_s, "MZ", true, wine, Way::Wine, prefix},
        {u"pfx/drive_c/setup.BAT"_s, "@echo off", false, wine, Way::Wine, prefix},
        {u"loose/tool.cmd"_s, "", false, wine, Way::Wine, QString()},
        {u"loose/NoWine.exe"_s, "MZ", true, QString(), Way::None, QString()},
        {u"native/game"_s, "#!/bin/sh\n", true, wine, Way::Direct, QString()},
        {u"native/readme.exe"_s, "text", false, wine, Way::None, QString()},
        {u"native/M"_s, "M", false, wine, Way::None, QString()},
        {u"missing.exe"_s, QByteArray(), false, wine, Way::None, QString()},
        {u"folder.exe"_s, QByteArray(), false, wine, Way::None, QString()},
    };
    QDir().mkpath(dir.path() + u"/folder.exe"_s);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file.toStdString());
        const QString file = dir.path() + u'/' + c.file;
        QDir().mkpath(QFileInfo(file).absolutePath());
        QFile out(file);
        if (!c.content.isNull() && out.open(QIODevice::WriteOnly)) {
            out.write(c.content);
            out.close();
            if (c.executable)
                out.setPermissions(out.permissions() | QFileDevice::ExeOwner);
        }
        const LaunchPlan plan = planLaunch(file, c.winePath);
        EXPECT_EQ(plan.startable, c.way != Way::None);
        if (c.way != Way::None) {
            EXPECT_EQ(plan.program, c.way == Way::Wine ? wine : file);
            EXPECT_EQ(plan.arguments, c.way == Way::Wine ? QStringList{file} : QStringList());
        }
        EXPECT_EQ(plan.winePrefix, c.winePrefix);
    }
    EXPECT_FALSE(planLaunch(QString(), wine).startable);

    ASSERT_TRUE(QFile::link(prefix + u"/drive_c"_s, dir.path() + u"/C"_s));
    EXPECT_EQ(winePrefixOf(dir.path() + u"/C/War3.exe"_s), prefix);
    EXPECT_EQ(winePrefixOf(dir.path() + u"/loose/War3.exe"_s), QString());
}

} // namespace
} // namespace verdane
