#include "common/LaunchPlan.h"
#include "common/PrintQString.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace verdane {
namespace {

using namespace Qt::StringLiterals;

class LaunchPlanTest : public ::testing::Test {
protected:
    QString make(const QString& relative, const QByteArray& content, bool executable) const
    {
        const QString file = dir.path() + u'/' + relative;
        QDir().mkpath(QFileInfo(file).absolutePath());
        QFile out(file);
        if (out.open(QIODevice::WriteOnly))
            out.write(content);
        out.close();
        if (executable)
            out.setPermissions(out.permissions() | QFileDevice::ExeOwner);
        return file;
    }

    QTemporaryDir dir;
};

TEST_F(LaunchPlanTest, HowEachKindOfFileIsStarted)
{
    const QString wine = u"/usr/bin/wine"_s;
    const QString prefix = dir.path() + u"/pfx"_s;
    enum class Way { None, Wine, Direct };
    struct Case {
        QString file;
        QByteArray content;
        bool executable;
        QString winePath;
        Way way;
        QString winePrefix;
    };
    const Case cases[] = {
        {u"pfx/drive_c/Games/War3.exe"_s, "MZ\x90", false, wine, Way::Wine, prefix},
        {u"pfx/drive_c/War3.exe"_s, "MZ", true, wine, Way::Wine, prefix},
        {u"loose/War3.exe"_s, "MZ", false, wine, Way::Wine, QString()},
        {u"pfx/drive_c/setup.BAT"_s, "@echo off", false, wine, Way::Wine, prefix},
        {u"loose/tool.cmd"_s, "", false, wine, Way::Wine, QString()},
        {u"loose/NoWine.exe"_s, "MZ", true, QString(), Way::None, QString()},
        {u"native/game"_s, "#!/bin/sh\n", true, wine, Way::Direct, QString()},
        {u"native/Named.exe"_s, "#!/bin/sh\n", true, wine, Way::Direct, QString()},
        {u"native/readme.exe"_s, "text", false, wine, Way::None, QString()},
        {u"native/M"_s, "M", false, wine, Way::None, QString()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file.toStdString());
        const QString file = make(c.file, c.content, c.executable);
        const LaunchPlan plan = planLaunch(file, c.winePath);
        EXPECT_EQ(plan.startable, c.way != Way::None);
        if (c.way == Way::Wine) {
            EXPECT_EQ(plan.program, wine);
            EXPECT_EQ(plan.arguments, QStringList{file});
        } else if (c.way == Way::Direct) {
            EXPECT_EQ(plan.program, file);
            EXPECT_TRUE(plan.arguments.isEmpty());
        }
        EXPECT_EQ(plan.winePrefix, c.winePrefix);
    }
}

TEST_F(LaunchPlanTest, NothingToStart)
{
    QDir().mkpath(dir.path() + u"/folder.exe"_s);
    for (const QString& path :
         {QString(), dir.path() + u"/missing.exe"_s, dir.path() + u"/folder.exe"_s})
        EXPECT_FALSE(planLaunch(path, u"/usr/bin/wine"_s).startable) << path.toStdString();
}

TEST_F(LaunchPlanTest, PrefixIsFoundThroughLinks)
{
    const QString prefix = dir.path() + u"/pfx"_s;
    make(u"pfx/drive_c/Games/War3.exe"_s, "MZ", false);
    QDir().mkpath(prefix + u"/dosdevices"_s);
    ASSERT_TRUE(QFile::link(u"../drive_c"_s, prefix + u"/dosdevices/c:"_s));
    ASSERT_TRUE(QFile::link(prefix + u"/drive_c/Games"_s, dir.path() + u"/Games"_s));

    EXPECT_EQ(winePrefixOf(prefix + u"/dosdevices/c:/Games/War3.exe"_s), prefix);
    EXPECT_EQ(winePrefixOf(dir.path() + u"/Games/War3.exe"_s), prefix);
    EXPECT_EQ(winePrefixOf(prefix + u"/drive_c/Games/War3.exe"_s), prefix);
    EXPECT_EQ(winePrefixOf(dir.path() + u"/nowhere/War3.exe"_s), QString());
}

} // namespace
} // namespace verdane
