#include "common/ContentServer.h"
#include "support/FakePrompt.h"
#include "support/FakeShell.h"
#include "support/TempConfig.h"
#include "ui/CAboutDlg.h"
#include "ui/CVerdaneDlg.h"
#include "ui/CWebPanel.h"
#include "ui/ClickLabel.h"
#include "ui/DialogUnits.h"
#include "ui/skin/Bitmaps.h"
#include "ui/skin/CSkinButton.h"
#include "ui/skin/CSkinMusicButton.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QSystemTrayIcon>
#include <QTest>
#include <QTimer>
#include <QWebEngineView>

#include <gtest/gtest.h>

using namespace verdane;

namespace {

class MainWindowTest : public testing::Test {
protected:
    void SetUp() override
    {
        // No server listens here: start-up must not depend on one.
        qputenv("VERDANE_CONTENT_SERVER", "127.0.0.1:9");
        dialog = std::make_unique<CVerdaneDlg>();
        dialog->OnInitDialog();
        dialog->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog.get()));
    }

    test::TempConfig config;
    test::FakePrompt prompt;
    test::FakeShell shell;
    std::unique_ptr<CVerdaneDlg> dialog;
};

TEST_F(MainWindowTest, IsABorderlessWindowOfTheBackgroundsSizeWithItsTitleAndIcon)
{
    EXPECT_EQ(dialog->size(), QSize(603, 428));
    EXPECT_TRUE(dialog->windowFlags() & Qt::FramelessWindowHint);
    EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Nalo Zarn地图发布器"));
    EXPECT_FALSE(dialog->windowIcon().isNull());
}

TEST_F(MainWindowTest, MagentaPartsOfTheBackgroundAreLeftOutOfTheWindow)
{
    const QImage background = loadBitmap(129).toImage();
    ASSERT_EQ(background.size(), QSize(603, 428));
    const QRegion mask = dialog->mask();
    ASSERT_FALSE(mask.isEmpty());
    int magenta = 0;
    for (int y = 0; y < background.height(); y += 3) {
        for (int x = 0; x < background.width(); x += 3) {
            const bool isMagenta = background.pixel(x, y) == qRgb(255, 0, 255);
            magenta += isMagenta ? 1 : 0;
            ASSERT_EQ(mask.contains(QPoint(x, y)), !isMagenta) << x << "," << y;
        }
    }
    EXPECT_GT(magenta, 0) << "the background should shape the window";
}

TEST_F(MainWindowTest, ControlsSitWhereTheTemplatePutsThem)
{
    const struct {
        int id;
        QRect rect;
        QString text;
    } expected[] = {
        {1, dluRect9pt(305, 0, 17, 16), {}},
        {2, dluRect9pt(327, 0, 16, 16), {}},
        {1030, dluRect9pt(278, 0, 18, 15), {}},
        {1009, dluRect9pt(181, 201, 21, 10), QStringLiteral("当前第")},
        {1010, dluRect9pt(230, 201, 9, 10), QStringLiteral("页")},
        {1011, dluRect9pt(248, 201, 22, 10), QStringLiteral("上一页")},
        {1012, dluRect9pt(279, 200, 34, 10), QStringLiteral("下一页")},
        {1015, dluRect9pt(9, 226, 105, 10), QStringLiteral("版本 V.1.0.0")},
        {1029, dluRect9pt(115, 226, 49, 11), QStringLiteral("检查更新")},
        {1014, dluRect9pt(205, 199, 21, 12), QStringLiteral("1")},
        {3000, pixelRect(11, 111, 162, 159), {}},
        {3004, pixelRect(11, 324, 162, 379), {}},
        {3005, pixelRect(181, 22, 244, 109), {}},
        {3010, pixelRect(496, 22, 559, 109), {}},
        {20, pixelRect(170, 135, 220, 180), {}},
        {22, pixelRect(170, 265, 220, 310), {}},
        {23, pixelRect(161, 110, 582, 370), {}},
    };
    for (const auto& item : expected) {
        QWidget* widget = dialog->control(item.id);
        ASSERT_NE(widget, nullptr) << item.id;
        EXPECT_EQ(widget->geometry(), item.rect) << item.id;
        if (auto* label = qobject_cast<QLabel*>(widget)) {
            EXPECT_EQ(label->text(), item.text) << item.id;
        }
        if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
            EXPECT_EQ(edit->text(), item.text) << item.id;
        }
    }
}

