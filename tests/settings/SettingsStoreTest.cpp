#include "settings/SettingsStore.h"
#include "settings/ReadOnlyFolder.h"
#include "settings/SettingsKeys.h"
#include "support/TempConfig.h"

#include "common/Cp936.h"
#include "settings/PrintQString.h"

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QThread>

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <memory>
#include <vector>

namespace verdane {
namespace {

using namespace Qt::StringLiterals;

constexpr SettingsRoot root = SettingsRoot::LocalMachine;

// Runs readers on threads of their own, each with its own store as a download
// worker has, until the writer on this thread is done; counts odd reads.
class ReaderThreads {
public:
    explicit ReaderThreads(std::function<bool(SettingsStore&)> readIsGood, int count = 3)
    {
        for (int i = 0; i < count; ++i) {
            threads_.emplace_back(QThread::create([this, readIsGood] {
                SettingsStore store;
                while (!done_.load()) {
                    if (!readIsGood(store))
                        ++bad_;
                    ++reads_;
                }
            }));
            threads_.back()->start();
        }
    }
    ~ReaderThreads() { stop(); }

    // Returns the number of odd reads.
    int stop()
    {
        done_ = true;
        for (const std::unique_ptr<QThread>& thread : threads_)
            thread->wait();
        return bad_.load();
    }
    int reads() const { return reads_.load(); }

private:
    std::vector<std::unique_ptr<QThread>> threads_;
    std::atomic<bool> done_{false};
    std::atomic<int> bad_{0};
    std::atomic<int> reads_{0};
};

QByteArray fileContent(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QString read(const QString& key, const QString& name)
{
    return SettingsStore().ReadSetting(root, key, name);
}

bool write(const QString& key, const QString& name, const QString& text)
{
    return SettingsStore().WriteSetting(root, key, name, text);
}

class SettingsStoreTest : public ::testing::Test {
protected:
    test::TempConfig config;
};

TEST_F(SettingsStoreTest, FreshMachineReadsEmptyAndFirstWriteCreatesFolderAndFile)
{
    ASSERT_FALSE(QFile::exists(config.userFile()));
    for (const QString& subkey : {u"War3"_s, u"VS"_s, u"HF"_s, u"QQ"_s, u"Zmr"_s, u"Tools"_s})
        EXPECT_EQ(read(programSubkey(subkey), clientPathValue()), QString())
            << subkey.toStdString();
    EXPECT_EQ(read(programKey(), currentVersionValue()), QString());

    QDir(config.userDir()).removeRecursively(); // not even ~/.config
    EXPECT_TRUE(write(programSubkey(u"War3"_s), clientPathValue(), u"/games/w3/War3.exe"_s));
    EXPECT_TRUE(QFile::exists(config.userFile()));
    EXPECT_EQ(read(programSubkey(u"War3"_s), clientPathValue()), u"/games/w3/War3.exe"_s);
}

TEST_F(SettingsStoreTest, KeyPathsMapOntoGroupsAndTopLevelValues)
{
    ASSERT_TRUE(write(programSubkey(u"War3"_s), clientPathValue(), u"/g/War3.exe"_s));
    ASSERT_TRUE(write(programSubkey(u"QQ"_s), clientPathValue(), u"/p/AAClientOriginal.exe"_s));
    ASSERT_TRUE(write(programKey(), updateValue(), u"1"_s));
    ASSERT_TRUE(write(programKey(), updateTypeValue(), u"full"_s));

    // The file as any other reader of it sees it.
    const QSettings file(config.userFile(), QSettings::IniFormat);
    EXPECT_EQ(file.value(u"War3/ClientPath"_s).toString(), u"/g/War3.exe"_s);
    EXPECT_EQ(file.value(u"QQ/ClientPath"_s).toString(), u"/p/AAClientOriginal.exe"_s);
    EXPECT_EQ(file.value(u"Update"_s).toString(), u"1"_s);
    EXPECT_EQ(file.value(u"UpdateType"_s).toString(), u"full"_s);
    EXPECT_EQ(file.childGroups(), QStringList({u"QQ"_s, u"War3"_s}));

    // A trailing separator names the same key.
    EXPECT_EQ(read(programKey() + u"\\War3\\"_s, clientPathValue()), u"/g/War3.exe"_s);
}

TEST_F(SettingsStoreTest, KeysOutsideTheProgramKeyAreNeitherReadNorWritten)
{
    config.writeUserFile("[Other]\nClientPath=/x\n[War3]\nClientPath=/g/War3.exe\n");
    const QString keys[] = {u"Software\\Other\\War3"_s, u"Software\\NaloSoft"_s, u""_s, u"War3"_s};
    for (const QString& key : keys) {
        EXPECT_EQ(read(key, clientPathValue()), QString()) << key.toStdString();
        EXPECT_FALSE(write(key, clientPathValue(), u"/y"_s)) << key.toStdString();
    }
    EXPECT_EQ(read(programSubkey(u"War3"_s), u"Client/Path"_s), QString());
    EXPECT_FALSE(write(programSubkey(u"War3"_s), u""_s, u"/y"_s));
    EXPECT_EQ(fileContent(config.userFile()),
              "[Other]\nClientPath=/x\n[War3]\nClientPath=/g/War3.exe\n");
}

TEST_F(SettingsStoreTest, TextsRoundTripUnchanged)
{
    const QString texts[] = {
        u"/home/玩家/游戏/魔兽争霸III/War3.exe"_s,
        u"D:\\Games\\War3\\War3.exe"_s,
        u"/g/with, comma; semicolon = equals \"quotes\""_s,
        u"  leading and trailing spaces  "_s,
        u"@Variant(looks like a type)"_s,
        u"100%"_s,
        u"1.0.0"_s,
        u"[War3]"_s,
        u"#not a comment"_s,
    };
    for (const QString& text : texts) {
        EXPECT_TRUE(write(programSubkey(u"Tools"_s), clientPathValue(), text));
        EXPECT_EQ(read(programSubkey(u"Tools"_s), clientPathValue()), text);
        EXPECT_TRUE(write(programKey(), updateTypeValue(), text));
        EXPECT_EQ(read(programKey(), updateTypeValue()), text);
    }
}

TEST_F(SettingsStoreTest, EmptyTextIsStoredAndReadsAsNotSet)
{
    ASSERT_TRUE(write(programSubkey(u"VS"_s), clientPathValue(), u"/p/VSClient.exe"_s));
    EXPECT_TRUE(write(programSubkey(u"VS"_s), clientPathValue(), QString()));
    EXPECT_EQ(read(programSubkey(u"VS"_s), clientPathValue()), QString());
}

TEST_F(SettingsStoreTest, ValuesOf260BytesOrMoreReadAsNotSet)
{
    const QString han(u'游');
    struct Case {
        QString text;
        qsizetype bytes;
        bool readable;
    };
    const Case cases[] = {
        {han.repeated(129) + u'x', 259, true},     {han.repeated(130), 260, false},
        {han.repeated(129) + u"xy"_s, 260, false}, {QString(u'a').repeated(259), 259, true},
        {QString(u'a').repeated(260), 260, false}, {han.repeated(400), 800, false},
    };
    for (const Case& c : cases) {
        ASSERT_EQ(cp936Length(c.text), c.bytes);
        EXPECT_TRUE(write(programSubkey(u"War3"_s), clientPathValue(), c.text));
        EXPECT_EQ(read(programSubkey(u"War3"_s), clientPathValue()),
                  c.readable ? c.text : QString())
            << c.bytes << " bytes";
    }
}

TEST_F(SettingsStoreTest, ValuesThatAreNoTextReadAsNotSet)
{
    struct Case {
        QByteArray stored;
        QString expected;
    };
    const Case cases[] = {
        {"/a/War3.exe, /b/War3.exe", {}},                      // a list
        {"@Variant(\\0\\0\\0\\x2\\0\\0\\0\\x5)", {}},          // an int
        {"@ByteArray(/g/War3.exe)", {}},                       // bytes
        {"@Invalid()", {}},                                    // nothing
        {"@Rect(1 2 3 4)", {}},                                // geometry
        {"\"/a/War3.exe, quoted\"", u"/a/War3.exe, quoted"_s}, // one text
        {"42", u"42"_s},                                       // digits are text
    };
    for (const Case& c : cases) {
        config.writeUserFile("[War3]\nClientPath=" + c.stored + "\n");
        EXPECT_EQ(read(programSubkey(u"War3"_s), clientPathValue()), c.expected)
            << c.stored.toStdString();
    }
}

TEST_F(SettingsStoreTest, GarbageFileReadsAsNotSetAndIsReplacedByTheNextWrite)
{
    QByteArray noise;
    for (int i = 0; i < 4096; ++i)
        noise.append(static_cast<char>((i * 7919 + 13) % 256));
    const QByteArray garbage[] = {
        noise,
        QByteArray("\xff\xfe\x00\x01[[[\n=\n\\", 10),
        "[War3\nClient Path\n",
        "[[broken\nW=1\n",
    };
    for (const QByteArray& content : garbage) {
        config.writeUserFile(content);
        EXPECT_EQ(read(programSubkey(u"War3"_s), clientPathValue()), QString());
        EXPECT_EQ(read(programKey(), currentVersionValue()), QString());
        EXPECT_TRUE(write(programSubkey(u"War3"_s), clientPathValue(), u"/g/War3.exe"_s));
        EXPECT_EQ(read(programSubkey(u"War3"_s), clientPathValue()), u"/g/War3.exe"_s);
    }
}

TEST_F(SettingsStoreTest, MachineWideValuesAreDefaultsTheUserFileOverrides)
{
    const QByteArray machine = "Curr_Version=1.0.0\n[War3]\nClientPath=/opt/w3/War3.exe\n"
                               "[Tools]\nClientPath=/opt/tools\n";
    config.writeSystemFile(machine);
    EXPECT_EQ(read(programKey(), currentVersionValue()), u"1.0.0"_s);
    EXPECT_EQ(read(programSubkey(u"War3"_s), clientPathValue()), u"/opt/w3/War3.exe"_s);

    config.writeUserFile("[Tools]\nClientPath=/home/u/tools\n");
    EXPECT_EQ(read(programSubkey(u"Tools"_s), clientPathValue()), u"/home/u/tools"_s);
    ASSERT_TRUE(write(programSubkey(u"War3"_s), clientPathValue(), u"/home/u/w3/War3.exe"_s));
    EXPECT_EQ(read(programSubkey(u"War3"_s), clientPathValue()), u"/home/u/w3/War3.exe"_s);
    EXPECT_EQ(read(programKey(), currentVersionValue()), u"1.0.0"_s);

    // Writes go to the user's file only.
    EXPECT_EQ(fileContent(config.systemFile()), machine);
    EXPECT_FALSE(fileContent(config.userFile()).contains("Curr_Version"));
}

TEST_F(SettingsStoreTest, WriteIntoReadOnlyFolderFailsAndLosesNothing)
{
    const QString war3 = programSubkey(u"War3"_s);
    ASSERT_TRUE(write(war3, clientPathValue(), u"/old/War3.exe"_s));
    {
        test::ReadOnlyFolder locked(QFileInfo(config.userFile()).absolutePath());
        if (!locked.effective())
            GTEST_SKIP() << "this system lets files be created in a read-only folder";
        EXPECT_FALSE(write(war3, clientPathValue(), u"/new/War3.exe"_s));
        EXPECT_FALSE(write(programSubkey(u"VS"_s), clientPathValue(), u"/new/VSClient.exe"_s));
        EXPECT_EQ(read(war3, clientPathValue()), u"/old/War3.exe"_s);
        EXPECT_EQ(read(programSubkey(u"VS"_s), clientPathValue()), QString());
    }
    // Once the folder is writable again the refused values must not turn up.
    EXPECT_EQ(read(war3, clientPathValue()), u"/old/War3.exe"_s);
    EXPECT_EQ(read(programSubkey(u"VS"_s), clientPathValue()), QString());
    EXPECT_FALSE(fileContent(config.userFile()).contains("/new/"));
    EXPECT_TRUE(fileContent(config.userFile()).contains("/old/War3.exe"));

    EXPECT_TRUE(write(war3, clientPathValue(), u"/new/War3.exe"_s));
    EXPECT_EQ(read(war3, clientPathValue()), u"/new/War3.exe"_s);
}

TEST_F(SettingsStoreTest, WriteFailsWhereTheFileCannotBeMade)
{
    // The settings file is a folder: nothing can replace it.
    QDir().mkpath(config.userFile());
    EXPECT_FALSE(write(programSubkey(u"War3"_s), clientPathValue(), u"/g/War3.exe"_s));
    EXPECT_EQ(read(programSubkey(u"War3"_s), clientPathValue()), QString());
    QDir(config.userFile()).removeRecursively();

    // The settings folder's place is taken by a file.
    QDir(QFileInfo(config.userFile()).absolutePath()).removeRecursively();
    QFile blocker(QFileInfo(config.userFile()).absolutePath());
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    EXPECT_FALSE(write(programSubkey(u"War3"_s), clientPathValue(), u"/g/War3.exe"_s));
    EXPECT_EQ(read(programSubkey(u"War3"_s), clientPathValue()), QString());
}

TEST_F(SettingsStoreTest, ChangesByAnotherWriterOfTheFileAreSeen)
{
    ASSERT_TRUE(write(programSubkey(u"War3"_s), clientPathValue(), u"/a/War3.exe"_s));
    ASSERT_EQ(read(programSubkey(u"War3"_s), clientPathValue()), u"/a/War3.exe"_s);
    config.writeUserFile("[War3]\nClientPath=/another/process/War3.exe\n");
    EXPECT_EQ(read(programSubkey(u"War3"_s), clientPathValue()), u"/another/process/War3.exe"_s);
}

TEST_F(SettingsStoreTest, ReadersOnOtherThreadsNeverSeeTornOrLostValues)
{
    // Long values in both encodings, so a half-written file would show.
    const QString values[] = {QString(u'甲').repeated(120) + u"/War3.exe"_s,
                              QString(u'b').repeated(240) + u"/War3.exe"_s};
    const QString war3 = programSubkey(u"War3"_s);
    const QString tools = programSubkey(u"Tools"_s);
    ASSERT_TRUE(write(war3, clientPathValue(), values[0]));
    ASSERT_TRUE(write(programKey(), currentVersionValue(), u"1.0.0"_s));

    ReaderThreads readers([&](SettingsStore& store) {
        const QString path = store.ReadSetting(root, war3, clientPathValue());
        const QString version = store.ReadSetting(root, programKey(), currentVersionValue());
        return (path == values[0] || path == values[1]) && version == u"1.0.0"_s;
    });
    constexpr int writes = 20;
    int failedWrites = 0;
    for (int i = 0; i < writes; ++i) {
        failedWrites += write(war3, clientPathValue(), values[i % 2]) ? 0 : 1;
        failedWrites += write(tools, clientPathValue(), u"/tools/"_s + QString::number(i)) ? 0 : 1;
    }
    EXPECT_EQ(readers.stop(), 0) << "of " << readers.reads() << " reads";
    EXPECT_EQ(failedWrites, 0);
    EXPECT_EQ(read(war3, clientPathValue()), values[(writes - 1) % 2]);
    EXPECT_EQ(read(tools, clientPathValue()), u"/tools/"_s + QString::number(writes - 1));
    EXPECT_EQ(read(programKey(), currentVersionValue()), u"1.0.0"_s);
}

TEST_F(SettingsStoreTest, ReadersOnOtherThreadsNeverSeeARefusedValue)
{
    const QString war3 = programSubkey(u"War3"_s);
    ASSERT_TRUE(write(war3, clientPathValue(), u"/old/War3.exe"_s));
    test::ReadOnlyFolder locked(QFileInfo(config.userFile()).absolutePath());
    if (!locked.effective())
        GTEST_SKIP() << "this system lets files be created in a read-only folder";
    ReaderThreads readers([&](SettingsStore& store) {
        return store.ReadSetting(root, war3, clientPathValue()) == u"/old/War3.exe"_s;
    });
    int stored = 0;
    for (int i = 0; i < 200; ++i)
        stored += write(war3, clientPathValue(), u"/refused/War3.exe"_s) ? 1 : 0;
    EXPECT_EQ(readers.stop(), 0) << "of " << readers.reads() << " reads";
    EXPECT_EQ(stored, 0);
}

} // namespace
} // namespace verdane
