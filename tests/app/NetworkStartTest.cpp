#include "app/CVerdaneApp.h"
#include "support/FakePrompt.h"

#include <QApplication>
#include <QFileInfo>

#include <gtest/gtest.h>

using namespace verdane;

TEST(NetworkStartTest, AFailedNetworkStartShowsTheSocketMessageAndNoWindow)
{
    test::FakePrompt prompt;
    qputenv("VERDANE_FAIL_NETWORK_INIT", "1");
    CVerdaneApp application;
    EXPECT_FALSE(application.InitInstance());
    qunsetenv("VERDANE_FAIL_NETWORK_INIT");
    ASSERT_EQ(prompt.count(), 1);
    EXPECT_EQ(prompt.messages()[0].text, QStringLiteral("Windows 套接字初始化失败。"));
    EXPECT_EQ(prompt.messages()[0].caption,
              QFileInfo(QCoreApplication::applicationFilePath()).baseName());
    EXPECT_EQ(prompt.messages()[0].buttons, PromptButtons::Ok);
    EXPECT_TRUE(QApplication::topLevelWidgets().isEmpty());
}
