#include "settings/SettingsStore.h"

#include "common/Cp936.h"
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

const QString War3 = programSubkey(u"War3"_s);
const QString clientPath = u"ClientPath"_s;

QString read(const QString& key, const QString& name = clientPath)
{
    return SettingsStore().readSetting(SettingsRoot::LocalMachine, key, name);
}

bool write(const QString& key, const QString& text, const QString& name = clientPath)
{
    return SettingsStore().writeSetting(SettingsRoot::LocalMachine, key, name, text);
}

class SettingsStoreTest : public ::testing::Test {
protected:
    test::TempConfig config;
};

TEST_F(SettingsStoreTest, KeyPathsMapOntoGroupsAndTopLevelValuesAndNothingElse)
{
    QDir(config.userDir()).removeRecursively(); // not even ~/.config
    EXPECT_EQ(read(War3), QString());
    ASSERT_TRUE(write(War3, u"/g/War3.exe"_s) && write(programKey(), u"full"_s, u"UpdateType"_s));
    for (const QString& key : {u"Software\\Other\\War3"_s, u"Software\\NaloSoft"_s, u"War3"_s})
        EXPECT_FALSE(write(key, u"/y"_s) || !read(key).isEmpty()) << key.toStdString();
    EXPECT_FALSE(write(War3, u"/y"_s, u"Client/Path"_s));
    // Key names never cared about letter case, and a trailing separator names the same key.
    EXPECT_EQ(read(u"software\\nalosoft\\verdane\\War3\\"_s), u"/g/War3.exe"_s);
    EXPECT_EQ(QSettings(config.userFile(), QSettings::IniFormat).allKeys(),
              (QStringList{u"UpdateType"_s, u"War3/ClientPath"_s}));
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
        ASSERT_TRUE(write(War3, u"/before"_s));
        EXPECT_EQ(write(War3, text), fits) << cp936Length(text);
        EXPECT_EQ(read(War3), fits ? text : u"/before"_s) << cp936Length(text);
    }
}

// Values that are no text read as not set, and so do files QSettings does not
// read as they are (bytes that are no UTF-8, a broken section): such a file is
// kept aside as it is at the first write, which carries over the values that did read.
TEST_F(SettingsStoreTest, ValuesThatAreNoTextAndGarbageFilesReadAsNotSetUntilTheNextWrite)
{
    const QStringList w3{u"War3/ClientPath"_s};
    const std::tuple<QByteArray, std::optional<QString>, bool, QStringList> cases[] = {
        {"[War3]\nClientPath=/a/War3.exe, /b/War3.exe", QString(), false, w3}, // a list
        {"[War3]\nClientPath=\"/a/War3.exe, quoted\"", u"/a/War3.exe, quoted"_s, false, w3},
        {QByteArray("\xff\xfe\x00\x01[[[\n=\n\\", 10), QString(), true, w3},
        {"[Tools]\nClientPath=/t\n[Other\n", QString(), true, {u"Tools/ClientPath"_s, w3[0]}},
    };
    for (const auto& [content, expected, unreadable, keys] : cases) {
        QDir(config.userDir()).removeRecursively();
        config.writeUserFile(content);
        if (expected) {
            EXPECT_EQ(read(War3), *expected) << content.toStdString();
        }
        SettingsStore store;
        EXPECT_TRUE(store.writeSetting(SettingsRoot::LocalMachine, War3, clientPath, u"/g"_s));
        EXPECT_EQ(read(War3), u"/g"_s);
        const QString kept = store.keptUnreadableFile();
        EXPECT_EQ(test::readFile(kept), unreadable ? content : QByteArray());
        EXPECT_EQ(kept.startsWith(config.userFile() + u".unreadable-"_s), unreadable);
        EXPECT_EQ(QSettings(config.userFile(), QSettings::IniFormat).allKeys(), keys);
        // Once clean, the file is written over as usual.
        EXPECT_TRUE(store.writeSetting(SettingsRoot::LocalMachine, War3, clientPath, u"/h"_s));
        EXPECT_TRUE(store.keptUnreadableFile().isEmpty());
        EXPECT_EQ(QDir(config.userDir() + u"/NaloSoft"_s).entryList(QDir::Files).size(),
                  unreadable ? 2 : 1);
    }
}

TEST_F(SettingsStoreTest, MachineWideValuesAreDefaultsTheUserFileOverrides)
{
    const QByteArray machine = "Curr_Version=1.0.0\n[War3]\nClientPath=/opt/w3/War3.exe\n";
    config.writeSystemFile(machine);
    EXPECT_EQ(read(War3), u"/opt/w3/War3.exe"_s);
    ASSERT_TRUE(write(War3, u"/home/u/w3/War3.exe"_s));
    EXPECT_EQ(read(War3) + read(programKey(), u"Curr_Version"_s), u"/home/u/w3/War3.exe1.0.0"_s);
    EXPECT_EQ(test::readFile(config.systemFile()), machine);
    ASSERT_TRUE(QFile::remove(config.userFile()) && QDir().mkpath(config.userFile()));
    EXPECT_FALSE(write(War3, u"/g/War3.exe"_s)) << "the settings file is a folder";
}

// Readers on threads of their own, each with its own store as a download worker has.
TEST_F(SettingsStoreTest, ReadersOnOtherThreadsNeverSeeTornRefusedOrLostValues)
{
    // Long values in both encodings, so a half-written file would show.
    const QString values[] = {QString(120, u'甲') + u"/War3.exe"_s,
                              QString(240, u'b') + u"/War3.exe"_s};
    ASSERT_TRUE(write(War3, values[0]));
    std::atomic<bool> done{false};
    std::atomic<int> bad{0};
    std::vector<std::thread> readers;
    for (int i = 0; i < 3; ++i)
        readers.emplace_back([&] {
            for (SettingsStore store; !done;) {
                const QString path =
                    store.readSetting(SettingsRoot::LocalMachine, War3, clientPath);
                bad += path != values[0] && path != values[1];
            }
        });
    int failed = 0;
    for (int i = 0; i < 20; ++i)
        failed +=
            !write(War3, values[i % 2]) + !write(programSubkey(u"Tools"_s), QString::number(i));
    {
        test::ReadOnlyFolder locked(QFileInfo(config.userFile()).absolutePath());
        for (int i = 0; locked.effective() && i < 50; ++i)
            failed -= write(War3, u"/refused"_s) + write(programSubkey(u"VS"_s), u"/refused"_s);
    }
    done = true;
    for (std::thread& reader : readers)
        reader.join(); // not QThread::wait(): a join is what ThreadSanitizer sees
    EXPECT_EQ(bad + failed, 0);
    // Once the folder is writable again the refused values must not turn up.
    EXPECT_EQ(read(War3) + read(programSubkey(u"VS"_s)) + read(programSubkey(u"Tools"_s)),
              values[1] + u"19"_s);
    // A file the settings cannot parse leaves an error status that must not hide a refused write.
    config.writeUserFile("[War3\nClientPath=/broken");
    {
        test::ReadOnlyFolder locked(QFileInfo(config.userFile()).absolutePath());
        EXPECT_FALSE(locked.effective() && write(programSubkey(u"HF"_s), u"/refused"_s));
    }
}

} // namespace
} // namespace verdane
