#include "settings/SettingsStore.h"

#include "common/Cp936.h"
#include "settings/LaunchTarget.h"
#include "settings/ProgramSettings.h"
#include "support/Files.h"
#include "support/PrintQString.h"
#include "support/StoredSettings.h"
#include "support/TempConfig.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>

#include <gtest/gtest.h>

#include <atomic>
#include <optional>
#include <thread>
#include <vector>

namespace verdane {
namespace {

using namespace Qt::StringLiterals;

const QString War3 = u"War3/ClientPath"_s;

class SettingsStoreTest : public ::testing::Test {
protected:
    test::TempConfig config;
};

// Files written before keep their meaning (the packaged machine-wide file
// among them, as defaults the user's file overrides), and every write leaves
// the keys and texts that the updater and older files know.
TEST_F(SettingsStoreTest, ProgramSettingsKeepTheirKeysAndTextsInTheFile)
{
    QDir(config.userDir()).removeRecursively(); // not even ~/.config
    const QByteArray machine = "[General]\nCurr_Version=1.0.0\n[War3]\nClientPath=/w3/War3.exe\n";
    config.writeSystemFile(machine);
    ProgramSettings settings;
    EXPECT_EQ(settings.installedVersion() + settings.mapsFolder(), u"1.0.0/w3/Maps/NaloBox"_s);
    ASSERT_TRUE(settings.requestUpdate() && settings.setUpdateType(u"full"_s) &&
                settings.setToolsFolder(u"/t"_s));
    for (const LaunchTarget& target : launchTargets())
        ASSERT_TRUE(settings.setLaunchPath(target, u"/g/"_s + target.executableName));
    EXPECT_EQ(test::readFile(config.userFile()), "[General]\nUpdate=1\nUpdateType=full\n\n"
                                                 "[HF]\nClientPath=/g/GameClient.exe\n\n"
                                                 "[QQ]\nClientPath=/g/AAClientOriginal.exe\n\n"
                                                 "[Tools]\nClientPath=/t\n\n"
                                                 "[VS]\nClientPath=/g/VSClient.exe\n\n"
                                                 "[War3]\nClientPath=/g/War3.exe\n\n"
                                                 "[Zmr]\nClientPath=/g/ZmrClient.exe\n");
    EXPECT_EQ(test::readFile(config.systemFile()), machine);
    config.writeUserFile("[Wine]\nCommand=/opt/wine/bin/wine\n[Tools]\nClientPath=/data/t\n");
    EXPECT_EQ(settings.wineCommand() + settings.downloadFolder(true) +
                  settings.downloadFolder(false),
              u"/opt/wine/bin/wine/data/t/w3/Maps/NaloBox"_s);
    ASSERT_TRUE(QFile::remove(config.userFile()) && QDir().mkpath(config.userFile()));
    EXPECT_FALSE(settings.setToolsFolder(u"/t"_s)) << "the settings file is a folder";
}

TEST_F(SettingsStoreTest, TextsRoundTripUnlessEmptyOrOf260BytesAndMore)
{
    const std::pair<QString, bool> cases[] = {
        {u"/home/玩家/with, comma; = \"quotes\" @Variant(x) 100% [War3] #no comment "_s, true},
        {QString(), false},
        {QString(129, u'游') + u'x', true},     // 259 bytes
        {QString(129, u'游') + u"xy"_s, false}, // 260
        {QString(260, u'a'), false},
    };
    for (const auto& [text, readable] : cases) {
        // A text that would not read back is refused and the stored one kept.
        const bool fits = readable || text.isEmpty();
        ASSERT_TRUE(SettingsStore::setValue(War3, u"/before"_s));
        EXPECT_EQ(SettingsStore::setValue(War3, text).stored, fits) << cp936Length(text);
        EXPECT_EQ(SettingsStore::value(War3), fits ? text : u"/before"_s) << cp936Length(text);
    }
}

// Values that are no text read as not set, and so do files QSettings does not
// read as they are (bytes that are no UTF-8, a broken section): such a file is
// kept aside as it is at the first write, which carries over every value that
// did read back, in every group.
TEST_F(SettingsStoreTest, ValuesThatAreNoTextAndGarbageFilesReadAsNotSetUntilTheNextWrite)
{
    const QStringList w3{War3};
    const std::tuple<QByteArray, std::optional<QString>, bool, QStringList> cases[] = {
        {"[War3]\nClientPath=/a/War3.exe, /b/War3.exe", QString(), false, w3}, // a list
        {"[War3]\nClientPath=\"/a/War3.exe, quoted\"", u"/a/War3.exe, quoted"_s, false, w3},
        {QByteArray("\xff\xfe\x00\x01[[[\n=\n\\", 10), QString(), true, w3},
        {"Update=1\n[Tools]\nClientPath=/t\n[Wine]\nCommand=/w\n[Other\n",
         QString(),
         true,
         {u"Tools/ClientPath"_s, u"Update"_s, War3, u"Wine/Command"_s}},
    };
    for (const auto& [content, expected, unreadable, keys] : cases) {
        QDir(config.userDir()).removeRecursively();
        config.writeUserFile(content);
        if (expected) {
            EXPECT_EQ(SettingsStore::value(War3), *expected) << content.toStdString();
        }
        const SettingsWrite write = SettingsStore::setValue(War3, u"/g"_s);
        EXPECT_TRUE(write.stored);
        EXPECT_EQ(SettingsStore::value(War3), u"/g"_s);
        EXPECT_EQ(test::readFile(write.keptFile), unreadable ? content : QByteArray());
        EXPECT_EQ(write.keptFile.startsWith(config.userFile() + u".unreadable-"_s), unreadable);
        EXPECT_EQ(QSettings(config.userFile(), QSettings::IniFormat).allKeys(), keys);
        // Once clean, the file is written over as usual.
        EXPECT_TRUE(SettingsStore::setValue(War3, u"/h"_s).keptFile.isEmpty());
        EXPECT_EQ(QDir(config.userDir() + u"/NaloSoft"_s).entryList(QDir::Files).size(),
                  unreadable ? 2 : 1);
    }
}

// Readers on threads of their own, as a download worker reads.
TEST_F(SettingsStoreTest, ReadersOnOtherThreadsNeverSeeTornRefusedOrLostValues)
{
    const auto write = test::storePath;
    // Long values in both encodings, so a half-written file would show.
    const QString values[] = {QString(120, u'甲') + u"/War3.exe"_s,
                              QString(240, u'b') + u"/War3.exe"_s};
    ASSERT_TRUE(write(u"War3"_s, values[0]));
    std::atomic<bool> done{false};
    std::atomic<int> bad{0};
    std::vector<std::thread> readers;
    for (int i = 0; i < 3; ++i)
        readers.emplace_back([&] {
            while (!done) {
                const QString path = SettingsStore::value(War3);
                bad += path != values[0] && path != values[1];
            }
        });
    int failed = 0;
    for (int i = 0; i < 20; ++i)
        failed += !write(u"War3"_s, values[i % 2]) + !write(u"Tools"_s, QString::number(i));
    {
        test::ReadOnlyFolder locked(QFileInfo(config.userFile()).absolutePath());
        for (int i = 0; locked.effective() && i < 50; ++i)
            failed -= write(u"War3"_s, u"/refused"_s) + write(u"VS"_s, u"/refused"_s);
    }
    done = true;
    for (std::thread& reader : readers)
        reader.join(); // not QThread::wait(): a join is what ThreadSanitizer sees
    EXPECT_EQ(bad + failed, 0);
    // Once the folder is writable again the refused values must not turn up.
    EXPECT_EQ(test::storedPath(u"War3"_s) + test::storedPath(u"VS"_s) +
                  test::storedPath(u"Tools"_s),
              values[1] + u"19"_s);
    // A file the settings cannot parse leaves an error status that must not hide a refused write.
    config.writeUserFile("[War3\nClientPath=/broken");
    {
        test::ReadOnlyFolder locked(QFileInfo(config.userFile()).absolutePath());
        if (!locked.effective()) // then the refused writes above were not tried either
            GTEST_SKIP() << "this system lets files be created in a read-only folder";
        EXPECT_FALSE(write(u"HF"_s, u"/refused"_s));
    }
}

} // namespace
} // namespace verdane
