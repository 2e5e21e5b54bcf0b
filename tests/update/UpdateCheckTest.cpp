#include "update/ui/UpdateCheck.h"

#include "common/Prompt.h"
#include "update/GetModuleDir.h"

#include "support/ContentServerProcess.h"
#include "support/FakePrompt.h"
#include "support/FakeShell.h"
#include "support/TempConfig.h"
#include "support/Wait.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <QWidget>

#include <gtest/gtest.h>

#include <optional>

namespace verdane {
namespace {

using test::ContentServerProcess;
using test::FakePrompt;
using test::FakeShell;
using test::TempConfig;

const QString kOffer = QStringLiteral("已经有新的版本了，现在需要更新？");
const QString kUpToDate = QStringLiteral("当前客户端版本是最新的，不需要更新！");
const QString kNoUpdater = QStringLiteral("找不到升级程序 NaloUpdate.exe！");
// "全量更新" in code page 936.
const QByteArray kGbkUpdateType = "\xc8\xab\xc1\xbf\xb8\xfc\xd0\xc2";

QString updaterPath()
{
    return GetModuleDir() + QStringLiteral("NaloUpdate.exe");
}

// An updater beside the test program for the length of a test.
class UpdaterFile {
public:
    explicit UpdaterFile(const QByteArray& content = "#!/bin/sh\nexit 0\n")
    {
        QFile file(updaterPath());
        if (file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
            file.write(content);
            file.setPermissions(file.permissions() | QFile::ExeOwner | QFile::ExeGroup |
                                QFile::ExeOther);
        }
    }
    ~UpdaterFile() { QFile::remove(updaterPath()); }
};

class UpdateCheckTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        root_ = new QTemporaryDir;
        QDir(root_->path()).mkpath(QStringLiteral("zarn/plexa"));
        server_ = new ContentServerProcess(root_->path());
        oldServer_ = qgetenv("VERDANE_CONTENT_SERVER");
        qputenv("VERDANE_CONTENT_SERVER", server_->host().toUtf8());
    }
    static void TearDownTestSuite()
    {
        qputenv("VERDANE_CONTENT_SERVER", oldServer_);
        delete server_;
        delete root_;
    }
    void SetUp() override
    {
        ASSERT_TRUE(server_->started());
        QFile::remove(updaterPath());
        window_.resize(200, 100);
        window_.show();
    }

    static QString versionFile()
    {
        return root_->filePath(QStringLiteral("zarn/plexa/ZarnMapVersion.txt"));
    }
    // nullopt: the server has no version file (404).
    static void serveVersion(const std::optional<QByteArray>& bytes)
    {
        QFile::remove(versionFile());
        if (!bytes)
            return;
        QFile file(versionFile());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(*bytes);
    }
    // The installation's machine-wide Curr_Version.
    static void installVersion(const TempConfig& config, const std::optional<QString>& version)
    {
        if (version)
            config.writeSystemFile("[General]\nCurr_Version=" + version->toUtf8() + "\n");
    }
    static std::optional<QString> userValue(const TempConfig& config, const QString& name)
    {
        if (!QFile::exists(config.userFile()))
            return std::nullopt;
        const QSettings settings(config.userFile(), QSettings::IniFormat);
        if (!settings.contains(name))
            return std::nullopt;
        return settings.value(name).toString();
    }
    void settleEvents()
    {
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
    }

    static inline QTemporaryDir* root_ = nullptr;
    static inline ContentServerProcess* server_ = nullptr;
    static inline QByteArray oldServer_;
    QWidget window_;
    UpdateCheck check_;
};

