// SPDX-License-Identifier: GPL-3.0-or-later
// The registry on Windows: the system's own, through the registry API (ANSI names and texts).
#include "Registry.h"

#include <windows.h>

#include <vector>

struct TRegistryStore::TImpl {
};

namespace {

HKEY RootHandle(TRegRoot root)
{
    if (RootKeyName(root).empty())
        throw ERegistryException("Unknown registry root key " + std::to_string(root));
    // The predefined handles are sign-extended 32-bit values.
    return reinterpret_cast<HKEY>(static_cast<LONG_PTR>(static_cast<LONG>(root)));
}

std::string Describe(TRegRoot root, const std::string &key)
{
    return RootKeyName(root) + (key.empty() ? "" : "\\" + key);
}

std::string Reason(LONG code)
{
    char buffer[512] = {};
    DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, static_cast<DWORD>(code),
        0, buffer, sizeof buffer, nullptr);
    std::string text(buffer, n);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' '))
        text.pop_back();
    return text.empty() ? "error " + std::to_string(code) : text;
}

/// An open key, closed with the object.
class TKey
{
public:
    TKey() = default;
    ~TKey()
    {
        if (FKey)
            RegCloseKey(FKey);
    }
    TKey(const TKey &) = delete;
    TKey &operator=(const TKey &) = delete;
    HKEY *Out() { return &FKey; }
    HKEY Get() const { return FKey; }

private:
    HKEY FKey = nullptr;
};

LONG Open(TRegRoot root, const std::string &key, REGSAM access, TKey &out)
{
    return RegOpenKeyExA(RootHandle(root), key.empty() ? nullptr : key.c_str(), 0, access, out.Out());
}

void OpenOrThrow(TRegRoot root, const std::string &key, REGSAM access, TKey &out)
{
    LONG rc = Open(root, key, access, out);
    if (rc != ERROR_SUCCESS)
        throw ERegistryException("Cannot open registry key " + Describe(root, key) + " (" + Reason(rc) + ")");
}

} // namespace

TRegistryPlaces DefaultRegistryPlaces()
{
    return {};
}

TRegistryStore::TRegistryStore(TRegistryPlaces places)
    : FPlaces(std::move(places))
    , FImpl(std::make_unique<TImpl>())
{
}

TRegistryStore::~TRegistryStore() = default;

bool TRegistryStore::KeyExists(TRegRoot root, const std::string &key) const
{
    TKey k;
    return Open(root, key, KEY_READ, k) == ERROR_SUCCESS;
}

bool TRegistryStore::KeyWritable(TRegRoot root, const std::string &key) const
{
    TKey k;
    try {
        return Open(root, key, KEY_ALL_ACCESS, k) == ERROR_SUCCESS;
    } catch (const ERegistryException &) {
        return false;
    }
}

void TRegistryStore::CreateKey(TRegRoot root, const std::string &key)
{
    TKey k;
    LONG rc = RegCreateKeyExA(RootHandle(root), key.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr,
        k.Out(), nullptr);
    if (rc != ERROR_SUCCESS)
        throw ERegistryException("Cannot create registry key " + Describe(root, key) + " (" + Reason(rc) + ")");
}

bool TRegistryStore::DeleteKey(TRegRoot root, const std::string &key)
{
    if (key.find_first_not_of('\\') == std::string::npos)
        throw ERegistryException("The registry root " + RootKeyName(root) + " cannot be deleted");
    LONG rc = RegDeleteTreeA(RootHandle(root), key.c_str());
    if (rc == ERROR_SUCCESS) {
        RegDeleteKeyA(RootHandle(root), key.c_str()); // the tree call empties the key; this removes it
        return true;
    }
    if (rc == ERROR_FILE_NOT_FOUND)
        return false;
    throw ERegistryException("Cannot delete registry key " + Describe(root, key) + " (" + Reason(rc) + ")");
}

