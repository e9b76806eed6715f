// SPDX-License-Identifier: GPL-3.0-or-later
#include "WinRstor.h"

#include "platform/Application.h"
#include "platform/FormDescription.h"

#include <algorithm>
#include <climits>

const char *const WinRestorerCompany = "\\Quenby Software";

namespace {

#ifdef _WIN32
constexpr char PathDelim = '\\';
#else
constexpr char PathDelim = '/';
#endif

const char *const GeometrySectionName = "WindowsRestorer";
const char *const RunKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion";
const char *const AppPathsKey = "Software\\Microsoft\\Windows\\Currentversion\\App Paths";
/// How often OpenStore reopens a registry key whose probe subkey was written but not deleted.
constexpr int MaxRegistryOpenAttempts = 3;

TWinStateBridgeFactory &BridgeFactory()
{
    static TWinStateBridgeFactory factory;
    return factory;
}

size_t LastDelimiter(const std::string &path)
{
#ifdef _WIN32
    return path.find_last_of("\\/:");
#else
    return path.find_last_of('/');
#endif
}

std::string ExtractFileName(const std::string &path)
{
    size_t d = LastDelimiter(path);
    return d == std::string::npos ? path : path.substr(d + 1);
}

/// The folder with its trailing delimiter.
std::string ExtractFilePath(const std::string &path)
{
    size_t d = LastDelimiter(path);
    return d == std::string::npos ? std::string() : path.substr(0, d + 1);
}

std::string ChangeFileExt(const std::string &name, const std::string &ext)
{
    size_t dot = name.rfind('.');
    return (dot == std::string::npos ? name : name.substr(0, dot)) + ext;
}

std::string FormClassName(const TForm *form)
{
    std::string name = form->ClassName();
    if (name.size() > 80)
        name.resize(80);
    return name;
}

} // namespace

TRegRoot RegkeyToRoot(tregkeys key)
{
    switch (key) {
    case rhkey_classes_root:
        return HKeyClassesRoot;
    case rhkey_current_user:
        return HKeyCurrentUser;
    case rhkey_local_machine:
        return HKeyLocalMachine;
    case rhkey_users:
        return HKeyUsers;
    case rhkey_current_config:
        return HKeyCurrentConfig;
    case rhkey_dyn_data:
        return HKeyDynData;
    }
    return HKeyCurrentUser;
}

tregkeys RootToRegkey(TRegRoot root)
{
    switch (root) {
    case HKeyClassesRoot:
        return rhkey_classes_root;
    case HKeyLocalMachine:
        return rhkey_local_machine;
    case HKeyUsers:
        return rhkey_users;
    case HKeyCurrentConfig:
        return rhkey_current_config;
    case HKeyDynData:
        return rhkey_dyn_data;
    default:
        return rhkey_current_user;
    }
}

void SetWinStateBridgeFactory(TWinStateBridgeFactory factory)
{
    BridgeFactory() = std::move(factory);
}

std::vector<TComponent *> TWinStateBridge::ValueComponents(TForm &form)
{
    std::vector<TComponent *> out;
    for (int i = 0; i < form.ComponentCount(); ++i)
        out.push_back(form.Components(i));
    return out;
}

TWinRestorer::TWinRestorer(TComponent *owner, std::shared_ptr<TRegistryStore> registry)
    : TComponent(owner)
    , FRegistryStore(registry ? std::move(registry) : TRegistryStore::Default())
{
    SetSaveTo(SLocalDir); // as constructed: from SWinDir, through the setter (no file name yet)
}

TWinRestorer::~TWinRestorer()
{
    if (FStoreOpen)
        CloseStore();
    // A store freed before its form must not stay in the form's events.
    if (FOwnerForm && !(FOwnerForm->ComponentState() & csDestroying)) {
        FOwnerForm->SetOnCreate(FPrevOnCreate);
        FOwnerForm->SetOnClose(FPrevOnClose);
    }
}

// ---------------------------------------------------------------------------------------------
// Properties

void TWinRestorer::SetAutoCheckBox(TStoreCheckBox *box)
{
    FAutoCheckBox = box;
    if (box)
        box->FreeNotification(this);
}

