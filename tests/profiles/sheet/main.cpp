// SPDX-License-Identifier: GPL-3.0-or-later
// Widget tests need one QApplication for the whole run, created before any test and after
// GoogleTest has taken its own arguments.

#include <QApplication>

#include <gtest/gtest.h>

int main(int argc, char **argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    // ctest lists the tests without the environment it runs them with; default to the
    // off-screen platform unless a display was asked for (screenshots under Xvfb).
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
