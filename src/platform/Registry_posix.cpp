// SPDX-License-Identifier: GPL-3.0-or-later
// The registry emulation: one .reg hive file per root, changed under a lock and replaced atomically.
#include "Registry.h"

#include "AtomicFile.h"
#include "Component.h"
#include "IniFile.h"
#include "RegHive.h"

#include <cctype>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <unistd.h>

TRegistryPlaces DefaultRegistryPlaces()
{
    std::string config = WindowsDirectory();
    return {config + "/vorlant/registry", "/var/lib/vorlant/registry", config + "/autostart"};
}

TRegistryStore::TRegistryStore(TRegistryPlaces places)
    : FPlaces(std::move(places))
{
}

namespace {

std::string HiveFolder(const TRegistryPlaces &places, TRegRoot root)
{
    return root == HKeyCurrentUser ? places.UserHives : places.MachineHives;
}

std::string HivePath(const TRegistryPlaces &places, TRegRoot root)
{
    std::string name = RootKeyName(root);
    if (name.empty())
        throw ERegistryException("Unknown registry root key " + std::to_string(root));
    return HiveFolder(places, root) + "/" + name + ".reg";
}

TRegHive Load(const TRegistryPlaces &places, TRegRoot root)
{
    TRegHive hive(RootKeyName(root));
    std::string text;
    if (!RootKeyName(root).empty() && ReadFileBytes(HivePath(places, root), text) == TFileRead::frOk)
        hive.Parse(text);
    return hive;
}

/// Why the root's hive cannot be written, or "" when it can.
std::string WriteBlocker(const TRegistryPlaces &places, TRegRoot root, bool createFolder)
{
    if (RootKeyName(root).empty())
        return "unknown root key";
    std::string folder = HiveFolder(places, root);
    std::error_code ec;
    if (createFolder)
        std::filesystem::create_directories(folder, ec);
    if (ec)
        return ec.message();
    if (::access(folder.c_str(), W_OK) != 0)
        return std::strerror(errno);
    std::string file = HivePath(places, root);
    if (::access(file.c_str(), F_OK) == 0 && ::access(file.c_str(), W_OK) != 0)
        return std::strerror(errno);
    return "";
}

/// Changes the root's hive: `change` returns whether it changed anything.
template <class F>
void Modify(const TRegistryPlaces &places, TRegRoot root, F change)
{
    if (std::string why = WriteBlocker(places, root, true); !why.empty())
        throw ERegistryException("Access denied to registry root " + RootKeyName(root) + " (" + why + ")");
    try {
        UpdateFile(HivePath(places, root), [&](std::string &text) {
            TRegHive hive(RootKeyName(root));
            hive.Parse(text);
            if (!change(hive))
                return false;
            text = hive.Text();
            return true;
        });
    } catch (const EFileWriteError &e) {
        throw ERegistryException(e.what());
    }
}

std::string Describe(TRegRoot root, const std::string &key)
{
    std::string k = TRegHive::Normalize(key);
    return RootKeyName(root) + (k.empty() ? "" : "\\" + k);
}

const TRegValue &ValueOf(const TRegHive &hive, TRegRoot root, const std::string &key, const std::string &name)
{
    const TRegHiveKey *k = hive.Find(key);
    if (!k)
        throw ERegistryException("Registry key " + Describe(root, key) + " does not exist");
    const TRegValue *v = TRegHive::FindValue(*k, name);
    if (!v)
        throw ERegistryException("Registry value \"" + name + "\" does not exist in " + Describe(root, key));
    return *v;
}

std::string DesktopFileName(const std::string &name)
{
    std::string out;
    for (char c : name)
        out += std::isalnum(static_cast<unsigned char>(c)) || c == '.' || c == '_' || c == '-' ? c : '-';
    while (!out.empty() && (out[0] == '.' || out[0] == '-'))
        out.erase(0, 1);
    return (out.empty() ? std::string("vorlant") : out) + ".desktop";
}

/// The Exec line of a desktop entry: the program quoted with the entry format's escapes.
std::string ExecLine(const std::string &exePath, const std::string &params)
{
    std::string quoted = "\"";
    for (char c : exePath) {
        if (c == '"' || c == '`' || c == '$' || c == '\\')
            quoted += '\\';
        quoted += c == '%' ? std::string("%%") : std::string(1, c);
    }
    quoted += "\" ";
    for (char c : params)
        if (c != '\n' && c != '\r')
            quoted += c == '%' ? std::string("%%") : std::string(1, c);
    std::string out; // the string type's own escaping of backslashes
    for (char c : quoted)
        out += c == '\\' ? std::string("\\\\") : std::string(1, c);
    return out;
}

} // namespace

bool TRegistryStore::KeyExists(TRegRoot root, const std::string &key) const
{
    return Load(FPlaces, root).Find(key) != nullptr;
}

bool TRegistryStore::KeyWritable(TRegRoot root, const std::string &key) const
{
    return KeyExists(root, key) && WriteBlocker(FPlaces, root, false).empty();
}

void TRegistryStore::CreateKey(TRegRoot root, const std::string &key)
{
    Modify(FPlaces, root, [&](TRegHive &hive) {
        if (hive.Find(key))
            return false;
        hive.Create(key);
        return true;
    });
}

