// SPDX-License-Identifier: GPL-3.0-or-later
// WinRstor: TWinRestorer, the window state store. A non-visual component that a form owns: it keeps
// the form's geometry and chosen control values in an INI file or a registry key, restores them
// when the form is created, saves them when it closes, and keeps the start-up and application path
// registration. This is the toolkit-free part; a form's toolkit joins it through TWinStateBridge
// (the Qt one is WinRstorQt.h).
#pragma once

#include "WinReg.h"
#include "platform/Component.h"
#include "platform/Forms.h"
#include "platform/IniFile.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class TWinRestorer;

/// Which backend holds the data.
enum TSaveTo { SWinDir = 0, SLocalDir = 1, SRegistry = 2 };

/// Root keys as the store's property names them.
enum tregkeys {
    rhkey_classes_root = 0,
    rhkey_current_user = 1,
    rhkey_local_machine = 2,
    rhkey_users = 3,
    rhkey_current_config = 4,
    rhkey_dyn_data = 5,
};

/// Parts of the geometry that are restored.
enum class TWhatSave : std::uint8_t { size = 0, location = 1, state = 2 };

/// A set of TWhatSave in one byte (bit 0 size, bit 1 location, bit 2 state).
class STWhatSave
{
public:
    constexpr STWhatSave() = default;
    constexpr STWhatSave(std::initializer_list<TWhatSave> members)
    {
        for (TWhatSave m : members)
            FBits = static_cast<std::uint8_t>(FBits | Bit(m));
    }
    static constexpr STWhatSave FromBits(std::uint8_t bits)
    {
        STWhatSave s;
        s.FBits = bits & 7u;
        return s;
    }
    static constexpr STWhatSave All() { return FromBits(7); }
    constexpr bool Contains(TWhatSave m) const { return (FBits & Bit(m)) != 0; }
    constexpr std::uint8_t Bits() const { return FBits; }
    constexpr bool operator==(const STWhatSave &) const = default;

private:
    static constexpr std::uint8_t Bit(TWhatSave m) { return static_cast<std::uint8_t>(1u << static_cast<unsigned>(m)); }
    std::uint8_t FBits = 0;
};

/// The root key handle of a tregkeys value, and back (any other handle reads as rhkey_current_user).
TRegRoot RegkeyToRoot(tregkeys key);
tregkeys RootToRegkey(TRegRoot root);

/// The company segment of the default registry key, with its leading backslash.
extern const char *const WinRestorerCompany; // "\Quenby Software"

/// The component-value events: Sender (the store), Component, Section (by reference: preset to the
/// form's class name + "_Controls"; what the handler leaves there is used), Ident (the component's
/// name). True asks the store to handle the component by its class rules; false skips it and all it owns.
using TOnSaveComponentValue
    = std::function<bool(TObject *sender, TComponent *component, std::string &section, std::string ident)>;
using TOnreadComponentValue
    = std::function<bool(TObject *sender, TComponent *component, std::string &section, std::string ident)>;

/// A check box the store can read and set (start-up registration). A form's toolkit wraps its check
/// box widget in one owned by the form (WinRstorQt.h: TQtCheckBoxLink).
class TStoreCheckBox : public TComponent
{
public:
    using TComponent::TComponent;
    virtual bool Checked() const = 0;
    virtual void SetChecked(bool checked) = 0;
    /// Whether an entry of the form's component list stands for this same check box.
    virtual bool SameControl(const TComponent *component) const { return component == this; }
    std::string ClassName() const override { return "TCheckBox"; }
};

/// A monitor's bounds in desktop pixels.
struct TMonitorBounds {
    int Left = 0;
    int Top = 0;
    int Width = 0;
    int Height = 0;
};

enum class TWindowState { wsNormal = 0, wsMinimized = 1, wsMaximized = 2 };

/// What the geometry rules need of a form's window and of the screen. Bounds are the form's outer
/// left and top edge and its size, in desktop pixels; each setter changes only its own value.
class TFormPlacement
{
public:
    virtual ~TFormPlacement() = default;
    virtual int Left() const = 0;
    virtual int Top() const = 0;
    virtual int Width() const = 0;
    virtual int Height() const = 0;
    virtual void SetLeft(int value) = 0;
    virtual void SetTop(int value) = 0;
    virtual void SetWidth(int value) = 0;
    virtual void SetHeight(int value) = 0;
    virtual TWindowState WindowState() const = 0;
    virtual void SetWindowState(TWindowState state) = 0;
    /// The placement becomes "as designed": the platform neither centres nor places the form itself.
    virtual void SetPositionDesigned() {}
    /// The default-monitor rule becomes "desktop": the platform does not move the form to a monitor.
    virtual void SetDefaultMonitorDesktop() {}
    /// The monitors in the platform's order, index 0 first.
    virtual std::vector<TMonitorBounds> Monitors() const = 0;
};

