// SPDX-License-Identifier: GPL-3.0-or-later
// The registry store on Windows: the real registry through the advapi32 calls. Key paths are
// cleaned of empty segments first, as the emulation does.
#include "Registry.h"

#include "RegHive.h"

#include <cstring>

#include <windows.h>

namespace {

HKEY RootHandle(TRegRoot root)
{
    // The predefined keys are sign-extended 32-bit values.
    return reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(static_cast<LONG>(root)));
}

std::string SystemMessage(LONG code)
{
    char *text = nullptr;
    DWORD n = FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                             nullptr, static_cast<DWORD>(code), 0, reinterpret_cast<char *>(&text), 0, nullptr);
    std::string message = n ? std::string(text, n) : "error " + std::to_string(code);
    if (text)
        LocalFree(text);
    while (!message.empty() && (message.back() == '\n' || message.back() == '\r' || message.back() == '.'))
        message.pop_back();
    return message;
}

std::string Describe(TRegRoot root, const std::string &key)
{
    std::string k = TRegHive::Normalize(key);
    return RootKeyName(root) + (k.empty() ? "" : "\\" + k);
}

// An open key, closed when it goes.
class TOpenKey
{
public:
    TOpenKey() = default;
    ~TOpenKey()
    {
        if (FKey)
            RegCloseKey(FKey);
    }
    TOpenKey(const TOpenKey &) = delete;
    TOpenKey &operator=(const TOpenKey &) = delete;

    /// Opens root\key with `access`; the registry's result code.
    LONG Open(TRegRoot root, const std::string &key, REGSAM access)
    {
        if (RootKeyName(root).empty())
            return ERROR_INVALID_HANDLE;
        return RegOpenKeyExA(RootHandle(root), TRegHive::Normalize(key).c_str(), 0, access, &FKey);
    }
    /// Opens root\key for a change, raising the store's errors: a missing key or no access.
    void OpenForChange(TRegRoot root, const std::string &key, REGSAM access)
    {
        LONG result = Open(root, key, access);
        if (result == ERROR_FILE_NOT_FOUND)
            throw ERegistryException("Registry key " + Describe(root, key) + " does not exist");
        if (result != ERROR_SUCCESS)
            throw ERegistryException("Access denied to registry root " + RootKeyName(root) + " (" + SystemMessage(result) + ")");
    }
    HKEY Get() const { return FKey; }

private:
    HKEY FKey = nullptr;
};

// Names the key's subkeys (subKeys true) or values, in the registry's order.
std::vector<std::string> Names(TRegRoot root, const std::string &key, bool subKeys)
{
    TOpenKey k;
    if (k.Open(root, key, KEY_READ) != ERROR_SUCCESS)
        return {};
    DWORD longestKey = 0, longestValue = 0;
    if (RegQueryInfoKeyA(k.Get(), nullptr, nullptr, nullptr, nullptr, &longestKey, nullptr, nullptr, &longestValue,
                         nullptr, nullptr, nullptr) != ERROR_SUCCESS)
        return {};
    std::vector<std::string> names;
    std::vector<char> buffer((subKeys ? longestKey : longestValue) + 2);
    for (DWORD index = 0;; ++index) {
        DWORD length = static_cast<DWORD>(buffer.size());
        LONG result = subKeys ? RegEnumKeyExA(k.Get(), index, buffer.data(), &length, nullptr, nullptr, nullptr, nullptr)
                              : RegEnumValueA(k.Get(), index, buffer.data(), &length, nullptr, nullptr, nullptr, nullptr);
        if (result == ERROR_MORE_DATA) { // grew meanwhile
            buffer.resize(buffer.size() * 2 + 256);
            --index;
            continue;
        }
        if (result != ERROR_SUCCESS)
            break;
        names.emplace_back(buffer.data(), length);
    }
    return names;
}

