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
        // Two roots; "a" sorts first in the box.
        for (const char* file : {"a/games/War3.exe", "a/games/war3.exe", "a/tools/setup.exe",
                                 "b/w3/War3.exe", "b/w3/WAR3.EXE"})
            touch(QString::fromLatin1(file));
    }

    void touch(const QString& relative)
    {
        QDir().mkpath(QFileInfo(dir_.filePath(relative)).path());
        QFile file(dir_.filePath(relative));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    QString path(const char* relative) const
    {
        return dir_.filePath(QString::fromLatin1(relative));
    }

    // The dialog as the path settings open it, on two temporary roots given out of order.
    std::unique_ptr<CSearchPlat> open()
    {
        auto dialog = std::make_unique<CSearchPlat>(QStringList{path("b/"), path("a/")});
        dialog->SetExecutableName(QStringLiteral("War3.exe"));
        QObject::connect(dialog.get(), &CSearchPlat::useFoundPath, [this](const QString& found) {
            EXPECT_EQ(QThread::currentThread(), qApp->thread());
            handedOver_.append(found);
        });
        dialog->show();
        return dialog;
    }
    static void click(CSearchPlat& dialog, const char* id)
    {
        dialog.findChild<CSkinButton*>(QString::fromLatin1(id))->click();
    }
    // Presses a button while the worker waits in the next message box.
    void clickInNextMessage(CSearchPlat& dialog, const char* id)
    {
        prompt_.onNextMessage([&dialog, id](const test::FakePrompt::Shown&) { click(dialog, id); });
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
};

TEST_F(SearchDialog, OffersTheRootsSortedWithAllDisksChosen)
{
    const QStringList all{"/Alpha/", "/beta/", "/zeta/"};
    CSearchPlat dialog({"/zeta/", "/Alpha/", "/beta/"});
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("搜索游戏程序"));
    auto* box = dialog.findChild<QComboBox*>(QStringLiteral("1059"));
    QStringList items;
    for (int i = 0; i < box->count(); ++i)
        items.append(box->itemText(i));
    EXPECT_EQ(items, all + QStringList{"所有本地硬盘"});
    EXPECT_EQ(box->currentText(), QStringLiteral("所有本地硬盘"));
    for (const int index : {3, 1, 3}) {
        box->setCurrentIndex(index);
        EXPECT_EQ(dialog.AllDrives(), index == 3);
        EXPECT_EQ(dialog.DriveList(), index == 3 ? all : QStringList{"/beta/"});
    }
    // The frame is drawn with its pen along the left edge.
    EXPECT_EQ(dialog.grab().toImage().pixelColor(12, 100), QColor(209, 208, 190));
}

// Only the exact name asks; declining goes on, and a whole scan ends with the notice.
TEST_F(SearchDialog, ScansTheChosenRootOrAllOfThemInBoxOrderAskingForExactNames)
{
    auto dialog = open();
    prompt_.setDefaultAnswer(false);
    QStringList asked; // the path shown in the "当前位置" line while each question is open
    for (int i = 0; i < 5; ++i)
        prompt_.onNextMessage([&](const test::FakePrompt::Shown& shown) {
            if (shown.text == matchQuestion)
                asked.append(dialog->findChild<QLabel*>(QStringLiteral("1062"))->text());
        });
    auto* box = dialog->findChild<QComboBox*>(QStringLiteral("1059"));
    box->setCurrentIndex(box->findText(path("b/")));
    click(*dialog, "1061");
    ASSERT_TRUE(scanEnded(*dialog, 1));
    EXPECT_EQ(asked, QStringList{path("b/w3/War3.exe")});

    box->setCurrentIndex(box->findText(QStringLiteral("所有本地硬盘")));
    click(*dialog, "1061");
    EXPECT_FALSE(dialog->findChild<CSkinButton*>(QStringLiteral("1061"))->isEnabled());
    EXPECT_TRUE(dialog->IsRunning());
    ASSERT_TRUE(scanEnded(*dialog, 2));
    EXPECT_EQ(asked, (QStringList{path("b/w3/War3.exe"), path("a/games/War3.exe"),
                                  path("b/w3/War3.exe")}));
    EXPECT_EQ(prompt_.texts(),
              (QStringList{matchQuestion, endNotice, matchQuestion, matchQuestion, endNotice}));
    for (const test::FakePrompt::Shown& shown : prompt_.messages()) {
        EXPECT_EQ(shown.caption, noticeCaption());
        EXPECT_EQ(shown.buttons,
                  shown.text == endNotice ? PromptButtons::Ok : PromptButtons::OkCancel);
    }
    EXPECT_TRUE(handedOver_.isEmpty());
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_FALSE(dialog->IsRunning());
    EXPECT_TRUE(dialog->findChild<CSkinButton*>(QStringLiteral("1061"))->isEnabled());
}

// While the worker waits in its first match question, the user accepts it, presses
// "退出" (and answers the exit question) or presses "停止".
TEST_F(SearchDialog, InterruptingTheFirstQuestion)
{
    const struct {
        const char* name;
        const char* button; // pressed inside the question, or nullptr
        QList<bool> answers;
        QStringList texts;
        bool handsOver;
    } cases[] = {
        {"accept", nullptr, {true}, {matchQuestion}, true},
        {"exit, then cancel",
         "2",
         {false, false},
         {matchQuestion, exitQuestion, matchQuestion, endNotice},
         false},
        {"exit, then OK", "2", {false, true}, {matchQuestion, exitQuestion}, false},
        {"stop", "1060", {false}, {matchQuestion}, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        prompt_.clear();
        prompt_.setDefaultAnswer(false);
        handedOver_.clear();
        auto dialog = open();
        for (const bool answer : c.answers)
            prompt_.answerNext(answer);
        if (c.button)
            clickInNextMessage(*dialog, c.button);
        click(*dialog, "1061");
        ASSERT_TRUE(test::waitUntil([&] { return !dialog->WorkerActive(); }));
        EXPECT_EQ(prompt_.texts(), c.texts);
        EXPECT_EQ(handedOver_, c.handsOver ? QStringList{path("a/games/War3.exe")} : QStringList{});
        EXPECT_FALSE(dialog->IsRunning());
        EXPECT_EQ(dialog->isVisible(), c.button && c.answers.last() == false);
        if (dialog->isVisible()) {
            // Idle again: a new scan runs in full, and "退出" closes at once.
            prompt_.clear();
            click(*dialog, "1061");
            ASSERT_TRUE(scanEnded(*dialog));
            EXPECT_EQ(prompt_.texts(), (QStringList{matchQuestion, matchQuestion, endNotice}));
            click(*dialog, "2");
            EXPECT_FALSE(dialog->isVisible());
            EXPECT_EQ(prompt_.count(), 3);
        }
    }
}

TEST_F(SearchDialog, ClosingWhileAWorkerRunsWaitsForIt)
{
    // Many folders, so the scan is still going when the dialog goes away.
    for (int i = 0; i < 50; ++i)
        touch(QStringLiteral("a/many/f%1/tool.exe").arg(i));
    auto dialog = open();
    click(*dialog, "1061");
    prompt_.setDefaultAnswer(true);
    dialog->done(QDialog::Rejected);
    EXPECT_FALSE(dialog->WorkerActive());
    dialog.reset();
    EXPECT_TRUE(handedOver_.isEmpty());
}

} // namespace
} // namespace verdane
