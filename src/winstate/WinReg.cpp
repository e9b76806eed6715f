// SPDX-License-Identifier: GPL-3.0-or-later
#include "WinReg.h"

TWinRegistry::TWinRegistry(std::shared_ptr<TRegistryStore> store, TRegRoot root, const std::string &key)
    : TWinRegistry(std::move(store), root, key, false)
{
}

TWinRegistry::TWinRegistry(std::shared_ptr<TRegistryStore> store, TRegRoot root, const std::string &key, bool readOnly)
    : FStore(store ? std::move(store) : TRegistryStore::Default())
    , FRoot(root)
    , FReadOnly(readOnly)
{
    try {
        if (!readOnly)
            FStore->CreateKey(root, key); // full access: opening needs write access, as on Windows
        FHasKey = FStore->KeyExists(root, key);
    } catch (const ERegistryException &) {
        FHasKey = false; // opening failures raise nothing
    }
    if (FHasKey)
        FPath = key;
}

std::unique_ptr<TWinRegistry> TWinRegistry::CreateReadOnly(
    std::shared_ptr<TRegistryStore> store, TRegRoot root, const std::string &key)
{
    return std::unique_ptr<TWinRegistry>(new TWinRegistry(std::move(store), root, key, true));
}

std::string TWinRegistry::SectionPath(const std::string &section) const
{
    if (FPath.empty())
        return section;
    return section.empty() ? FPath : FPath + "\\" + section;
}

void TWinRegistry::CheckWritable(const std::string &what) const
{
    if (FReadOnly)
        throw ERegistryException("Cannot write \"" + what + "\": the registry key " + RootKeyName(FRoot)
            + (FPath.empty() ? "" : "\\" + FPath) + " is open for reading only");
}

std::string TWinRegistry::ReadString(const std::string &section, const std::string &ident, const std::string &def) const
{
    std::string key = SectionPath(section);
    if (!FStore->ValueType(FRoot, key, ident))
        return def;
    return FStore->ReadString(FRoot, key, ident);
}

int TWinRegistry::ReadInteger(const std::string &section, const std::string &ident, int def) const
{
    std::string key = SectionPath(section);
    if (!FStore->ValueType(FRoot, key, ident))
        return def;
    return static_cast<int>(FStore->ReadDWord(FRoot, key, ident));
}

bool TWinRegistry::ReadBool(const std::string &section, const std::string &ident, bool def) const
{
    return ReadInteger(section, ident, def ? 1 : 0) != 0;
}

void TWinRegistry::WriteString(const std::string &section, const std::string &ident, const std::string &value)
{
    CheckWritable(ident);
    std::string key = SectionPath(section);
    FStore->CreateKey(FRoot, key);
    FStore->WriteString(FRoot, key, ident, value);
}

void TWinRegistry::WriteInteger(const std::string &section, const std::string &ident, int value)
{
    CheckWritable(ident);
    std::string key = SectionPath(section);
    FStore->CreateKey(FRoot, key);
    FStore->WriteDWord(FRoot, key, ident, static_cast<std::uint32_t>(value));
}

void TWinRegistry::WriteBool(const std::string &section, const std::string &ident, bool value)
{
    WriteInteger(section, ident, value ? 1 : 0);
}

bool TWinRegistry::ValueExists(const std::string &section, const std::string &ident) const
{
    try {
        return FStore->ValueType(FRoot, SectionPath(section), ident).has_value();
    } catch (const std::exception &) {
        return false;
    }
}

std::optional<TRegDataType> TWinRegistry::ValueType(const std::string &section, const std::string &ident) const
{
    return FStore->ValueType(FRoot, SectionPath(section), ident);
}

std::vector<std::string> TWinRegistry::ReadSection(const std::string &section) const
{
    return FStore->ValueNames(FRoot, SectionPath(section));
}

std::vector<std::string> TWinRegistry::ReadSections() const
{
    return FStore->SubKeyNames(FRoot, FPath);
}

std::vector<std::string> TWinRegistry::ReadSectionValues(const std::string &section) const
{
    std::vector<std::string> out;
    std::string key = SectionPath(section);
    for (const std::string &name : FStore->ValueNames(FRoot, key)) {
        auto type = FStore->ValueType(FRoot, key, name);
        std::string text;
        if (type == TRegDataType::rdString)
            text = FStore->ReadString(FRoot, key, name);
        else if (type == TRegDataType::rdInteger)
            text = std::to_string(static_cast<int>(FStore->ReadDWord(FRoot, key, name)));
        out.push_back(name + "=" + text);
    }
    return out;
}

void TWinRegistry::EraseSection(const std::string &section)
{
    CheckWritable(section);
    std::string key = SectionPath(section);
    if (!key.empty())
        FStore->DeleteKey(FRoot, key);
}

bool TWinRegistry::DeleteValue(const std::string &section, const std::string &ident)
{
    CheckWritable(ident);
    try {
        return FStore->DeleteValue(FRoot, SectionPath(section), ident);
    } catch (const ERegistryException &) {
        return false;
    }
}

bool TWinRegistry::DeleteKey(const std::string &key)
{
    if (FReadOnly)
        return false;
    try {
        return FStore->DeleteKey(FRoot, SectionPath(key));
    } catch (const ERegistryException &) {
        return false;
    }
}
