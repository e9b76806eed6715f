// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "platform/FormDescription.h"
#include "platform/Forms.h"

#include <memory>

namespace {

std::vector<std::string> Events; // setter and Loaded calls, in order

class TSample : public TComponent
{
public:
    using TComponent::TComponent;
    std::string ClassName() const override { return "TSample"; }
    void Loaded() override
    {
        TComponent::Loaded();
        Events.push_back(Name() + ".Loaded");
    }
    void WriteState() override { ++Writes; }

    bool Flag = true;
    int Count = 0;
    double When = 0;
    std::string Text;
    int Colour = 0;
    std::vector<std::string> Lines;
    TSample *Buddy = nullptr;
    int Writes = 0;
};

void RegisterSample()
{
    auto log = [](const std::string &what) { Events.push_back(what); };
    RegisterComponentClass("TSample", "TComponent", [](TComponent *owner) { return new TSample(owner); })
        .AddBoolean<TSample>(
            "Flag", [](const TSample &s) { return s.Flag; },
            [log](TSample &s, bool v) { s.Flag = v, log("Flag"); }, [](const TSample &s) { return !s.Flag; })
        .AddInteger<TSample>(
            "Count", [](const TSample &s) { return s.Count; },
            [log](TSample &s, std::int64_t v) {
                if (v == 13)
                    throw std::runtime_error("unlucky");
                s.Count = static_cast<int>(v), log("Count");
            })
        .AddFloat<TSample>("When", [](const TSample &s) { return s.When; }, [](TSample &s, double v) { s.When = v; })
        .AddString<TSample>(
            "Text", [](const TSample &s) { return s.Text; }, [log](TSample &s, const std::string &v) { s.Text = v, log("Text"); })
        .AddEnum<TSample>(
            "Colour", {"clRed", "clGreen", "clBlue"}, [](const TSample &s) { return s.Colour; },
            [](TSample &s, int v) { s.Colour = v; })
        .AddStrings<TSample>(
            "Lines", [](const TSample &s) { return s.Lines; }, [](TSample &s, const std::vector<std::string> &v) { s.Lines = v; })
        .AddReference<TSample, TSample>(
            "Buddy", [](const TSample &s) { return s.Buddy; }, [log](TSample &s, TSample *v) { s.Buddy = v, log("Buddy"); },
            [](const TSample &s) { return s.Buddy != nullptr; });
}

class TSampleForm : public TForm
{
public:
    TSampleForm()
        : TForm(nullptr)
    {
        RegisterSample();
        Events.clear();
    }
    std::string ClassName() const override { return "TSampleForm"; }
};

const char *const Sample = R"(object Main: TSampleForm
  Caption = 'Hello'
  object One: TSample
    Flag = False
    Count = -7
    When = 38587.66757
    Text = 'it''s'#13#10'two lines'
    Colour = clBlue
    Lines = (
      'first'
      ''
      #9'tabbed')
    Buddy = Two
  end
  object Two: TSample
    Count = 0
    When = 0
    Text = ''
    Colour = clRed
    Lines = ()
  end
end
)";

TEST(FormDescription, ReadsThroughSettersThenLoadsAndWritesBackTheSameText)
{
    TSampleForm form;
    ReadFormDescription(form, Sample);
    ASSERT_EQ(form.ComponentCount(), 2);
    auto *one = dynamic_cast<TSample *>(form.FindComponent("one"));
    auto *two = dynamic_cast<TSample *>(form.FindComponent("Two"));
    ASSERT_TRUE(one && two);
    EXPECT_EQ(form.Name(), "Main");
    EXPECT_EQ(form.Caption(), "Hello");
    EXPECT_FALSE(one->Flag);
    EXPECT_EQ(one->Count, -7);
    EXPECT_DOUBLE_EQ(one->When, 38587.66757);
    EXPECT_EQ(one->Text, "it's\r\ntwo lines");
    EXPECT_EQ(one->Colour, 2);
    EXPECT_EQ(one->Lines, (std::vector<std::string>{"first", "", "\ttabbed"}));
    EXPECT_EQ(one->Buddy, two);
    // Setters in stored order, references after every object, then Loaded in order.
    EXPECT_EQ(Events, (std::vector<std::string>{"Flag", "Count", "Text", "Count", "Text", "Buddy", "One.Loaded", "Two.Loaded"}));
    EXPECT_FALSE(one->Loading());
    EXPECT_FALSE(form.Loading());

    std::string written = WriteFormDescription(form);
    EXPECT_EQ(written, Sample);
    EXPECT_EQ(one->Writes, 1);
    TSampleForm again;
    ReadFormDescription(again, written);
    EXPECT_EQ(WriteFormDescription(again), written);
}

TEST(FormDescription, ReusesAComponentTheFormAlreadyHasAndLeavesLoadedToTheCallerOnRequest)
{
    TSampleForm form;
    auto *mine = new TSample(&form);
    mine->SetName("One");
    ReadFormDescription(form, "object Main: TSampleForm\n object One: TSample\n Count = 5\n end\nend\n", {}, false);
    ASSERT_EQ(form.ComponentCount(), 1);
    EXPECT_EQ(mine->Count, 5);
    EXPECT_TRUE(mine->Loading());
    EXPECT_TRUE(Events == std::vector<std::string>{"Count"});
}

struct TBadCase {
    const char *Text;
    int Line, Column;
    const char *Message;
};

TEST(FormDescription, MalformedOrInapplicableDescriptionsNameLineAndColumnAndChangeNothing)
{
    const TBadCase cases[] = {
        {"object Main TSampleForm\nend\n", 1, 13, "expected \":\" after the component name"},
        {"object Main: TSampleForm\n  object One: TSample\n  Count = 1\nend\n", 5, 1, "missing \"end\" of object Main"},
        {"object Main: TSampleForm\n  object One: TSample\n    Text = 'open\n  end\nend\n", 3, 12, "unterminated string"},
        {"object Main: TSampleForm\n  object One: TNothing\n  end\nend\n", 2, 3, "unknown component class TNothing"},
        {"object Main: TSampleForm\n  object One: TSample\n    Colour = clPink\n  end\nend\n", 3, 14,
         "Colour: clPink is not one of clRed, clGreen, clBlue"},
        {"object Main: TSampleForm\n  object One: TSample\n    Size = 3\n  end\nend\n", 3, 5, "TSample has no stored property Size"},
        {"object Main: TSampleForm\n  object One: TSample\n    Count = 'x'\n  end\nend\n", 3, 13, "Count expects an integer"},
        {"object Main: TSampleForm\n  object One: TSample\n    Count = 4294967296\n  end\nend\n", 3, 13, "Count: 4294967296 is out of range"},
        {"object Main: TSampleForm\n  object One: TSample\n    Buddy = Ghost\n  end\nend\n", 3, 13,
         "Buddy: there is no component named Ghost"},
        {"object Main: TSampleForm\n  object One: TSample\n  end\n  object one: TSample\n  end\nend\n", 4, 3,
         "a component named one exists already"},
        {"object Main: TOtherForm\nend\n", 1, 1, "the description is of class TOtherForm, the form is a TSampleForm"},
        {"object Main: TSampleForm\nend\nend\n", 3, 1, "unexpected text after the final \"end\""},
        {"object Main: TSampleForm\n  object One: TSample\n    Text = 'a'#300\n  end\nend\n", 3, 15, "character code"},
        // A setter that raises: the components made so far are freed again.
        {"object Main: TSampleForm\n  object One: TSample\n  end\n  object Two: TSample\n    Count = 13\n  end\nend\n", 5, 13,
         "Count: unlucky"},
    };
    for (const TBadCase &c : cases) {
        SCOPED_TRACE(c.Text);
        TSampleForm form;
        try {
            ReadFormDescription(form, c.Text, "main.vfd");
            ADD_FAILURE() << "no error";
        } catch (const EFormDescription &e) {
            EXPECT_EQ(e.Line(), c.Line);
            EXPECT_EQ(e.Column(), c.Column);
            EXPECT_NE(e.Message().find(c.Message), std::string::npos) << e.Message();
            EXPECT_EQ(std::string(e.what()).rfind("main.vfd: line " + std::to_string(c.Line) + ", column ", 0), 0u);
        }
        EXPECT_EQ(form.ComponentCount(), 0);
        EXPECT_FALSE(form.Loading());
        EXPECT_EQ(std::count(Events.begin(), Events.end(), "One.Loaded"), 0);
    }
}

TEST(FormDescription, PlainTextValuesForTheCommandLine)
{
    TSampleForm form;
    ReadFormDescription(form, Sample);
    const TSample &one = *dynamic_cast<TSample *>(form.FindComponent("One"));
    struct TCase {
        const char *Property, *Text;
        const char *Error; // nullptr: accepted and printed back as Text
    } cases[] = {
        {"Flag", "True", nullptr},
        {"Flag", "maybe", "Flag: 'maybe' is not a Boolean (True or False)"},
        {"Count", "-12", nullptr},
        {"Count", "12x", "Count: '12x' is not an integer"},
        {"Count", "2147483648", "Count: 2147483648 is out of range (-2147483648 to 2147483647)"},
        {"When", "0.5", nullptr},
        {"When", "0,5", "When: '0,5' is not a number (use \".\" as decimal separator)"},
        {"Colour", "clGreen", nullptr},
        {"Colour", "green", "Colour: 'green' is not one of clRed, clGreen, clBlue"},
        {"Lines", "a\nb", nullptr},
        {"Buddy", "Two", nullptr},
        {"Buddy", "Ghost", "Buddy: there is no component named 'Ghost'"},
    };
    for (const TCase &c : cases) {
        SCOPED_TRACE(c.Property + std::string("=") + c.Text);
        const TPropertyInfo *p = FindStoredProperty(one, c.Property);
        ASSERT_TRUE(p);
        if (c.Error) {
            try {
                p->FromText(c.Text, &form);
                ADD_FAILURE() << "accepted";
            } catch (const std::invalid_argument &e) {
                EXPECT_STREQ(e.what(), c.Error);
            }
        } else {
            EXPECT_EQ(p->ToText(p->FromText(c.Text, &form)), c.Text);
        }
    }
}

} // namespace