void TWinRestorer::SetAutoAsServiceCheckbox(TStoreCheckBox *box)
{
    FAutoAsServiceCheckbox = box;
    if (box)
        box->FreeNotification(this);
}

void TWinRestorer::SetSaveTo(TSaveTo value)
{
    if (value == FSaveTo)
        return;
    FSaveTo = value;
    SetRegkey(Regkey());
}

bool TWinRestorer::RegistryProbe(TWinRegistry &registry)
{
    try {
        registry.WriteInteger("test", "test", 5);
    } catch (const std::exception &) {
        return false;
    }
    registry.DeleteKey("test");
    return true;
}

void TWinRestorer::SetRegkey(tregkeys value)
{
    FRootKey = RegkeyToRoot(value);
    // At most two rounds: the chosen root, then HKEY_CURRENT_USER.
    for (int round = 0; round < 2; ++round) {
        if (FStoreOpen)
            CloseStore();
        OpenStore();
        if (!FStoreOpen || FSaveTo != SRegistry || !FRegistry)
            return;
        if (RegistryProbe(*FRegistry))
            return;
        if (FRootKey == HKeyCurrentUser) {
            FStoreReadOnly = true; // stays open for reading
            return;
        }
        FRootKey = HKeyCurrentUser;
    }
}

void TWinRestorer::SetFileName(const std::string &value)
{
    if (value == FFileName)
        return;
    FFileName = value;
    try {
        if (FStoreOpen)
            CloseStore();
        if (OpenStore() && FSaveTo == SRegistry && FRegistry && !RegistryProbe(*FRegistry))
            FStoreReadOnly = true;
    } catch (const std::exception &) {
        FStoreReadOnly = true; // the store swallows its own failures and goes read-only
    }
}

// ---------------------------------------------------------------------------------------------
// Opening and closing

bool TWinRestorer::OpenStore()
{
    FStoreReadOnly = false;
    FIniFile.reset();
    if (Designing())
        return false;
    FStoreOpen = false;
    if (FFileName.empty())
        return false;
    if (FSaveTo != SRegistry) {
        FIniFile = std::make_unique<TIniFile>(FFileName);
        try {
            FIniFile->WriteString("Test", "Test", "Test");
            FIniFile->EraseSection("Test");
        } catch (const std::exception &) {
            FStoreReadOnly = true; // a store we cannot write stays readable; writes are skipped
        }
    } else if (!OpenRegistry())
        return false;
    FStoreOpen = true;
    return true;
}

bool TWinRestorer::OpenRegistry()
{
    FRegistry.reset();
    for (int attempt = 1;; ++attempt) {
        try {
            auto registry = std::make_unique<TWinRegistry>(FRegistryStore, FRootKey, FFileName);
            bool probeFailed = false;
            try {
                registry->WriteInteger("test", "test", 5);
            } catch (const std::exception &) {
                probeFailed = true;
            }
            if (!probeFailed) {
                if (registry->DeleteKey("test") || attempt >= MaxRegistryOpenAttempts) {
                    FRegistry = std::move(registry);
                    return true;
                }
                continue; // written but not deleted: open afresh, a bounded number of times
            }
            if (FRootKey == HKeyCurrentUser) {
                FStoreReadOnly = true;
                registry.reset();
                FRegistry = TWinRegistry::CreateReadOnly(FRegistryStore, FRootKey, FFileName);
                return true;
            }
            FRootKey = HKeyCurrentUser; // cannot write here: the user's own root, for good
        } catch (const std::exception &) {
            FRegistry.reset();
            return false;
        }
    }
}

void TWinRestorer::CloseStore()
{
    FStoreOpen = false;
    FIniFile.reset();
    FRegistry.reset();
}

// ---------------------------------------------------------------------------------------------
// Typed operations

template <class T, class F>
T TWinRestorer::ReadValue(T def, F read)
{
    if (!EnsureOpen())
        return def;
    if (FSaveTo != SRegistry) {
        try {
            return read(*FIniFile);
        } catch (const std::exception &) {
            return def; // INI reads never raise
        }
    }
    return read(*FRegistry); // registry reads raise on a value of another type
}