TEST_F(MainWindowTest, LabelsCarryTheColoursOfTheTable)
{
    const struct {
        QList<int> ids;
        QColor text;
    } table[] = {
        {{1008, 1009, 1010, 1011, 1012, 1013, 1015, 1029}, QColor(41, 107, 163)},
        {{1016, 1018, 1020}, QColor(198, 140, 0)},
        {{1017, 1019, 1021}, QColor(229, 228, 225)},
        {{1063, 1064, 1065}, QColor(48, 100, 165)},
    };
    for (const auto& row : table) {
        for (int id : row.ids) {
            QWidget* label = dialog->control(id);
            EXPECT_EQ(label->palette().color(QPalette::WindowText), row.text) << id;
            EXPECT_FALSE(label->autoFillBackground()) << id;
        }
    }
}

TEST_F(MainWindowTest, StartsWithTheFirstMapCategorySelectedAndThePagePanelHidden)
{
    for (int id = 3005; id <= 3010; ++id)
        EXPECT_EQ(dialog->control<CSkinMusicButton>(id)->selected, id == 3006) << id;
    EXPECT_FALSE(dialog->webPanel(23)->isVisible());
    EXPECT_EQ(dialog->webPanel(23)->url(), gameSectionAddress());
    for (int id = 20; id <= 22; ++id) {
        CWebPanel* panel = dialog->webPanel(id);
        EXPECT_FALSE(panel->isVisible()) << id;
        EXPECT_TRUE(panel->active()) << id;
        EXPECT_EQ(panel->url(), fileServerIndexAddress()) << id;
        EXPECT_EQ(panel->view()->geometry().topLeft(), QPoint(-10, -15)) << id;
    }
    EXPECT_EQ(dialog->webPanel(23)->view()->geometry().topLeft(), QPoint(0, 0));
}

TEST_F(MainWindowTest, LinksShowTheHandCursorAndOtherLabelsDoNot)
{
    for (int id : {1029, 1013, 1063, 1064, 1065})
        EXPECT_EQ(dialog->control(id)->cursor().shape(), linkCursor().shape()) << id;
    EXPECT_EQ(dialog->control(1008)->cursor().shape(), Qt::ArrowCursor);
}

TEST_F(MainWindowTest, HomePageLinkHandsTheAddressToTheBrowser)
{
    QTest::mouseClick(dialog->control(1013), Qt::LeftButton);
    EXPECT_EQ(shell.webPages(), QStringList{homePageAddress()});
}

TEST_F(MainWindowTest, TrayIconHasItsTipAndTwoItemMenu)
{
    QSystemTrayIcon* tray = dialog->trayIcon();
    ASSERT_NE(tray, nullptr);
    EXPECT_EQ(tray->toolTip(), QStringLiteral("Nalo Zarn地图发布器"));
    const QList<QAction*> actions = tray->contextMenu()->actions();
    ASSERT_EQ(actions.size(), 3);
    EXPECT_EQ(actions[0]->text(), QStringLiteral("显示主界面"));
    EXPECT_TRUE(actions[1]->isSeparator());
    EXPECT_EQ(actions[2]->text(), QStringLiteral("退出"));
}

TEST_F(MainWindowTest, EnterMinimisesAndTheTrayRestores)
{
    QTest::keyClick(dialog.get(), Qt::Key_Return);
    EXPECT_TRUE(dialog->windowState() & Qt::WindowMinimized);
    EXPECT_TRUE(dialog->isVisible()) << "minimising never ends the program";
    dialog->trayMenu()->actions()[0]->trigger();
    EXPECT_FALSE(dialog->windowState() & Qt::WindowMinimized);

    dialog->showMinimized();
    Q_EMIT dialog->trayIcon()->activated(QSystemTrayIcon::Trigger);
    EXPECT_TRUE(dialog->windowState() & Qt::WindowMinimized) << "a single click does nothing";
    Q_EMIT dialog->trayIcon()->activated(QSystemTrayIcon::DoubleClick);
    EXPECT_FALSE(dialog->windowState() & Qt::WindowMinimized);
}

