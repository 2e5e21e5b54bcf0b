#include "update/GetModuleDir.h"
#include "update/ui/UpdateCheck.h"

#include "support/ContentServerProcess.h"
#include "support/FakePrompt.h"
#include "support/FakeShell.h"
#include "support/Files.h"
#include "support/PrintQString.h"
#include "support/TempConfig.h"

#include <QCoreApplication>
#include <QSettings>
#include <QTemporaryDir>
#include <QWidget>

#include <gtest/gtest.h>

namespace verdane {
namespace {

using namespace Qt::StringLiterals;

// Accepting an update whose request cannot be recorded starts nothing and keeps
// the program running: a settings folder that cannot be made (a file stands in
// its place), and an update type too long to read back.
TEST(UpdateRecordTest, AnUnrecordedRequestStartsNothingAndKeepsTheProgramRunning)
{
    QTemporaryDir site;
    test::ContentServerProcess server(site.path());
    qputenv("VERDANE_CONTENT_SERVER", server.host().toUtf8());
    const QString updater = GetModuleDir() + u"NaloUpdate.exe"_s;
    test::writeFile(updater, "#!/bin/sh\n");
    QWidget window;
    window.show();
    for (const auto& [updateType, folderBlocked, update] :
         {std::tuple{QByteArray("full"), true, QString()},
          std::tuple{QByteArray(300, 'x'), false, u"1"_s}}) {
        test::TempConfig config;
        config.writeSystemFile("Curr_Version=1.0\n");
        if (folderBlocked)
            test::writeFile(config.userDir() + u"/NaloSoft"_s, {});
        test::writeFile(site.filePath(u"zarn/plexa/ZarnMapVersion.txt"_s), "2.0|" + updateType);
        test::FakePrompt prompt;
        test::FakeShell shell;
        EXPECT_EQ(UpdateCheck().CheckForUpdate(&window), UpdateCheck::Offered);
        QCoreApplication::processEvents();
        EXPECT_EQ(prompt.texts().value(1), u"无法记录更新请求，请检查配置文件是否可写。"_s);
        EXPECT_EQ(QSettings(config.userFile(), QSettings::IniFormat).value(u"Update"_s).toString(),
                  update);
        EXPECT_TRUE(shell.programs().isEmpty());
        EXPECT_TRUE(window.isVisible());
    }
    QFile::remove(updater);
    qunsetenv("VERDANE_CONTENT_SERVER");
}

} // namespace
} // namespace verdane
