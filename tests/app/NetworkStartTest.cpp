#include "app/CVerdaneApp.h"
#include "support/FakePrompt.h"

#include <QApplication>

#include <gtest/gtest.h>

using namespace verdane;

TEST(NetworkStartTest, AFailedNetworkStartShowsTheSocketMessageAndNoWindow)
{
    test::FakePrompt prompt;
    qputenv("VERDANE_FAIL_NETWORK_INIT", "1");
    EXPECT_FALSE(CVerdaneApp().InitInstance());
    qunsetenv("VERDANE_FAIL_NETWORK_INIT");
    EXPECT_EQ(prompt.texts(), QStringList{QStringLiteral("Windows 套接字初始化失败。")});
    EXPECT_TRUE(QApplication::topLevelWidgets().isEmpty());
}
