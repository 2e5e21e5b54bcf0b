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
#include <QElapsedTimer>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <QWidget>

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdio>
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
        {"older server version", "1.0.10", "1.0.9|patch", UpdateCheck::Offered},
        {"no version file (404)", "1.0.0", std::nullopt, UpdateCheck::NoVersion},
        {"empty body", "1.0.0", "", UpdateCheck::NoVersion},
        {"empty body, no Curr_Version", std::nullopt, "", UpdateCheck::NoVersion},
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

TEST_F(UpdateCheckTest, AcceptingWritesTheRequestStartsTheUpdaterAndClosesTheWindow)
{
    TempConfig config;
    installVersion(config, QStringLiteral("1.0.0"));
    serveVersion("2.0|" + kGbkUpdateType + "\r\n|ignored");
    UpdaterFile updater;
    FakePrompt prompt;
    prompt.answerNext(true);
    FakeShell shell;

    EXPECT_EQ(check_.CheckForUpdate(&window_), UpdateCheck::Offered);
    EXPECT_EQ(prompt.texts(), QStringList{kOffer});
    EXPECT_EQ(userValue(config, QStringLiteral("Update")), QStringLiteral("1"));
    EXPECT_EQ(userValue(config, QStringLiteral("UpdateType")), QStringLiteral("全量更新\r\n"));
    EXPECT_EQ(shell.programs(), QStringList{updaterPath()});
    // The window closes once control is back in the event loop, not inside the check.
    EXPECT_TRUE(window_.isVisible());
    EXPECT_TRUE(test::waitUntil([&] { return !window_.isVisible(); }));
}

TEST_F(UpdateCheckTest, WithoutFieldTwoOnlyUpdateIsWrittenAndNothingStarts)
{
    TempConfig config;
    installVersion(config, QStringLiteral("1.0.0"));
    serveVersion("2.0");
    UpdaterFile updater;
    FakePrompt prompt;
    FakeShell shell;

    EXPECT_EQ(check_.CheckForUpdate(&window_), UpdateCheck::Offered);
    settleEvents();
    EXPECT_EQ(userValue(config, QStringLiteral("Update")), QStringLiteral("1"));
    EXPECT_FALSE(userValue(config, QStringLiteral("UpdateType")));
    EXPECT_TRUE(shell.programs().isEmpty());
    EXPECT_TRUE(window_.isVisible());
}

TEST_F(UpdateCheckTest, AMissingUpdaterIsReportedAndTheProgramKeepsRunning)
{
    TempConfig config;
    installVersion(config, QStringLiteral("1.0.0"));
    serveVersion("2.0|full");
    FakePrompt prompt;
    FakeShell shell;

    EXPECT_EQ(check_.CheckForUpdate(&window_), UpdateCheck::Offered);
    settleEvents();
    ASSERT_EQ(prompt.texts(), QStringList({kOffer, kNoUpdater}));
    const FakePrompt::Shown notice = prompt.messages().at(1);
    EXPECT_EQ(notice.caption, noticeCaption());
    EXPECT_EQ(notice.buttons, PromptButtons::Ok);
    EXPECT_EQ(notice.owner, &window_);
    EXPECT_FALSE(userValue(config, QStringLiteral("Update")));
    EXPECT_FALSE(userValue(config, QStringLiteral("UpdateType")));
    EXPECT_TRUE(shell.programs().isEmpty());
    EXPECT_TRUE(window_.isVisible());
}

TEST_F(UpdateCheckTest, TheRealHandOffStartsTheUpdaterAfterBothValuesAreStored)
{
    TempConfig config;
    installVersion(config, QStringLiteral("1.0.0"));
    serveVersion("2.0|full");
    const QString marker = config.root() + QStringLiteral("/updater-saw.conf");
    // The updater copies the settings file as it finds it when it starts.
    UpdaterFile updater("#!/bin/sh\ncat '" + config.userFile().toUtf8() + "' > '" +
                        marker.toUtf8() + ".tmp' && mv '" + marker.toUtf8() + ".tmp' '" +
                        marker.toUtf8() + "'\n");
    FakePrompt prompt;

    EXPECT_EQ(check_.CheckForUpdate(&window_), UpdateCheck::Offered);
    ASSERT_TRUE(test::waitUntil([&] { return QFile::exists(marker); }));
    QFile seen(marker);
    ASSERT_TRUE(seen.open(QIODevice::ReadOnly));
    const QByteArray content = seen.readAll();
    EXPECT_TRUE(content.contains("Update=1")) << content.toStdString();
    EXPECT_TRUE(content.contains("UpdateType=full")) << content.toStdString();
    EXPECT_TRUE(test::waitUntil([&] { return !window_.isVisible(); }));
}

TEST_F(UpdateCheckTest, AServerThatNeverAnswersDoesNotHoldUpStartUp)
{
    // Accepts connections (the kernel completes them) and never sends a byte.
    const int listener = ::socket(AF_INET, SOCK_STREAM, 0);
    ASSERT_GE(listener, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ASSERT_EQ(::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ASSERT_EQ(::listen(listener, 4), 0);
    socklen_t length = sizeof address;
    ASSERT_EQ(::getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length), 0);
    qputenv("VERDANE_CONTENT_SERVER", "127.0.0.1:" + QByteArray::number(ntohs(address.sin_port)));

    TempConfig config;
    installVersion(config, QStringLiteral("1.0.0"));
    FakePrompt prompt;
    QElapsedTimer timer;
    timer.start();
    const int result = check_.CheckForUpdate(&window_);
    const qint64 elapsed = timer.elapsed();
    std::printf("Update check against a server that never answers took %lld ms\n",
                static_cast<long long>(elapsed));
    qputenv("VERDANE_CONTENT_SERVER", server_->host().toUtf8());
    ::close(listener);

    EXPECT_EQ(result, UpdateCheck::NoVersion);
    EXPECT_TRUE(prompt.texts().isEmpty());
    EXPECT_LT(elapsed, 30000); // sanity only
}

} // namespace
} // namespace verdane
