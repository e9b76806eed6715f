// SPDX-License-Identifier: GPL-3.0-or-later
#include "WinstateTestSupport.h"

#include "platform/Application.h"
#include "platform/FormDescription.h"
#include "winstate/WinRstor.h"

namespace {

/// Plain services with a chosen executable path and title.
class TTestApp : public TPlainApplication
{
public:
    std::string Exe;
    std::string ExeName() const override { return Exe; }
};

class TTestForm : public TForm
{
public:
    using TForm::TForm;
    std::string ClassName() const override { return "TForm1"; }
    bool Modal() const override { return ShownModally; }
    int ModalResult() const override { return Result; }
    bool ShownModally = false;
    int Result = mrNone;
};

/// An edit-like component for the component-value traversal.
class TTestEdit : public TComponent
{
public:
    TTestEdit(TComponent *owner, const std::string &name, const std::string &text)
        : TComponent(owner)
        , Text(text)
    {
        SetName(name);
    }
    std::string ClassName() const override { return "TEdit"; }
    std::string Text;
};

class TTestBox : public TStoreCheckBox
{
public:
    TTestBox(TComponent *owner, const std::string &name)
        : TStoreCheckBox(owner)
    {
        SetName(name);
    }
    bool Checked() const override { return FChecked; }
    void SetChecked(bool value) override { FChecked = value; }

private:
    bool FChecked = false;
};

class TFakePlacement : public TFormPlacement
{
public:
    int L = 100, T = 50, W = 640, H = 480;
    TWindowState State = TWindowState::wsNormal;
    bool Designed = false, Desktop = false;
    std::vector<TMonitorBounds> Screens = {{0, 0, 1280, 1024}};
    int Left() const override { return L; }
    int Top() const override { return T; }
    int Width() const override { return W; }
    int Height() const override { return H; }
    void SetLeft(int v) override { L = v; }
    void SetTop(int v) override { T = v; }
    void SetWidth(int v) override { W = v; }
    void SetHeight(int v) override { H = v; }
    TWindowState WindowState() const override { return State; }
    void SetWindowState(TWindowState s) override { State = s; }
    void SetPositionDesigned() override { Designed = true; }
    void SetDefaultMonitorDesktop() override { Desktop = true; }
    std::vector<TMonitorBounds> Monitors() const override { return Screens; }
};

/// Rules for TTestEdit (String S / N = Text) and TTestBox (Boolean S / N = Checked).
class TTestBridge : public TWinStateBridge
{
public:
    explicit TTestBridge(TFakePlacement *placement)
        : FPlacement(placement)
    {
    }
    TFormPlacement *Placement() override { return FPlacement; }
    void WriteComponentValue(TWinRestorer &store, const std::string &section, TComponent *c) override
    {
        if (auto *e = dynamic_cast<TTestEdit *>(c))
            store.WriteString(section, e->Name(), e->Text);
        else if (auto *b = dynamic_cast<TTestBox *>(c))
            store.WriteBool(section, b->Name(), b->Checked());
    }
    void ReadComponentValue(TWinRestorer &store, const std::string &section, TComponent *c) override
    {
        if (auto *e = dynamic_cast<TTestEdit *>(c))
            e->Text = store.ReadString(section, e->Name(), e->Text);
        else if (auto *b = dynamic_cast<TTestBox *>(c))
            b->SetChecked(store.ReadBool(section, b->Name(), b->Checked()));
    }

private:
    TFakePlacement *FPlacement;
};

class WinRstor : public ::testing::Test
{
protected:
    void SetUp() override
    {
        FApp.Exe = Dir / "Tools/App.exe";
        WriteText(FApp.Exe, "");
        FApp.SetTitle("Demo");
        SetApplication(&FApp);
        Registry = std::make_shared<TRegistryStore>(TRegistryPlaces{Dir / "user", Dir / "machine", Dir / "autostart"});
        ForgetTestEntries();
    }
    void TearDown() override
    {
        ForgetTestEntries();
        SetApplication(nullptr);
    }

