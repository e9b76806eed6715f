// SPDX-License-Identifier: GPL-3.0-or-later
// VProject: the version resource builder (TVersionInfo) and the version-text helpers.
#include "VProject.h"

#include "platform/NumberText.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <fstream>

std::string CleanVersion(const std::string &value)
{
    std::string clean;
    for (char c : value)
        if (std::isdigit(static_cast<unsigned char>(c)) || c == '.')
            clean += c;
    return clean.empty() ? "0.01" : clean;
}

std::string ChangeFileExt(const std::string &fileName, const std::string &ext)
{
    std::string name = fileName;
    size_t slash = name.find_last_of("/\\");
    size_t dot = name.rfind('.');
    if (dot != std::string::npos && (slash == std::string::npos || dot > slash))
        name.erase(dot);
    return name + ext;
}

std::string IncludeTrailingSeparator(const std::string &path)
{
    const char native = static_cast<char>(std::filesystem::path::preferred_separator);
    if (!path.empty() && (path.back() == '/' || path.back() == native))
        return path;
    return path + native;
}

bool TryStrToFloatDot(const std::string &text, double &value)
{
    return TryParseNumber(text, value, std::chars_format::fixed);
}

// ---- TVersionInfo ---------------------------------------------------------------------------

void TVersionInfo::Reset()
{
    FValues.assign(KeyCount, std::string());
    FileType = 0;
    Language = lanUK_English;
    Charset = csMultilingual;
    Flags = 0;
}

std::string TVersionInfo::KeyName(int index)
{
    static const char *const keys[KeyCount] = {
        "Comments",        "CompanyName",      "FileDescription", "FileVersion",  "InternalName", "LegalCopyright",
        "LegalTrademarks", "OriginalFilename", "ProductName",     "PrivateBuild", "SpecialBuild", "ProductVersion",
    };
    if (index < 0 || index >= KeyCount)
        throw EProjectError("Version key index out of range: " + std::to_string(index));
    return keys[index];
}

std::uint16_t TVersionInfo::LanguageId(TLanguage language)
{
    static const std::uint16_t ids[] = {
        0x0401, 0x0402, 0x0403, 0x0404, 0x0405, 0x0406, 0x0407, 0x0408, 0x0409, 0x040A, 0x040B, 0x040C,
        0x040D, 0x040E, 0x040F, 0x0410, 0x0411, 0x0412, 0x0413, 0x0414, 0x0415, 0x0416, 0x0417, 0x0418,
        0x0419, 0x041A, 0x041B, 0x041C, 0x041D, 0x041E, 0x041F, 0x0420, 0x0421, 0x0804, 0x0807, 0x0809,
        0x080A, 0x080C, 0x0810, 0x0813, 0x0814, 0x0816, 0x081A, 0x0C0C, 0x100C, 0x0000,
    };
    static_assert(sizeof ids / sizeof ids[0] == lanIgnorre + 1);
    return language <= lanIgnorre ? ids[language] : 0;
}

std::uint16_t TVersionInfo::CodePage(TCharset charset)
{
    static const std::uint16_t pages[] = {0, 932, 949, 950, 1200, 1250, 1251, 1252, 1253, 1254, 1255, 1256};
    static_assert(sizeof pages / sizeof pages[0] == csArabic + 1);
    return charset <= csArabic ? pages[charset] : 0;
}

/// The 8-bit text (UTF-8 inside) as UTF-16 units; a byte that is no part of valid UTF-8 stands
/// for the character of the same number (Latin-1), so no input is lost or rejected.
static std::u16string ToUtf16(const std::string &text)
{
    std::u16string out;
    size_t i = 0;
    while (i < text.size()) {
        auto c = static_cast<unsigned char>(text[i]);
        size_t extra = c >= 0xC2 && c < 0xE0 ? 1 : c >= 0xE0 && c < 0xF0 ? 2 : c >= 0xF0 && c < 0xF5 ? 3 : 0;
        char32_t cp = extra == 1 ? c & 0x1F : extra == 2 ? c & 0x0F : c & 0x07;
        bool valid = extra > 0 && i + extra < text.size();
        for (size_t k = 1; valid && k <= extra; ++k) {
            auto cc = static_cast<unsigned char>(text[i + k]);
            valid = (cc & 0xC0) == 0x80;
            cp = (cp << 6) | (cc & 0x3F);
        }
        // Overlong forms, surrogates and values beyond Unicode are not valid UTF-8 either.
        if (valid && ((extra == 2 && (cp < 0x800 || (cp >= 0xD800 && cp < 0xE000))) || (extra == 3 && (cp < 0x10000 || cp > 0x10FFFF))))
            valid = false;
        if (!valid) {
            out += static_cast<char16_t>(c);
            ++i;
            continue;
        }
        i += extra + 1;
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out += static_cast<char16_t>(0xD800 + (cp >> 10));
            out += static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
        } else {
            out += static_cast<char16_t>(cp);
        }
    }
    return out;
}

void TVersionInfo::SetValue(int index, const std::string &text)
{
    std::string key = KeyName(index);
    if (ToUtf16(text).size() > MaxValueLength)
        throw EProjectError("The version text for " + key + " is longer than " + std::to_string(MaxValueLength)
                            + " characters");
    FValues[static_cast<size_t>(index)] = text;
}

