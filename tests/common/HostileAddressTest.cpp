#include "common/Shell.h"

#include "support/Files.h"
#include "support/Wait.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>

namespace verdane {
namespace {

using namespace Qt::StringLiterals;

// The browser and wine replaced by one recorder that appends its arguments to a log.
class HostileAddressTest : public ::testing::Test {
protected:
    HostileAddressTest()
    {
        const QString recorder = dir.filePath(u"bin/recorder"_s);
        test::writeFile(recorder,
                        "#!/bin/sh\nfor a in \"$@\"; do printf '%s\\n' \"$a\"; done >> '" +
                            QFile::encodeName(log()) + "'\n");
        QFile::setPermissions(recorder, QFile::permissions(recorder) | QFile::ExeOwner);
        QFile::link(recorder, dir.filePath(u"bin/wine"_s));
        qputenv("VERDANE_BROWSER", QFile::encodeName(recorder));
        qputenv("PATH", QFile::encodeName(dir.filePath(u"bin"_s)) + ':' + oldPath);
    }
    ~HostileAddressTest() override
    {
        qputenv("PATH", oldPath);
        qunsetenv("VERDANE_BROWSER");
        QDir::setCurrent(oldDir);
    }
    QString log() const { return dir.filePath(u"log"_s); }
    // The log once every expected line has arrived.
    QStringList logWith(const QStringList& expected) const
    {
        QStringList lines;
        test::waitUntil([&] {
            lines = QString::fromUtf8(test::readFile(log())).split(u'\n', Qt::SkipEmptyParts);
            return std::all_of(expected.begin(), expected.end(),
                               [&](const QString& line) { return lines.contains(line); });
        });
        return lines;
    }

    QTemporaryDir dir;
    QByteArray oldPath = qgetenv("PATH");
    QString oldDir = QDir::currentPath();
};

TEST_F(HostileAddressTest, OnlyWebAddressesReachTheBrowser)
{
    const QString refused[] = {u"--help"_s,
                               u"-"_s,
                               u"file:///etc/passwd"_s,
                               u"/etc/passwd"_s,
                               u"javascript:alert(1)"_s,
                               u"ftp://127.0.0.1/x"_s,
                               u"http://"_s,
                               u" http://127.0.0.1/"_s,
                               QString()};
    for (const QString& address : refused)
        shell().openWebPage(address);
    const QStringList accepted{u"HTTPS://127.0.0.1/a"_s, u"http://127.0.0.1/地图 一?a=-b"_s};
    for (const QString& address : accepted)
        shell().openWebPage(address);
    QStringList seen = logWith(accepted);
    seen.sort();
    EXPECT_EQ(seen, accepted);
}

TEST_F(HostileAddressTest, ARelativeProgramPathReachesWineAsAnAbsolutePath)
{
    QDir::setCurrent(dir.path());
    test::writeFile(dir.filePath(u"-x/War3.exe"_s), "MZ");
    shell().openProgram(u"-x/War3.exe"_s);
    EXPECT_EQ(logWith({dir.filePath(u"-x/War3.exe"_s)}),
              QStringList{dir.filePath(u"-x/War3.exe"_s)});
}

} // namespace
} // namespace verdane
