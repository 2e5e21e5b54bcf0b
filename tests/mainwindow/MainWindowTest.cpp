#include "mainwindow/MainWindow.h"
#include "common/ControlIds.h"
#include "support/Controls.h"
#include "support/FakePrompt.h"
#include "support/FakeShell.h"
#include "support/Files.h"
#include "support/TempConfig.h"
#include "support/Wait.h"
#include "widgets/Bitmaps.h"
#include "widgets/SkinTabButton.h"
#include "widgets/WebPanel.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QMenu>
#include <QSignalSpy>
#include <QSystemTrayIcon>
#include <QTest>
#include <QTimer>
#include <QWebEngineView>

#include <gtest/gtest.h>

using namespace verdane;
using namespace verdane::ControlId;

namespace {

class MainWindowTest : public testing::Test {
protected:
    void SetUp() override
    {
        // No server listens here: start-up must not depend on one.
        qputenv("VERDANE_CONTENT_SERVER", "127.0.0.1:9");
        dialog = std::make_unique<MainWindow>();
        dialog->start();
        dialog->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog.get()));
    }

    test::TempConfig config;
    test::FakePrompt prompt;
    test::FakeShell shell;
    std::unique_ptr<MainWindow> dialog;
};

TEST_F(MainWindowTest, StartsWithTheFirstMapCategoryAndTheLinksGoToTheBrowser)
{
    for (int id = HomeButton; id <= LastCategoryButton; ++id)
        EXPECT_EQ(test::control<SkinTabButton>(&*dialog, id)->isChecked(),
                  id == FirstCategoryButton)
            << id;
    EXPECT_FALSE(dialog->webPanel(PagePanel)->isVisible());
    EXPECT_EQ(dialog->webPanel(PagePanel)->url(), u"http://127.0.0.1:9/plexa/plexa.shtml");
    for (int id : RowPicture)
        EXPECT_TRUE(dialog->webPanel(id)->active() &&
                    dialog->webPanel(id)->url() == u"http://127.0.0.1:9/zarn/box/index.html")
            << id;
    QTest::mouseClick(test::control(&*dialog, HomePageLink), Qt::LeftButton);
    EXPECT_EQ(shell.webPages(), QStringList{QStringLiteral("http://127.0.0.1:9/")});
}

// A picture that is no web address shows nothing local, as an entry without one:
// the panel's one load ends on a blank page.
TEST(WebPanelTest, APictureThatIsNoWebAddressShowsNothingLocal)
{
    test::TempConfig config;
    const QString page = config.root() + QStringLiteral("/page.html");
    test::writeFile(page, "<html><head><title>local</title></head><body>secret</body></html>");
    for (const QString& link : {QStringLiteral("file://") + page, page,
                                QStringLiteral("data:text/html,<title>local</title>")}) {
        WebPanel panel(RowPicture[0], nullptr);
        QSignalSpy loaded(panel.view(), &QWebEngineView::loadFinished);
        panel.setPageUrl(link);
        panel.setActive(true);
        ASSERT_TRUE(test::waitUntil([&] { return !loaded.isEmpty(); }, 30000));
        EXPECT_EQ(panel.view()->url(), QUrl(QStringLiteral("about:blank"))) << link.toStdString();
    }
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

// A right click opens the window menu on the bare background only, not over a control.
TEST_F(MainWindowTest, TheWindowMenuOpensOnTheBareBackgroundOnly)
{
    for (QWidget* control : {test::control(&*dialog, Close), test::control(&*dialog, Version)}) {
        QContextMenuEvent click(QContextMenuEvent::Mouse, QPoint(2, 2), QPoint(2, 2));
        QApplication::sendEvent(control, &click);
        EXPECT_FALSE(dialog->windowMenu()->isVisible()) << control->objectName().toStdString();
    }
    QContextMenuEvent click(QContextMenuEvent::Mouse, QPoint(300, 395), QPoint(300, 395));
    QApplication::sendEvent(dialog.get(), &click);
    EXPECT_TRUE(dialog->windowMenu()->isVisible());
}

// Each way out ends the modal loop and takes the tray icon with it.
TEST(ExitPathTest, CloseButtonEscTrayQuitAndCloseEndTheDialogAndRemoveTheTrayIcon)
{
    qputenv("VERDANE_CONTENT_SERVER", "127.0.0.1:9");
    test::TempConfig config;
    test::FakePrompt prompt;
    const std::function<void(MainWindow&)> ways[] = {
        [](MainWindow& d) { QTest::mouseClick(test::control(&d, Close), Qt::LeftButton); },
        [](MainWindow& d) { QTest::keyClick(&d, Qt::Key_Escape); },
        [](MainWindow& d) { d.trayMenu()->actions()[2]->trigger(); },
        [](MainWindow& d) { d.close(); }};
    for (const auto& way : ways) {
        MainWindow dialog;
        QTimer::singleShot(0, &dialog, [&] { way(dialog); });
        dialog.start();
        EXPECT_EQ(dialog.exec(), QDialog::Rejected);
        EXPECT_FALSE(dialog.isVisible() || dialog.trayIcon()->isVisible());
    }
}

} // namespace
