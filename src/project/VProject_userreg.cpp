// SPDX-License-Identifier: GPL-3.0-or-later
// VProject: the per-user registry object (TUserReg) over the registry store.
#include "VProject.h"

#include "platform/NumberText.h"
#include "platform/Registry.h"


struct TUserReg::TImpl {
    std::shared_ptr<TRegistryStore> Store;
    std::string Key;
};

TUserReg::TUserReg()
    : FImpl(std::make_unique<TImpl>())
{
}

TUserReg::~TUserReg()
{
    // Closing an emulated key cannot fail; nothing may escape a destructor anyway.
    FIsOpen = false;
}

std::string TUserReg::DefaultsKey()
{
    return "SOFTWARE\\Vorlant\\Designer\\2.0\\Project Version";
}

static void CheckLength(const std::string &what, const std::string &text, size_t limit)
{
    if (text.size() > limit)
        throw EProjectError(what + " is longer than " + std::to_string(limit) + " characters: " + text.substr(0, 40) + "...");
}

void TUserReg::OpenKey(const std::string &path)
{
    if (FIsOpen)
        CloseKey();
    std::string key = !path.empty() && path[0] == '\\' ? path.substr(1) : path;
    CheckLength("The registry key path", key, MaxKeyPath);
    try {
        FImpl->Store = TRegistryStore::Default();
        FImpl->Store->CreateKey(HKeyCurrentUser, key);
        FImpl->Key = key;
        FIsOpen = true;
    } catch (const std::exception &) {
        FIsOpen = false;
        throw EProjectError("Cannot connect to registry");
    }
}

void TUserReg::CloseKey()
{
    if (!FIsOpen)
        return;
    FImpl->Store.reset();
    FImpl->Key.clear();
    FIsOpen = false;
}

void TUserReg::WriteString(const std::string &name, const std::string &text)
{
    CheckLength("The registry value name", name, MaxText);
    CheckLength("The registry text", text, MaxText);
    try {
        if (!FIsOpen)
            throw EProjectError("not open");
        FImpl->Store->WriteString(HKeyCurrentUser, FImpl->Key, name, text);
    } catch (const std::exception &) {
        throw EProjectError("Error writing string to Registry");
    }
}

void TUserReg::WriteInteger(const std::string &name, std::int32_t value)
{
    CheckLength("The registry value name", name, MaxText);
    try {
        if (!FIsOpen)
            throw EProjectError("not open");
        FImpl->Store->WriteString(HKeyCurrentUser, FImpl->Key, name, std::to_string(value));
    } catch (const std::exception &) {
        throw EProjectError("Error writing integer to Registry");
    }
}

std::string TUserReg::ReadString(const std::string &name, const std::string &defaultValue)
{
    if (!FIsOpen || name.size() > MaxText)
        return defaultValue;
    try {
        auto type = FImpl->Store->ValueType(HKeyCurrentUser, FImpl->Key, name);
        if (!type || *type != TRegDataType::rdString)
            return defaultValue;
        std::string data = FImpl->Store->ReadString(HKeyCurrentUser, FImpl->Key, name);
        if (data.size() > MaxText)
            return defaultValue;
        return data.substr(0, data.find('\0'));
    } catch (const std::exception &) {
        return defaultValue;
    }
}

std::int32_t TUserReg::ReadInteger(const std::string &name, std::int32_t defaultValue)
{
    std::string text = ReadString(name, std::to_string(defaultValue));
    std::int32_t value = 0;
    if (!TryParseNumber(text, value))
        throw EConvertError("'" + text + "' is not a valid integer value");
    return value;
}