/// How the store reaches the form's toolkit: its window's geometry, its controls (which are not
/// core components) and the class rules that store and read their values. One bridge serves one
/// form; the store owns it.
class TWinStateBridge
{
public:
    virtual ~TWinStateBridge() = default;
    /// The form's window, or nullptr when it has none (geometry then does nothing).
    virtual TFormPlacement *Placement() { return nullptr; }
    /// The form's components in creation order as the component-value rules visit them. The default
    /// is the form's owned core components. Entries stay valid until the next call.
    virtual std::vector<TComponent *> ValueComponents(TForm &form);
    /// The components a windowed control owns, visited after the control's own event. Default none.
    virtual std::vector<TComponent *> OwnedComponents(TComponent *) { return {}; }
    /// The class rules: write or read the value of `component` in `section`. A component of no
    /// known class is left alone. Errors pass to the store, which swallows them.
    virtual void WriteComponentValue(TWinRestorer &, const std::string &, TComponent *) {}
    virtual void ReadComponentValue(TWinRestorer &, const std::string &, TComponent *) {}
};

/// Makes the bridge for a form; installed once by the toolkit (InstallQtWinStateBridge()).
using TWinStateBridgeFactory = std::function<std::unique_ptr<TWinStateBridge>(TForm &form)>;
void SetWinStateBridgeFactory(TWinStateBridgeFactory factory);

/// Registers the class "TWinRestorer" and its stored properties for form descriptions (once; later
/// calls do nothing). Stored order: AutoCheckBox, Autoparams, AutoAsServiceCheckbox, CompanyName,
/// SaveTo and Regkey (always stored), FileName, WhatSave (the set's byte 0..7, stored unless all
/// three), SetAutoDir (stored when False). The events are assigned in code. GUI thread.
void RegisterWinRestorer();

/// The window state store. Owned by a form; GUI thread only.
///
/// Where the data lives (set when the component is loaded): SLocalDir, the INI file next to the
/// executable, named like it with ".INI"; SWinDir, the same name in WindowsDirectory(); SRegistry,
/// the key FileName below the root key, by default "Software\Quenby Software\<application title>".
///
/// Opening (OpenStore) probes write access: an INI store writes and erases a section "Test"; a
/// registry store writes an integer into a subkey "test" and deletes that subkey. A store that
/// cannot be written stays open for reading and silently skips every write; a registry store that
/// cannot write below a root other than HKEY_CURRENT_USER moves there for good with the same path.
/// INI reads never raise; registry reads raise on a value of the wrong type. Writes that are not
/// skipped either happen or raise.
class TWinRestorer : public TComponent
{
public:
    /// `registry` is the registry the store and its start-up registration use (nullptr: the
    /// process-wide TRegistryStore::Default()).
    explicit TWinRestorer(TComponent *owner, std::shared_ptr<TRegistryStore> registry = nullptr);
    ~TWinRestorer() override;

    std::string ClassName() const override { return "TWinRestorer"; }

    // --- properties, in stored order ---
    TStoreCheckBox *AutoCheckBox() const { return FAutoCheckBox; }
    void SetAutoCheckBox(TStoreCheckBox *box);
    const std::string &Autoparams() const { return FAutoparams; }
    void SetAutoparams(const std::string &value) { FAutoparams = value; }
    TStoreCheckBox *AutoAsServiceCheckbox() const { return FAutoAsServiceCheckbox; }
    void SetAutoAsServiceCheckbox(TStoreCheckBox *box);
    const std::string &CompanyName() const { return FCompanyName; }
    void SetCompanyName(const std::string &value) { FCompanyName = value; }
    TSaveTo SaveTo() const { return FSaveTo; }
    /// On a change: stores it and sets Regkey again (close, open, probe).
    void SetSaveTo(TSaveTo value);
    tregkeys Regkey() const { return RootToRegkey(FRootKey); }
    /// Sets the root key, reopens the store and, for SRegistry, probes it once more; a failed probe
    /// moves the store to HKEY_CURRENT_USER (once).
    void SetRegkey(tregkeys value);
    const std::string &FileName() const { return FFileName; }
    /// On a change: stores it and reopens the store; any error leaves the store read-only.
    void SetFileName(const std::string &value);
    STWhatSave WhatSave() const { return FWhatSave; }
    void SetWhatSave(STWhatSave value) { FWhatSave = value; }
    /// Whether closing the application's main form registers the application path.
    bool SetAutoDir() const { return FSetAutoDir; }
    void SetSetAutoDir(bool value) { FSetAutoDir = value; }
    const TOnSaveComponentValue &OnSaveComponentValue() const { return FOnSaveComponentValue; }
    void SetOnSaveComponentValue(TOnSaveComponentValue handler) { FOnSaveComponentValue = std::move(handler); }
    const TOnreadComponentValue &OnReadComponentValue() const { return FOnReadComponentValue; }
    void SetOnReadComponentValue(TOnreadComponentValue handler) { FOnReadComponentValue = std::move(handler); }
    const TNotifyEvent &AfterReaded() const { return FAfterReaded; }
    void SetAfterReaded(TNotifyEvent handler) { FAfterReaded = std::move(handler); }
    const TNotifyEvent &BeforeRead() const { return FBeforeRead; }
    void SetBeforeRead(TNotifyEvent handler) { FBeforeRead = std::move(handler); }

