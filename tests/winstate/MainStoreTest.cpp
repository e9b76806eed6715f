// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's store: files count and geometry in the INI file next to the program.
#include "WinstateTestSupport.h"

#include "platform/Application.h"
#include "report/DriveReport.h"
#include "toolkit/QtApplication.h"
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

// One test for the whole cycle: every case uses the one INI file next to the program.
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

// A portable copy keeps its INI file and tmp.emf next to itself; an installed one, whose folder it
// cannot write, keeps them in the user's configuration and cache folders, and still remembers.
TEST_F(MainStore, InstalledCopyKeepsItsFilesInTheUserFolders)
{
    auto &services = dynamic_cast<TQtApplicationServices &>(Application());
    const std::string savedExe = services.ExeName();
    const QByteArray savedConfig = qgetenv("XDG_CONFIG_HOME"), savedCache = qgetenv("XDG_CACHE_HOME");
    qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString(Dir / "config"));
    qputenv("XDG_CACHE_HOME", QByteArray::fromStdString(Dir / "cache"));
    const std::string blocked = UnwritableFolder(Dir);

    struct Case {
        const char *What;
        std::string Folder, Ini, Emf;
    } cases[] = {
        {"portable copy", Dir / "portable", Dir / "portable/vorlant.INI", Dir / "portable/tmp.emf"},
        {"installed copy", blocked, Dir / "config/vorlant.INI", Dir / "cache/vorlant/tmp.emf"},
    };
    std::filesystem::create_directories(Dir / "portable");
    for (const Case &c : cases) {
        SCOPED_TRACE(c.What);
        services.SetExeName(c.Folder + "/vorlant");
        {
            TVorlantMainform form;
            EXPECT_EQ(form.wr->FileName(), c.Ini);
            form.dxBarEdit1->SetText("9");
            form.close();
        }
        EXPECT_EQ(TIniFile(c.Ini).ReadString("Options", "Filecount", ""), "9");
        TVorlantMainform again;
        EXPECT_EQ(again.dxBarEdit1->Text(), "9");
        EXPECT_EQ(TmpEmfPath(), c.Emf);
    }
    services.SetExeName(savedExe);
    qputenv("XDG_CONFIG_HOME", savedConfig);
    qputenv("XDG_CACHE_HOME", savedCache);
}
