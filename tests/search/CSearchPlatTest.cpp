#include "search/ui/CSearchPlat.h"

#include "common/Prompt.h"
#include "support/FakePrompt.h"
#include "support/Wait.h"
#include "ui/skin/CSkinButton.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

namespace verdane {
namespace {

const QString matchQuestion = QStringLiteral("找到一个符合的文件，是否启用！");
const QString endNotice = QStringLiteral("搜索完毕！没有找到对应的文件，请重新确定盘符");
const QString exitQuestion = QStringLiteral("搜索还未停止，你确定要退出吗？");

class SearchDialog : public testing::Test {
protected:
    SearchDialog()
    {
        EXPECT_TRUE(dir_.isValid());
        // Two roots; "a" sorts first in the box.
        for (const char* file : {"a/games/War3.exe", "a/games/war3.exe", "a/tools/setup.exe",
                                 "b/w3/War3.exe", "b/w3/WAR3.EXE"})
            touch(QString::fromLatin1(file));
    }

    void touch(const QString& relative)
    {
        const QString path = dir_.filePath(relative);
        QDir().mkpath(QFileInfo(path).path());
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    QString root(const char* name) const { return dir_.filePath(QString::fromLatin1(name)) + '/'; }
    QString file(const char* relative) const
    {
        return dir_.filePath(QString::fromLatin1(relative));
    }

    // The dialog as the path settings open it, on two temporary roots given out of order.
    std::unique_ptr<CSearchPlat> open()
    {
        auto dialog = std::make_unique<CSearchPlat>(QStringList{root("b"), root("a")});
        dialog->SetExecutableName(QStringLiteral("War3.exe"));
        QObject::connect(dialog.get(), &CSearchPlat::useFoundPath, [this](const QString& path) {
            EXPECT_EQ(QThread::currentThread(), qApp->thread());
            handedOver_.append(path);
        });
        dialog->show();
        return dialog;
    }

    static CSkinButton* button(CSearchPlat& dialog, const char* id)
    {
        auto* found = dialog.findChild<CSkinButton*>(QString::fromLatin1(id));
        EXPECT_NE(found, nullptr) << id;
        return found;
    }
    static QString position(CSearchPlat& dialog)
    {
        return dialog.findChild<QLabel*>(QStringLiteral("1062"))->text();
    }

    // Records the path shown while each match question is open.
    void recordQuestions(CSearchPlat& dialog, int count)
    {
        for (int i = 0; i < count; ++i)
            prompt_.onNextMessage([this, &dialog](const test::FakePrompt::Shown& shown) {
                if (shown.text == matchQuestion)
                    asked_.append(position(dialog));
            });
    }

    bool scanEnded(CSearchPlat& dialog, qsizetype endNotices = 1)
    {
        return test::waitUntil([&] {
            return prompt_.texts().count(endNotice) >= endNotices && !dialog.WorkerActive();
        });
    }

    test::FakePrompt prompt_;
    QTemporaryDir dir_;
    QStringList handedOver_;
    QStringList asked_;
};

TEST_F(SearchDialog, OffersTheRootsSortedWithAllDisksChosen)
{
    CSearchPlat dialog(
        {QStringLiteral("/zeta/"), QStringLiteral("/Alpha/"), QStringLiteral("/beta/")});
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("搜索游戏程序"));
    auto* box = dialog.findChild<QComboBox*>(QStringLiteral("1059"));
    ASSERT_NE(box, nullptr);
    QStringList items;
    for (int i = 0; i < box->count(); ++i)
        items.append(box->itemText(i));
    EXPECT_EQ(items, (QStringList{"/Alpha/", "/beta/", "/zeta/", "所有本地硬盘"}));
    EXPECT_EQ(box->currentText(), QStringLiteral("所有本地硬盘"));
    EXPECT_TRUE(dialog.AllDrives());
    EXPECT_EQ(dialog.DriveList(), (QStringList{"/Alpha/", "/beta/", "/zeta/"}));

    box->setCurrentIndex(1);
    EXPECT_FALSE(dialog.AllDrives());
    EXPECT_EQ(dialog.DriveList(), QStringList{"/beta/"});
    box->setCurrentIndex(3);
    EXPECT_TRUE(dialog.AllDrives());
    EXPECT_EQ(dialog.DriveList(), (QStringList{"/Alpha/", "/beta/", "/zeta/"}));

