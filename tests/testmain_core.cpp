// SPDX-License-Identifier: GPL-3.0-or-later
// The main of the core's tests: the test thread is the plain services' GUI thread.
#include <gtest/gtest.h>

#include "platform/Application.h"

int main(int argc, char **argv)
{
    Application(); // the plain services bind their GUI thread to this one
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