bool TRegistryStore::DeleteKey(TRegRoot root, const std::string &key)
{
    if (TRegHive::Normalize(key).empty())
        throw ERegistryException("The registry root " + RootKeyName(root) + " cannot be deleted");
    bool found = false;
    Modify(FPlaces, root, [&](TRegHive &hive) { return found = hive.Delete(key); });
    return found;
}

std::vector<std::string> TRegistryStore::SubKeyNames(TRegRoot root, const std::string &key) const
{
    TRegHive hive = Load(FPlaces, root);
    if (!hive.Find(key))
        return {};
    return hive.SubKeys(key);
}

std::vector<std::string> TRegistryStore::ValueNames(TRegRoot root, const std::string &key) const
{
    TRegHive hive = Load(FPlaces, root);
    std::vector<std::string> out;
    if (const TRegHiveKey *k = hive.Find(key))
        for (const TRegValue &v : k->Values)
            out.push_back(v.Name);
    return out;
}

std::optional<TRegDataType> TRegistryStore::ValueType(TRegRoot root, const std::string &key, const std::string &name) const
{
    TRegHive hive = Load(FPlaces, root);
    const TRegHiveKey *k = hive.Find(key);
    const TRegValue *v = k ? TRegHive::FindValue(*k, name) : nullptr;
    if (!v)
        return std::nullopt;
    return static_cast<TRegDataType>(v->Type);
}

std::string TRegistryStore::ReadString(TRegRoot root, const std::string &key, const std::string &name) const
{
    TRegHive hive = Load(FPlaces, root);
    const TRegValue &v = ValueOf(hive, root, key, name);
    if (v.Type != RegTypeString)
        throw ERegistryException("Invalid data type for '" + name + "'");
    return v.Text;
}

std::uint32_t TRegistryStore::ReadDWord(TRegRoot root, const std::string &key, const std::string &name) const
{
    TRegHive hive = Load(FPlaces, root);
    const TRegValue &v = ValueOf(hive, root, key, name);
    if (v.Type != RegTypeDWord)
        throw ERegistryException("Invalid data type for '" + name + "'");
    return v.DWord;
}

namespace {

void Store(const TRegistryPlaces &places, TRegRoot root, const std::string &key, const TRegValue &value)
{
    Modify(places, root, [&](TRegHive &hive) {
        TRegHiveKey *k = hive.Find(key);
        if (!k)
            throw ERegistryException("Registry key " + Describe(root, key) + " does not exist");
        if (TRegValue *old = TRegHive::FindValue(*k, value.Name)) {
            TRegValue replaced = value;
            replaced.Name = old->Name;
            *old = replaced;
        } else
            k->Values.push_back(value);
        return true;
    });
}

} // namespace

void TRegistryStore::WriteString(TRegRoot root, const std::string &key, const std::string &name, const std::string &value)
{
    TRegValue v;
    v.Name = name;
    v.Type = RegTypeString;
    v.Text = value;
    Store(FPlaces, root, key, v);
}

void TRegistryStore::WriteDWord(TRegRoot root, const std::string &key, const std::string &name, std::uint32_t value)
{
    TRegValue v;
    v.Name = name;
    v.Type = RegTypeDWord;
    v.DWord = value;
    Store(FPlaces, root, key, v);
}

bool TRegistryStore::DeleteValue(TRegRoot root, const std::string &key, const std::string &name)
{
    bool found = false;
    Modify(FPlaces, root, [&](TRegHive &hive) {
        TRegHiveKey *k = hive.Find(key);
        if (!k)
            throw ERegistryException("Registry key " + Describe(root, key) + " does not exist");
        for (auto it = k->Values.begin(); it != k->Values.end(); ++it)
            if (SameText(it->Name, name)) {
                k->Values.erase(it);
                found = true;
                break;
            }
        return found;
    });
    return found;
}

void TRegistryStore::SetLoginStart(const std::string &name, const std::string &exePath, const std::string &params, bool enable)
{
    std::string file = FPlaces.Autostart + "/" + DesktopFileName(name);
    std::error_code ec;
    if (!enable) {
        std::filesystem::remove(file, ec);
        if (ec)
            throw ERegistryException("Cannot remove the start-up entry \"" + file + "\" (" + ec.message() + ")");
        return;
    }
    std::filesystem::create_directories(FPlaces.Autostart, ec);
    if (ec)
        throw ERegistryException("Cannot create the folder \"" + FPlaces.Autostart + "\" (" + ec.message() + ")");
    std::string display;
    for (char c : name)
        if (c != '\n' && c != '\r')
            display += c;
    try {
        UpdateFile(file, [&](std::string &text) {
            text = "[Desktop Entry]\nType=Application\nName=" + (display.empty() ? exePath : display) + "\nExec="
                + ExecLine(exePath, params) + "\nX-GNOME-Autostart-enabled=true\n";
            return true;
        });
    } catch (const EFileWriteError &e) {
        throw ERegistryException(e.what());
    }
}

bool TRegistryStore::LoginStartExists(const std::string &name) const
{
    std::error_code ec;
    return std::filesystem::exists(FPlaces.Autostart + "/" + DesktopFileName(name), ec);
}
