// SPDX-License-Identifier: GPL-3.0-or-later
// VProject: the component itself (caption and title, design-time build counting, log, defaults,
// master project) and its stored properties.
#include "VProject.h"

#include "platform/Application.h"
#include "platform/DateTimeText.h"
#include "platform/FileEnum.h"
#include "platform/FormDescription.h"
#include "platform/Forms.h"

#include <algorithm>
#include <cctype>
#include <ctime>
#include <filesystem>

namespace fs = std::filesystem;

const char *const TProject::DefaultBackupFiles = "*.vfd;*.cpp;*.h;*.txt;*.json;*.res";

const std::vector<std::string> &LanguageNames()
{
    static const std::vector<std::string> names = {
        "lanArabic", "lanBulgarian", "lanCatalan", "lanTraditional_Chinese", "lanCzech", "lanDanish", "lanGerman",
        "lanGreek", "lanUS_English", "lanCastilian_Spanish", "lanFinnish", "lanFrench", "lanHebrew", "lanHungarian",
        "lanIcelandic", "lanItalian", "lanJapanese", "lanKorean", "lanDutch", "lanNorwegian_Bokmal", "lanPolish",
        "lanBrazilian_Portuguese", "lanRhaeto_Romanic", "lanRomanian", "lanRussian", "lanCroato_Serbian_latin",
        "lanSlovak", "lanAlbanian", "lanSwedish", "lanThai", "lanTurkish", "lanUrdu", "lanBahasa",
        "lanSimplified_Chinese", "lanSwiss_German", "lanUK_English", "lanMexican_Spanish", "lanBelgian_French",
        "lanSwiss_Italian", "lanBelgian_Dutch", "lanNorwegian_Nynorsk", "lanPortuguese", "lanSerbo_Croatian",
        "lanCanadian_French", "lanSwiss_French", "lanIgnorre",
    };
    return names;
}

const std::vector<std::string> &CharsetNames()
{
    static const std::vector<std::string> names = {
        "cs7bit_ASCII", "csJapan_JIS_X_0208", "csKorea_KSC_5601", "csTaiwan_GB5", "csUnicode", "csLatin_2",
        "csCyrillic", "csMultilingual", "csGreek", "csTurkish", "csHebrew", "csArabic",
    };
    return names;
}

const std::vector<std::string> &FileTypeNames()
{
    static const std::vector<std::string> names = {"ftProgram", "ftLibrary"};
    return names;
}

// ---- design prompts -------------------------------------------------------------------------

static TDesignPrompter *Prompter = nullptr;

void SetDesignPrompter(TDesignPrompter *prompter)
{
    Prompter = prompter;
}

static int Ask(const std::string &text, const std::string &caption, TMsgDlgType type, TMsgDlgButtons buttons)
{
    if (Prompter)
        return Prompter->MessageBox(text, caption, type, buttons);
    return buttons == TMsgDlgButtons::mbOK ? mrOk : mrCancel;
}

// ---- helpers --------------------------------------------------------------------------------

static std::string UnderscoresToBlanks(std::string text)
{
    std::replace(text.begin(), text.end(), '_', ' ');
    return text;
}

/// A folder as the design-time setters store it: expanded to a full path. Windows paths are also
/// lower-cased as they always were; Linux paths keep their case, which is part of the name there.
static std::string StoredFolder(const std::string &path)
{
    if (path.empty())
        return path;
    std::error_code ec;
    std::string full = fs::absolute(fs::path(path), ec).lexically_normal().string();
    if (ec)
        full = path;
#ifdef _WIN32
    full = LowerCase(full);
#endif
    return full;
}

// ---- TProject -------------------------------------------------------------------------------

TProject::TProject(TComponent *owner)
    : TComponent(owner)
{
    if (!Designing())
        return;
    AddLog(": Project started.");
    FBackupFiles = DefaultBackupFiles;
    FFileVersion = "0.01";
    std::error_code ec;
    FProjectPath = StoredFolder(fs::current_path(ec).string());
    ReadDefaults();
    FComment = "<Additional diagnostic info>";
    FDescription = "<Description of file>";
    FSpecialBuild = "<How this build differs from a standard build>";
    FPrivateBuild = "<Private information>";
    FProductname = "<name of product this file ships with>";
    FProductVersion = "<1.0.0.0>";
    FOriginalName.clear();
    FTrademarks = "<Legal trademarks used in this build>";
    FFileType = ftProgram;
    FInitialVersionPending = true;
    FResourceFile = "Version.res";
}