    /// On Windows the store is the real registry, shared by every test: what one test writes
    /// there is removed before and after each. (Elsewhere the hives are the test's own.)
    void ForgetTestEntries()
    {
        const std::string run = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\";
        for (TRegRoot root : {HKeyLocalMachine, HKeyCurrentUser}) {
            for (const char *key : {"Software\\Quenby Software", "Software\\Copy", "Software\\Mine",
                     "Software\\Microsoft\\Windows\\Currentversion\\App Paths\\App.exe"})
                Registry->DeleteKey(root, key);
            for (const char *key : {"run", "RunServices"})
                for (const std::string &name : {std::string("Disk tool"), FApp.Exe})
                    if (Registry->KeyExists(root, run + key))
                        Registry->DeleteValue(root, run + key, name);
        }
    }

    /// A form of class TForm1 with a store `wr` (INI next to the executable), loaded and hooked.
    TWinRestorer *MakeForm(TTestForm &form, TSaveTo saveTo = SLocalDir)
    {
        auto *wr = new TWinRestorer(&form, Registry);
        wr->SetName("wr");
        wr->SetSaveTo(saveTo);
        wr->SetBridge(std::make_unique<TTestBridge>(&Placement));
        wr->Loaded();
        return wr;
    }

    std::string Ini() const { return Dir / "Tools/App.INI"; }

    TTempDir Dir;
    TTestApp FApp;
    std::shared_ptr<TRegistryStore> Registry;
    TFakePlacement Placement;
};

} // namespace

TEST_F(WinRstor, ConstructedState)
{
    TWinRestorer wr(nullptr, Registry);
    EXPECT_EQ(wr.SaveTo(), SLocalDir);
    EXPECT_EQ(wr.Regkey(), rhkey_local_machine);
    EXPECT_EQ(wr.RootKey(), HKeyLocalMachine);
    EXPECT_EQ(wr.WhatSave(), STWhatSave::All());
    EXPECT_EQ(wr.WhatSave().Bits(), 7);
    EXPECT_TRUE(wr.SetAutoDir());
    EXPECT_FALSE(wr.StoreOpen());
    EXPECT_EQ(wr.GeometrySection(), "");
    // With no file name every read gives its default and nothing is opened.
    EXPECT_EQ(wr.ReadString("S", "v", "def"), "def");
    EXPECT_EQ(wr.ReadInteger("S", "v", 7), 7);
    EXPECT_FALSE(wr.StoreOpen());
}

TEST_F(WinRstor, RegkeyMapsToRootHandles)
{
    const std::pair<tregkeys, TRegRoot> table[] = {{rhkey_classes_root, 0x80000000u}, {rhkey_current_user, 0x80000001u},
        {rhkey_local_machine, 0x80000002u}, {rhkey_users, 0x80000003u}, {rhkey_current_config, 0x80000005u},
        {rhkey_dyn_data, 0x80000006u}};
    TWinRestorer wr(nullptr, Registry);
    for (auto [key, handle] : table) {
        wr.SetRegkey(key);
        EXPECT_EQ(wr.RootKey(), handle);
        EXPECT_EQ(wr.Regkey(), key);
    }
    EXPECT_EQ(RootToRegkey(HKeyPerformanceData), rhkey_current_user);
    EXPECT_EQ(RootToRegkey(0x12345678u), rhkey_current_user);
}

TEST_F(WinRstor, StoreLocation)
{
#ifdef _WIN32
    const std::string windowsIni = WindowsDirectory() + "\\App.INI";
#else
    setenv("XDG_CONFIG_HOME", (Dir / "config").c_str(), 1);
    const std::string windowsIni = Dir / "config/App.INI";
#endif
    struct Case {
        TSaveTo saveTo;
        std::string stored;
        std::string expected;
    } cases[] = {
        {SLocalDir, Dir / "Other.ini", Dir / "Tools/App.INI"},
        {SWinDir, Dir / "Other.ini", windowsIni},
        {SRegistry, "", "Software\\Quenby Software\\Demo"},
        {SRegistry, "Software\\Mine", "Software\\Mine"},
    };
    for (const Case &c : cases) {
        TWinRestorer wr(nullptr, Registry);
        wr.SetSaveTo(c.saveTo);
        wr.SetFileName(c.stored);
        wr.Loaded();
        EXPECT_EQ(wr.FileName(), c.expected);
        if (c.saveTo != SRegistry) { // the first use opens the file Loaded chose
            wr.WriteString("S", "v", "x");
            EXPECT_EQ(TIniFile(c.expected).ReadString("S", "v", ""), "x");
        }
        EXPECT_EQ(wr.GeometrySection(), "WindowsRestorer");
    }
#ifdef _WIN32
    std::remove(windowsIni.c_str());
#else
    unsetenv("XDG_CONFIG_HOME");
#endif
}

