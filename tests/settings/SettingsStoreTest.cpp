#include "settings/SettingsStore.h"
#include "settings/SettingsKeys.h"
#include "settings/SettingsTestSupport.h"
#include "support/TempConfig.h"

#include "common/Cp936.h"
#include "support/PrintQString.h"

#include <QDir>
#include <QFile>
#include <QSettings>

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <thread>
#include <vector>

namespace verdane {
namespace {

using namespace Qt::StringLiterals;
using test::fileContent;

constexpr SettingsRoot root = SettingsRoot::LocalMachine;
const QString war3 = programSubkey(u"War3"_s);

// Runs readers on threads of their own, each with its own store as a download
// worker has, until the writer on this thread is done; counts odd reads.
class ReaderThreads {
public:
    explicit ReaderThreads(std::function<bool(SettingsStore&)> readIsGood)
    {
        for (int i = 0; i < 3; ++i) {
            threads_.emplace_back([this, readIsGood] {
                SettingsStore store;
                for (; !done_.load(); ++reads_)
                    bad_ += readIsGood(store) ? 0 : 1;
            });
        }
    }
    ~ReaderThreads() { stop(); }

    // Returns the number of odd reads.
    int stop()
    {
        done_ = true;
        // Joined, not QThread::wait(): a join is what ThreadSanitizer sees as the
        // end of a reader; Qt's own wait goes through locks it cannot see.
        for (std::thread& thread : threads_) {
            if (thread.joinable())
                thread.join();
        }
        return bad_.load();
    }
    int reads() const { return reads_.load(); }

private:
    std::vector<std::thread> threads_;
    std::atomic<bool> done_{false};
    std::atomic<int> bad_{0};
    std::atomic<int> reads_{0};
};

QString read(const QString& key, const QString& name = clientPathValue())
{
    return SettingsStore().ReadSetting(root, key, name);
}

bool write(const QString& key, const QString& text, const QString& name = clientPathValue())
{
    return SettingsStore().WriteSetting(root, key, name, text);
}

class SettingsStoreTest : public ::testing::Test {
protected:
    test::TempConfig config;
};

TEST_F(SettingsStoreTest, FreshMachineReadsEmptyAndFirstWriteCreatesFolderAndFile)
{
    for (const QString& subkey : {u"War3"_s, u"VS"_s, u"HF"_s, u"QQ"_s, u"Zmr"_s, u"Tools"_s})
        EXPECT_EQ(read(programSubkey(subkey)), QString()) << subkey.toStdString();
    EXPECT_EQ(read(programKey(), currentVersionValue()), QString());

    QDir(config.userDir()).removeRecursively(); // not even ~/.config
    EXPECT_TRUE(write(war3, u"/games/w3/War3.exe"_s));
    EXPECT_EQ(read(war3), u"/games/w3/War3.exe"_s);
}

TEST_F(SettingsStoreTest, KeyPathsMapOntoGroupsAndTopLevelValuesAndNothingElse)
{
    config.writeUserFile("[Other]\nClientPath=/x\n");
    ASSERT_TRUE(write(war3, u"/g/War3.exe"_s));
    ASSERT_TRUE(write(programKey(), u"full"_s, updateTypeValue()));
    for (const QString& key :
         {u"Software\\Other\\War3"_s, u"Software\\NaloSoft"_s, u""_s, u"War3"_s}) {
        EXPECT_EQ(read(key), QString()) << key.toStdString();
        EXPECT_FALSE(write(key, u"/y"_s)) << key.toStdString();
    }
    EXPECT_EQ(read(war3, u"Client/Path"_s), QString());
    EXPECT_FALSE(write(war3, u"/y"_s, u""_s));
    // A trailing separator names the same key.
    EXPECT_EQ(read(programKey() + u"\\War3\\"_s), u"/g/War3.exe"_s);

    // The file as any other reader of it sees it.
    const QSettings file(config.userFile(), QSettings::IniFormat);
    EXPECT_EQ(file.value(u"War3/ClientPath"_s).toString(), u"/g/War3.exe"_s);
    EXPECT_EQ(file.value(u"UpdateType"_s).toString(), u"full"_s);
    EXPECT_EQ(file.value(u"Other/ClientPath"_s).toString(), u"/x"_s);
    EXPECT_EQ(file.allKeys().size(), 3);
}

TEST_F(SettingsStoreTest, TextsRoundTripUnlessEmptyOrOf260BytesAndMore)
{
    const QString han(u'游');
    const std::pair<QString, bool> cases[] = {
        {u"/home/玩家/游戏/魔兽争霸III/War3.exe"_s, true},
        {u"D:\\Games\\War3\\War3.exe"_s, true},
        {u"/g/with, comma; semicolon = equals \"quotes\""_s, true},
        {u"  leading and trailing spaces  "_s, true},
        {u"@Variant(looks like a type)"_s, true},
        {u"100%"_s, true},
        {u"[War3]"_s, true},
        {u"#not a comment"_s, true},
        {QString(), false},
        {han.repeated(129) + u'x', true},     // 259 bytes
        {han.repeated(130), false},           // 260
        {han.repeated(129) + u"xy"_s, false}, // 260
        {QString(u'a').repeated(259), true},
        {QString(u'a').repeated(260), false},
        {han.repeated(400), false},
    };
    for (const auto& [text, readable] : cases) {
        SCOPED_TRACE(cp936Length(text));
        // A text that would not read back is refused and the stored one kept.
        const bool fits = readable || text.isEmpty();
        ASSERT_TRUE(write(war3, u"/before"_s));
        EXPECT_EQ(write(war3, text), fits);
        EXPECT_EQ(read(war3), fits ? text : u"/before"_s);
        ASSERT_TRUE(write(programKey(), u"/before"_s, updateTypeValue()));
        EXPECT_EQ(write(programKey(), text, updateTypeValue()), fits);
        EXPECT_EQ(read(programKey(), updateTypeValue()), fits ? text : u"/before"_s);
    }
}

TEST_F(SettingsStoreTest, ValuesThatAreNoTextAndGarbageFilesReadAsNotSet)
{
    QByteArray noise;
    for (int i = 0; i < 4096; ++i)
        noise.append(static_cast<char>((i * 7919 + 13) % 256));
    const std::pair<QByteArray, QString> cases[] = {
        {"[War3]\nClientPath=/a/War3.exe, /b/War3.exe", {}},             // a list
        {"[War3]\nClientPath=@Variant(\\0\\0\\0\\x2\\0\\0\\0\\x5)", {}}, // an int
        {"[War3]\nClientPath=@ByteArray(/g/War3.exe)", {}},
        {"[War3]\nClientPath=@Invalid()", {}},
        {"[War3]\nClientPath=@Rect(1 2 3 4)", {}},
        {"[War3]\nClientPath=\"/a/War3.exe, quoted\"", u"/a/War3.exe, quoted"_s},
        {"[War3]\nClientPath=42", u"42"_s},
        {noise, {}},
        {QByteArray("\xff\xfe\x00\x01[[[\n=\n\\", 10), {}},
        {"[War3\nClient Path\n", {}},
        {"[[broken\nW=1\n", {}},
    };
    for (const auto& [content, expected] : cases) {
        SCOPED_TRACE(content.left(40).toStdString());
        config.writeUserFile(content);
        EXPECT_EQ(read(war3), expected);
        EXPECT_EQ(read(programKey(), currentVersionValue()), QString());
        // The next write replaces what could not be read.
        EXPECT_TRUE(write(war3, u"/g/War3.exe"_s));
        EXPECT_EQ(read(war3), u"/g/War3.exe"_s);
    }
}

TEST_F(SettingsStoreTest, MachineWideValuesAreDefaultsTheUserFileOverrides)
{
    const QByteArray machine = "Curr_Version=1.0.0\n[War3]\nClientPath=/opt/w3/War3.exe\n"
                               "[Tools]\nClientPath=/opt/tools\n";
    config.writeSystemFile(machine);
    EXPECT_EQ(read(war3), u"/opt/w3/War3.exe"_s);

    config.writeUserFile("[Tools]\nClientPath=/home/u/tools\n"); // as another process would
    EXPECT_EQ(read(programSubkey(u"Tools"_s)), u"/home/u/tools"_s);
    ASSERT_TRUE(write(war3, u"/home/u/w3/War3.exe"_s));
    EXPECT_EQ(read(war3), u"/home/u/w3/War3.exe"_s);
    EXPECT_EQ(read(programKey(), currentVersionValue()), u"1.0.0"_s);
    // Writes go to the user's file only.
    EXPECT_EQ(fileContent(config.systemFile()), machine);
    EXPECT_FALSE(fileContent(config.userFile()).contains("Curr_Version"));
}

TEST_F(SettingsStoreTest, WriteFailsWhereTheFileCannotBeMade)
{
    const QString folder = QFileInfo(config.userFile()).absolutePath();
    QDir().mkpath(config.userFile()); // the settings file is a folder
    EXPECT_FALSE(write(war3, u"/g/War3.exe"_s));
    EXPECT_EQ(read(war3), QString());

    QDir(folder).removeRecursively(); // the settings folder is a file
    QFile blocker(folder);
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    EXPECT_FALSE(write(war3, u"/g/War3.exe"_s));
    EXPECT_EQ(read(war3), QString());
}

TEST_F(SettingsStoreTest, WriteIntoReadOnlyFolderFailsAndNoReaderSeesTheRefusedValue)
{
    ASSERT_TRUE(write(war3, u"/old/War3.exe"_s));
    {
        test::ReadOnlyFolder locked(QFileInfo(config.userFile()).absolutePath());
        if (!locked.effective())
            GTEST_SKIP() << "this system lets files be created in a read-only folder";
        ReaderThreads readers([](SettingsStore& store) {
            return store.ReadSetting(root, war3, clientPathValue()) == u"/old/War3.exe"_s;
        });
        int stored = 0;
        for (int i = 0; i < 100; ++i) {
            stored += write(war3, u"/new/War3.exe"_s) ? 1 : 0;
            stored += write(programSubkey(u"VS"_s), u"/new/VSClient.exe"_s) ? 1 : 0;
        }
        EXPECT_EQ(readers.stop(), 0) << "of " << readers.reads() << " reads";
        EXPECT_EQ(stored, 0);
    }
    // Once the folder is writable again the refused values must not turn up.
    EXPECT_EQ(read(war3), u"/old/War3.exe"_s);
    EXPECT_EQ(read(programSubkey(u"VS"_s)), QString());
    EXPECT_FALSE(fileContent(config.userFile()).contains("/new/"));
    EXPECT_TRUE(write(war3, u"/new/War3.exe"_s));
    EXPECT_EQ(read(war3), u"/new/War3.exe"_s);
}

TEST_F(SettingsStoreTest, ReadersOnOtherThreadsNeverSeeTornOrLostValues)
{
    // Long values in both encodings, so a half-written file would show.
    const QString values[] = {QString(u'甲').repeated(120) + u"/War3.exe"_s,
                              QString(u'b').repeated(240) + u"/War3.exe"_s};
    const QString tools = programSubkey(u"Tools"_s);
    ASSERT_TRUE(write(war3, values[0]));
    ASSERT_TRUE(write(programKey(), u"1.0.0"_s, currentVersionValue()));

    ReaderThreads readers([&](SettingsStore& store) {
        const QString path = store.ReadSetting(root, war3, clientPathValue());
        return (path == values[0] || path == values[1]) &&
               store.ReadSetting(root, programKey(), currentVersionValue()) == u"1.0.0"_s;
    });
    int failedWrites = 0;
    for (int i = 0; i < 20; ++i) {
        failedWrites += write(war3, values[i % 2]) ? 0 : 1;
        failedWrites += write(tools, u"/tools/"_s + QString::number(i)) ? 0 : 1;
    }
    EXPECT_EQ(readers.stop(), 0) << "of " << readers.reads() << " reads";
    EXPECT_EQ(failedWrites, 0);
    EXPECT_EQ(read(war3), values[1]);
    EXPECT_EQ(read(tools), u"/tools/19"_s);
    EXPECT_EQ(read(programKey(), currentVersionValue()), u"1.0.0"_s);
}

} // namespace
} // namespace verdane