TProject::~TProject() = default;

void TProject::AddLog(const std::string &text)
{
    FLog.push_back(FormatShortDateLongTime(NowDateTime()) + text);
}

bool TProject::Beta() const
{
    double value = 0;
    if (!TryStrToFloatDot(FFileVersion, value))
        throw EConvertError("'" + FFileVersion + "' is not a valid floating point value");
    return value < 1;
}

void TProject::SetFileVersion(const std::string &value)
{
    std::string clean = CleanVersion(value);
    if (Designing() && !FInitialVersionPending && clean != FFileVersion) {
        int answer = mrYes;
        if (!FAutoBackup)
            answer = Ask("Create backup of version " + FFileVersion + "?", "Version number changed",
                         TMsgDlgType::mtConfirmation, TMsgDlgButtons::mbYesNoCancel);
        if (answer == mrYes) {
            try {
                BackupVersion();
            } catch (...) {
                FBuild = 0;
                throw;
            }
            FBuild = 0;
        } else if (answer == mrNo) {
            FBuild = 0;
        } else {
            clean = FFileVersion;
        }
    }
    FFileVersion = clean;
    if (!FInitialVersionPending)
        AddLog(": Version " + FFileVersion);
    FInitialVersionPending = false;
}

void TProject::SetMasterProject(TProject *value)
{
    if (value == FMasterProject || value == this)
        return;
    if (FMasterProject)
        RemoveFreeNotification(FMasterProject);
    FMasterProject = value;
    if (value) {
        FreeNotification(value);
        Assign(*value);
    }
}

void TProject::Notification(TComponent *component, TOperation operation)
{
    TComponent::Notification(component, operation);
    if (operation == TOperation::opRemove && component == FMasterProject)
        FMasterProject = nullptr;
}

void TProject::SetBackupFiles(const std::string &value)
{
    if (!Designing())
        return;
    FBackupFiles = LowerCase(value.empty() ? "*.*" : value);
}

void TProject::SetBackupPath(const std::string &value)
{
    if (Designing())
        FBackupPath = StoredFolder(value);
}

void TProject::SetProjectPath(const std::string &value)
{
    if (Designing())
        FProjectPath = StoredFolder(value);
}

void TProject::SetResourceFile(const std::string &value)
{
    FResourceFile = ChangeFileExt(value, ".res");
}

void TProject::Assign(const TPersistent &source)
{
    const auto *other = dynamic_cast<const TProject *>(&source);
    if (!other) {
        TComponent::Assign(source);
        return;
    }
    FBuild = other->FBuild;
    FCompanyCaption = other->FCompanyCaption;
    FLog.clear();
    SetFileVersion(other->FFileVersion);
    FAutoBackup = false;
    SetBackupFiles("");
    SetBackupPath("");
    SetProjectPath("");
    FSmartBackup = false;
    SetCompany(other->FCompany);
    FUseBuildinCaption = other->FUseBuildinCaption;
    SetCopyright(other->FCopyright);
    FComment = other->FComment;
    FDescription = other->FDescription;
    FSpecialBuild = other->FSpecialBuild;
    FPrivateBuild = other->FPrivateBuild;
    FProductname = other->FProductname;
    FProductVersion = other->FProductVersion;
    FOriginalName = other->FOriginalName;
    FTrademarks = other->FTrademarks;
    FLanguage = other->FLanguage;
    FCharset = other->FCharset;
    FFileType = other->FFileType;
    SetResourceFile(other->FResourceFile);
    FLastBuild = other->FLastBuild;
}

/// Both build numbers become the greater of the two.
static void ShareBuild(TProject &self, TProject &master)
{
    if (self.Build() < master.Build())
        self.SetBuild(master.Build());
    else
        master.SetBuild(self.Build());
}

