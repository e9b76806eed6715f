// SPDX-License-Identifier: GPL-3.0-or-later
#include "RegHive.h"

#include "Component.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

namespace {

const char *const HiveSignature = "Windows Registry Editor Version 5.00";

std::string TrimBlanks(const std::string &s)
{
    size_t b = s.find_first_not_of(" \t");
    if (b == std::string::npos)
        return {};
    size_t e = s.find_last_not_of(" \t");
    return s.substr(b, e - b + 1);
}

/// Reads a quoted string with \\ and \" escapes starting at s[i] == '"'; on success `i` is one past
/// the closing quote.
bool ReadQuoted(const std::string &s, size_t &i, std::string &out)
{
    if (i >= s.size() || s[i] != '"')
        return false;
    out.clear();
    for (++i; i < s.size(); ++i) {
        char c = s[i];
        if (c == '"') {
            ++i;
            return true;
        }
        if (c == '\\' && i + 1 < s.size())
            c = s[++i];
        out += c;
    }
    return false;
}

std::string Quote(const std::string &s)
{
    std::string out = "\"";
    for (char c : s) {
        if (c == '\\' || c == '"')
            out += '\\';
        out += c;
    }
    return out + "\"";
}

// REG_SZ data that cannot stand between quotes on one line is written as hex(1): UTF-16LE bytes.
// Bytes that are not valid UTF-8 travel as the lone surrogates U+DC80..U+DCFF, so every byte
// string comes back exactly.
std::u16string ToUtf16(const std::string &s)
{
    std::u16string out;
    size_t i = 0;
    while (i < s.size()) {
        auto b = static_cast<unsigned char>(s[i]);
        int len = b < 0x80 ? 1 : (b & 0xE0) == 0xC0 ? 2 : (b & 0xF0) == 0xE0 ? 3 : (b & 0xF8) == 0xF0 ? 4 : 0;
        char32_t cp = len == 1 ? b : len == 2 ? (b & 0x1F) : len == 3 ? (b & 0x0F) : (b & 0x07);
        bool ok = len > 0 && i + static_cast<size_t>(len) <= s.size();
        for (int k = 1; ok && k < len; ++k) {
            auto c = static_cast<unsigned char>(s[i + static_cast<size_t>(k)]);
            ok = (c & 0xC0) == 0x80;
            cp = (cp << 6) | (c & 0x3F);
        }
        static const char32_t minimum[] = {0, 0, 0x80, 0x800, 0x10000};
        ok = ok && cp >= minimum[len] && cp <= 0x10FFFF && !(cp >= 0xD800 && cp <= 0xDFFF);
        if (!ok) {
            out += static_cast<char16_t>(0xDC00 + b);
            ++i;
            continue;
        }
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out += static_cast<char16_t>(0xD800 + (cp >> 10));
            out += static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
        } else
            out += static_cast<char16_t>(cp);
        i += static_cast<size_t>(len);
    }
    return out;
}

