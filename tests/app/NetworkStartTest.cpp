#include "app/Application.h"
#include "support/FakePrompt.h"

#include <QApplication>
#include <QTimer>

#include <gtest/gtest.h>

using namespace verdane;

TEST(NetworkStartTest, AFailedNetworkStartShowsTheSocketMessageAndNoWindow)
{
    test::FakePrompt prompt;
    // A window that runs anyway is seen (and closed) by its own event loop.
    QObject guard;
    bool windowRan = false;
    QTimer::singleShot(0, &guard, [&] { windowRan = true, QApplication::closeAllWindows(); });
    Application::runMainWindow(false);
    EXPECT_FALSE(windowRan);
    EXPECT_EQ(prompt.texts(), QStringList{QStringLiteral("Windows 套接字初始化失败。")});
}