void TProject::Loaded()
{
    TComponent::Loaded();
    if (Designing()) {
        ++FBuild;
        FLastBuild = NowDateTime();
        if (FMasterProject) {
            ShareBuild(*this, *FMasterProject);
            if (FMasterProject->LastBuild() > FLastBuild)
                FLastBuild = FMasterProject->LastBuild();
            else
                FMasterProject->SetLastBuild(FLastBuild);
        }
    }
    if (!FAutoNaming)
        return;
    FOriginalName = fs::path(Application().ExeName()).filename().string();
    std::string title = UnderscoresToBlanks(FProductname);
    Application().SetTitle(title);
    if (!Owner())
        return;
    try {
        std::string working = title + "  [Version " + FProductVersion;
        double version = 0;
        if (TryStrToFloatDot(FFileVersion, version) && version < 1)
            working += " - beta -";
        if (FUseBuildinCaption)
            FFullCaption = FCompanyCaption + working + " (Build " + std::to_string(FBuild) + ")]";
        else
            FFullCaption = working + "]";
        auto *form = dynamic_cast<TForm *>(Owner());
        if (!form)
            return;
        for (int i = 0; i < form->ComponentCount(); ++i)
            if (form->Components(i)->ClassName() == "TMSOfficeCaption") {
                // That component draws the title bar itself: the text goes to the native window
                // only, and the caption property stays as it is.
                form->SetWindowText(FFullCaption);
                return;
            }
        form->SetCaption(FFullCaption);
    } catch (...) {
        // The window keeps the caption it had; the title is set already.
    }
}

void TProject::WriteState()
{
    if (Designing() && !FMasterProject) {
        ++FBuild;
        FLastBuild = NowDateTime();
        FInitialVersionPending = false;
        WriteDefaults();
        WriteVersionResource();
    } else if (FMasterProject) {
        ShareBuild(*this, *FMasterProject);
    }
}

// ---- defaults -------------------------------------------------------------------------------

static std::string DefaultCopyright()
{
    std::time_t now = std::time(nullptr);
    std::tm local{};
#ifdef _WIN32
    localtime_s(&local, &now);
#else
    localtime_r(&now, &local);
#endif
    return "Copyright (c) Tessaloon, " + std::to_string(local.tm_year + 1900);
}

void TProject::ReadDefaults()
{
    TUserReg reg;
    reg.OpenKey(TUserReg::DefaultsKey());
    std::error_code ec;
    FCompany = reg.ReadString("Company", "Tessaloon");
    FCopyright = reg.ReadString("Copyrights", DefaultCopyright());
    // The low byte counts; a number that names no language or character set keeps the default.
    int language = reg.ReadInteger("Language", lanGerman) & 0xFF;
    FLanguage = language <= lanIgnorre ? static_cast<TLanguage>(language) : lanGerman;
    int charset = reg.ReadInteger("Charset", csMultilingual) & 0xFF;
    FCharset = charset <= csArabic ? static_cast<TCharset>(charset) : csMultilingual;
    FBackupPath = reg.ReadString("BackupPath", fs::current_path(ec).string());
    FSmartBackup = (reg.ReadInteger("SmartBackup", 0) & 0xFF) != 0;
    if (reg.ReadInteger("Warning", 0) == 0) {
        Ask("Please note: The backup-feature has been changed.\r"
            "Backups will now include subfolders under ProjectPath\r"
            "and the BackupPath is now the backup-root.\r\r"
            "Please see the helpfile for more info.",
            "Warning", TMsgDlgType::mtInformation, TMsgDlgButtons::mbOK);
        reg.WriteInteger("Warning", 1);
        FAutoBackup = false;
    }
    reg.CloseKey();
}

void TProject::WriteDefaults()
{
    // Refuse over-long texts before anything is written, so the stored defaults stay whole.
    for (const std::string *text : {&FBackupPath, &FCompany, &FCopyright})
        if (text->size() > TUserReg::MaxText)
            throw EProjectError("Cannot store the defaults: a text is longer than " + std::to_string(TUserReg::MaxText)
                                + " characters (" + text->substr(0, 40) + "...)");
    TUserReg reg;
    reg.OpenKey(TUserReg::DefaultsKey());
    reg.WriteString("BackupPath", FBackupPath);
    reg.WriteString("Company", FCompany);
    reg.WriteString("Copyrights", FCopyright);
    reg.WriteInteger("Language", FLanguage);
    reg.WriteInteger("CharSet", FCharset);
    reg.WriteInteger("SmartBackup", FSmartBackup ? 1 : 0);
    reg.CloseKey();
}