TEST_F(WinRstor, IniProbeErasesTestSectionAndReadsHexIntegers)
{
    WriteText(Ini(), "[Test]\nTest=old\n[Options]\nFilecount=35\nHex=0x1F\nBad=abc\n");
    TWinRestorer wr(nullptr, Registry);
    wr.Loaded();
    EXPECT_TRUE(wr.OpenStore());
    EXPECT_FALSE(wr.StoreReadOnly());
    EXPECT_EQ(ReadText(Ini()), "[Options]\nFilecount=35\nHex=0x1F\nBad=abc\n");
    EXPECT_EQ(wr.ReadString("options", "FILECOUNT", "20"), "35");
    EXPECT_EQ(wr.ReadInteger("Options", "Hex", 0), 31);
    EXPECT_EQ(wr.ReadInteger("Options", "Bad", -1), -1);
    EXPECT_TRUE(wr.ValueExists("Options", "Hex"));
    wr.CloseStore();
    EXPECT_FALSE(wr.ValueExists("Options", "Hex")); // only while open
}

TEST_F(WinRstor, IniInReadOnlyFolderReadsButNeverWrites)
{
#ifndef _WIN32 // a folder's permissions; Windows has no read-only folders
    WriteText(Ini(), "[Options]\nFilecount=35\n");
    ::chmod(Ini().c_str(), 0644);
    ::chmod((Dir / "Tools").c_str(), 0555);
    const std::string before = ReadText(Ini());
    EXPECT_UNPRIVILEGED(([&] {
        TWinRestorer wr(nullptr, Registry);
        wr.Loaded();
        bool opened = wr.OpenStore();
        wr.WriteString("Options", "Filecount", "7"); // skipped silently
        wr.EraseSection("Options");
        return opened && wr.StoreReadOnly() && wr.ReadString("Options", "Filecount", "20") == "35";
    }));
    EXPECT_EQ(ReadText(Ini()), before);
#endif

    // Below a regular file nothing can be created, root included: read-only, defaults.
    TWinRestorer wr(nullptr, Registry);
    wr.SetFileName(UnwritableFolder(Dir) + "/App.INI");
    EXPECT_TRUE(wr.StoreOpen());
    EXPECT_TRUE(wr.StoreReadOnly());
    wr.WriteInteger("S", "v", 1);
    EXPECT_EQ(wr.ReadInteger("S", "v", 9), 9);
}

TEST_F(WinRstor, RegistryProbeDeletesTestSubkeyAndFallsBackToCurrentUser)
{
    Registry->CreateKey(HKeyLocalMachine, "Software\\Quenby Software\\Demo\\test");
    Registry->WriteString(HKeyLocalMachine, "Software\\Quenby Software\\Demo\\test", "x", "old");
    TWinRestorer wr(nullptr, Registry);
    wr.SetSaveTo(SRegistry);
    wr.Loaded();
    EXPECT_TRUE(wr.OpenStore());
    EXPECT_EQ(wr.Regkey(), rhkey_local_machine);
    EXPECT_FALSE(Registry->KeyExists(HKeyLocalMachine, "Software\\Quenby Software\\Demo\\test"));
    wr.WriteInteger("WindowsRestorer", "TForm1_Width", 800);
    EXPECT_EQ(Registry->ReadDWord(HKeyLocalMachine, "Software\\Quenby Software\\Demo\\WindowsRestorer", "TForm1_Width"), 800u);
    // An integer where a string is expected raises through the store.
    EXPECT_THROW(wr.ReadString("WindowsRestorer", "TForm1_Width", ""), ERegistryException);

#ifndef _WIN32 // the emulation's hive folders; the real HKEY_LOCAL_MACHINE is writable under Wine
    // HKEY_LOCAL_MACHINE cannot be written: the store moves to HKEY_CURRENT_USER with the same path.
    auto locked = std::make_shared<TRegistryStore>(TRegistryPlaces{Dir / "user", UnwritableFolder(Dir), Dir / "a"});
    TWinRestorer moved(nullptr, locked);
    moved.SetSaveTo(SRegistry);
    moved.SetFileName("Software\\Quenby Software\\Demo");
    EXPECT_TRUE(moved.StoreOpen());
    EXPECT_FALSE(moved.StoreReadOnly());
    EXPECT_EQ(moved.Regkey(), rhkey_current_user);
    moved.WriteString("Options", "Filecount", "35");
    EXPECT_EQ(locked->ReadString(HKeyCurrentUser, "Software\\Quenby Software\\Demo\\Options", "Filecount"), "35");
    EXPECT_FALSE(locked->KeyExists(HKeyCurrentUser, "Software\\Quenby Software\\Demo\\test"));
#endif
}