void PutUtf8(std::string &out, char32_t cp)
{
    if (cp < 0x80)
        out += static_cast<char>(cp);
    else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

std::string FromUtf16(const std::u16string &s)
{
    std::string out;
    for (size_t i = 0; i < s.size(); ++i) {
        char32_t c = s[i];
        if (c >= 0xD800 && c < 0xDC00 && i + 1 < s.size() && s[i + 1] >= 0xDC00 && s[i + 1] < 0xE000) {
            PutUtf8(out, 0x10000 + ((c - 0xD800) << 10) + (s[i + 1] - 0xDC00));
            ++i;
        } else if (c >= 0xDC80 && c <= 0xDCFF)
            out += static_cast<char>(c - 0xDC00);
        else
            PutUtf8(out, c);
    }
    return out;
}

bool NeedsHex(const std::string &s)
{
    return std::any_of(s.begin(), s.end(), [](char c) { return static_cast<unsigned char>(c) < 0x20; });
}

std::string HexString(const std::string &s)
{
    std::string out = "hex(1):";
    std::u16string wide = ToUtf16(s);
    wide += u'\0';
    char buffer[8];
    bool first = true;
    for (char16_t c : wide)
        for (unsigned byte : {unsigned(c & 0xFF), unsigned(c >> 8)}) {
            std::snprintf(buffer, sizeof buffer, first ? "%02x" : ",%02x", byte);
            out += buffer;
            first = false;
        }
    return out;
}

bool ParseHexBytes(const std::string &s, std::string &bytes)
{
    bytes.clear();
    size_t i = 0;
    while (i < s.size()) {
        while (i < s.size() && (s[i] == ' ' || s[i] == '\t' || s[i] == ','))
            ++i;
        if (i == s.size())
            break;
        if (i + 1 >= s.size() || !std::isxdigit(static_cast<unsigned char>(s[i]))
            || !std::isxdigit(static_cast<unsigned char>(s[i + 1])))
            return false;
        bytes += static_cast<char>(std::stoi(s.substr(i, 2), nullptr, 16));
        i += 2;
    }
    return true;
}

/// Parses the data after "=": true with `value` filled, false for anything we do not understand.
bool ParseData(const std::string &data, TRegValue &value)
{
    std::string d = TrimBlanks(data);
    if (!d.empty() && d[0] == '"') {
        size_t i = 0;
        if (!ReadQuoted(d, i, value.Text) || !TrimBlanks(d.substr(i)).empty())
            return false;
        value.Type = RegTypeString;
        return true;
    }
    std::string lower = LowerCase(d);
    if (lower.rfind("dword:", 0) == 0) {
        std::string digits = d.substr(6);
        if (digits.empty() || digits.size() > 8
            || !std::all_of(digits.begin(), digits.end(), [](char c) { return std::isxdigit(static_cast<unsigned char>(c)); }))
            return false;
        value.Type = RegTypeDWord;
        value.DWord = static_cast<std::uint32_t>(std::stoul(digits, nullptr, 16));
        return true;
    }
    if (lower.rfind("hex(1):", 0) == 0) {
        std::string bytes;
        if (!ParseHexBytes(d.substr(7), bytes) || bytes.size() % 2 != 0)
            return false;
        std::u16string wide;
        for (size_t i = 0; i + 1 < bytes.size(); i += 2)
            wide += static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) | static_cast<unsigned char>(bytes[i + 1]) << 8);
        if (!wide.empty() && wide.back() == u'\0')
            wide.pop_back();
        value.Type = RegTypeString;
        value.Text = FromUtf16(wide);
        return true;
    }
    if (lower.rfind("hex:", 0) == 0 || lower.rfind("hex(", 0) == 0) {
        unsigned type = 3;
        if (lower[3] == '(') {
            size_t close = lower.find(')');
            if (close == std::string::npos || close == 4 || close > 12 || lower.compare(close, 2, "):") != 0)
                return false;
            std::string n = lower.substr(4, close - 4);
            if (!std::all_of(n.begin(), n.end(), [](char c) { return std::isxdigit(static_cast<unsigned char>(c)); }))
                return false;
            type = static_cast<unsigned>(std::stoul(n, nullptr, 16));
        }
        value.Type = type;
        value.Raw = d;
        return type != RegTypeString && type != RegTypeDWord;
    }
    return false;
}

bool ParseValueLine(const std::string &line, TRegValue &value)
{
    std::string t = TrimBlanks(line);
    size_t i = 0;
    if (!t.empty() && t[0] == '@')
        i = 1, value.Name.clear();
    else if (!ReadQuoted(t, i, value.Name))
        return false;
    while (i < t.size() && (t[i] == ' ' || t[i] == '\t'))
        ++i;
    if (i >= t.size() || t[i] != '=')
        return false;
    return ParseData(t.substr(i + 1), value);
}

std::string FormatValue(const TRegValue &v)
{
    std::string out = v.Name.empty() ? "@=" : Quote(v.Name) + "=";
    if (v.Type == RegTypeString)
        return out + (NeedsHex(v.Text) ? HexString(v.Text) : Quote(v.Text));
    if (v.Type == RegTypeDWord) {
        char buffer[16];
        std::snprintf(buffer, sizeof buffer, "dword:%08x", static_cast<unsigned>(v.DWord));
        return out + buffer;
    }
    return out + v.Raw;
}

} // namespace

TRegHive::TRegHive(std::string rootName)
    : FRoot(std::move(rootName))
{
    Reindex();
}

std::string TRegHive::Normalize(const std::string &path)
{
    std::string out;
    size_t i = 0;
    while (i <= path.size()) {
        size_t next = path.find('\\', i);
        if (next == std::string::npos)
            next = path.size();
        if (next > i) {
            if (!out.empty())
                out += '\\';
            out.append(path, i, next - i);
        }
        i = next + 1;
    }
    return out;
}

void TRegHive::Reindex()
{
    if (FKeys.empty() || !FKeys[0].Path.empty())
        FKeys.insert(FKeys.begin(), TRegHiveKey{});
    FIndex.clear();
    for (size_t i = 0; i < FKeys.size(); ++i)
        FIndex.emplace(LowerCase(FKeys[i].Path), i);
}