template <class F>
void TWinRestorer::WriteValue(F write)
{
    if (FStoreReadOnly || !EnsureOpen() || FStoreReadOnly) // opening may find the store read-only
        return;
    if (FSaveTo != SRegistry)
        write(*FIniFile);
    else
        write(*FRegistry);
}

std::string TWinRestorer::ReadString(const std::string &section, const std::string &ident, const std::string &def)
{
    return ReadValue(def, [&](auto &backend) { return backend.ReadString(section, ident, def); });
}

int TWinRestorer::ReadInteger(const std::string &section, const std::string &ident, int def)
{
    return ReadValue(def, [&](auto &backend) { return backend.ReadInteger(section, ident, def); });
}

bool TWinRestorer::ReadBool(const std::string &section, const std::string &ident, bool def)
{
    return ReadValue(def, [&](auto &backend) { return backend.ReadBool(section, ident, def); });
}

void TWinRestorer::WriteString(const std::string &section, const std::string &ident, const std::string &value)
{
    WriteValue([&](auto &backend) { backend.WriteString(section, ident, value); });
}

void TWinRestorer::WriteInteger(const std::string &section, const std::string &ident, int value)
{
    WriteValue([&](auto &backend) { backend.WriteInteger(section, ident, value); });
}

void TWinRestorer::WriteBool(const std::string &section, const std::string &ident, bool value)
{
    WriteValue([&](auto &backend) { backend.WriteBool(section, ident, value); });
}

bool TWinRestorer::ValueExists(const std::string &section, const std::string &ident)
{
    if (!FStoreOpen)
        return false;
    if (FSaveTo != SRegistry)
        return FIniFile && FIniFile->ValueExists(section, ident);
    return FRegistry && FRegistry->ValueExists(section, ident);
}

std::vector<std::string> TWinRestorer::ReadSections()
{
    if (!EnsureOpen())
        return {};
    return FSaveTo != SRegistry ? FIniFile->ReadSections() : FRegistry->ReadSections();
}

std::vector<std::string> TWinRestorer::ReadSectionValues(const std::string &section)
{
    return ReadValue(std::vector<std::string>(), [&](auto &backend) { return backend.ReadSectionValues(section); });
}

void TWinRestorer::EraseSection(const std::string &section)
{
    WriteValue([&](auto &backend) { backend.EraseSection(section); });
}

void TWinRestorer::Assign(const TPersistent &source)
{
    auto *from = dynamic_cast<const TWinRestorer *>(&source);
    if (!from) {
        TPersistent::Assign(source);
        return;
    }
    auto &src = const_cast<TWinRestorer &>(*from); // reading opens the source on demand
    std::vector<std::string> sections = src.ReadSections();
    // A registry source keeps nested sections as subkeys of subkeys: walk them too, so that
    // the values of list sections ("Form_Controls\lbFiles") are not left behind.
    if (src.SaveTo() == SRegistry && src.Registry()) {
        for (size_t i = 0; i < sections.size(); ++i)
            for (const std::string &sub : src.Registry()->Store().SubKeyNames(src.Registry()->RootKey(),
                     src.Registry()->CurrentPath() + "\\" + sections[i]))
                sections.push_back(sections[i] + "\\" + sub);
    }
    for (const std::string &section : sections) {
        for (const std::string &line : src.ReadSectionValues(section)) {
            size_t eq = line.find('=');
            std::string name = line.substr(0, eq);
            std::string text = eq == std::string::npos ? std::string() : line.substr(eq + 1);
            if (src.SaveTo() == SRegistry && src.Registry()
                && src.Registry()->ValueType(section, name) == TRegDataType::rdInteger)
                WriteInteger(section, name, static_cast<int>(std::stol(text)));
            else
                WriteString(section, name, text);
        }
    }
}

// ---------------------------------------------------------------------------------------------
// Geometry

