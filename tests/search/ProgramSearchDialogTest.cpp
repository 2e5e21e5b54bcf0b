#include "search/ui/ProgramSearchDialog.h"

#include "common/ControlIds.h"
#include "support/FakePrompt.h"
#include "support/Files.h"
#include "support/Wait.h"
#include "widgets/SkinButton.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

namespace verdane {
namespace {

const QString MatchQuestion = QStringLiteral("找到一个符合的文件，是否启用！");
const QString EndNotice = QStringLiteral("搜索完毕！没有找到对应的文件，请重新确定盘符");
const QString ExitQuestion = QStringLiteral("搜索还未停止，你确定要退出吗？");

class SearchDialog : public testing::Test {
protected:
    SearchDialog()
    {
        // Two roots; "a" sorts first in the box.
        for (const char* file : {"a/games/War3.exe", "a/games/war3.exe", "a/games/OldWar3.exe",
                                 "b/w3/War3.exe", "b/w3/WAR3.EXE"})
            test::writeFile(path(file));
    }
    QString path(const char* relative) const
    {
        return dir_.filePath(QString::fromLatin1(relative));
    }

    // The dialog as the path settings open it, on two temporary roots given out of order.
    std::unique_ptr<ProgramSearchDialog> open()
    {
        auto dialog = std::make_unique<ProgramSearchDialog>(QStringList{path("b/"), path("a/")});
        dialog->setExecutableName(QStringLiteral("War3.exe"));
        QObject::connect(dialog.get(), &ProgramSearchDialog::useFoundPath,
                         [this](const QString& found) {
                             EXPECT_EQ(QThread::currentThread(), qApp->thread());
                             handedOver_.append(found);
                         });
        dialog->show();
        return dialog;
    }
    static void click(ProgramSearchDialog& dialog, int id)
    {
        dialog.findChild<SkinButton*>(controlName(id))->click();
    }

    test::FakePrompt prompt_;
    QTemporaryDir dir_;
    QStringList handedOver_;
};

// Only the exact name asks; declining goes on, and a whole scan ends with the notice.
TEST_F(SearchDialog, ScansTheChosenRootOrAllOfThemInBoxOrderAskingForExactNames)
{
    auto dialog = open();
    auto* box = dialog->findChild<QComboBox*>(controlName(ControlId::Drives));
    EXPECT_EQ(box->currentText(), QStringLiteral("所有本地硬盘"));
    prompt_.setDefaultAnswer(false);
    QStringList asked; // the path shown in the "当前位置" line while each question is open
    for (int i = 0; i < 5; ++i)
        prompt_.onNextMessage([&](const QString& shown) {
            if (shown == MatchQuestion)
                asked.append(dialog->findChild<QLabel*>(controlName(ControlId::Position))->text());
        });
    for (const QString& root : {path("b/"), box->itemText(2)}) {
        box->setCurrentIndex(box->findText(root));
        click(*dialog, ControlId::Start);
        EXPECT_TRUE(dialog->isRunning());
        ASSERT_TRUE(test::waitUntil(
            [&] { return prompt_.texts().endsWith(EndNotice) && !dialog->workerActive(); }));
        EXPECT_FALSE(dialog->isRunning());
    }
    EXPECT_EQ(asked, (QStringList{path("b/w3/War3.exe"), path("a/games/War3.exe"),
                                  path("b/w3/War3.exe")}));
    EXPECT_EQ(prompt_.texts().count(EndNotice), 2);
    EXPECT_TRUE(handedOver_.isEmpty() && dialog->isVisible());
}

// While the worker waits in its first match question, the user accepts it, presses
// "退出" (and answers the exit question) or presses "停止".
TEST_F(SearchDialog, InterruptingTheFirstQuestion)
{
    using namespace ControlId;
    const struct {
        int button; // pressed inside the question, or 0 for none
        QList<bool> answers;
        QStringList texts;
    } cases[] = {
        {0, {true}, {MatchQuestion}},
        {Cancel, {false, false}, {MatchQuestion, ExitQuestion, MatchQuestion, EndNotice}},
        {Cancel, {false, true}, {MatchQuestion, ExitQuestion}},
        {Stop, {false}, {MatchQuestion}},
    };
    for (const auto& c : cases) {
        prompt_.clear();
        prompt_.setDefaultAnswer(false);
        handedOver_.clear();
        auto dialog = open();
        for (const bool answer : c.answers)
            prompt_.answerNext(answer);
        if (c.button)
            prompt_.onNextMessage([&](const QString&) { click(*dialog, c.button); });
        click(*dialog, Start);
        // Ended: the last report handled (the worker ends before it is), the worker gone.
        ASSERT_TRUE(
            test::waitUntil([&] { return !dialog->isRunning() && !dialog->workerActive(); }));
        EXPECT_EQ(prompt_.texts(), c.texts);
        EXPECT_EQ(handedOver_, c.button ? QStringList() : QStringList{path("a/games/War3.exe")});
        EXPECT_EQ(dialog->isVisible(), c.button && !c.answers.last());
        if (dialog->isVisible()) { // idle again: "退出" closes at once
            click(*dialog, Cancel);
            EXPECT_FALSE(dialog->isVisible());
            EXPECT_EQ(prompt_.texts(), c.texts);
        }
    }
}

} // namespace
} // namespace verdane
