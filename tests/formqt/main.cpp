// SPDX-License-Identifier: MIT
// One application object for every widget test; the offscreen platform is
// chosen before it exists, so the tests need no display, unless the run
// names another (the canvas's tests run once more on an X server).

#include <QApplication>
#include <gtest/gtest.h>

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