TFormPlacement *TWinRestorer::GeometryPlacement(TForm *form)
{
    if (Designing() || !form || !EnsureOpen())
        return nullptr;
    TWinStateBridge *bridge = Bridge();
    return bridge ? bridge->Placement() : nullptr;
}

void TWinRestorer::SaveGeometry(TForm *form, STWhatSave what)
{
    TFormPlacement *p = GeometryPlacement(form);
    if (!p)
        return;
    const std::string cls = FormClassName(form);
    const std::string &s = FGeometrySection;
    const int left = p->Left();
    WriteInteger(s, cls + "_Width", p->Width());
    WriteInteger(s, cls + "_Height", p->Height());
    WriteInteger(s, cls + "_Top", p->Top());
    WriteInteger(s, cls + "_Left", left < 0 ? 0 : left);
    std::vector<TMonitorBounds> monitors = p->Monitors();
    int index = static_cast<int>(monitors.size());
    for (size_t i = 0; i < monitors.size(); ++i)
        if (monitors[i].Left + monitors[i].Width > left + 10) {
            index = static_cast<int>(i);
            break;
        }
    WriteInteger(s, cls + "_Monitor", index);
    if (what.Contains(TWhatSave::state))
        WriteInteger(s, cls + "_WindowState", static_cast<int>(p->WindowState()));
}

void TWinRestorer::RestoreGeometry(TForm *form, STWhatSave what)
{
    TFormPlacement *p = GeometryPlacement(form);
    if (!p)
        return;
    const std::string cls = FormClassName(form);
    const std::string &s = FGeometrySection;
    int l = p->Left(), t = p->Top(), w = p->Width(), h = p->Height();
    if (what.Contains(TWhatSave::size)) {
        w = ReadInteger(s, cls + "_Width", -1);
        h = ReadInteger(s, cls + "_Height", -1);
    }
    if (what.Contains(TWhatSave::location)) {
        try {
            t = ReadInteger(s, cls + "_Top", -1);
        } catch (const std::exception &) {
            t = 0;
        }
        try {
            l = ReadInteger(s, cls + "_Left", -1);
        } catch (const std::exception &) {
            l = 0;
        }
    }
    // The desktop: monitors side by side, plus those placed below the first.
    std::vector<TMonitorBounds> monitors = p->Monitors();
    long long totalWidth = LLONG_MAX, totalHeight = LLONG_MAX; // no monitor known: no limit
    if (!monitors.empty()) {
        totalWidth = 0;
        totalHeight = monitors[0].Height;
        for (size_t i = 0; i < monitors.size(); ++i) {
            totalWidth += monitors[i].Width;
            if (i > 0 && monitors[i].Top > 0)
                totalHeight += monitors[i].Height;
        }
    }
    if (l > totalWidth) {
        p->SetPositionDesigned();
        p->SetLeft(0);
    }
    if (what.Contains(TWhatSave::location)) {
        if (ValueExists(s, cls + "_Top") && t >= 0) {
            p->SetPositionDesigned();
            if (t > totalHeight)
                t = 0;
            p->SetDefaultMonitorDesktop();
            p->SetTop(t);
        }
        if (ValueExists(s, cls + "_Left") && l >= 0) {
            p->SetPositionDesigned();
            if (l > totalWidth)
                l = 0;
            p->SetDefaultMonitorDesktop();
            p->SetLeft(l);
        }
    }
    if (what.Contains(TWhatSave::size) && w > 0 && h > 0) {
        p->SetWidth(w);
        p->SetHeight(h);
    }
    if (what.Contains(TWhatSave::state)) {
        int state = ReadInteger(s, cls + "_WindowState", static_cast<int>(p->WindowState()));
        if (state == 0 || state == 1)
            p->SetWindowState(TWindowState::wsNormal);
        else if (state == 2)
            p->SetWindowState(TWindowState::wsMaximized);
    }
}

// ---------------------------------------------------------------------------------------------
// Component values

TForm *TWinRestorer::ValueForm() const
{
    return FOwnerForm ? FOwnerForm : dynamic_cast<TForm *>(Owner());
}