TEST_F(WinRstor, RegistryWithNoWritableRootReadsThroughReadOnlyAccessor)
{
#ifdef _WIN32
    GTEST_SKIP() << "needs registry roots that cannot be written, which Wine does not have";
#else
    Registry->CreateKey(HKeyCurrentUser, "Software\\Quenby Software\\Demo\\Options");
    Registry->WriteString(HKeyCurrentUser, "Software\\Quenby Software\\Demo\\Options", "Filecount", "35");
    ::chmod((Dir / "user").c_str(), 0555);
    ::chmod((Dir / "user/HKEY_CURRENT_USER.reg").c_str(), 0644);
    const std::string before = ReadText(Dir / "user/HKEY_CURRENT_USER.reg");
    EXPECT_UNPRIVILEGED(([&] {
        auto places = TRegistryPlaces{Dir / "user", Dir / "plain-file/x", Dir / "a"};
        WriteText(Dir / "plain-file", "x"); // may fail as nobody; then the folder is missing, also unwritable
        TWinRestorer wr(nullptr, std::make_shared<TRegistryStore>(places));
        wr.SetSaveTo(SRegistry);
        wr.SetFileName("Software\\Quenby Software\\Demo");
        wr.WriteString("Options", "Filecount", "7");
        return wr.StoreOpen() && wr.StoreReadOnly() && wr.Regkey() == rhkey_current_user && wr.Registry()->ReadOnly()
            && wr.ReadString("Options", "Filecount", "20") == "35";
    }));
    EXPECT_EQ(ReadText(Dir / "user/HKEY_CURRENT_USER.reg"), before);
#endif
}

TEST_F(WinRstor, AssignCopiesEverySection)
{
    WriteText(Ini(), "[Options]\nFilecount=35\n[TForm1_Controls\\lbFiles]\nlbFiles_Count=2\nlbFiles_0=a\n");
    TWinRestorer ini(nullptr, Registry);
    ini.Loaded();
    TWinRestorer reg(nullptr, Registry);
    reg.SetSaveTo(SRegistry);
    reg.SetFileName("Software\\Copy");
    reg.Assign(ini);
    EXPECT_EQ(reg.ReadString("Options", "Filecount", ""), "35");
    EXPECT_EQ(reg.ReadString("TForm1_Controls\\lbFiles", "lbFiles_0", ""), "a");

    // Back from the registry, nested sections and integers included.
    reg.WriteInteger("WindowsRestorer", "TForm1_Width", 640);
    TWinRestorer copy(nullptr, Registry);
    copy.SetFileName(Dir / "copy.ini");
    copy.Assign(reg);
    EXPECT_EQ(copy.ReadInteger("WindowsRestorer", "TForm1_Width", 0), 640);
    EXPECT_EQ(copy.ReadString("TForm1_Controls\\lbFiles", "lbFiles_Count", ""), "2");
    TComponent other(nullptr);
    EXPECT_THROW(copy.Assign(other), EConvertError);
}

// --- geometry ---------------------------------------------------------------------------------

