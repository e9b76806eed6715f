// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <QMainWindow>

#include "toolkit/BarItems.h"

TEST(TBarGroup, EnablesItsMembersTogetherButNotOthers)
{
    QMainWindow window;
    TComponent form(nullptr);
    auto *bar = window.addToolBar("bar");
    auto *button = new TBarButton(&form, "brnreadNew", bar, "Read new");
    auto *edit = new TBarEdit(&form, "dxBarEdit1", bar, "Files count:", 100, true);
    auto *combo = new TBarCombo(&form, "dxBarCombo1", bar, "Show: ", 100, {"a", "b"});
    auto *exit = new TBarButton(&form, "dxBarButton2", bar, "Exit", true);
    auto *group = new TBarGroup(&form, "dxBarGroup1", {button, edit, combo});
    window.show();
    EXPECT_TRUE(edit->Enabled()); // creating the group leaves the members alone
    group->SetEnabled(false);
    EXPECT_FALSE(button->Enabled());
    EXPECT_FALSE(edit->Editor()->isEnabled()); // the widget follows its action
    EXPECT_FALSE(combo->Combo()->isEnabled());
    EXPECT_TRUE(exit->Enabled());
    group->SetEnabled(true);
    EXPECT_TRUE(edit->Editor()->isEnabled());
    EXPECT_EQ(form.FindComponent("DXBAREDIT1"), edit);

    int changes = 0, clicks = 0;
    combo->SetOnChange([&] { ++changes; });
    exit->SetOnClick([&] { ++clicks; });
    combo->SetItemIndex(1); // by code: no change event
    combo->Combo()->setCurrentIndex(0);
    exit->Action()->trigger();
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(clicks, 1);
}
