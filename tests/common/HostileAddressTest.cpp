#include "common/Shell.h"

#include "support/Files.h"
#include "support/PrintQString.h"
#include "support/Wait.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace verdane {
namespace {

using namespace Qt::StringLiterals;

// The real hand-off, with a browser that appends its arguments to a log.
TEST(HostileAddressTest, OnlyWebAddressesReachTheBrowser)
{
    QTemporaryDir dir;
    const QString browser = dir.filePath(u"browser"_s);
    const QString log = dir.filePath(u"log"_s);
    test::writeFile(browser, "#!/bin/sh\nfor a in \"$@\"; do printf '%s\\n' \"$a\"; done >> '" +
                                 QFile::encodeName(log) + "'\n");
    QFile::setPermissions(browser, QFile::permissions(browser) | QFile::ExeOwner);
    qputenv("VERDANE_BROWSER", QFile::encodeName(browser));

    for (const QString& address :
         {u"--help"_s, u"-"_s, u"file:///etc/passwd"_s, u"/etc/passwd"_s, u"javascript:alert(1)"_s,
          u"ftp://127.0.0.1/x"_s, u"http://"_s, u" http://127.0.0.1/"_s, QString()})
        shell().openWebPage(address);
    const QStringList accepted{u"HTTPS://127.0.0.1/a"_s, u"http://127.0.0.1/地图 一?a=-b"_s};
    for (const QString& address : accepted)
        shell().openWebPage(address);
    // Started before the accepted ones, a refused address would be in the log by then.
    QStringList seen;
    test::waitUntil([&] {
        seen = QString::fromUtf8(test::readFile(log)).split(u'\n', Qt::SkipEmptyParts);
        return seen.size() >= accepted.size();
    });
    test::waitUntil([] { return false; }, 300);
    seen = QString::fromUtf8(test::readFile(log)).split(u'\n', Qt::SkipEmptyParts);
    seen.sort();
    EXPECT_EQ(seen, accepted);
    qunsetenv("VERDANE_BROWSER");
}

} // namespace
} // namespace verdane
