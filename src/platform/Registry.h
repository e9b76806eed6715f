// SPDX-License-Identifier: GPL-3.0-or-later
// Registry: the system registry as the settings store and the start-up registration use it (keys
// below a root, REG_SZ and REG_DWORD values, key deletion with subkeys, enumeration). Windows: the
// real registry. Elsewhere: one hive file per root in the standard .reg text format (RegHive.h).
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

/// A root key by its handle value, as the registry numbers them.
using TRegRoot = std::uint32_t;
constexpr TRegRoot HKeyClassesRoot = 0x80000000u;
constexpr TRegRoot HKeyCurrentUser = 0x80000001u;
constexpr TRegRoot HKeyLocalMachine = 0x80000002u;
constexpr TRegRoot HKeyUsers = 0x80000003u;
constexpr TRegRoot HKeyPerformanceData = 0x80000004u;
constexpr TRegRoot HKeyCurrentConfig = 0x80000005u;
constexpr TRegRoot HKeyDynData = 0x80000006u;

/// "HKEY_CURRENT_USER" and so on; "" for a handle that is no root we keep.
std::string RootKeyName(TRegRoot root);

/// Registry failures: no access, a missing key where one is needed, a value of another type. The
/// message says which key or value and why.
class ERegistryException : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

/// Value types as the registry numbers them (REG_SZ, REG_DWORD; others are kept but not read).
enum class TRegDataType : std::uint32_t { rdString = 1, rdExpandString = 2, rdBinary = 3, rdInteger = 4 };

/// Where the emulated registry lives (ignored on Windows, where the real registry is used).
struct TRegistryPlaces {
    /// Folder of the HKEY_CURRENT_USER hive.
    std::string UserHives;
    /// Folder of the other roots' hives (HKEY_LOCAL_MACHINE ...); by default a system folder that
    /// only root may write, so that other users fall back to HKEY_CURRENT_USER as on Windows.
    std::string MachineHives;
    /// Folder of the login start-up entries (XDG autostart).
    std::string Autostart;
};

/// The defaults: $XDG_CONFIG_HOME/vorlant/registry (else ~/.config/...), /var/lib/vorlant/registry
/// and $XDG_CONFIG_HOME/autostart.
TRegistryPlaces DefaultRegistryPlaces();

/// The registry. Key paths are relative to the root, "\"-separated; empty segments are ignored.
/// Key and value names compare without regard to case.
///
/// Emulation: every operation reads the hive afresh; every change takes the hive folder's lock,
/// re-reads, changes and replaces the file atomically (AtomicFile.h), so two running instances
/// never lose each other's values and a crash never leaves half a hive. A damaged hive is read as
/// far as it makes sense and what cannot be read is kept on rewriting. Hive folders are created
/// when first written. Not thread-safe per object.
class TRegistryStore
{
public:
    explicit TRegistryStore(TRegistryPlaces places = DefaultRegistryPlaces());
    TRegistryStore(const TRegistryStore &) = delete;
    TRegistryStore &operator=(const TRegistryStore &) = delete;

    /// The process-wide store (created on first use with the default places).
    static std::shared_ptr<TRegistryStore> Default();
    /// Replaces the process-wide store (tests point it at temporary hives); nullptr restores the default.
    static void SetDefault(std::shared_ptr<TRegistryStore> store);

    const TRegistryPlaces &Places() const { return FPlaces; }

    /// Whether the key exists (false also when it cannot be read).
    bool KeyExists(TRegRoot root, const std::string &key) const;
    /// Whether the key can be opened for writing: it exists and its root may be written. Never throws.
    bool KeyWritable(TRegRoot root, const std::string &key) const;
    /// Creates the key and its missing ancestors (an existing key is fine). Throws ERegistryException
    /// when the root cannot be written.
    void CreateKey(TRegRoot root, const std::string &key);
    /// Deletes the key with all its subkeys; false when it did not exist. Throws when the root
    /// cannot be written or the key is the root itself.
    bool DeleteKey(TRegRoot root, const std::string &key);
    /// Direct subkey names / value names ("" for the default value) of the key; empty when missing.
    std::vector<std::string> SubKeyNames(TRegRoot root, const std::string &key) const;
    std::vector<std::string> ValueNames(TRegRoot root, const std::string &key) const;
    /// The value's type, or nothing when the key or value is missing.
    std::optional<TRegDataType> ValueType(TRegRoot root, const std::string &key, const std::string &name) const;
    /// The value; throws ERegistryException when it is missing or of another type.
    std::string ReadString(TRegRoot root, const std::string &key, const std::string &name) const;
    std::uint32_t ReadDWord(TRegRoot root, const std::string &key, const std::string &name) const;
    /// Writes the value into an existing key; throws when the key is missing or cannot be written.
    void WriteString(TRegRoot root, const std::string &key, const std::string &name, const std::string &value);
    void WriteDWord(TRegRoot root, const std::string &key, const std::string &name, std::uint32_t value);
    /// Removes the value; false when it did not exist. Throws when the key cannot be written.
    bool DeleteValue(TRegRoot root, const std::string &key, const std::string &name);

    /// The login start-up entry that goes with a start-up registration. Elsewhere than on Windows
    /// an XDG autostart file "<name>.desktop" (name made file-safe) in Places().Autostart, which
    /// runs `exePath` with `params`; disabling removes it. Windows: nothing (the registry's own
    /// start-up key does it). Throws ERegistryException when the file cannot be written or removed.
    void SetLoginStart(const std::string &name, const std::string &exePath, const std::string &params, bool enable);
    /// Whether that entry exists.
    bool LoginStartExists(const std::string &name) const;

private:
    TRegistryPlaces FPlaces;
};