void TRegHive::Parse(const std::string &input)
{
    FKeys.clear();
    FForeign.clear();
    Reindex();

    std::string text = input;
    if (text.compare(0, 3, "\xEF\xBB\xBF") == 0)
        text.erase(0, 3);
    // Logical lines: "\r\n" or "\n" ends a line; a trailing "\" continues a hex value on the next.
    std::vector<std::string> lines;
    std::string current;
    size_t start = 0;
    while (start < text.size()) {
        size_t nl = text.find('\n', start);
        std::string line = text.substr(start, nl == std::string::npos ? std::string::npos : nl - start);
        while (!line.empty() && line.back() == '\r')
            line.pop_back();
        start = nl == std::string::npos ? text.size() : nl + 1;
        bool continued = !line.empty() && line.back() == '\\' && line.find('=') != std::string::npos
            && LowerCase(line).find("hex") != std::string::npos;
        current += current.empty() ? line : TrimBlanks(line);
        if (continued)
            current.pop_back();
        else {
            lines.push_back(current);
            current.clear();
        }
    }
    if (!current.empty())
        lines.push_back(current);

    TRegHiveKey *key = nullptr; // nullptr: lines go to FForeign
    bool signatureSeen = false;
    for (const std::string &line : lines) {
        std::string t = TrimBlanks(line);
        if (!signatureSeen && key == nullptr && t == HiveSignature) {
            signatureSeen = true;
            continue;
        }
        if (!t.empty() && t[0] == '[' && t.back() == ']' && t.size() > 2 && t[1] != '-') {
            std::string full = t.substr(1, t.size() - 2);
            size_t slash = full.find('\\');
            std::string root = full.substr(0, slash);
            if (SameText(root, FRoot)) {
                key = &Create(slash == std::string::npos ? std::string() : full.substr(slash + 1));
                continue;
            }
            key = nullptr; // another root's key: kept as it is
            FForeign.push_back(line);
            continue;
        }
        if (key == nullptr) {
            if (!t.empty())
                FForeign.push_back(line);
            continue;
        }
        if (t.empty())
            continue;
        TRegValue value;
        if (ParseValueLine(t, value)) {
            if (TRegValue *old = FindValue(*key, value.Name))
                *old = value; // a later line for the same name wins, as an import does
            else
                key->Values.push_back(value);
        } else
            key->Unparsed.push_back(line);
    }
}

std::string TRegHive::Text() const
{
    // Kept lines go back as they came; one ending in "\" gets a blank so that it does not swallow
    // the next line as a continuation.
    auto raw = [](const std::string &line) { return line + (!line.empty() && line.back() == '\\' ? " \n" : "\n"); };
    std::string out = std::string(HiveSignature) + "\n\n";
    // Lines that belong to no key of ours go first, where reading them again finds them the same.
    for (const std::string &line : FForeign)
        out += raw(line);
    if (!FForeign.empty())
        out += "\n";
    for (const TRegHiveKey &key : FKeys) {
        out += "[" + FRoot + (key.Path.empty() ? "" : "\\" + key.Path) + "]\n";
        for (const TRegValue &v : key.Values)
            out += FormatValue(v) + "\n";
        for (const std::string &line : key.Unparsed)
            out += raw(line);
        out += "\n";
    }
    return out;
}

TRegHiveKey *TRegHive::Find(const std::string &path)
{
    auto it = FIndex.find(LowerCase(Normalize(path)));
    return it == FIndex.end() ? nullptr : &FKeys[it->second];
}

const TRegHiveKey *TRegHive::Find(const std::string &path) const
{
    auto it = FIndex.find(LowerCase(Normalize(path)));
    return it == FIndex.end() ? nullptr : &FKeys[it->second];
}

TRegHiveKey &TRegHive::Create(const std::string &path)
{
    std::string p = Normalize(path);
    if (TRegHiveKey *k = Find(p))
        return *k;
    size_t slash = p.rfind('\\');
    if (slash != std::string::npos)
        Create(p.substr(0, slash));
    FKeys.push_back(TRegHiveKey{p, {}, {}});
    FIndex.emplace(LowerCase(p), FKeys.size() - 1);
    return FKeys.back();
}

bool TRegHive::Delete(const std::string &path)
{
    std::string p = LowerCase(Normalize(path));
    if (p.empty() || !FIndex.count(p))
        return false;
    std::string prefix = p + "\\";
    FKeys.erase(std::remove_if(FKeys.begin(), FKeys.end(),
                    [&](const TRegHiveKey &k) {
                        std::string l = LowerCase(k.Path);
                        return l == p || l.rfind(prefix, 0) == 0;
                    }),
        FKeys.end());
    Reindex();
    return true;
}

std::vector<std::string> TRegHive::SubKeys(const std::string &path) const
{
    std::string p = LowerCase(Normalize(path));
    std::string prefix = p.empty() ? p : p + "\\";
    std::vector<std::string> out;
    for (const TRegHiveKey &k : FKeys) {
        if (k.Path.empty())
            continue;
        std::string l = LowerCase(k.Path);
        if (l.rfind(prefix, 0) == 0 && l.find('\\', prefix.size()) == std::string::npos)
            out.push_back(k.Path.substr(prefix.size()));
    }
    return out;
}

TRegValue *TRegHive::FindValue(TRegHiveKey &key, const std::string &name)
{
    for (TRegValue &v : key.Values)
        if (SameText(v.Name, name))
            return &v;
    return nullptr;
}

const TRegValue *TRegHive::FindValue(const TRegHiveKey &key, const std::string &name)
{
    for (const TRegValue &v : key.Values)
        if (SameText(v.Name, name))
            return &v;
    return nullptr;
}
