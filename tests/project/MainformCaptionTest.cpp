// SPDX-License-Identifier: GPL-3.0-or-later
// The running program's title and the main window's caption, from its compiled-in description.
#include <gtest/gtest.h>

#include "platform/Application.h"
#include "ui/mainun.h"

TEST(TVorlantMainform, TitleAndCaptionFromTheStoredVersionData)
{
    Application().SetTitle("before");
    TVorlantMainform form({"/"});
    const std::string caption = "Morvath Computer & Service --- Vorlant  [Version 1.0 (Build 70)]";
    EXPECT_EQ(Application().Title(), "Vorlant");
    EXPECT_EQ(form.Caption(), caption);
    EXPECT_EQ(FromQString(form.windowTitle()), caption);
    ASSERT_NE(form.Project1, nullptr);
    EXPECT_EQ(form.Project1->Owner(), &form);
    EXPECT_EQ(form.Project1->Build(), 70);
}
