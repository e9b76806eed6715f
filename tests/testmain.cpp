// SPDX-License-Identifier: GPL-3.0-or-later
// The main of the Qt tests: an application object under the offscreen platform, with the Qt
// GUI-thread services installed.
#include <gtest/gtest.h>

#include <cstdlib>

#include "toolkit/QtApplication.h"

int main(int argc, char **argv)
{
    if (!std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    ::testing::InitGoogleTest(&argc, argv);
    TApplication app(argc, argv);
    TQtApplicationScope services;
    return RUN_ALL_TESTS();
}