TWinStateBridge *TWinRestorer::Bridge()
{
    if (FBridge)
        return FBridge.get();
    TForm *form = ValueForm();
    if (!form)
        return nullptr;
    if (BridgeFactory())
        FBridge = BridgeFactory()(*form);
    if (!FBridge)
        FBridge = std::make_unique<TWinStateBridge>();
    return FBridge.get();
}

void TWinRestorer::SaveComponents()
{
    if (!FOnSaveComponentValue || !EnsureOpen())
        return;
    try {
        if (TForm *form = ValueForm()) {
            for (TComponent *c : Bridge()->ValueComponents(*form)) {
                if (!c || (FAutoCheckBox && FAutoCheckBox->SameControl(c)))
                    continue; // the start-up box's state lives in the start-up registration
                SaveComponent(c, form);
            }
        }
    } catch (...) {
        CloseStore();
        throw;
    }
    CloseStore();
}

void TWinRestorer::RestoreComponents()
{
    if (FBeforeRead)
        FBeforeRead(this);
    if (!FOnReadComponentValue)
        return;
    if (TForm *form = ValueForm()) {
        for (TComponent *c : Bridge()->ValueComponents(*form)) {
            if (!c || (FAutoCheckBox && FAutoCheckBox->SameControl(c)))
                continue;
            ReadComponent(c, form);
        }
    }
    if (FAfterReaded)
        FAfterReaded(this);
}

void TWinRestorer::SaveComponent(TComponent *component, TForm *form)
{
    if (!component || component->Name().empty() || !form || !FOnSaveComponentValue)
        return;
    std::string section = FormClassName(form) + "_Controls";
    if (!FOnSaveComponentValue(this, component, section, component->Name()))
        return;
    for (TComponent *owned : Bridge()->OwnedComponents(component))
        SaveComponent(owned, form);
    WriteComponentValue(section, component);
}

void TWinRestorer::ReadComponent(TComponent *component, TForm *form)
{
    if (!component || component->Name().empty() || !form || !FOnReadComponentValue)
        return;
    std::string section = FormClassName(form) + "_Controls";
    if (!FOnReadComponentValue(this, component, section, component->Name()))
        return;
    for (TComponent *owned : Bridge()->OwnedComponents(component))
        ReadComponent(owned, form);
    ReadComponentValue(section, component);
}

void TWinRestorer::WriteComponentValue(const std::string &section, TComponent *component)
{
    if (!FStoreOpen || !component || !Bridge())
        return;
    try {
        Bridge()->WriteComponentValue(*this, section, component);
    } catch (const std::exception &) {
        // one component's rule failing must not stop the others
    }
}

void TWinRestorer::ReadComponentValue(const std::string &section, TComponent *component)
{
    if (!component || !Bridge())
        return;
    try {
        Bridge()->ReadComponentValue(*this, section, component);
    } catch (const std::exception &) {
        // as above
    }
}

// ---------------------------------------------------------------------------------------------
// Start-up and application path

std::string TWinRestorer::AutostartTitle() const
{
    std::string title = Application().Title();
    return title.empty() ? Application().ExeName() : title;
}

bool TWinRestorer::IsAutostart(bool service)
{
    try {
        TWinRegistry registry(FRegistryStore, FRootKey,
            std::string(RunKey) + (service ? "\\RunServices" : "\\run"));
        return registry.HasCurrentKey() && registry.ValueExists("", AutostartTitle());
    } catch (const std::exception &) {
        return false;
    }
}

