#include "ui/ApplicationSetup.h"

#include <QApplication>

#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    verdane::prepareProcess();
    QApplication app(argc, argv);
    verdane::prepareApplication(app);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