void TVersionInfo::ParseVersion(const std::string &text, std::uint32_t &ms, std::uint32_t &ls)
{
    std::string rest;
    for (char c : text)
        if (std::isdigit(static_cast<unsigned char>(c)) || c == '.')
            rest += c;
    rest += '.';
    std::uint32_t parts[4] = {0, 0, 0, 0};
    for (std::uint32_t &part : parts) {
        size_t dot = rest.find('.');
        std::string piece = rest.substr(0, dot);
        std::int32_t value = 0;
        // An empty piece or one beyond the 32-bit range fails: the part stays 0 and the text is
        // not consumed, so every later part is 0 as well.
        if (!TryParseNumber(piece, value))
            continue;
        part = static_cast<std::uint32_t>(value) & 0xFFFF;
        rest.erase(0, dot + 1);
    }
    ms = parts[0] * 65536 + parts[1];
    ls = parts[2] * 65536 + parts[3];
}

namespace {

class TResWriter
{
public:
    void U16(std::uint32_t v)
    {
        FData += static_cast<char>(v & 0xFF);
        FData += static_cast<char>((v >> 8) & 0xFF);
    }
    void U32(std::uint32_t v)
    {
        U16(v & 0xFFFF);
        U16(v >> 16);
    }
    void Text(const std::u16string &text)
    {
        for (char16_t c : text)
            U16(c);
        U16(0);
    }
    void Ascii(const char *text) { Text(std::u16string(text, text + std::char_traits<char>::length(text))); }
    std::string &Data() { return FData; }

private:
    std::string FData;
};

} // namespace

std::string TVersionInfo::ResourceBytes() const
{
    // The string entries first: their lengths go into three headers above them.
    TResWriter strings;
    for (int i = 0; i < KeyCount; ++i) {
        const std::string &value = FValues[static_cast<size_t>(i)];
        size_t first = value.find_first_not_of(" \t\r\n");
        if (first == std::string::npos)
            continue;
        std::u16string key = ToUtf16(KeyName(i));
        std::u16string text = ToUtf16(value);
        size_t k = key.size(), l = text.size();
        // The value ends on a 4-byte boundary and the length covers exactly that: one zero unit
        // after a value of even length, none after an odd one. (Two more zero units after an odd
        // value, counted in the length, make readers of the format reject the entry.)
        size_t trailer = l % 2 ? 0 : 1;
        size_t units = 3 + (k + 1) + (k % 2) + (l + 1) + trailer;
        strings.U16(static_cast<std::uint32_t>(2 * units));
        strings.U16(static_cast<std::uint32_t>(l + 1));
        strings.U16(1);
        strings.Text(key);
        if (k % 2)
            strings.U16(0);
        strings.Text(text);
        if (trailer)
            strings.U16(0);
    }
    const auto stringsLength = static_cast<std::uint32_t>(strings.Data().size());

    TResWriter block;
    block.U16(220 + stringsLength);
    block.U16(52);
    block.U16(0);
    block.Ascii("VS_VERSION_INFO");
    block.U16(0);
    std::uint32_t fileMs, fileLs, productMs, productLs;
    ParseVersion(FValues[3], fileMs, fileLs);
    ParseVersion(FValues[11], productMs, productLs);
    block.U32(0xFEEF04BD);
    block.U32(0x00010000);
    block.U32(fileMs);
    block.U32(fileLs);
    block.U32(productMs);
    block.U32(productLs);
    block.U32(Flags);
    block.U32(Flags);
    block.U32(0x00040004);
    block.U32(FileType == 1 ? 2 : 1);
    block.U32(0);
    block.U32(0);
    block.U32(0);
    block.U16(60 + stringsLength);
    block.U16(0);
    block.U16(0);
    block.Ascii("StringFileInfo");
    block.U16(24 + stringsLength);
    block.U16(0);
    block.U16(0);
    char tableKey[16];
    std::snprintf(tableKey, sizeof tableKey, "%04X%04X", static_cast<unsigned>(LanguageId(Language)),
                  static_cast<unsigned>(CodePage(Charset)));
    block.Ascii(tableKey);
    block.Data() += strings.Data();
    block.U16(68);
    block.U16(0);
    block.U16(0);
    block.Ascii("VarFileInfo");
    block.U16(0);
    block.U16(36);
    block.U16(4);
    block.U16(0);
    block.Ascii("Translation");
    block.U16(0);
    block.U16(LanguageId(Language));
    block.U16(CodePage(Charset));

    TResWriter file;
    // The empty leading entry that marks a 32-bit resource file.
    file.U32(0);
    file.U32(32);
    file.U32(0xFFFF);
    file.U32(0xFFFF);
    file.U32(0);
    file.U16(0);
    file.U16(0);
    file.U32(0);
    file.U32(0);
    // The version entry.
    file.U32(static_cast<std::uint32_t>(block.Data().size()));
    file.U32(32);
    file.U16(0xFFFF);
    file.U16(16);
    file.U16(0xFFFF);
    file.U16(1);
    file.U32(0);
    file.U16(0x0030);
    file.U16(0);
    file.U32(0);
    file.U32(0);
    file.Data() += block.Data();
    return file.Data();
}

void TVersionInfo::WriteResFile(const std::string &fileName) const
{
    std::string name = ChangeFileExt(fileName, ".res");
    std::string bytes = ResourceBytes();
    std::ofstream out(name, std::ios::binary | std::ios::trunc);
    if (out)
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (out)
        out.close();
    if (!out)
        throw EProjectError("Error writing file");
}
