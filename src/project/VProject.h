// SPDX-License-Identifier: GPL-3.0-or-later
// VProject: the project version component. At run time it sets the application title and the
// main window's caption from its stored version data; while its form is designed it also counts
// builds, writes the Windows version resource, backs up the project sources and keeps a log.
#pragma once

#include "platform/Component.h"

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

using TDateTime = double;

enum TLanguage : std::uint8_t {
    lanArabic, lanBulgarian, lanCatalan, lanTraditional_Chinese, lanCzech, lanDanish, lanGerman, lanGreek,
    lanUS_English, lanCastilian_Spanish, lanFinnish, lanFrench, lanHebrew, lanHungarian, lanIcelandic, lanItalian,
    lanJapanese, lanKorean, lanDutch, lanNorwegian_Bokmal, lanPolish, lanBrazilian_Portuguese, lanRhaeto_Romanic,
    lanRomanian, lanRussian, lanCroato_Serbian_latin, lanSlovak, lanAlbanian, lanSwedish, lanThai, lanTurkish,
    lanUrdu, lanBahasa, lanSimplified_Chinese, lanSwiss_German, lanUK_English, lanMexican_Spanish,
    lanBelgian_French, lanSwiss_Italian, lanBelgian_Dutch, lanNorwegian_Nynorsk, lanPortuguese,
    lanSerbo_Croatian, lanCanadian_French, lanSwiss_French, lanIgnorre,
};
enum TCharset : std::uint8_t {
    cs7bit_ASCII, csJapan_JIS_X_0208, csKorea_KSC_5601, csTaiwan_GB5, csUnicode, csLatin_2, csCyrillic,
    csMultilingual, csGreek, csTurkish, csHebrew, csArabic,
};
enum TFileType : std::uint8_t { ftProgram, ftLibrary };

/// The enumeration names by ordinal (as stored in form descriptions).
const std::vector<std::string> &LanguageNames();
const std::vector<std::string> &CharsetNames();
const std::vector<std::string> &FileTypeNames();

/// A failure of the version component (resource, backup, registry); the message is the user's.
class EProjectError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

/// Every character that is not a digit or "." removed; "0.01" when nothing is left.
std::string CleanVersion(const std::string &value);
/// `fileName` with its extension (from the last "." after the last separator) replaced by `ext`.
std::string ChangeFileExt(const std::string &fileName, const std::string &ext);
/// `path` with a trailing separator added if it has none.
std::string IncludeTrailingSeparator(const std::string &path);
/// `text` read as a decimal number with "." as separator whatever the locale (no blanks, no
/// thousands separators). False when it is not one.
bool TryStrToFloatDot(const std::string &text, double &value);

// ---- message boxes in design mode ------------------------------------------------------------

enum class TMsgDlgType { mtWarning, mtError, mtInformation, mtConfirmation };
enum class TMsgDlgButtons { mbOK, mbYesNoCancel };

/// Shows a message box and returns the modal result (mrOk, mrYes, mrNo, mrCancel of Forms.h).
/// The designer answers on the terminal; the core's tests script the answers.
class TDesignPrompter
{
public:
    virtual ~TDesignPrompter() = default;
    virtual int MessageBox(const std::string &text, const std::string &caption, TMsgDlgType type,
                           TMsgDlgButtons buttons) = 0;
};
/// Installs the prompter (not owned; nullptr: none, every box is then answered OK or Cancel
/// without being shown).
void SetDesignPrompter(TDesignPrompter *prompter);

// ---- the version resource --------------------------------------------------------------------

/// Builds one Windows version resource and writes it as a .res file. Lives for one write.
class TVersionInfo
{
public:
    static constexpr int KeyCount = 12;
    /// The longest value a string slot holds; longer values are refused.
    static constexpr size_t MaxValueLength = 254;

    TVersionInfo() { Reset(); }
    /// 12 empty values, program, UK English, multilingual, no flags.
    void Reset();

    std::uint8_t FileType = 0; ///< 0 program, 1 library
    TLanguage Language = lanUK_English;
    TCharset Charset = csMultilingual;
    std::uint8_t Flags = 0; ///< 0x01 debug, 0x02 pre-release, 0x04 patched, 0x08 private, 0x10 inferred, 0x20 special