TEST_F(WinRstor, SaveGeometryWritesBoundsMonitorAndState)
{
    struct Case {
        int left;
        std::vector<TMonitorBounds> monitors;
        int storedLeft;
        int monitor;
    } cases[] = {
        {1500, {{0, 0, 1280, 1024}, {1280, 0, 1280, 1024}}, 1500, 1},
        {3000, {{0, 0, 1280, 1024}, {1280, 0, 1280, 1024}}, 3000, 2},
        {-8, {{0, 0, 1280, 1024}}, 0, 0},
        {1275, {{0, 0, 1280, 1024}, {1280, 0, 1280, 1024}}, 1275, 1}, // within 10 pixels of the edge
    };
    for (const Case &c : cases) {
        TTestForm form(nullptr);
        TWinRestorer *wr = MakeForm(form);
        Placement.L = c.left;
        Placement.T = -4;
        Placement.State = TWindowState::wsMaximized;
        Placement.Screens = c.monitors;
        wr->SaveGeometry(&form, STWhatSave::All());
        TIniFile ini(Ini());
        EXPECT_EQ(ini.ReadInteger("WindowsRestorer", "TForm1_Left", -99), c.storedLeft);
        EXPECT_EQ(ini.ReadInteger("WindowsRestorer", "TForm1_Monitor", -99), c.monitor) << c.left;
        EXPECT_EQ(ini.ReadInteger("WindowsRestorer", "TForm1_Top", 0), -4);
        EXPECT_EQ(ini.ReadInteger("WindowsRestorer", "TForm1_Width", 0), 640);
        EXPECT_EQ(ini.ReadInteger("WindowsRestorer", "TForm1_WindowState", 0), 2);
    }
    // Without state in the set the state is not written; size is written whatever the set holds.
    std::filesystem::remove(Ini());
    TTestForm form(nullptr);
    TWinRestorer *wr = MakeForm(form);
    wr->SaveGeometry(&form, {TWhatSave::location});
    TIniFile ini(Ini());
    EXPECT_FALSE(ini.ValueExists("WindowsRestorer", "TForm1_WindowState"));
    EXPECT_TRUE(ini.ValueExists("WindowsRestorer", "TForm1_Height"));
}

TEST_F(WinRstor, RestoreGeometryRules)
{
    const std::vector<TMonitorBounds> one = {{0, 0, 1280, 1024}};
    const std::vector<TMonitorBounds> sideBySide = {{0, 0, 1280, 1024}, {1280, 0, 1280, 1024}};
    const std::vector<TMonitorBounds> below = {{0, 0, 1280, 1024}, {0, 1024, 1280, 1024}};
    struct Case {
        const char *name;
        std::string ini;
        std::vector<TMonitorBounds> monitors;
        STWhatSave what;
        int left, top, width, height;
        TWindowState state;
    } cases[] = {
        {"first run keeps the design", "", one, STWhatSave::All(), 100, 50, 640, 480, TWindowState::wsNormal},
        {"stored bounds", "TForm1_Top=100\nTForm1_Left=200\nTForm1_Width=800\nTForm1_Height=600\n", one,
            STWhatSave::All(), 200, 100, 800, 600, TWindowState::wsNormal},
        {"negative top not applied", "TForm1_Top=-4\nTForm1_Left=0\n", one, STWhatSave::All(), 0, 50, 640, 480,
            TWindowState::wsNormal},
        {"left 2000 on two monitors", "TForm1_Left=2000\n", sideBySide, STWhatSave::All(), 2000, 50, 640, 480,
            TWindowState::wsNormal},
        {"left 2000 on one monitor", "TForm1_Left=2000\n", one, STWhatSave::All(), 0, 50, 640, 480, TWindowState::wsNormal},
        {"top 1100, second monitor to the right", "TForm1_Top=1100\n", sideBySide, STWhatSave::All(), 100, 0, 640, 480,
            TWindowState::wsNormal},
        {"top 1100, second monitor below", "TForm1_Top=1100\n", below, STWhatSave::All(), 100, 1100, 640, 480,
            TWindowState::wsNormal},
        {"width 0 keeps the size", "TForm1_Width=0\nTForm1_Height=600\n", one, STWhatSave::All(), 100, 50, 640, 480,
            TWindowState::wsNormal},
        {"missing height keeps the size", "TForm1_Width=900\n", one, STWhatSave::All(), 100, 50, 640, 480,
            TWindowState::wsNormal},
        {"size not in the set", "TForm1_Width=900\nTForm1_Height=700\n", one, {TWhatSave::location, TWhatSave::state},
            100, 50, 640, 480, TWindowState::wsNormal},
        {"minimised comes back normal", "TForm1_WindowState=1\n", one, STWhatSave::All(), 100, 50, 640, 480,
            TWindowState::wsNormal},
        {"maximised", "TForm1_WindowState=2\n", one, STWhatSave::All(), 100, 50, 640, 480, TWindowState::wsMaximized},
        {"left beyond the desktop without location", "TForm1_Left=5000\n", one, {TWhatSave::size}, 100, 50, 640, 480,
            TWindowState::wsNormal},
    };
    for (const Case &c : cases) {
        WriteText(Ini(), "[WindowsRestorer]\n" + c.ini);
        TTestForm form(nullptr);
        TWinRestorer *wr = MakeForm(form);
        Placement = TFakePlacement();
        Placement.Screens = c.monitors;
        wr->RestoreGeometry(&form, c.what);
        EXPECT_EQ(Placement.L, c.left) << c.name;
        EXPECT_EQ(Placement.T, c.top) << c.name;
        EXPECT_EQ(Placement.W, c.width) << c.name;
        EXPECT_EQ(Placement.H, c.height) << c.name;
        EXPECT_EQ(Placement.State, c.state) << c.name;
    }
}