    // --- state ---
    TRegRoot RootKey() const { return FRootKey; }
    bool StoreOpen() const { return FStoreOpen; }
    bool StoreReadOnly() const { return FStoreReadOnly; }
    const std::string &GeometrySection() const { return FGeometrySection; }
    TForm *OwnerForm() const { return FOwnerForm; }
    int CloseResult() const { return FCloseResult; }
    TIniFile *IniFile() const { return FIniFile.get(); }
    TWinRegistry *Registry() const { return FRegistry.get(); }
    const std::shared_ptr<TRegistryStore> &RegistryStore() const { return FRegistryStore; }

    // --- the store ---
    /// Creates the backend and probes write access; false when FileName is empty, while designing,
    /// or when the registry key cannot even be opened for reading.
    bool OpenStore();
    void CloseStore();
    std::string ReadString(const std::string &section, const std::string &ident, const std::string &def);
    int ReadInteger(const std::string &section, const std::string &ident, int def);
    bool ReadBool(const std::string &section, const std::string &ident, bool def);
    void WriteString(const std::string &section, const std::string &ident, const std::string &value);
    void WriteInteger(const std::string &section, const std::string &ident, int value);
    void WriteBool(const std::string &section, const std::string &ident, bool value);
    /// Only while the store is open (false otherwise).
    bool ValueExists(const std::string &section, const std::string &ident);
    std::vector<std::string> ReadSections();
    std::vector<std::string> ReadSectionValues(const std::string &section);
    void EraseSection(const std::string &section);
    /// Copies every value of another TWinRestorer into this one (as text; a registry source's nested
    /// sections and integers are copied as well). Another class raises EConvertError.
    void Assign(const TPersistent &source) override;

    // --- geometry ---
    void SaveGeometry(TForm *form, STWhatSave what);
    void RestoreGeometry(TForm *form, STWhatSave what);

    // --- component values ---
    void SaveComponents();
    void RestoreComponents();
    void SaveComponent(TComponent *component, TForm *form);
    void ReadComponent(TComponent *component, TForm *form);
    void WriteComponentValue(const std::string &section, TComponent *component);
    void ReadComponentValue(const std::string &section, TComponent *component);

    // --- start-up and application path ---
    bool IsAutostart(bool service);
    void SetAutostart(bool enable, bool service, const std::string &params);
    void RegisterAppPath();

    // --- create and close cycle ---
    void FormCreateHook(TObject *sender);
    void FormCloseHook(TObject *sender, TCloseAction &action);
    void RestoreAll();
    void SaveAll();
    void RevertComponents();

    void Loaded() override;
    void Notification(TComponent *component, TOperation operation) override;

    /// The bridge to the owner form's toolkit; made by the installed factory on first use.
    TWinStateBridge *Bridge();
    /// The placement of `form` for the geometry steps, or nullptr when they have nothing to do
    /// (designing, no form, no store, no bridge).
    TFormPlacement *GeometryPlacement(TForm *form);
    void SetBridge(std::unique_ptr<TWinStateBridge> bridge) { FBridge = std::move(bridge); }

private:
    bool EnsureOpen() { return FStoreOpen || OpenStore(); }
    /// A read through the open backend (`read` takes TIniFile & or TWinRegistry &): `def` when the
    /// store cannot open; INI failures give `def`, registry failures pass on.
    template <class T, class F>
    T ReadValue(T def, F read);
    /// A write through the open backend, skipped when the store is read-only or cannot open.
    template <class F>
    void WriteValue(F write);
    bool OpenRegistry();
    bool RegistryProbe(TWinRegistry &registry);
    void Hook();
    /// The form whose components and window the store handles: the hooked owner form, or before
    /// hooking the owner when it is a form (so the operations work on a store not yet loaded).
    TForm *ValueForm() const;
    std::string AutostartTitle() const;

    TStoreCheckBox *FAutoCheckBox = nullptr;
    std::string FAutoparams;
    TStoreCheckBox *FAutoAsServiceCheckbox = nullptr;
    std::string FCompanyName;
    TSaveTo FSaveTo = SWinDir;
    TRegRoot FRootKey = HKeyLocalMachine;
    std::string FFileName;
    STWhatSave FWhatSave = STWhatSave::All();
    bool FSetAutoDir = true;
    TOnSaveComponentValue FOnSaveComponentValue;
    TOnreadComponentValue FOnReadComponentValue;
    TNotifyEvent FAfterReaded;
    TNotifyEvent FBeforeRead;

    std::shared_ptr<TRegistryStore> FRegistryStore;
    std::unique_ptr<TIniFile> FIniFile;
    std::unique_ptr<TWinRegistry> FRegistry;
    bool FStoreOpen = false;
    bool FStoreReadOnly = false;
    std::string FGeometrySection;
    TForm *FOwnerForm = nullptr;
    TNotifyEvent FPrevOnCreate;
    TCloseEvent FPrevOnClose;
    int FCloseResult = 0;
    std::unique_ptr<TWinStateBridge> FBridge;
};
