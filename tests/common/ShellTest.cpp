#include "common/Shell.h"
#include "common/WebAddress.h"

#include "support/Files.h"
#include "support/PrintQString.h"
#include "support/Wait.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace verdane {
namespace {

using namespace Qt::StringLiterals;

void restore(const char* name, const QByteArray& value)
{
    value.isNull() ? qunsetenv(name) : qputenv(name, value);
}

class RealShellTest : public ::testing::Test {
protected:
    RealShellTest() { qputenv("PATH", QFile::encodeName(dir.filePath(u"bin"_s)) + ':' + oldPath); }
    ~RealShellTest() override
    {
        restore("PATH", oldPath);
        restore("WINEPREFIX", oldPrefix);
        restore("VERDANE_BROWSER", oldBrowser);
    }
    // A program that writes "<WINEPREFIX>|<argument count>|<arguments>" into <itself>.record.
    QString recorder(const QString& relative) const
    {
        const QString record = dir.filePath(relative + u".record"_s);
        QFile::remove(record);
        const QByteArray name = QFile::encodeName(record);
        test::writeFile(dir.filePath(relative),
                        "#!/bin/sh\necho \"${WINEPREFIX-unset}|$#|$*\" > '" + name +
                            ".part'\nmv '" + name + ".part' '" + name + "'\n",
                        true);
        return record;
    }
    static QString waitFor(const QString& record)
    {
        const bool written = test::waitUntil([&] { return QFile::exists(record); });
        return written ? QString::fromUtf8(test::readFile(record)).trimmed() : QString();
    }

    QTemporaryDir dir;
    const QByteArray oldPath = qgetenv("PATH");
    const QByteArray oldPrefix = qgetenv("WINEPREFIX");
    const QByteArray oldBrowser = qgetenv("VERDANE_BROWSER");
};

TEST_F(RealShellTest, WindowsProgramsGoToWineInTheirPrefixAndNativeOnesStartThemselves)
{
    qputenv("WINEPREFIX", "/inherited");
    const QString prefix = dir.filePath(u"pfx"_s);
    QDir().mkpath(prefix + u"/dosdevices"_s);
    QFile::link(u"../drive_c"_s, prefix + u"/dosdevices/c:"_s);
    const QString cases[][3] = {// the file, the path the shell is given, WINEPREFIX
                                {u"pfx/drive_c/War3.exe"_s, u"pfx/drive_c/War3.exe"_s, prefix},
                                {u"pfx/drive_c/VS.exe"_s, u"pfx/dosdevices/c:/VS.exe"_s, prefix},
                                {u"loose/HF.exe"_s, u"loose/HF.exe"_s, u"/inherited"_s}};
    for (const auto& [file, started, winePrefix] : cases) {
        const QString record = recorder(u"bin/wine"_s);
        test::writeFile(dir.filePath(file), "MZ");
        shell().openProgram(dir.filePath(started));
        EXPECT_EQ(waitFor(record), winePrefix + u"|1|"_s + dir.filePath(started));
    }
    const QString wine = recorder(u"bin/wine"_s);
    const QString native = recorder(u"game folder/Start.exe"_s);
    shell().openProgram(dir.filePath(u"game folder/Start.exe"_s));
    EXPECT_EQ(waitFor(native), u"/inherited|0|"_s);
    EXPECT_FALSE(QFile::exists(wine));
}

TEST(isWebUrl, TakesHttpAndHttpsAddressesWithAHostOnly)
{
    const std::pair<const char*, bool> cases[] = {
        {"https://h/a", true},         {"HTTP://h/x", true},          {"http:///x", false},
        {"file:///etc/passwd", false}, {"file://localhost/x", false}, {"ftp://h/x", false},
        {"javascript:x()", false},     {"about:blank", false}};
    for (const auto& [address, web] : cases)
        EXPECT_EQ(isWebUrl(QUrl(QString::fromLatin1(address))), web) << address;
}

// A browser that logs its arguments, one a line: only web addresses reach it,
// each as its only argument.
TEST_F(RealShellTest, OnlyWebAddressesReachTheBrowserEachAsItsOnlyArgument)
{
    const QString log = dir.filePath(u"log"_s);
    test::writeFile(dir.filePath(u"bin/browser"_s),
                    "#!/bin/sh\nprintf '%s\\n' \"$@\" >> '" + QFile::encodeName(log) + "'\n", true);
    qputenv("VERDANE_BROWSER", QFile::encodeName(dir.filePath(u"bin/browser"_s)));
    const QStringList accepted{u"HTTPS://127.0.0.1/a"_s,
                               u"http://127.0.0.1/e?id=1&name=地图 一&a=-b"_s};
    for (const QString& address : {u"--help"_s, u"-"_s, u"file:///etc/passwd"_s, u"/etc/passwd"_s,
                                   u"javascript:alert(1)"_s, u"ftp://127.0.0.1/x"_s, u"http://"_s,
                                   u" http://127.0.0.1/"_s, QString(), accepted[0], accepted[1]})
        shell().openWebPage(address);
    // Each browser has started when openWebPage returns: once none runs, the log is whole.
    EXPECT_TRUE(test::waitUntil([&] {
        return QProcess::execute(u"pgrep"_s, {u"-f"_s, dir.filePath(u"bin/browser"_s)}) == 1;
    }));
    QStringList seen = QString::fromUtf8(test::readFile(log)).split(u'\n', Qt::SkipEmptyParts);
    seen.sort();
    EXPECT_EQ(seen, accepted);
    // An empty setting falls back to the browser the build names.
    const QString builtIn = QStringLiteral(VERDANE_BROWSER);
    if (builtIn.contains(u'/'))
        GTEST_SKIP() << "the build names its browser by a full path";
    qputenv("VERDANE_BROWSER", "");
    const QString fallback = recorder(u"bin/"_s + builtIn);
    shell().openWebPage(u"http://127.0.0.1/"_s);
    EXPECT_TRUE(waitFor(fallback).endsWith(u"|1|http://127.0.0.1/"_s));
}

} // namespace
} // namespace verdane