// ---- version resource and backup --------------------------------------------------------------

bool TProject::IsFilled(const std::string &text)
{
    auto blank = [](char c) { return static_cast<unsigned char>(c) <= ' '; };
    bool empty = std::all_of(text.begin(), text.end(), blank);
    return !empty && text[0] != '<';
}

std::string TProject::ResolveFolder(const std::string &folder)
{
    std::error_code ec;
    if (!folder.empty()) {
        fs::path full = fs::absolute(fs::path(folder), ec).lexically_normal();
        if (!ec && fs::is_directory(full, ec))
            return IncludeTrailingSeparator(full.string());
    }
    return IncludeTrailingSeparator(fs::path(Application().ExeName()).parent_path().string());
}

void TProject::WriteVersionResource()
{
    FLastResourceError.clear();
    try {
        TVersionInfo info;
        info.Flags = 0;
        info.Language = FLanguage;
        info.Charset = FCharset;
        info.FileType = FFileType;
        const std::pair<const std::string *, int> filled[] = {
            {&FComment, 0}, {&FCompany, 1}, {&FCopyright, 5}, {&FDescription, 2}, {&FProductname, 8},
            {&FProductVersion, 11}, {&FOriginalName, 7}, {&FTrademarks, 6}, {&FSpecialBuild, 10}, {&FPrivateBuild, 9},
        };
        for (const auto &[text, index] : filled)
            if (IsFilled(*text)) {
                info.SetValue(index, *text);
                if (index == 10)
                    info.Flags |= 0x20;
                if (index == 9)
                    info.Flags |= 0x08;
            }
        info.SetValue(4, UnderscoresToBlanks(FProductname));
        info.SetValue(3, FFileVersion + "." + std::to_string(FBuild));
        info.SetValue(11, FProductVersion + "." + std::to_string(FBuild));
        double version = 0;
        if (!TryStrToFloatDot(FFileVersion, version) || version < 1)
            info.Flags |= 0x02;
        info.WriteResFile(ResolveFolder(FProjectPath) + FResourceFile);
        AddLog(": Versionresource written - build " + std::to_string(FBuild) + ".");
    } catch (const std::exception &e) {
        FLastResourceError = e.what();
        AddLog(": Error occured writing versionresource - build " + std::to_string(FBuild) + ".");
    }
}

std::string TProject::VersionFolderName(const std::string &version) const
{
    std::string folder = ResolveFolder(FProjectPath);
    folder.pop_back();
    std::string last = fs::path(folder).filename().string();
    const char sep = static_cast<char>(fs::path::preferred_separator);
    return last + sep + "Ver" + version + sep;
}

void TProject::BackupVersion()
{
    TBackup backup;
    std::string root = TBackup::NormalizeFolder(FBackupPath);
    std::string versionFolder = VersionFolderName(FFileVersion);
    std::string target = root + versionFolder;
    TBackup::ForceFolder(target);
    backup.SetTargetPath(target);
    backup.SetSourcePath(TBackup::NormalizeFolder(FProjectPath));
    backup.SetMasks(FBackupFiles);
    backup.Smart = FSmartBackup ? 1 : 0;
    // The folder holding every version's backup of this project; on Linux it also keeps the
    // archive state.
    std::string projectBackups = root + versionFolder.substr(0, versionFolder.find(static_cast<char>(fs::path::preferred_separator)));
    backup.ExcludeFolder = projectBackups;
    if (!ArchiveAttributeKept)
        backup.ManifestFile = IncludeTrailingSeparator(projectBackups) + ".archive-state";
    backup.Execute();
    AddLog(backup.Smart ? ": Changed files backed up successfully" : ": Backup successfull");
}

// ---- stored properties ----------------------------------------------------------------------

