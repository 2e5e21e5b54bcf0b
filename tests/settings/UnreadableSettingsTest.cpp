#include "settings/LaunchTarget.h"
#include "settings/SettingsKeys.h"
#include "settings/SettingsStore.h"
#include "support/Files.h"
#include "support/PrintQString.h"
#include "support/TempConfig.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>

#include <gtest/gtest.h>

namespace verdane {
namespace {

using namespace Qt::StringLiterals;

TEST(UnreadableSettingsTest, AFileThatCannotBeReadIsKeptAsideBeforeTheFirstWriteOverIt)
{
    QByteArray noise;
    for (int i = 0; i < 4096; ++i)
        noise.append(static_cast<char>((i * 7919 + 13) % 256));
    const struct {
        QByteArray content;
        QStringList keys; // of the clean file: what did read is carried over
    } cases[] = {
        {noise, {u"VS/ClientPath"_s}},
        {"[War3]\nClientPath=/a/War3.exe\n[Other\nx=1\n",
         {u"VS/ClientPath"_s, u"War3/ClientPath"_s}},
    };
    for (const auto& c : cases) {
        test::TempConfig config;
        config.writeUserFile(c.content);
        SettingsStore store;
        ASSERT_TRUE(store.WriteSetting(SettingsRoot::LocalMachine, launchTargetAt(1)->settingsKey(),
                                       clientPathValue(), u"/b/VSClient.exe"_s));
        const QString kept = store.KeptUnreadableFile();
        EXPECT_EQ(test::readFile(kept), c.content);
        EXPECT_TRUE(QFileInfo(kept).fileName().startsWith(u"Verdane.conf.unreadable-"_s))
            << kept.toStdString();

        QSettings clean(config.userFile(), QSettings::IniFormat);
        EXPECT_EQ(clean.status(), QSettings::NoError);
        EXPECT_EQ(clean.allKeys(), c.keys);
        // Once clean, the file is written over as usual.
        EXPECT_TRUE(
            store.WriteSetting(SettingsRoot::LocalMachine, programKey(), updateValue(), u"1"_s));
        EXPECT_TRUE(store.KeptUnreadableFile().isEmpty());
        EXPECT_EQ(QDir(config.userDir() + u"/NaloSoft"_s).count(), 4u); // ".", "..", two files
    }
}

} // namespace
} // namespace verdane
