// SPDX-License-Identifier: GPL-3.0-or-later
// IniFile: the settings INI file with the Windows private-profile semantics (sections "[name]",
// lines "name=value", names compared without case), our own reader and writer on every platform.
#pragma once

#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

/// Raised by the INI writers: a value, name or section that cannot be stored on one line, or a file
/// that cannot be written (the message names the file and the reason).
class EIniFileException : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

/// Longest text a string read returns; longer values are cut (the private-profile buffer of 2048
/// characters with its terminating zero).
constexpr size_t IniMaxRead = 2047;

/// One INI file, read afresh by every operation and written by every write, as the private-profile
/// functions do: two objects or two processes on one file see each other's writes at once, and a
/// write changes only its own line, keeping every other line, comment and foreign section as it was.
///
/// Reading: a section starts at a line whose first non-blank character is "[" and is named by the
/// text up to the first "]"; a value line is split at its first "=", name and value trimmed of
/// blanks, and a value enclosed in a pair of equal quotes (" or ') loses them. Lines starting with
/// ";" or "#" are comments. Of duplicate sections or names the first counts. A missing or
/// unreadable file reads as empty. Parsing never fails: any bytes give some result.
///
/// Writing: strings are stored unchanged (a value that would be trimmed or unquoted on reading is
/// written in double quotes, so it reads back exactly); integers as decimal text; Booleans as "1" or
/// "0". A new name goes after the section's last value line, a new section at the end of the file.
/// Every write is atomic and locked (AtomicFile.h) and either happens or raises EIniFileException.
/// Creating the object touches no file. Not thread-safe per object; any number of objects may share
/// one file.
class TIniFile
{
public:
    explicit TIniFile(std::string fileName);

    const std::string &FileName() const { return FFileName; }

    /// The value's text (at most IniMaxRead characters), or `def` when it is absent.
    std::string ReadString(const std::string &section, const std::string &ident, const std::string &def) const;
    /// The value as a number (IniStrToIntDef), or `def` when absent or not a number.
    int ReadInteger(const std::string &section, const std::string &ident, int def) const;
    /// ReadInteger with default 1 or 0, true when not 0.
    bool ReadBool(const std::string &section, const std::string &ident, bool def) const;
    void WriteString(const std::string &section, const std::string &ident, const std::string &value);
    void WriteInteger(const std::string &section, const std::string &ident, int value);
    void WriteBool(const std::string &section, const std::string &ident, bool value);

    bool SectionExists(const std::string &section) const;
    bool ValueExists(const std::string &section, const std::string &ident) const;
    /// The section names in file order, each once.
    std::vector<std::string> ReadSections() const;
    /// The value names of a section in file order, each once.
    std::vector<std::string> ReadSection(const std::string &section) const;
    /// One "name=value" line per value name of the section (the value as ReadString reads it).
    std::vector<std::string> ReadSectionValues(const std::string &section) const;
    /// Removes every header of the section with all its lines. No file is written when it is absent.
    void EraseSection(const std::string &section);
    /// Removes the value's line. No file is written when it is absent.
    void DeleteKey(const std::string &section, const std::string &ident);

private:
    std::string Load() const;
    /// UpdateFile with its failure as EIniFileException.
    void Update(const std::function<bool(std::string &text)> &change);
    std::string FFileName;
};

/// The INI integer conversion: a leading "0x", "0X" or "$" makes the rest hexadecimal (up to eight
/// digits, taken as 32 bits: "0xFFFFFFFF" is -1); otherwise an optional sign and decimal digits in
/// the 32-bit range. Anything else, the empty text included, yields `def`.
int IniStrToIntDef(const std::string &text, int def);

/// Pure text operations behind TIniFile, on the file's whole contents (for tests and fuzzing).
namespace IniText {
/// The value as read (trimmed, unquoted, not cut), or false when absent.
bool Get(const std::string &text, const std::string &section, const std::string &ident, std::string &value);
/// Sets the value; throws EIniFileException for a section with "]" or a line break, a name that is
/// empty or holds "=" or a line break, or a value with a line break or a zero byte.
void Set(std::string &text, const std::string &section, const std::string &ident, const std::string &value);
/// Removes every header of the section with its lines; false when there was none.
bool EraseSection(std::string &text, const std::string &section);
/// Removes the first line of the value; false when there was none.
bool DeleteKey(std::string &text, const std::string &section, const std::string &ident);
std::vector<std::string> Sections(const std::string &text);
std::vector<std::string> Names(const std::string &text, const std::string &section);
} // namespace IniText

/// The folder that stands for the Windows directory: Windows' own; elsewhere the user's XDG config
/// folder ($XDG_CONFIG_HOME, else ~/.config), created when missing. No trailing separator.
std::string WindowsDirectory();