std::vector<std::string> TRegistryStore::SubKeyNames(TRegRoot root, const std::string &key) const
{
    std::vector<std::string> out;
    TKey k;
    if (Open(root, key, KEY_READ, k) != ERROR_SUCCESS)
        return out;
    for (DWORD i = 0;; ++i) {
        char name[256];
        DWORD size = sizeof name;
        if (RegEnumKeyExA(k.Get(), i, name, &size, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        out.emplace_back(name, size);
    }
    return out;
}

std::vector<std::string> TRegistryStore::ValueNames(TRegRoot root, const std::string &key) const
{
    std::vector<std::string> out;
    TKey k;
    if (Open(root, key, KEY_READ, k) != ERROR_SUCCESS)
        return out;
    std::vector<char> name(16384);
    for (DWORD i = 0;; ++i) {
        DWORD size = static_cast<DWORD>(name.size());
        if (RegEnumValueA(k.Get(), i, name.data(), &size, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        out.emplace_back(name.data(), size);
    }
    return out;
}

std::optional<TRegDataType> TRegistryStore::ValueType(TRegRoot root, const std::string &key, const std::string &name) const
{
    TKey k;
    if (Open(root, key, KEY_READ, k) != ERROR_SUCCESS)
        return std::nullopt;
    DWORD type = 0;
    if (RegQueryValueExA(k.Get(), name.c_str(), nullptr, &type, nullptr, nullptr) != ERROR_SUCCESS)
        return std::nullopt;
    return static_cast<TRegDataType>(type);
}

std::string TRegistryStore::ReadString(TRegRoot root, const std::string &key, const std::string &name) const
{
    TKey k;
    OpenOrThrow(root, key, KEY_READ, k);
    DWORD type = 0, size = 0;
    LONG rc = RegQueryValueExA(k.Get(), name.c_str(), nullptr, &type, nullptr, &size);
    if (rc != ERROR_SUCCESS)
        throw ERegistryException("Registry value \"" + name + "\" does not exist in " + Describe(root, key));
    if (type != REG_SZ && type != REG_EXPAND_SZ)
        throw ERegistryException("Invalid data type for '" + name + "'");
    std::vector<char> data(size + 1);
    rc = RegQueryValueExA(k.Get(), name.c_str(), nullptr, &type, reinterpret_cast<BYTE *>(data.data()), &size);
    if (rc != ERROR_SUCCESS)
        throw ERegistryException("Cannot read registry value \"" + name + "\" (" + Reason(rc) + ")");
    std::string text(data.data(), size);
    while (!text.empty() && text.back() == '\0')
        text.pop_back();
    return text;
}

std::uint32_t TRegistryStore::ReadDWord(TRegRoot root, const std::string &key, const std::string &name) const
{
    TKey k;
    OpenOrThrow(root, key, KEY_READ, k);
    DWORD type = 0, value = 0, size = sizeof value;
    LONG rc = RegQueryValueExA(k.Get(), name.c_str(), nullptr, &type, nullptr, nullptr);
    if (rc != ERROR_SUCCESS)
        throw ERegistryException("Registry value \"" + name + "\" does not exist in " + Describe(root, key));
    if (type != REG_DWORD)
        throw ERegistryException("Invalid data type for '" + name + "'");
    rc = RegQueryValueExA(k.Get(), name.c_str(), nullptr, &type, reinterpret_cast<BYTE *>(&value), &size);
    if (rc != ERROR_SUCCESS)
        throw ERegistryException("Cannot read registry value \"" + name + "\" (" + Reason(rc) + ")");
    return value;
}

void TRegistryStore::WriteString(TRegRoot root, const std::string &key, const std::string &name, const std::string &value)
{
    TKey k;
    OpenOrThrow(root, key, KEY_SET_VALUE, k);
    LONG rc = RegSetValueExA(k.Get(), name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE *>(value.c_str()),
        static_cast<DWORD>(value.size() + 1));
    if (rc != ERROR_SUCCESS)
        throw ERegistryException("Cannot write registry value \"" + name + "\" (" + Reason(rc) + ")");
}

void TRegistryStore::WriteDWord(TRegRoot root, const std::string &key, const std::string &name, std::uint32_t value)
{
    TKey k;
    OpenOrThrow(root, key, KEY_SET_VALUE, k);
    DWORD v = value;
    LONG rc = RegSetValueExA(k.Get(), name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE *>(&v), sizeof v);
    if (rc != ERROR_SUCCESS)
        throw ERegistryException("Cannot write registry value \"" + name + "\" (" + Reason(rc) + ")");
}

bool TRegistryStore::DeleteValue(TRegRoot root, const std::string &key, const std::string &name)
{
    TKey k;
    OpenOrThrow(root, key, KEY_SET_VALUE, k);
    LONG rc = RegDeleteValueA(k.Get(), name.c_str());
    if (rc == ERROR_FILE_NOT_FOUND)
        return false;
    if (rc != ERROR_SUCCESS)
        throw ERegistryException("Cannot delete registry value \"" + name + "\" (" + Reason(rc) + ")");
    return true;
}

void TRegistryStore::SetLoginStart(const std::string &, const std::string &, const std::string &, bool)
{
    // The start-up key of the registry is the login start-up entry on Windows.
}

bool TRegistryStore::LoginStartExists(const std::string &) const
{
    return false;
}