TEST_F(MainWindowTest, WindowMenuEndsWithTheAboutEntry)
{
    const QList<QAction*> actions = dialog->windowMenu()->actions();
    ASSERT_GE(actions.size(), 2);
    EXPECT_TRUE(actions[actions.size() - 2]->isSeparator());
    EXPECT_EQ(actions.last()->text(), QStringLiteral("关于 Verdane(&A)..."));

    QTimer::singleShot(0, [] {
        auto* about = qobject_cast<CAboutDlg*>(QApplication::activeModalWidget());
        ASSERT_NE(about, nullptr);
        EXPECT_EQ(about->windowTitle(), QStringLiteral("关于 Verdane"));
        EXPECT_NE(about->findChildren<QLabel*>().size(), 0);
        about->accept();
    });
    actions.last()->trigger();
}

TEST_F(MainWindowTest, PressingTheBackgroundOrAPlainLabelDragsTheWindow)
{
    for (int id : {0, 1008, 1015}) {
        QWidget* target = id == 0 ? static_cast<QWidget*>(dialog.get()) : dialog->control(id);
        const QPoint start = dialog->pos();
        const QPoint grab = id == 0 ? QPoint(300, 400) : QPoint(3, 3);
        QTest::mousePress(target, Qt::LeftButton, {}, grab);
        QMouseEvent move(QEvent::MouseMove, QPointF(grab + QPoint(30, 20)),
                         QPointF(target->mapToGlobal(grab + QPoint(30, 20))), Qt::NoButton,
                         Qt::LeftButton, {});
        QApplication::sendEvent(target, &move);
        QTest::mouseRelease(target, Qt::LeftButton, {}, grab + QPoint(30, 20));
        EXPECT_EQ(dialog->pos(), start + QPoint(30, 20)) << id;
    }
    const QPoint start = dialog->pos();
    QTest::mousePress(dialog->control(1029), Qt::LeftButton, {}, QPoint(3, 3));
    QMouseEvent move(QEvent::MouseMove, QPointF(33, 23),
                     QPointF(dialog->control(1029)->mapToGlobal(QPoint(33, 23))), Qt::NoButton,
                     Qt::LeftButton, {});
    QApplication::sendEvent(dialog->control(1029), &move);
    QTest::mouseRelease(dialog->control(1029), Qt::LeftButton, {}, QPoint(33, 23));
    EXPECT_EQ(dialog->pos(), start) << "a link is not a handle";
}

// Each way out ends the modal loop and takes the tray icon with it.
class ExitPathTest : public testing::TestWithParam<int> {
protected:
    test::TempConfig config;
    test::FakePrompt prompt;
    test::FakeShell shell;
};

TEST_P(ExitPathTest, EndsTheDialogAndRemovesTheTrayIcon)
{
    qputenv("VERDANE_CONTENT_SERVER", "127.0.0.1:9");
    CVerdaneDlg dialog;
    QTimer::singleShot(0, &dialog, [&] {
        switch (GetParam()) {
        case 0:
            QTest::mouseClick(dialog.control(2), Qt::LeftButton);
            break;
        case 1:
            QTest::keyClick(&dialog, Qt::Key_Escape);
            break;
        case 2:
            dialog.trayMenu()->actions()[2]->trigger();
            break;
        case 3:
            dialog.close();
            break;
        }
    });
    const QPointer<QSystemTrayIcon> tray = [&] {
        dialog.OnInitDialog();
        return QPointer<QSystemTrayIcon>(dialog.trayIcon());
    }();
    EXPECT_EQ(dialog.DoModal(), QDialog::Rejected);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_FALSE(tray->isVisible());
}

INSTANTIATE_TEST_SUITE_P(CloseButtonEscTrayQuitAndClose, ExitPathTest, testing::Values(0, 1, 2, 3));

} // namespace