TEST_F(WinRstor, RegistryTypeMismatchInGeometry)
{
    // A string where the top should be an integer reads as 0; one in the width ends the restore.
    TTestForm form(nullptr);
    TWinRestorer *wr = MakeForm(form, SRegistry);
    wr->WriteString("WindowsRestorer", "TForm1_Top", "x");
    wr->WriteInteger("WindowsRestorer", "TForm1_Left", 300);
    wr->RestoreGeometry(&form, {TWhatSave::location});
    EXPECT_EQ(Placement.T, 0);
    EXPECT_EQ(Placement.L, 300);
    wr->WriteString("WindowsRestorer", "TForm1_Width", "x");
    EXPECT_THROW(wr->RestoreGeometry(&form, STWhatSave::All()), ERegistryException);
}

// --- component values -----------------------------------------------------------------------

TEST_F(WinRstor, ComponentTraversal)
{
    TTestForm form(nullptr);
    TWinRestorer *wr = MakeForm(form);
    new TTestEdit(&form, "edPath", "/home");
    new TTestEdit(&form, "edSkip", "no");
    new TTestEdit(&form, "", "nameless");
    auto *box = new TTestBox(&form, "cbAuto");
    wr->SetAutoCheckBox(box);
    std::vector<std::string> asked;
    wr->SetOnSaveComponentValue([&](TObject *sender, TComponent *, std::string &section, std::string ident) {
        EXPECT_EQ(sender, wr);
        EXPECT_EQ(section, "TForm1_Controls");
        asked.push_back(ident);
        if (ident == "edPath")
            section = "Options";
        return ident != "edSkip";
    });
    EXPECT_TRUE(wr->OpenStore());
    wr->SaveComponents();
    EXPECT_FALSE(wr->StoreOpen()); // closed after saving
    EXPECT_EQ(asked, (std::vector<std::string>{"wr", "edPath", "edSkip"}));
    TIniFile ini(Ini());
    EXPECT_EQ(ini.ReadString("Options", "edPath", ""), "/home");
    EXPECT_FALSE(ini.SectionExists("TForm1_Controls"));

    // Without a save handler nothing is saved and the store stays open.
    wr->SetOnSaveComponentValue(nullptr);
    wr->OpenStore();
    wr->SaveComponents();
    EXPECT_TRUE(wr->StoreOpen());

    // Without a read handler BeforeRead fires but AfterReaded does not.
    std::vector<std::string> events;
    wr->SetBeforeRead([&](TObject *) { events.push_back("before"); });
    wr->SetAfterReaded([&](TObject *) { events.push_back("after"); });
    wr->RestoreComponents();
    EXPECT_EQ(events, (std::vector<std::string>{"before"}));
    wr->SetOnReadComponentValue([](TObject *, TComponent *, std::string &section, std::string) {
        section = "Options";
        return true;
    });
    auto *edPath = dynamic_cast<TTestEdit *>(form.FindComponent("edPath"));
    edPath->Text = "changed";
    wr->RestoreComponents();
    EXPECT_EQ(edPath->Text, "/home");
    EXPECT_EQ(events, (std::vector<std::string>{"before", "before", "after"}));
}

// --- start-up and application path -----------------------------------------------------------