    const std::vector<std::string> &Values() const { return FValues; }
    /// Replaces the value at `index` (0 ... 11). Raises EProjectError for a bad index or a value
    /// longer than MaxValueLength characters (naming the key).
    void SetValue(int index, const std::string &text);

    static std::string KeyName(int index);
    static std::uint16_t LanguageId(TLanguage language);
    static std::uint16_t CodePage(TCharset charset);
    /// The version's four 16-bit parts as the most and least significant halves (see the .cpp).
    static void ParseVersion(const std::string &text, std::uint32_t &ms, std::uint32_t &ls);

    /// The complete .res file contents.
    std::string ResourceBytes() const;
    /// Writes ResourceBytes() to `fileName` with its extension replaced by ".res" (created or
    /// replaced). Raises EProjectError("Error writing file") when that fails.
    void WriteResFile(const std::string &fileName) const;

private:
    std::vector<std::string> FValues;
};

// ---- the source backup -----------------------------------------------------------------------

/// Copies the files that match the masks from the source folder tree into the target folder,
/// mirroring the sub-folders. A file is "archive" (changed since the last backup) by its archive
/// attribute on Windows; on Linux, which keeps none, by a manifest file (ManifestFile: size and
/// modification time per copied file), where it is "archive" when it is missing from the manifest
/// or differs from what it records. A copied source loses its archive and read-only attributes.
class TBackup
{
public:
    /// The full path with a trailing separator.
    static std::string NormalizeFolder(const std::string &path);
    /// Raises "Source path does not exist" when the folder is missing.
    void SetSourcePath(const std::string &path);
    /// Raises "Target path does not exist" when the folder is missing.
    void SetTargetPath(const std::string &path);
    /// Masks separated by ";"; empty means "*.*;"; a final ";" is added when missing.
    void SetMasks(const std::string &masks);
    /// Creates the folder and every missing parent; raises EProjectError naming the folder and the
    /// system's reason when one cannot be created.
    static void ForceFolder(const std::string &path);
    /// Walks the source tree depth first, copying what matches. The first failure ends it and
    /// propagates; copies made until then stay, and the manifest records them.
    void Execute();

    const std::string &SourcePath() const { return FSourcePath; }
    const std::string &TargetPath() const { return FTargetPath; }
    const std::string &Masks() const { return FMasks; }
    int Smart = 0; ///< 0 copy every match, 1 only files with the archive attribute
    /// The file search's attribute filter: hidden (faHidden) and system (faSysFile) files are
    /// copied only when it holds their bit.
    std::uint32_t Attributes = 39;
    /// Where the archive state is kept on Linux; empty: every file counts as changed, nothing is
    /// recorded. Not used on Windows.
    std::string ManifestFile;
    /// A folder the walk never enters (besides the target itself): the folder of all backups.
    std::string ExcludeFolder;
    /// Files copied by the last Execute (for the caller's report).
    int FilesCopied() const { return FFilesCopied; }

private:
    struct TManifest;
    void WalkFolder(const std::string &folder, TManifest &manifest);
    void BackupFolder(const std::string &folder, TManifest &manifest);
    void CopyMatching(const std::string &folder, const std::string &mask, bool changedOnly, TManifest &manifest);
    std::string TargetFolderFor(const std::string &folder);
    void CopyOneFile(const std::string &source, const std::string &target, std::int64_t size);

    std::string FSourcePath;
    std::string FTargetPath;
    std::string FMasks;
    int FFilesCopied = 0;
};

/// True when `name` matches the file mask (`*` and `?`, without regard to case; "*.*" matches
/// every name, "*." names without an extension).
bool MatchesMask(const std::string &name, const std::string &mask);

// ---- the per-user defaults -------------------------------------------------------------------

/// One open key below HKEY_CURRENT_USER of the registry store; values are REG_SZ texts.
class TUserReg
{
public:
    static constexpr size_t MaxText = 299; ///< names and texts
    static constexpr size_t MaxKeyPath = 99;

    TUserReg();
    ~TUserReg();
    TUserReg(const TUserReg &) = delete;
    TUserReg &operator=(const TUserReg &) = delete;

