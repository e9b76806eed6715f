// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "platform/Forms.h"

#include <string>
#include <vector>

namespace {

// Records every notification it is told about, and its own destruction.
class TProbe : public TComponent
{
public:
    TProbe(TComponent *owner, const std::string &name, std::vector<std::string> &log)
        : TComponent(owner)
        , FLog(log)
    {
        SetName(name);
    }
    ~TProbe() override { FLog.push_back("free " + Name()); }
    void Notification(TComponent *c, TOperation op) override
    {
        TComponent::Notification(c, op);
        FLog.push_back(Name() + (op == TOperation::opInsert ? " +" : " -") + c->Name());
    }

private:
    std::vector<std::string> &FLog;
};

} // namespace

TEST(TComponent, OwnerFreesComponentsInReverseOrderAndTellsSiblings)
{
    std::vector<std::string> log;
    auto *form = new TForm(nullptr);
    auto *a = new TProbe(form, "a", log);
    new TProbe(form, "b", log);
    EXPECT_EQ(form->ComponentCount(), 2);
    EXPECT_EQ(form->FindComponent("A"), a);
    EXPECT_EQ(form->FindComponent("c"), nullptr);
    // The siblings hear of a newcomer while it is still being constructed, before it has a name.
    EXPECT_EQ(log, (std::vector<std::string>{"a +"}));
    log.clear();
    delete form;
    // b goes first; a is told about b's removal; then a goes.
    EXPECT_EQ(log, (std::vector<std::string>{"free b", "a -b", "free a"}));
}

TEST(TComponent, FreeNotificationClearsDanglingReferences)
{
    std::vector<std::string> log;
    auto *master = new TProbe(nullptr, "master", log);
    auto *follower = new TProbe(nullptr, "follower", log);
    follower->FreeNotification(master);
    delete master;
    EXPECT_EQ(log, (std::vector<std::string>{"free master", "follower -master"}));
    delete follower; // must not tell the dead master
    EXPECT_EQ(log.back(), "free follower");
}

TEST(TComponent, DesigningReachesOwnedComponentsAndLateComers)
{
    std::vector<std::string> log;
    TForm form(nullptr);
    auto *a = new TProbe(&form, "a", log);
    form.SetDesigning(true);
    auto *b = new TProbe(&form, "b", log);
    EXPECT_TRUE(a->Designing());
    EXPECT_TRUE(b->Designing());
}

TEST(TForm, CloseHandlersMayChangeTheAction)
{
    TForm form(nullptr);
    EXPECT_EQ(form.DoClose(), TCloseAction::caHide);
    form.SetOnClose([](TObject *, TCloseAction &action) { action = TCloseAction::caNone; });
    EXPECT_EQ(form.DoClose(), TCloseAction::caNone);
    form.SetCaption("x");
    EXPECT_EQ(form.WindowText(), "x");
    form.SetWindowText("y");
    EXPECT_EQ(form.Caption(), "x");
}

TEST(TPersistent, AssignOfUnrelatedClassesFailsWithMessage)
{
    TComponent a(nullptr), b(nullptr);
    try {
        a.Assign(b);
        FAIL();
    } catch (const EConvertError &e) {
        EXPECT_STREQ(e.what(), "Cannot assign a TComponent to a TComponent");
    }
}