void TWinRestorer::SetAutostart(bool enable, bool service, const std::string &params)
{
    const std::string title = AutostartTitle();
    const std::string sub = service ? "RunServices" : "run";
    const std::string exe = Application().ExeName();
    if (enable) {
        const std::string text = "\"" + exe + "\" " + (service ? std::string() : params);
        auto write = [&](TRegRoot root) {
            TWinRegistry registry(FRegistryStore, root, RunKey);
            registry.WriteString(sub, title, text);
        };
        bool written = false;
        try {
            write(FRootKey);
            written = true;
        } catch (const std::exception &) {
            if (FRootKey == HKeyLocalMachine) {
                try {
                    write(HKeyCurrentUser);
                    written = true;
                } catch (const std::exception &) {
                }
            }
        }
        if (written && !service) {
            try {
                FRegistryStore->SetLoginStart(title, exe, params, true);
            } catch (const std::exception &) {
            }
        }
        return;
    }
    try {
        TWinRegistry registry(FRegistryStore, FRootKey, std::string(RunKey) + "\\" + sub);
        if (registry.HasCurrentKey())
            registry.DeleteValue("", title);
    } catch (const std::exception &) {
    }
    if (!service) {
        try {
            FRegistryStore->SetLoginStart(title, exe, params, false);
        } catch (const std::exception &) {
        }
    }
}

void TWinRestorer::RegisterAppPath()
{
    if (!Owner() || Owner() != Application().MainForm())
        return;
    const std::string exe = Application().ExeName();
    const std::string value = "\"" + ExtractFilePath(exe) + "\"";
    for (TRegRoot root : {HKeyLocalMachine, HKeyCurrentUser}) {
        try {
            TWinRegistry registry(FRegistryStore, root, AppPathsKey);
            registry.WriteString(ExtractFileName(exe), "Path", value);
        } catch (const std::exception &) {
            // nobody is told; the current user's entry is still tried
        }
    }
}

// ---------------------------------------------------------------------------------------------
// Loading and the create and close cycle

void TWinRestorer::Loaded()
{
    TComponent::Loaded();
    if (Designing())
        return;
    const std::string exe = Application().ExeName();
    const std::string iniName = ChangeFileExt(ExtractFileName(exe), ".INI");
    const std::string stored = FFileName;
    switch (FSaveTo) {
    case SLocalDir:
        if (!exe.empty()) {
            std::string folder = ExtractFilePath(exe);
            if (folder.empty())
                folder += PathDelim;
            FFileName = folder + iniName;
        }
        break;
    case SWinDir:
        if (!exe.empty())
            FFileName = WindowsDirectory() + PathDelim + iniName;
        break;
    case SRegistry:
        if (FFileName.empty())
            FFileName = std::string("Software") + WinRestorerCompany + "\\" + Application().Title();
        break;
    }
    // A store opened on the stored name must not go on using that file.
    if (FStoreOpen && FFileName != stored)
        CloseStore();
    FGeometrySection = GeometrySectionName;
    Hook();
}

void TWinRestorer::Hook()
{
    if (Designing())
        return;
    try {
        auto *form = dynamic_cast<TForm *>(Owner());
        if (!form)
            return;
        FOwnerForm = form;
        FPrevOnCreate = form->OnCreate();
        form->SetOnCreate([this](TObject *sender) { FormCreateHook(sender); });
        FPrevOnClose = form->OnClose();
        form->SetOnClose([this](TObject *sender, TCloseAction &action) { FormCloseHook(sender, action); });
    } catch (const std::exception &) {
    }
}

void TWinRestorer::Notification(TComponent *component, TOperation operation)
{
    TComponent::Notification(component, operation);
    if (operation != TOperation::opRemove)
        return;
    if (component == FAutoCheckBox)
        FAutoCheckBox = nullptr;
    if (component == FAutoAsServiceCheckbox)
        FAutoAsServiceCheckbox = nullptr;
}

void TWinRestorer::FormCreateHook(TObject *sender)
{
    try {
        RestoreAll();
    } catch (const std::exception &) {
        // the form shows with whatever was restored so far
    }
    if (FPrevOnCreate)
        FPrevOnCreate(sender);
}

void TWinRestorer::RestoreAll()
{
    if (FAutoCheckBox)
        FAutoCheckBox->SetChecked(IsAutostart(false));
    if (!EnsureOpen() || !FOwnerForm)
        return;
    RestoreGeometry(FOwnerForm, FWhatSave);
    RestoreComponents();
}