TEST_F(WinRstor, AutostartValues)
{
    const std::string run = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\run";
    FApp.SetTitle("Disk tool");
    TWinRestorer wr(nullptr, Registry);
    EXPECT_FALSE(wr.IsAutostart(false));
    wr.SetAutostart(true, false, "/min");
    EXPECT_EQ(Registry->ReadString(HKeyLocalMachine, run, "Disk tool"), "\"" + FApp.Exe + "\" /min");
    EXPECT_TRUE(wr.IsAutostart(false));
#ifndef _WIN32 // on Windows the registry's start-up key is the login start-up
    EXPECT_TRUE(Registry->LoginStartExists("Disk tool"));
#endif
    wr.SetAutostart(true, false, "");
    EXPECT_EQ(Registry->ReadString(HKeyLocalMachine, run, "Disk tool"), "\"" + FApp.Exe + "\" ");
    wr.SetAutostart(true, true, "ignored");
    EXPECT_EQ(Registry->ReadString(HKeyLocalMachine, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\RunServices",
                  "Disk tool"),
        "\"" + FApp.Exe + "\" ");
    wr.SetAutostart(false, false, "");
    EXPECT_FALSE(wr.IsAutostart(false));
    EXPECT_FALSE(Registry->LoginStartExists("Disk tool"));
    EXPECT_TRUE(wr.IsAutostart(true));

    FApp.SetTitle("");
    wr.SetAutostart(true, false, "");
    EXPECT_TRUE(Registry->ValueType(HKeyLocalMachine, run, FApp.Exe).has_value());

#ifndef _WIN32
    // Only HKEY_CURRENT_USER writable: the entry goes there, and the box reads unchecked.
    auto locked = std::make_shared<TRegistryStore>(TRegistryPlaces{Dir / "user", UnwritableFolder(Dir), Dir / "as"});
    TWinRestorer user(nullptr, locked);
    user.SetAutostart(true, false, "");
    EXPECT_EQ(locked->ReadString(HKeyCurrentUser, run, FApp.Exe), "\"" + FApp.Exe + "\" ");
    EXPECT_FALSE(user.IsAutostart(false));
#endif
}

// --- create and close cycle ------------------------------------------------------------------

TEST_F(WinRstor, CreateRestoresBeforeTheFormsOwnHandler)
{
    WriteText(Ini(), "[WindowsRestorer]\nTForm1_Top=100\nTForm1_Left=200\n[Options]\nedPath=/stored\n");
    TTestForm form(nullptr);
    auto *edit = new TTestEdit(&form, "edPath", "/design");
    std::string seenText;
    int seenTop = 0;
    form.SetOnCreate([&](TObject *sender) {
        EXPECT_EQ(sender, &form);
        seenText = edit->Text;
        seenTop = Placement.T;
    });
    TWinRestorer *wr = MakeForm(form);
    wr->SetOnReadComponentValue([](TObject *, TComponent *, std::string &section, std::string) {
        section = "Options";
        return true;
    });
    form.DoCreate();
    EXPECT_EQ(seenText, "/stored");
    EXPECT_EQ(seenTop, 100);
    EXPECT_TRUE(wr->StoreOpen());
}

TEST_F(WinRstor, CloseByModalResult)
{
    struct Case {
        bool modal;
        int result;
        bool savesValues;
        bool reverts;
    } cases[] = {{false, mrNone, true, false}, {true, mrOk, true, false}, {true, mrYes, true, false},
        {true, mrCancel, false, true}, {true, mrNo, false, false}, {true, mrAbort, false, false}};
    for (const Case &c : cases) {
        std::filesystem::remove(Ini());
        WriteText(Ini(), "[Options]\nedName=stored\n");
        TTestForm form(nullptr);
        auto *edit = new TTestEdit(&form, "edName", "stored");
        auto *box = new TTestBox(&form, "cbAuto");
        TWinRestorer *wr = MakeForm(form);
        wr->SetAutoCheckBox(box);
        auto options = [](TObject *, TComponent *, std::string &section, std::string) {
            section = "Options";
            return true;
        };
        wr->SetOnSaveComponentValue(options);
        wr->SetOnReadComponentValue(options);
        form.DoCreate();
        edit->Text = "edited";
        box->SetChecked(true);
        Placement.W = 999;
        form.ShownModally = c.modal;
        form.Result = c.result;
        form.DoClose();
        TIniFile ini(Ini());
        EXPECT_EQ(ini.ReadInteger("WindowsRestorer", "TForm1_Width", 0), 999) << c.result; // always
        EXPECT_EQ(ini.ReadString("Options", "edName", ""), c.savesValues ? "edited" : "stored") << c.result;
        EXPECT_EQ(edit->Text, c.reverts ? "stored" : "edited") << c.result;
        EXPECT_EQ(wr->IsAutostart(false), c.savesValues) << c.result;
        EXPECT_EQ(wr->CloseResult(), c.modal ? c.result : 0);
        wr->SetAutostart(false, false, "");
    }
}