TEST_F(UpdateCheckTest, OffersOnlyWhenFieldOneDiffersAndCancelWritesNothing)
{
    const struct {
        const char* name;
        std::optional<QString> installed;
        std::optional<QByteArray> served;
        int result;
    } cases[] = {
        {"equal versions", "1.0.0", "1.0.0|full", UpdateCheck::UpToDate},
        {"no Curr_Version, field 1 present", std::nullopt, "1.0.0|full", UpdateCheck::Offered},
        {"no Curr_Version, file starts with |", std::nullopt, "|full", UpdateCheck::UpToDate},
        {"trailing line break", "1.0.0", "1.0.0\n", UpdateCheck::Offered},
        {"no version file (404)", "1.0.0", std::nullopt, UpdateCheck::NoVersion},
        {"empty body", "1.0.0", "", UpdateCheck::NoVersion},
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(row.name);
        TempConfig config;
        installVersion(config, row.installed);
        serveVersion(row.served);
        FakePrompt prompt;
        prompt.setDefaultAnswer(false);
        FakeShell shell;

        // Twice: the start-up check and a second one give the same answer.
        for (int round = 0; round < 2; ++round)
            EXPECT_EQ(check_.CheckForUpdate(&window_), row.result);
        const QStringList offers =
            row.result == UpdateCheck::Offered ? QStringList{kOffer, kOffer} : QStringList{};
        ASSERT_EQ(prompt.texts(), offers);
        for (const FakePrompt::Shown& shown : prompt.messages()) {
            EXPECT_EQ(shown.caption, noticeCaption());
            EXPECT_EQ(shown.buttons, PromptButtons::OkCancel);
            EXPECT_EQ(shown.owner, &window_);
        }

        prompt.clear();
        check_.OnCheckUpdateLink(&window_);
        if (row.result == UpdateCheck::UpToDate) {
            EXPECT_EQ(prompt.texts(), QStringList{kUpToDate});
            EXPECT_EQ(prompt.messages().value(0).buttons, PromptButtons::Ok);
        } else if (row.result == UpdateCheck::Offered) {
            EXPECT_EQ(prompt.texts(), QStringList{kOffer});
        } else {
            // A failed fetch is not "up to date".
            EXPECT_TRUE(prompt.texts().isEmpty());
        }

        settleEvents();
        EXPECT_FALSE(userValue(config, QStringLiteral("Update")));
        EXPECT_FALSE(userValue(config, QStringLiteral("UpdateType")));
        EXPECT_TRUE(shell.programs().isEmpty());
        EXPECT_TRUE(window_.isVisible());
    }
}

TEST_F(UpdateCheckTest, WithoutFieldTwoOrUpdaterAcceptingStartsNothingAndTheProgramKeepsRunning)
{
    const struct {
        QByteArray served;
        bool updaterThere;
        QStringList texts;
        std::optional<QString> update;
    } cases[] = {
        {"2.0", true, {kOffer}, QStringLiteral("1")}, // only Update is written
        {"2.0|full", false, {kOffer, kNoUpdater}, std::nullopt},
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(row.served.toStdString());
        TempConfig config;
        installVersion(config, QStringLiteral("1.0.0"));
        serveVersion(row.served);
        std::optional<UpdaterFile> updater;
        if (row.updaterThere)
            updater.emplace();
        FakePrompt prompt;
        FakeShell shell;
        EXPECT_EQ(check_.CheckForUpdate(&window_), UpdateCheck::Offered);
        settleEvents();
        ASSERT_EQ(prompt.texts(), row.texts);
        const FakePrompt::Shown notice = prompt.messages().constLast();
        EXPECT_EQ(notice.caption, noticeCaption());
        EXPECT_EQ(notice.owner, &window_);
        EXPECT_EQ(notice.buttons, row.updaterThere ? PromptButtons::OkCancel : PromptButtons::Ok);
        EXPECT_EQ(userValue(config, QStringLiteral("Update")), row.update);
        EXPECT_FALSE(userValue(config, QStringLiteral("UpdateType")));
        EXPECT_TRUE(shell.programs().isEmpty());
        EXPECT_TRUE(window_.isVisible());
    }
}

TEST_F(UpdateCheckTest, AcceptingStoresBothValuesThenStartsTheUpdaterAndClosesTheWindow)
{
    TempConfig config;
    installVersion(config, QStringLiteral("1.0.0"));
    serveVersion("2.0|" + kGbkUpdateType + "\r\n|ignored");
    const QByteArray marker = (config.root() + QStringLiteral("/updater-saw.conf")).toUtf8();
    // The updater, started through the real shell, copies the settings file as it finds it.
    UpdaterFile updater("#!/bin/sh\ncat '" + config.userFile().toUtf8() + "' > '" + marker +
                        ".tmp' && mv '" + marker + ".tmp' '" + marker + "'\n");
    FakePrompt prompt;
    prompt.answerNext(true);

    EXPECT_EQ(check_.CheckForUpdate(&window_), UpdateCheck::Offered);
    EXPECT_EQ(prompt.texts(), QStringList{kOffer});
    EXPECT_EQ(userValue(config, QStringLiteral("Update")), QStringLiteral("1"));
    EXPECT_EQ(userValue(config, QStringLiteral("UpdateType")), QStringLiteral("全量更新\r\n"));
    // The window closes once control is back in the event loop, not inside the check.
    EXPECT_TRUE(window_.isVisible());
    ASSERT_TRUE(test::waitUntil([&] { return QFile::exists(QString::fromUtf8(marker)); }));
    const QSettings seen(QString::fromUtf8(marker), QSettings::IniFormat);
    EXPECT_EQ(seen.value(QStringLiteral("Update")).toString(), QStringLiteral("1"));
    EXPECT_EQ(seen.value(QStringLiteral("UpdateType")).toString(), QStringLiteral("全量更新\r\n"));
    EXPECT_TRUE(test::waitUntil([&] { return !window_.isVisible(); }));
}

} // namespace
} // namespace verdane