void TWinRestorer::FormCloseHook(TObject *, TCloseAction &action)
{
    if (FPrevOnClose)
        FPrevOnClose(FOwnerForm, action);
    FCloseResult = 0;
    if (FOwnerForm && FOwnerForm->Modal())
        FCloseResult = FOwnerForm->ModalResult();
    const bool accepting = FCloseResult == mrNone || FCloseResult == mrOk || FCloseResult == mrYes;
    SaveGeometry(FOwnerForm, FWhatSave);
    if (accepting)
        SaveAll();
    else if (FCloseResult == mrCancel) {
        try {
            RevertComponents();
        } catch (const std::exception &) {
        }
    }
    if (FSetAutoDir && FOwnerForm && FOwnerForm == Application().MainForm())
        RegisterAppPath();
}

void TWinRestorer::SaveAll()
{
    SaveGeometry(FOwnerForm, FWhatSave);
    if (FAutoCheckBox)
        SetAutostart(FAutoCheckBox->Checked(), false, FAutoparams);
    if (FAutoAsServiceCheckbox)
        SetAutostart(FAutoAsServiceCheckbox->Checked(), true, "");
    SaveComponents();
}

void TWinRestorer::RevertComponents()
{
    if (!EnsureOpen() || !FOwnerForm)
        return;
    RestoreComponents();
}

// ---------------------------------------------------------------------------------------------
// Form descriptions

void RegisterWinRestorer()
{
    if (FindComponentClass("TWinRestorer"))
        return;
    using W = TWinRestorer;
    auto notEmpty = [](const std::string &(W::*get)() const) {
        return std::function<bool(const W &)>([get](const W &w) { return !(w.*get)().empty(); });
    };
    TComponentClass &c
        = RegisterComponentClass("TWinRestorer", "TComponent", [](TComponent *owner) { return new TWinRestorer(owner); });
    c.AddReference<W, TStoreCheckBox>(
        "AutoCheckBox", [](const W &w) { return w.AutoCheckBox(); }, [](W &w, TStoreCheckBox *b) { w.SetAutoCheckBox(b); },
        [](const W &w) { return w.AutoCheckBox() != nullptr; });
    c.AddString<W>(
        "Autoparams", [](const W &w) { return w.Autoparams(); }, [](W &w, const std::string &v) { w.SetAutoparams(v); },
        notEmpty(&W::Autoparams));
    c.AddReference<W, TStoreCheckBox>(
        "AutoAsServiceCheckbox", [](const W &w) { return w.AutoAsServiceCheckbox(); },
        [](W &w, TStoreCheckBox *b) { w.SetAutoAsServiceCheckbox(b); },
        [](const W &w) { return w.AutoAsServiceCheckbox() != nullptr; });
    c.AddString<W>(
        "CompanyName", [](const W &w) { return w.CompanyName(); }, [](W &w, const std::string &v) { w.SetCompanyName(v); },
        notEmpty(&W::CompanyName));
    c.AddEnum<W>(
        "SaveTo", {"SWinDir", "SLocalDir", "SRegistry"}, [](const W &w) { return w.SaveTo(); },
        [](W &w, TSaveTo v) { w.SetSaveTo(v); });
    c.AddEnum<W>(
        "Regkey",
        {"rhkey_classes_root", "rhkey_current_user", "rhkey_local_machine", "rhkey_users", "rhkey_current_config",
            "rhkey_dyn_data"},
        [](const W &w) { return w.Regkey(); }, [](W &w, tregkeys v) { w.SetRegkey(v); });
    c.AddString<W>(
        "FileName", [](const W &w) { return w.FileName(); }, [](W &w, const std::string &v) { w.SetFileName(v); },
        notEmpty(&W::FileName));
    c.AddInteger<W>(
        "WhatSave", [](const W &w) { return w.WhatSave().Bits(); },
        [](W &w, std::int64_t v) { w.SetWhatSave(STWhatSave::FromBits(static_cast<std::uint8_t>(v))); },
        [](const W &w) { return !(w.WhatSave() == STWhatSave::All()); }, 0, 7);
    c.AddBoolean<W>(
        "SetAutoDir", [](const W &w) { return w.SetAutoDir(); }, [](W &w, bool v) { w.SetSetAutoDir(v); },
        [](const W &w) { return !w.SetAutoDir(); });
}
