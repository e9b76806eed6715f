// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's store: files count and geometry in the INI file next to the program.
#include "WinstateTestSupport.h"

#include "platform/Application.h"
#include "ui/mainun.h"
#include "winstate/WinRstor.h"

namespace {

class MainStore : public ::testing::Test
{
protected:
    void SetUp() override
    {
        // Registry entries of the close go to temporary hives; the INI file is the real one.
        TRegistryStore::SetDefault(
            std::make_shared<TRegistryStore>(TRegistryPlaces{Dir / "user", Dir / "machine", Dir / "autostart"}));
        const std::string exe = Application().ExeName();
        Ini = exe.substr(0, exe.rfind('.') > exe.rfind('/') ? exe.rfind('.') : exe.size()) + ".INI";
        std::filesystem::remove(Ini);
    }
    void TearDown() override
    {
        std::filesystem::remove(Ini);
        TRegistryStore::SetDefault(nullptr);
    }

    TTempDir Dir;
    std::string Ini;
};

} // namespace

// One test: every case uses the one INI file next to this program, and ctest runs tests in parallel.
TEST_F(MainStore, FilesCountAndGeometryPersist)
{
    {
        TVorlantMainform first; // first run: nothing stored, the design text stays
        EXPECT_EQ(first.dxBarEdit1->Text(), "20");
        EXPECT_EQ(first.wr->FileName(), Ini);
    }
    WriteText(Ini, "; mine\n[Options]\nFilecount=35\n");
    {
        TVorlantMainform form;
        EXPECT_EQ(form.dxBarEdit1->Text(), "35");
        form.dxBarEdit1->SetText("7");
        form.resize(700, 500);
        form.move(40, 30);
        form.close();
    }
    TIniFile ini(Ini);
    EXPECT_EQ(ini.ReadString("Options", "Filecount", ""), "7");
    EXPECT_EQ(ini.ReadInteger("WindowsRestorer", "TVorlantMainform_Width", 0), 700);
    EXPECT_NE(ReadText(Ini).find("; mine"), std::string::npos);
    TVorlantMainform again;
    EXPECT_EQ(again.dxBarEdit1->Text(), "7");
    EXPECT_EQ(again.size(), QSize(700, 500));
    EXPECT_EQ(again.pos(), QPoint(40, 30));

    // A stored text that is no number is shown as it is and refused when the scan starts.
    WriteText(Ini, "[Options]\nFilecount=abc\n");
    TVorlantMainform form;
    EXPECT_EQ(form.dxBarEdit1->Text(), "abc");
    try {
        form.Timer1Timer();
        ADD_FAILURE() << "the scan started with a files count of abc";
    } catch (const EConvertError &e) {
        EXPECT_EQ(std::string(e.what()), "'abc' ist kein gültiger Integerwert");
    }
    EXPECT_EQ(form.PickedCount(), 0);
}
