// SPDX-License-Identifier: GPL-3.0-or-later
// RegHive: one registry hive in the standard text format ("Windows Registry Editor Version 5.00",
// "[ROOT\key\path]" headers, "name"="text", "name"=dword:0000001f, @ for the default value), as
// the registry emulation stores it. Pure text in and out; no file access.
#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

constexpr std::uint32_t RegTypeString = 1; ///< REG_SZ
constexpr std::uint32_t RegTypeDWord = 4; ///< REG_DWORD

/// One value. REG_SZ keeps its text in Text, REG_DWORD its number in DWord; any other type keeps
/// the data exactly as it stood in the file (Raw, for example "hex(7):61,00,00,00") and is written
/// back unchanged.
struct TRegValue {
    std::string Name; ///< "" is the key's default value ("@")
    std::uint32_t Type = RegTypeString;
    std::string Text;
    std::uint32_t DWord = 0;
    std::string Raw;
};

struct TRegHiveKey {
    std::string Path; ///< below the root, "\"-separated, as first spelled; "" is the root itself
    std::vector<TRegValue> Values;
    std::vector<std::string> Unparsed; ///< lines of this key that are no value we understand, kept
};

/// The keys of one root. Names compare without regard to ASCII case. Parse() accepts any bytes:
/// what it cannot understand it keeps (lines before the first header, unknown value lines, keys
/// of another root) and Text() writes it back, so rewriting a damaged hive loses nothing that was
/// readable. Every ancestor of a key exists as a key of its own.
class TRegHive
{
public:
    /// `rootName` as it heads the keys, e.g. "HKEY_CURRENT_USER".
    explicit TRegHive(std::string rootName);

    void Parse(const std::string &text);
    std::string Text() const;

    /// The key or nullptr; `path` is normalised (empty segments dropped).
    TRegHiveKey *Find(const std::string &path);
    const TRegHiveKey *Find(const std::string &path) const;
    /// The key, created with its missing ancestors.
    TRegHiveKey &Create(const std::string &path);
    /// Removes the key with all its subkeys; false when it did not exist. The root cannot be removed.
    bool Delete(const std::string &path);
    /// Names of the direct subkeys, in hive order.
    std::vector<std::string> SubKeys(const std::string &path) const;

    static TRegValue *FindValue(TRegHiveKey &key, const std::string &name);
    static const TRegValue *FindValue(const TRegHiveKey &key, const std::string &name);

    /// "a\\b\" → "a\b": segments joined by one "\", none empty.
    static std::string Normalize(const std::string &path);

private:
    void Reindex();
    std::string FRoot;
    std::vector<TRegHiveKey> FKeys; // FKeys[0] is the root
    std::unordered_map<std::string, size_t> FIndex; // lower-case path → index
    std::vector<std::string> FForeign; // lines before the first header and keys of other roots
};
