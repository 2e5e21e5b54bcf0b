#include "settings/SettingsKeys.h"
#include "settings/SettingsStore.h"
#include "support/Files.h"
#include "support/PrintQString.h"
#include "support/TempConfig.h"

#include <QDir>
#include <QSettings>

#include <gtest/gtest.h>

namespace verdane {
namespace {

using namespace Qt::StringLiterals;

// Random bytes, and a file QSettings reads only in part: kept aside as they
// are, and a clean file carries over the program's values that did read.
TEST(UnreadableSettingsTest, AFileThatCannotBeReadIsKeptAsideBeforeTheFirstWriteOverIt)
{
    QByteArray noise;
    for (int i = 0; i < 4096; ++i)
        noise.append(static_cast<char>((i * 7919 + 13) % 256));
    for (const auto& [content, keys] :
         {std::pair{noise, QStringList{u"Update"_s}},
          std::pair{QByteArray("[War3]\nClientPath=/a/War3.exe\n[Other\nx=1\n"),
                    QStringList{u"Update"_s, u"War3/ClientPath"_s}}}) {
        test::TempConfig config;
        config.writeUserFile(content);
        SettingsStore store;
        ASSERT_TRUE(
            store.WriteSetting(SettingsRoot::LocalMachine, programKey(), updateValue(), "1"));
        const QString kept = store.KeptUnreadableFile();
        EXPECT_TRUE(kept.startsWith(config.userFile() + u".unreadable-"_s)) << kept.toStdString();
        EXPECT_EQ(test::readFile(kept), content);
        EXPECT_EQ(QSettings(config.userFile(), QSettings::IniFormat).allKeys(), keys);
        // Once clean, the file is written over as usual.
        EXPECT_TRUE(
            store.WriteSetting(SettingsRoot::LocalMachine, programKey(), updateValue(), "2"));
        EXPECT_TRUE(store.KeptUnreadableFile().isEmpty());
        EXPECT_EQ(QDir(config.userDir() + u"/NaloSoft"_s).entryList(QDir::Files).size(), 2);
    }
}

} // namespace
} // namespace verdane
