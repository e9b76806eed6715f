// SPDX-License-Identifier: GPL-3.0-or-later
// WinReg: TWinRegistry, a registry key presented as an INI-like store (sections are subkeys, values
// are named REG_SZ / REG_DWORD values), the registry backend of the window state store.
#pragma once

#include "platform/Registry.h"

#include <memory>
#include <string>
#include <vector>

/// Opened on a key below a root. A section is a subkey of that key (a section with "\" is a path of
/// nested subkeys; "" is the key itself); without a current key (the key could not be opened)
/// sections are looked up directly below the root.
///
/// Reads return the default when the section or value is missing and raise ERegistryException when
/// the value has another type (an integer or Boolean that is no REG_DWORD, a string that is no
/// REG_SZ). Writes create the section's subkey and raise ERegistryException when it or the value
/// cannot be written, and always on an object made with CreateReadOnly. Strings are REG_SZ, integers
/// and Booleans REG_DWORD (1 or 0). GUI thread only, like the store that owns it.
class TWinRegistry
{
public:
    /// Full access: `key` is opened below `root` and created when missing. A failure raises
    /// nothing; the object then has no current key.
    TWinRegistry(std::shared_ptr<TRegistryStore> store, TRegRoot root, const std::string &key);
    /// Read access (KEY_READ): `key` is opened without creating it; every write raises.
    static std::unique_ptr<TWinRegistry> CreateReadOnly(
        std::shared_ptr<TRegistryStore> store, TRegRoot root, const std::string &key);

    TRegRoot RootKey() const { return FRoot; }
    bool ReadOnly() const { return FReadOnly; }
    /// Whether a key is open, and its path below the root.
    bool HasCurrentKey() const { return FHasKey; }
    const std::string &CurrentPath() const { return FPath; }
    TRegistryStore &Store() const { return *FStore; }

    std::string ReadString(const std::string &section, const std::string &ident, const std::string &def) const;
    int ReadInteger(const std::string &section, const std::string &ident, int def) const;
    bool ReadBool(const std::string &section, const std::string &ident, bool def) const;
    void WriteString(const std::string &section, const std::string &ident, const std::string &value);
    void WriteInteger(const std::string &section, const std::string &ident, int value);
    void WriteBool(const std::string &section, const std::string &ident, bool value);

    /// Whether the section's subkey opens and holds the value; false on any failure.
    bool ValueExists(const std::string &section, const std::string &ident) const;
    /// Value type, or nothing when absent (used to copy integers as integers).
    std::optional<TRegDataType> ValueType(const std::string &section, const std::string &ident) const;
    /// The value names of the section.
    std::vector<std::string> ReadSection(const std::string &section) const;
    /// The names of the subkeys of the current key.
    std::vector<std::string> ReadSections() const;
    /// One "name=text" line per value of the section: strings as they are, REG_DWORD values as
    /// decimal text, other types as an empty text.
    std::vector<std::string> ReadSectionValues(const std::string &section) const;
    /// Deletes the section's subkey with all its subkeys (nothing when missing).
    void EraseSection(const std::string &section);
    /// Removes one value of the section; false when missing or on failure. Raises on read-only objects.
    bool DeleteValue(const std::string &section, const std::string &ident);
    /// Deletes the subkey `key` of the current key with all its subkeys; false when it did not exist
    /// or could not be deleted (never raises).
    bool DeleteKey(const std::string &key);

private:
    TWinRegistry(std::shared_ptr<TRegistryStore> store, TRegRoot root, const std::string &key, bool readOnly);
    std::string SectionPath(const std::string &section) const;
    void CheckWritable(const std::string &what) const;
    std::shared_ptr<TRegistryStore> FStore;
    TRegRoot FRoot;
    std::string FPath;
    bool FHasKey = false;
    bool FReadOnly = false;
};