    bool IsOpen() const { return FIsOpen; }
    /// Closes an open key, removes one leading "\" and opens (creating) `path` below the current
    /// user's hive. Raises "Cannot connect to registry" on failure, and refuses a path longer than
    /// MaxKeyPath characters with a message saying so.
    void OpenKey(const std::string &path);
    /// Raises "Error disconnecting from the Registry" when closing fails.
    void CloseKey();
    /// Raise "Error writing string to Registry" / "Error writing integer to Registry"; names and
    /// texts longer than MaxText characters are refused with a message saying so.
    void WriteString(const std::string &name, const std::string &text);
    void WriteInteger(const std::string &name, std::int32_t value);
    /// The value's text up to its first zero; `defaultValue` when it is missing, unreadable or
    /// longer than MaxText.
    std::string ReadString(const std::string &name, const std::string &defaultValue);
    /// As ReadString, then converted; a text that is not a 32-bit integer raises EConvertError.
    std::int32_t ReadInteger(const std::string &name, std::int32_t defaultValue);

    /// The key of the stored defaults, below HKEY_CURRENT_USER.
    static std::string DefaultsKey();

private:
    struct TImpl;
    std::unique_ptr<TImpl> FImpl;
    bool FIsOpen = false;
};

// ---- the component ---------------------------------------------------------------------------

class TProject : public TComponent
{
public:
    explicit TProject(TComponent *owner);
    ~TProject() override;
    std::string ClassName() const override { return "TProject"; }

    void Assign(const TPersistent &source) override;
    void Loaded() override;
    void Notification(TComponent *component, TOperation operation) override;
    void WriteState() override;

    bool InitialVersionPending() const { return FInitialVersionPending; }

    bool AutoNaming() const { return FAutoNaming; }
    void SetAutoNaming(bool value) { FAutoNaming = value; }
    std::int32_t Build() const { return FBuild; }
    void SetBuild(std::int32_t value) { FBuild = value; }
    /// True when FileVersion, read with "." as decimal separator, is below 1. A FileVersion that
    /// is no decimal number raises EConvertError. Assigning does nothing.
    bool Beta() const;
    const std::string &CompanyCaption() const { return FCompanyCaption; }
    void SetCompanyCaption(const std::string &value) { FCompanyCaption = value; }
    const std::vector<std::string> &Log() const { return FLog; }
    void SetLog(const std::vector<std::string> &lines) { FLog = lines; }
    const std::vector<std::string> &Notes() const { return FNotes; }
    void SetNotes(const std::vector<std::string> &lines) { FNotes = lines; }
    const std::string &FileVersion() const { return FFileVersion; }
    /// Cleans and stores the version and logs it. In design mode a change (after the initial
    /// value) first asks whether to back up the old version (or backs up at once with AutoBackup)
    /// and resets Build; Cancel keeps the old version. A failing backup propagates, with Build 0
    /// and the old version kept.
    void SetFileVersion(const std::string &value);
    TProject *MasterProject() const { return FMasterProject; }
    /// Ignores itself and the current master; a new master's settings are copied (Assign).
    void SetMasterProject(TProject *value);
    bool AutoBackup() const { return FAutoBackup; }
    void SetAutoBackup(bool value) { FAutoBackup = value; }
    const std::string &BackupFiles() const { return FBackupFiles; }
    /// Design mode only (ignored otherwise): empty becomes "*.*"; stored in lower case.
    void SetBackupFiles(const std::string &value);
    const std::string &BackupPath() const { return FBackupPath; }
    /// Design mode only (ignored otherwise): expanded to a full path.
    void SetBackupPath(const std::string &value);
    const std::string &ProjectPath() const { return FProjectPath; }
    void SetProjectPath(const std::string &value);
    bool SmartBackup() const { return FSmartBackup; }
    void SetSmartBackup(bool value) { FSmartBackup = value; }
    const std::string &Company() const { return FCompany; }
    void SetCompany(const std::string &value) { FCompany = value; }
    bool UseBuildinCaption() const { return FUseBuildinCaption; }
    void SetUseBuildinCaption(bool value) { FUseBuildinCaption = value; }
    const std::string &Copyright() const { return FCopyright; }
    void SetCopyright(const std::string &value) { FCopyright = value; }
    const std::string &Comment() const { return FComment; }
    void SetComment(const std::string &value) { FComment = value; }
    const std::string &Description() const { return FDescription; }
    void SetDescription(const std::string &value) { FDescription = value; }
    const std::string &SpecialBuild() const { return FSpecialBuild; }
    void SetSpecialBuild(const std::string &value) { FSpecialBuild = value; }
    const std::string &PrivateBuild() const { return FPrivateBuild; }
    void SetPrivateBuild(const std::string &value) { FPrivateBuild = value; }
    const std::string &Productname() const { return FProductname; }
    void SetProductname(const std::string &value) { FProductname = value; }
    const std::string &ProductVersion() const { return FProductVersion; }
    void SetProductVersion(const std::string &value) { FProductVersion = value; }
    const std::string &OriginalName() const { return FOriginalName; }
    void SetOriginalName(const std::string &value) { FOriginalName = value; }
    const std::string &Trademarks() const { return FTrademarks; }
    void SetTrademarks(const std::string &value) { FTrademarks = value; }
    TLanguage Language() const { return FLanguage; }
    void SetLanguage(TLanguage value) { FLanguage = value; }
    TCharset Charset() const { return FCharset; }
    void SetCharset(TCharset value) { FCharset = value; }
    TFileType FileType() const { return FFileType; }
    void SetFileType(TFileType value) { FFileType = value; }
    const std::string &ResourceFile() const { return FResourceFile; }
    /// Stores the value with its extension replaced by ".res".
    void SetResourceFile(const std::string &value);
    TDateTime LastBuild() const { return FLastBuild; }
    void SetLastBuild(TDateTime value) { FLastBuild = value; }
    /// The caption Loaded composed (not stored).
    const std::string &FullCaption() const { return FFullCaption; }

