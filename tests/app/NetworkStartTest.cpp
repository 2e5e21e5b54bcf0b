#include "app/Application.h"
#include "support/FakePrompt.h"

#include <QApplication>

#include <gtest/gtest.h>

using namespace verdane;

TEST(NetworkStartTest, AFailedNetworkStartShowsTheSocketMessageAndNoWindow)
{
    test::FakePrompt prompt;
    Application::runMainWindow(false);
    EXPECT_EQ(prompt.texts(), QStringList{QStringLiteral("Windows 套接字初始化失败。")});
    EXPECT_TRUE(QApplication::topLevelWidgets().isEmpty());
}
