#include "common/Shell.h"

#include "support/PrintQString.h"
#include "support/Wait.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace verdane {
namespace {

using namespace Qt::StringLiterals;

class RealShellTest : public ::testing::Test {
protected:
    ~RealShellTest() override
    {
        for (const auto& [name, value] : saved) {
            if (value.isNull())
                qunsetenv(name);
            else
                qputenv(name, value);
        }
    }
    QString path(const QString& relative) const { return QDir(dir.path()).filePath(relative); }

    void writeFile(const QString& relative, const QByteArray& content, bool executable = true) const
    {
        QDir().mkpath(QFileInfo(path(relative)).absolutePath());
        QFile out(path(relative));
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(content);
        out.close();
        if (executable)
            out.setPermissions(out.permissions() | QFileDevice::ExeOwner);
    }

    // A program on PATH that writes its arguments, one a line, and WINEPREFIX
    // into <name>.record; the record appears whole, through a rename.
    QString putRecorderOnPath(const QString& name)
    {
        const QByteArray record = QFile::encodeName(path(name + u".record"_s));
        writeFile(u"bin/"_s + name,
                  "#!/bin/sh\n"
                  "{ printf 'count=%s\\n' \"$#\"; printf 'prefix=%s\\n' \"${WINEPREFIX-unset}\";\n"
                  "  for a in \"$@\"; do printf 'arg=%s\\n' \"$a\"; done; } > '" +
                      record + ".part'\nmv '" + record + ".part' '" + record + "'\n");
        qputenv("PATH", QFile::encodeName(path(u"bin"_s)) + ':' + saved[0].second);
        QFile::remove(record);
        return QString::fromLocal8Bit(record);
    }
    static QStringList waitForRecord(const QString& record)
    {
        QFile in(record);
        if (!test::waitUntil([&] { return QFile::exists(record); }) ||
            !in.open(QIODevice::ReadOnly))
            return {};
        return QString::fromUtf8(in.readAll()).split(u'\n', Qt::SkipEmptyParts);
    }

    QTemporaryDir dir;
    const std::pair<const char*, QByteArray> saved[3] = {
        {"PATH", qgetenv("PATH")},
        {"WINEPREFIX", qgetenv("WINEPREFIX")},
        {"VERDANE_BROWSER", qgetenv("VERDANE_BROWSER")}};
};

TEST_F(RealShellTest, NativeProgramIsStartedByItsPathWhateverItsName)
{
    const QString wineRecord = putRecorderOnPath(u"wine"_s);
    const QString marker = path(u"started"_s);
    writeFile(u"game folder/Start.exe"_s,
              "#!/bin/sh\necho started > '" + QFile::encodeName(marker) + "'\n");
    shell().openProgram(path(u"game folder/Start.exe"_s));
    EXPECT_TRUE(test::waitUntil([&] { return QFile::exists(marker); }));
    EXPECT_FALSE(QFile::exists(wineRecord));
}

TEST_F(RealShellTest, WindowsProgramsGoToWineInTheirPrefix)
{
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
        const QString record = putRecorderOnPath(u"wine"_s);
        writeFile(c.file, c.content, false);
        shell().openProgram(c.started);
        EXPECT_EQ(waitForRecord(record),
                  QStringList({u"count=1"_s, u"prefix="_s + c.winePrefix, u"arg="_s + c.started}));
    }
}

TEST_F(RealShellTest, WebPageGoesToTheBrowserAsItsOnlyArgument)
{
    const QString builtIn = QStringLiteral(VERDANE_BROWSER);
    const QString addresses[] = {
        u"http://127.0.0.1:8637/index.html"_s,
        u"http://127.0.0.1/explain?id=1&name=地图 一"_s, // no shell ever sees it
    };
    for (const QString& address : addresses) {
        SCOPED_TRACE(address.toStdString());
        const QString record = putRecorderOnPath(u"browser"_s);
        qputenv("VERDANE_BROWSER", QFile::encodeName(path(u"bin/browser"_s)));
        shell().openWebPage(address);
        const QStringList lines = waitForRecord(record);
        ASSERT_GE(lines.size(), 2);
        EXPECT_EQ(lines[0], u"count=1"_s);
        EXPECT_EQ(lines.mid(2), QStringList{u"arg="_s + address});
    }
    // An empty setting falls back to the browser the build names.
    if (builtIn.contains(u'/'))
        GTEST_SKIP() << "the build names its browser by a full path";
    const QString record = putRecorderOnPath(builtIn);
    qputenv("VERDANE_BROWSER", "");
    shell().openWebPage(u"http://127.0.0.1/"_s);
    EXPECT_TRUE(waitForRecord(record).contains(u"arg=http://127.0.0.1/"_s));
}

} // namespace
} // namespace verdane