    /// Design mode: the stored per-user defaults (registry key TUserReg::DefaultsKey()).
    void ReadDefaults();
    void WriteDefaults();
    /// Design mode: writes the version resource into ResolveFolder(ProjectPath) + ResourceFile
    /// and logs the outcome; never raises (the reason of a failure is kept in LastResourceError).
    void WriteVersionResource();
    const std::string &LastResourceError() const { return FLastResourceError; }
    /// Not empty after trimming blanks and control characters, and not starting with "<".
    static bool IsFilled(const std::string &text);
    /// `folder` as a full path with a trailing separator; the running executable's folder when it
    /// does not exist.
    static std::string ResolveFolder(const std::string &folder);
    /// Design mode: backs up the sources of the current (old) FileVersion; failures propagate.
    void BackupVersion();
    /// The project folder's last component, then "Ver" + version, as a relative folder with a
    /// trailing separator ("tool/Ver1/").
    std::string VersionFolderName(const std::string &version) const;

    /// The default file masks of a new component.
    static const char *const DefaultBackupFiles;

private:
    void AddLog(const std::string &text);

    bool FInitialVersionPending = false;
    std::string FResourceFile;
    std::string FCompany;
    std::string FCopyright;
    std::string FComment;
    std::string FDescription;
    std::string FSpecialBuild;
    std::string FPrivateBuild;
    std::string FProductname;
    std::string FProductVersion;
    std::string FOriginalName;
    std::string FTrademarks;
    TLanguage FLanguage = lanArabic;
    TCharset FCharset = cs7bit_ASCII;
    TFileType FFileType = ftProgram;
    bool FSmartBackup = false;
    bool FAutoNaming = true;
    bool FAutoBackup = false;
    std::string FBackupFiles;
    std::string FBackupPath;
    std::string FProjectPath;
    std::int32_t FBuild = 0;
    std::vector<std::string> FNotes;
    std::vector<std::string> FLog;
    std::string FFileVersion;
    bool FUseBuildinCaption = false;
    TDateTime FLastBuild = 0;
    std::string FCompanyCaption;
    TProject *FMasterProject = nullptr;
    std::string FFullCaption;
    std::string FLastResourceError;
};

/// Registers TProject and its stored properties with the form-description reader (idempotent).
void RegisterProjectComponents();
