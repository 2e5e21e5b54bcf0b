#include "common/Shell.h"

#include "common/PrintQString.h"
#include "support/Wait.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace verdane {
namespace {

using namespace Qt::StringLiterals;

// Puts an environment variable back as it was.
class EnvironmentGuard {
public:
    explicit EnvironmentGuard(const char* name)
        : name_(name)
        , wasSet_(qEnvironmentVariableIsSet(name))
        , old_(qgetenv(name))
    {
    }
    ~EnvironmentGuard()
    {
        if (wasSet_)
            qputenv(name_, old_);
        else
            qunsetenv(name_);
    }

private:
    const char* name_;
    bool wasSet_;
    QByteArray old_;
};

class RealShellTest : public ::testing::Test {
protected:
    QString path(const QString& relative) const { return QDir(dir.path()).filePath(relative); }

    void writeFile(const QString& relative, const QByteArray& content, bool executable) const
    {
        const QString file = path(relative);
        QDir().mkpath(QFileInfo(file).absolutePath());
        QFile out(file);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(content);
        out.close();
        if (executable)
            out.setPermissions(out.permissions() | QFileDevice::ExeOwner | QFileDevice::ExeUser);
    }

    // A program that writes its arguments, one a line, and WINEPREFIX into a
    // record file; the record appears whole, through a rename.
    void writeRecorder(const QString& relative, const QString& record) const
    {
        const QByteArray target = QFile::encodeName(record);
        writeFile(relative,
                  "#!/bin/sh\n"
                  "{ printf 'count=%s\\n' \"$#\"; printf 'prefix=%s\\n' \"${WINEPREFIX-unset}\";\n"
                  "  for a in \"$@\"; do printf 'arg=%s\\n' \"$a\"; done; } > '" +
                      target + ".part'\nmv '" + target + ".part' '" + target + "'\n",
                  true);
    }

    QStringList waitForRecord(const QString& record) const
    {
        if (!test::waitUntil([&] { return QFile::exists(record); }))
            return {};
        QFile in(record);
        if (!in.open(QIODevice::ReadOnly))
            return {};
        return QString::fromUtf8(in.readAll()).split(u'\n', Qt::SkipEmptyParts);
    }

    // Only the fake wine below is found on PATH.
    void putFakeWineOnPath()
    {
        writeRecorder(u"bin/wine"_s, path(u"wine.record"_s));
        qputenv("PATH", QFile::encodeName(path(u"bin"_s)) + ':' + oldPath);
    }

    QTemporaryDir dir;
    QByteArray oldPath = qgetenv("PATH");
    EnvironmentGuard pathGuard{"PATH"};
    EnvironmentGuard prefixGuard{"WINEPREFIX"};
    EnvironmentGuard browserGuard{"VERDANE_BROWSER"};
};

TEST_F(RealShellTest, NativeProgramIsStartedByItsPath)
{
    const QString marker = path(u"started"_s);
    writeFile(u"game folder/start.sh"_s,
              "#!/bin/sh\necho started > '" + QFile::encodeName(marker) + "'\n", true);
    shell().openProgram(path(u"game folder/start.sh"_s));
    EXPECT_TRUE(test::waitUntil([&] { return QFile::exists(marker); }));
}

TEST_F(RealShellTest, WindowsProgramsGoToWineInTheirPrefix)
{
    putFakeWineOnPath();
    qputenv("WINEPREFIX", "/inherited/prefix");
    const QString prefix = path(u"prefix"_s);
    QDir().mkpath(prefix + u"/dosdevices"_s);
    QFile::link(u"../drive_c"_s, prefix + u"/dosdevices/c:"_s);

    struct Case {
        QString file; // written below the temporary folder
        QByteArray content;
        QString started; // as wine is given it
        QString winePrefix;
    };
    const Case cases[] = {
        {u"prefix/drive_c/Games/War3/War3.exe"_s, "MZ\x90\x00",
         path(u"prefix/drive_c/Games/War3/War3.exe"_s), prefix},
        {u"prefix/drive_c/run.bat"_s, "@echo off\r\n", path(u"prefix/drive_c/run.bat"_s), prefix},
        // Picked through the prefix's drive letter link.
        {u"prefix/drive_c/Games/VS/VSClient.exe"_s, "MZ",
         path(u"prefix/dosdevices/c:/Games/VS/VSClient.exe"_s), prefix},
        // In no prefix: WINEPREFIX stays as this process has it.
        {u"loose/GameClient.exe"_s, "MZ", path(u"loose/GameClient.exe"_s), u"/inherited/prefix"_s},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file.toStdString());
        QFile::remove(path(u"wine.record"_s));
        writeFile(c.file, c.content, false);
        shell().openProgram(c.started);
        EXPECT_EQ(waitForRecord(path(u"wine.record"_s)),
                  QStringList({u"count=1"_s, u"prefix="_s + c.winePrefix, u"arg="_s + c.started}));
    }
}

TEST_F(RealShellTest, ContentDecidesNotTheName)
{
    putFakeWineOnPath();
    // A native program that happens to be called .exe.
    const QString marker = path(u"native.started"_s);
    writeFile(u"Game.exe"_s, "#!/bin/sh\ntouch '" + QFile::encodeName(marker) + "'\n", true);
    shell().openProgram(path(u"Game.exe"_s));
    EXPECT_TRUE(test::waitUntil([&] { return QFile::exists(marker); }));
    EXPECT_FALSE(QFile::exists(path(u"wine.record"_s)));
}

TEST_F(RealShellTest, WebPageGoesToTheBrowserAsItsOnlyArgument)
{
    writeRecorder(u"bin/browser"_s, path(u"browser.record"_s));
    qputenv("VERDANE_BROWSER", QFile::encodeName(path(u"bin/browser"_s)));
    const QString addresses[] = {
        u"http://127.0.0.1:8637/index.html"_s,
        u"http://127.0.0.1/explain?id=1&name=地图 一"_s, // no shell ever sees it
        QString(),                                       // an entry without a link
    };
    for (const QString& address : addresses) {
        SCOPED_TRACE(address.toStdString());
        QFile::remove(path(u"browser.record"_s));
        shell().openWebPage(address);
        const QStringList record = waitForRecord(path(u"browser.record"_s));
        ASSERT_GE(record.size(), 2);
        EXPECT_EQ(record[0], u"count=1"_s);
        EXPECT_EQ(record.mid(2), QStringList{u"arg="_s + address});
    }
}

TEST_F(RealShellTest, EmptyBrowserSettingFallsBackToTheBuildsBrowser)
{
    const QString builtIn = QStringLiteral(VERDANE_BROWSER);
    if (builtIn.contains(u'/'))
        GTEST_SKIP() << "the build names its browser by a full path";
    writeRecorder(u"bin/"_s + builtIn, path(u"browser.record"_s));
    qputenv("PATH", QFile::encodeName(path(u"bin"_s)) + ':' + oldPath);
    qputenv("VERDANE_BROWSER", "");
    shell().openWebPage(u"http://127.0.0.1/"_s);
    const QStringList record = waitForRecord(path(u"browser.record"_s));
    EXPECT_TRUE(record.contains(u"arg=http://127.0.0.1/"_s)) << record.join(u' ').toStdString();
}

} // namespace
} // namespace verdane