void RegisterProjectComponents()
{
    if (FindComponentClass("TProject"))
        return;
    using P = TProject;
    auto notEmpty = [](const std::string &(P::*get)() const) {
        return std::function<bool(const P &)>([get](const P &p) { return !(p.*get)().empty(); });
    };
    auto text = [&](TComponentClass &c, const char *name, const std::string &(P::*get)() const,
                    void (P::*set)(const std::string &)) {
        c.AddString<P>(
            name, [get](const P &p) { return (p.*get)(); }, [set](P &p, const std::string &v) { (p.*set)(v); }, notEmpty(get));
    };
    TComponentClass &c = RegisterComponentClass("TProject", "TComponent", [](TComponent *owner) { return new TProject(owner); });
    c.AddBoolean<P>(
        "AutoNaming", [](const P &p) { return p.AutoNaming(); }, [](P &p, bool v) { p.SetAutoNaming(v); },
        [](const P &p) { return !p.AutoNaming(); });
    c.AddInteger<P>(
        "Build", [](const P &p) { return p.Build(); }, [](P &p, std::int64_t v) { p.SetBuild(static_cast<std::int32_t>(v)); },
        [](const P &p) { return p.Build() != 0; });
    c.AddBoolean<P>(
        "Beta", [](const P &p) { return p.Beta(); }, [](P &, bool) {}, [](const P &) { return false; });
    text(c, "CompanyCaption", &P::CompanyCaption, &P::SetCompanyCaption);
    c.AddStrings<P>(
        "Log", [](const P &p) { return p.Log(); }, [](P &p, const std::vector<std::string> &v) { p.SetLog(v); },
        [](const P &p) { return !p.Log().empty(); });
    c.AddStrings<P>(
        "Notes", [](const P &p) { return p.Notes(); }, [](P &p, const std::vector<std::string> &v) { p.SetNotes(v); },
        [](const P &p) { return !p.Notes().empty(); });
    text(c, "FileVersion", &P::FileVersion, &P::SetFileVersion);
    c.AddReference<P, P>(
        "MasterProject", [](const P &p) { return p.MasterProject(); }, [](P &p, P *v) { p.SetMasterProject(v); },
        [](const P &p) { return p.MasterProject() != nullptr; });
    c.AddBoolean<P>("AutoBackup", [](const P &p) { return p.AutoBackup(); }, [](P &p, bool v) { p.SetAutoBackup(v); });
    text(c, "BackupFiles", &P::BackupFiles, &P::SetBackupFiles);
    text(c, "BackupPath", &P::BackupPath, &P::SetBackupPath);
    text(c, "ProjectPath", &P::ProjectPath, &P::SetProjectPath);
    c.AddBoolean<P>("SmartBackup", [](const P &p) { return p.SmartBackup(); }, [](P &p, bool v) { p.SetSmartBackup(v); });
    text(c, "Company", &P::Company, &P::SetCompany);
    c.AddBoolean<P>(
        "UseBuildinCaption", [](const P &p) { return p.UseBuildinCaption(); }, [](P &p, bool v) { p.SetUseBuildinCaption(v); },
        [](const P &p) { return p.UseBuildinCaption(); });
    text(c, "Copyright", &P::Copyright, &P::SetCopyright);
    text(c, "Comment", &P::Comment, &P::SetComment);
    text(c, "Description", &P::Description, &P::SetDescription);
    text(c, "SpecialBuild", &P::SpecialBuild, &P::SetSpecialBuild);
    text(c, "PrivateBuild", &P::PrivateBuild, &P::SetPrivateBuild);
    text(c, "Productname", &P::Productname, &P::SetProductname);
    text(c, "ProductVersion", &P::ProductVersion, &P::SetProductVersion);
    text(c, "OriginalName", &P::OriginalName, &P::SetOriginalName);
    text(c, "Trademarks", &P::Trademarks, &P::SetTrademarks);
    c.AddEnum<P>(
        "Language", LanguageNames(), [](const P &p) { return p.Language(); }, [](P &p, TLanguage v) { p.SetLanguage(v); });
    c.AddEnum<P>(
        "Charset", CharsetNames(), [](const P &p) { return p.Charset(); }, [](P &p, TCharset v) { p.SetCharset(v); });
    c.AddEnum<P>(
        "FileType", FileTypeNames(), [](const P &p) { return p.FileType(); }, [](P &p, TFileType v) { p.SetFileType(v); });
    text(c, "ResourceFile", &P::ResourceFile, &P::SetResourceFile);
    c.AddFloat<P>(
        "LastBuild", [](const P &p) { return p.LastBuild(); }, [](P &p, double v) { p.SetLastBuild(v); },
        [](const P &p) { return p.LastBuild() != 0; });
}