TEST_F(WinRstor, OwnCloseHandlerRunsFirstAndCannotStopTheSave)
{
    TTestForm form(nullptr);
    std::vector<std::string> log;
    form.SetOnClose([&](TObject *sender, TCloseAction &action) {
        EXPECT_EQ(sender, &form);
        log.push_back("own");
        action = TCloseAction::caNone;
    });
    TWinRestorer *wr = MakeForm(form);
    wr->SetOnSaveComponentValue([&](TObject *, TComponent *, std::string &, std::string) {
        log.push_back("save");
        return false;
    });
    form.DoCreate();
    EXPECT_EQ(form.DoClose(), TCloseAction::caNone);
    EXPECT_EQ(log, (std::vector<std::string>{"own", "save"}));
    EXPECT_TRUE(TIniFile(Ini()).ValueExists("WindowsRestorer", "TForm1_Width"));
}

TEST_F(WinRstor, ApplicationPathOnlyForTheMainForm)
{
    const std::string key = "Software\\Microsoft\\Windows\\Currentversion\\App Paths\\App.exe";
    const std::string expected = "\"" + Dir.Path() + "/Tools/\"";
    TTestForm dialog(nullptr);
    MakeForm(dialog);
    dialog.DoCreate();
    dialog.DoClose();
    EXPECT_FALSE(Registry->KeyExists(HKeyCurrentUser, key));

    TTestForm main(nullptr);
    TWinRestorer *wr = MakeForm(main);
    FApp.SetMainForm(&main);
    wr->SetSetAutoDir(false);
    main.DoCreate();
    main.DoClose();
    EXPECT_FALSE(Registry->KeyExists(HKeyCurrentUser, key));
    wr->SetSetAutoDir(true);
    main.DoClose();
    EXPECT_EQ(Registry->ReadString(HKeyLocalMachine, key, "Path"), expected);
    EXPECT_EQ(Registry->ReadString(HKeyCurrentUser, key, "Path"), expected);
    FApp.SetMainForm(nullptr);
}

TEST_F(WinRstor, StoreWithoutFormStillWorksAndUnhooksWhenFreed)
{
    TComponent owner(nullptr);
    auto *wr = new TWinRestorer(&owner, Registry);
    wr->Loaded();
    EXPECT_EQ(wr->OwnerForm(), nullptr);
    wr->WriteString("Options", "Filecount", "9");
    EXPECT_EQ(wr->ReadString("Options", "Filecount", ""), "9");

    TTestForm form(nullptr);
    int own = 0;
    form.SetOnCreate([&](TObject *) { ++own; });
    TWinRestorer *hooked = MakeForm(form);
    delete hooked;
    form.DoCreate(); // the form's own handler is back in place
    form.DoClose();
    EXPECT_EQ(own, 1);
}

TEST_F(WinRstor, FormDescriptionSetsStoredPropertiesBeforeLoaded)
{
    RegisterWinRestorer();
    TRegistryStore::SetDefault(Registry); // the store a description creates uses the default registry
    TTestForm form(nullptr);
    ReadFormDescription(form, "object Form1: TForm1\n"
                              "  object wr: TWinRestorer\n"
                              "    SaveTo = SRegistry\n"
                              "    Regkey = rhkey_current_user\n"
                              "    WhatSave = 3\n"
                              "    SetAutoDir = False\n"
                              "  end\n"
                              "end\n");
    auto *wr = dynamic_cast<TWinRestorer *>(form.FindComponent("wr"));
    ASSERT_NE(wr, nullptr);
    EXPECT_EQ(wr->SaveTo(), SRegistry);
    EXPECT_EQ(wr->Regkey(), rhkey_current_user);
    EXPECT_EQ(wr->WhatSave(), (STWhatSave{TWhatSave::size, TWhatSave::location}));
    EXPECT_FALSE(wr->SetAutoDir());
    EXPECT_EQ(wr->FileName(), "Software\\Quenby Software\\Demo"); // Loaded ran
    EXPECT_EQ(wr->OwnerForm(), &form);
    std::string written = WriteFormDescription(form);
    EXPECT_NE(written.find("SaveTo = SRegistry"), std::string::npos) << written;
    EXPECT_NE(written.find("WhatSave = 3"), std::string::npos) << written;
    EXPECT_EQ(written.find("Autoparams"), std::string::npos) << written;
    TRegistryStore::SetDefault(nullptr);
}