// Reads the value's type and data; false when the key or value is missing.
bool Query(TRegRoot root, const std::string &key, const std::string &name, DWORD &type, std::string &data)
{
    TOpenKey k;
    if (k.Open(root, key, KEY_QUERY_VALUE) != ERROR_SUCCESS)
        return false;
    for (;;) {
        DWORD size = 0;
        if (RegQueryValueExA(k.Get(), name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
            return false;
        data.resize(size);
        LONG result = RegQueryValueExA(k.Get(), name.c_str(), nullptr, &type,
                                       reinterpret_cast<BYTE *>(data.data()), &size);
        if (result == ERROR_MORE_DATA)
            continue;
        if (result != ERROR_SUCCESS)
            return false;
        data.resize(size);
        return true;
    }
}

// Reads the value, raising the store's errors when the key or value is missing.
void QueryOrThrow(TRegRoot root, const std::string &key, const std::string &name, DWORD &type, std::string &data)
{
    if (Query(root, key, name, type, data))
        return;
    TOpenKey k;
    if (k.Open(root, key, KEY_QUERY_VALUE) != ERROR_SUCCESS)
        throw ERegistryException("Registry key " + Describe(root, key) + " does not exist");
    throw ERegistryException("Registry value \"" + name + "\" does not exist in " + Describe(root, key));
}

void SetValue(TRegRoot root, const std::string &key, const std::string &name, DWORD type, const void *data, DWORD size)
{
    TOpenKey k;
    k.OpenForChange(root, key, KEY_SET_VALUE);
    LONG result = RegSetValueExA(k.Get(), name.c_str(), 0, type, static_cast<const BYTE *>(data), size);
    if (result != ERROR_SUCCESS)
        throw ERegistryException("Cannot write the registry value \"" + name + "\" in " + Describe(root, key) + " ("
                                 + SystemMessage(result) + ")");
}

// Deletes root\key with everything below it, deepest first (RegDeleteKeyA takes no key with subkeys).
LONG DeleteTree(TRegRoot root, const std::string &key)
{
    for (const std::string &sub : Names(root, key, true))
        if (LONG result = DeleteTree(root, key + "\\" + sub); result != ERROR_SUCCESS)
            return result;
    return RegDeleteKeyA(RootHandle(root), key.c_str());
}

} // namespace

TRegistryPlaces DefaultRegistryPlaces()
{
    return {};
}

TRegistryStore::TRegistryStore(TRegistryPlaces places)
    : FPlaces(std::move(places))
{
}

bool TRegistryStore::KeyExists(TRegRoot root, const std::string &key) const
{
    TOpenKey k;
    return k.Open(root, key, KEY_READ) == ERROR_SUCCESS;
}

bool TRegistryStore::KeyWritable(TRegRoot root, const std::string &key) const
{
    TOpenKey k;
    return k.Open(root, key, KEY_READ | KEY_WRITE) == ERROR_SUCCESS;
}

void TRegistryStore::CreateKey(TRegRoot root, const std::string &key)
{
    if (RootKeyName(root).empty())
        throw ERegistryException("Unknown registry root key " + std::to_string(root));
    HKEY created = nullptr;
    LONG result = RegCreateKeyExA(RootHandle(root), TRegHive::Normalize(key).c_str(), 0, nullptr,
                                  REG_OPTION_NON_VOLATILE, KEY_WRITE, nullptr, &created, nullptr);
    if (result != ERROR_SUCCESS)
        throw ERegistryException("Access denied to registry root " + RootKeyName(root) + " (" + SystemMessage(result) + ")");
    RegCloseKey(created);
}

bool TRegistryStore::DeleteKey(TRegRoot root, const std::string &key)
{
    const std::string path = TRegHive::Normalize(key);
    if (path.empty())
        throw ERegistryException("The registry root " + RootKeyName(root) + " cannot be deleted");
    if (!KeyExists(root, path))
        return false;
    if (LONG result = DeleteTree(root, path); result != ERROR_SUCCESS)
        throw ERegistryException("Cannot delete the registry key " + Describe(root, path) + " (" + SystemMessage(result) + ")");
    return true;
}

std::vector<std::string> TRegistryStore::SubKeyNames(TRegRoot root, const std::string &key) const
{
    return Names(root, key, true);
}

std::vector<std::string> TRegistryStore::ValueNames(TRegRoot root, const std::string &key) const
{
    return Names(root, key, false);
}

std::optional<TRegDataType> TRegistryStore::ValueType(TRegRoot root, const std::string &key, const std::string &name) const
{
    DWORD type = 0;
    std::string data;
    if (!Query(root, key, name, type, data))
        return std::nullopt;
    return static_cast<TRegDataType>(type);
}

std::string TRegistryStore::ReadString(TRegRoot root, const std::string &key, const std::string &name) const
{
    DWORD type = 0;
    std::string data;
    QueryOrThrow(root, key, name, type, data);
    if (type != REG_SZ)
        throw ERegistryException("Invalid data type for '" + name + "'");
    // Stored with its terminating zero, as a rule; a zero inside belongs to the text, as it does in
    // the hive files of the other systems.
    if (!data.empty() && data.back() == '\0')
        data.pop_back();
    return data;
}

std::uint32_t TRegistryStore::ReadDWord(TRegRoot root, const std::string &key, const std::string &name) const
{
    DWORD type = 0;
    std::string data;
    QueryOrThrow(root, key, name, type, data);
    if (type != REG_DWORD || data.size() != sizeof(DWORD))
        throw ERegistryException("Invalid data type for '" + name + "'");
    DWORD value = 0;
    std::memcpy(&value, data.data(), sizeof value);
    return value;
}

void TRegistryStore::WriteString(TRegRoot root, const std::string &key, const std::string &name, const std::string &value)
{
    SetValue(root, key, name, REG_SZ, value.c_str(), static_cast<DWORD>(value.size() + 1));
}

void TRegistryStore::WriteDWord(TRegRoot root, const std::string &key, const std::string &name, std::uint32_t value)
{
    const DWORD data = value;
    SetValue(root, key, name, REG_DWORD, &data, sizeof data);
}

bool TRegistryStore::DeleteValue(TRegRoot root, const std::string &key, const std::string &name)
{
    TOpenKey k;
    k.OpenForChange(root, key, KEY_SET_VALUE);
    LONG result = RegDeleteValueA(k.Get(), name.c_str());
    if (result == ERROR_FILE_NOT_FOUND)
        return false;
    if (result != ERROR_SUCCESS)
        throw ERegistryException("Cannot delete the registry value \"" + name + "\" in " + Describe(root, key) + " ("
                                 + SystemMessage(result) + ")");
    return true;
}

// The registry's own start-up key starts the program on Windows; there is no entry beside it.
void TRegistryStore::SetLoginStart(const std::string &, const std::string &, const std::string &, bool)
{
}

bool TRegistryStore::LoginStartExists(const std::string &) const
{
    return false;
}
