// SPDX-License-Identifier: MIT
// One application object for all the editor's widget tests, on the
// offscreen platform so that no display is needed.

#include <QApplication>
#include <clocale>
#include <gtest/gtest.h>

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    std::setlocale(LC_NUMERIC, "C");
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