    // The frame is drawn with its pen along the left edge.
    const QImage image = dialog.grab().toImage();
    EXPECT_EQ(image.pixelColor(12, 100), QColor(209, 208, 190));
}

TEST_F(SearchDialog, AsksOnlyForTheExactNameAndEndsAfterDeclines)
{
    auto dialog = open();
    prompt_.setDefaultAnswer(false);
    recordQuestions(*dialog, 3);
    button(*dialog, "1061")->click();
    EXPECT_FALSE(button(*dialog, "1061")->isEnabled());
    EXPECT_TRUE(dialog->IsRunning());

    ASSERT_TRUE(scanEnded(*dialog));
    EXPECT_EQ(prompt_.texts(), (QStringList{matchQuestion, matchQuestion, endNotice}));
    for (const test::FakePrompt::Shown& shown : prompt_.messages()) {
        EXPECT_EQ(shown.caption, noticeCaption());
        EXPECT_EQ(shown.buttons,
                  shown.text == endNotice ? PromptButtons::Ok : PromptButtons::OkCancel);
    }
    EXPECT_EQ(asked_, (QStringList{file("a/games/War3.exe"), file("b/w3/War3.exe")}));
    EXPECT_TRUE(handedOver_.isEmpty());
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_FALSE(dialog->IsRunning());
    EXPECT_TRUE(button(*dialog, "1061")->isEnabled());
}

TEST_F(SearchDialog, ScansTheChosenRootOrAllOfThemInBoxOrder)
{
    auto dialog = open();
    prompt_.setDefaultAnswer(false);
    auto* box = dialog->findChild<QComboBox*>(QStringLiteral("1059"));
    recordQuestions(*dialog, 5);

    box->setCurrentIndex(box->findText(root("b")));
    button(*dialog, "1061")->click();
    ASSERT_TRUE(scanEnded(*dialog, 1));
    EXPECT_EQ(asked_, QStringList{file("b/w3/War3.exe")});

    asked_.clear();
    box->setCurrentIndex(box->findText(QStringLiteral("所有本地硬盘")));
    button(*dialog, "1061")->click();
    ASSERT_TRUE(scanEnded(*dialog, 2));
    EXPECT_EQ(asked_, (QStringList{file("a/games/War3.exe"), file("b/w3/War3.exe")}));
}

TEST_F(SearchDialog, AcceptingHandsThePathOverAndClosesWithoutAsking)
{
    auto dialog = open();
    prompt_.answerNext(true);
    recordQuestions(*dialog, 1);
    button(*dialog, "1061")->click();

    ASSERT_TRUE(test::waitUntil([&] { return !dialog->isVisible(); }));
    EXPECT_EQ(handedOver_, QStringList{file("a/games/War3.exe")});
    EXPECT_EQ(asked_, handedOver_);
    EXPECT_EQ(prompt_.texts(), QStringList{matchQuestion});
    EXPECT_FALSE(dialog->WorkerActive());
    EXPECT_EQ(dialog->result(), QDialog::Rejected);
}

TEST_F(SearchDialog, ExitWhileRunningAsksAndCancelKeepsScanning)
{
    auto dialog = open();
    prompt_.setDefaultAnswer(false);
    // While the worker waits in its first report, the user presses "退出" and declines.
    prompt_.onNextMessage([&](const test::FakePrompt::Shown&) { button(*dialog, "2")->click(); });
    button(*dialog, "1061")->click();

    ASSERT_TRUE(scanEnded(*dialog));
    EXPECT_EQ(prompt_.texts(),
              (QStringList{matchQuestion, exitQuestion, matchQuestion, endNotice}));
    EXPECT_TRUE(dialog->isVisible());

    // Idle, "退出" closes at once.
    button(*dialog, "2")->click();
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(prompt_.count(), 4);
}

TEST_F(SearchDialog, ExitConfirmedWhileAReportWaitsClosesWithoutEndNotice)
{
    auto dialog = open();
    prompt_.answerNext(false); // the match question
    prompt_.answerNext(true);  // the exit question
    prompt_.onNextMessage([&](const test::FakePrompt::Shown&) { button(*dialog, "2")->click(); });
    button(*dialog, "1061")->click();

    ASSERT_TRUE(test::waitUntil([&] { return !dialog->isVisible(); }));
    EXPECT_FALSE(dialog->WorkerActive());
    EXPECT_EQ(prompt_.texts(), (QStringList{matchQuestion, exitQuestion}));
    EXPECT_TRUE(handedOver_.isEmpty());
}

TEST_F(SearchDialog, StopEndsTheScanSilentlyAndANewScanRunsInFull)
{
    auto dialog = open();
    prompt_.setDefaultAnswer(false);
    prompt_.onNextMessage(
        [&](const test::FakePrompt::Shown&) { button(*dialog, "1060")->click(); });
    button(*dialog, "1061")->click();

    ASSERT_TRUE(test::waitUntil([&] { return prompt_.count() == 1 && !dialog->WorkerActive(); }));
    EXPECT_FALSE(dialog->IsRunning());
    EXPECT_TRUE(button(*dialog, "1061")->isEnabled());
    EXPECT_EQ(prompt_.texts(), QStringList{matchQuestion});

    button(*dialog, "1061")->click();
    ASSERT_TRUE(scanEnded(*dialog));
    EXPECT_EQ(prompt_.texts(),
              (QStringList{matchQuestion, matchQuestion, matchQuestion, endNotice}));
}

TEST_F(SearchDialog, ClosingWhileAWorkerRunsWaitsForIt)
{
    // Many folders, so the scan is still going when the dialog goes away.
    for (int i = 0; i < 50; ++i)
        touch(QStringLiteral("a/many/f%1/tool.exe").arg(i));
    auto dialog = open();
    button(*dialog, "1061")->click();
    prompt_.setDefaultAnswer(true);
    dialog->done(QDialog::Rejected);
    EXPECT_FALSE(dialog->WorkerActive());
    dialog.reset();
    EXPECT_TRUE(handedOver_.isEmpty());
}

} // namespace
} // namespace verdane
