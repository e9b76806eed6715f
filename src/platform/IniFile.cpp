// SPDX-License-Identifier: GPL-3.0-or-later
#include "IniFile.h"

#include "AtomicFile.h"
#include "Component.h"

#include <cstdint>

namespace {

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

/// Blanks, and a stray carriage return (a line ended by "\r" alone reads the same either way).
std::string Trim(const std::string &s)
{
    auto blank = [](char c) { return IsBlank(c) || c == '\r'; };
    size_t b = 0, e = s.size();
    while (b < e && blank(s[b]))
        ++b;
    while (e > b && blank(s[e - 1]))
        --e;
    return s.substr(b, e - b);
}

/// The file as lines without their terminators, plus what it takes to write it back as it was.
struct TIniLines {
    std::vector<std::string> Lines;
    const char *Eol = nullptr; // the file's own line end, else the platform's
    bool Bom = false;
    bool FinalEol = false;

    explicit TIniLines(const std::string &text)
    {
        size_t start = 0;
        if (text.compare(0, 3, "\xEF\xBB\xBF") == 0) {
            Bom = true;
            start = 3;
        }
        while (start < text.size()) {
            size_t nl = text.find('\n', start);
            if (nl == std::string::npos) {
                Lines.push_back(text.substr(start));
                break;
            }
            size_t end = nl;
            if (end > start && text[end - 1] == '\r') {
                --end;
                if (!Eol)
                    Eol = "\r\n";
            } else if (!Eol)
                Eol = "\n";
            Lines.push_back(text.substr(start, end - start));
            start = nl + 1;
            FinalEol = start == text.size();
        }
        if (!Eol) {
#ifdef _WIN32
            Eol = "\r\n";
#else
            Eol = "\n";
#endif
        }
    }

    std::string Text() const
    {
        std::string out = Bom ? "\xEF\xBB\xBF" : "";
        for (size_t i = 0; i < Lines.size(); ++i) {
            out += Lines[i];
            if (i + 1 < Lines.size() || FinalEol)
                out += Eol;
        }
        return out;
    }

    void Append(const std::string &line)
    {
        Lines.push_back(line);
        FinalEol = true;
    }
};

enum class TLineKind { lkOther, lkHeader, lkValue, lkComment };

TLineKind Classify(const std::string &line, std::string &name, std::string *value = nullptr)
{
    std::string t = Trim(line);
    if (t.empty())
        return TLineKind::lkOther;
    if (t[0] == '[') {
        size_t close = t.find(']');
        name = Trim(t.substr(1, close == std::string::npos ? std::string::npos : close - 1));
        return TLineKind::lkHeader;
    }
    if (t[0] == ';')
        return TLineKind::lkComment;
    size_t eq = t.find('=');
    if (eq == std::string::npos)
        return TLineKind::lkOther;
    name = Trim(t.substr(0, eq));
    if (value) {
        std::string v = Trim(t.substr(eq + 1));
        if (v.size() >= 2 && (v[0] == '"' || v[0] == '\'') && v.back() == v[0])
            v = v.substr(1, v.size() - 2);
        *value = v;
    }
    return TLineKind::lkValue;
}

/// Index of the first header of `section`, or Lines.size().
size_t FindHeader(const TIniLines &ini, const std::string &section, size_t from = 0)
{
    const std::string wanted = Trim(section);
    std::string name;
    for (size_t i = from; i < ini.Lines.size(); ++i)
        if (Classify(ini.Lines[i], name) == TLineKind::lkHeader && SameText(name, wanted))
            return i;
    return ini.Lines.size();
}

/// One past the last line of the section whose header is at `header`.
size_t SectionEnd(const TIniLines &ini, size_t header)
{
    std::string name;
    size_t i = header + 1;
    while (i < ini.Lines.size() && Classify(ini.Lines[i], name) != TLineKind::lkHeader)
        ++i;
    return i;
}

/// Index of the first value line named `ident` in the section at `header`, or Lines.size().
size_t FindValue(const TIniLines &ini, size_t header, const std::string &ident)
{
    const std::string wanted = Trim(ident);
    std::string name;
    size_t end = SectionEnd(ini, header);
    for (size_t i = header + 1; i < end; ++i)
        if (Classify(ini.Lines[i], name) == TLineKind::lkValue && SameText(name, wanted))
            return i;
    return ini.Lines.size();
}

/// Index of the value line `ident` in the first section named `section`, or Lines.size().
size_t FindEntry(const TIniLines &ini, const std::string &section, const std::string &ident)
{
    size_t h = FindHeader(ini, section);
    return h == ini.Lines.size() ? h : FindValue(ini, h, ident);
}

bool HasLineBreak(const std::string &s)
{
    return s.find_first_of("\r\n") != std::string::npos;
}

/// The value as it is written so that reading it gives back exactly `value`.
std::string EncodeValue(const std::string &value)
{
    if (value.empty())
        return value;
    bool trimmed = IsBlank(value.front()) || IsBlank(value.back());
    bool quoted = value.size() >= 2 && (value[0] == '"' || value[0] == '\'') && value.back() == value[0];
    return trimmed || quoted ? "\"" + value + "\"" : value;
}

} // namespace

namespace IniText {

bool Get(const std::string &text, const std::string &section, const std::string &ident, std::string &value)
{
    TIniLines ini(text);
    size_t v = FindEntry(ini, section, ident);
    if (v == ini.Lines.size())
        return false;
    std::string name;
    Classify(ini.Lines[v], name, &value);
    return true;
}

void Set(std::string &text, const std::string &section, const std::string &ident, const std::string &value)
{
    if (section.find(']') != std::string::npos || HasLineBreak(section))
        throw EIniFileException("Invalid INI section name \"" + section + "\"");
    std::string name = Trim(ident);
    if (name.empty() || name.find('=') != std::string::npos || HasLineBreak(name) || name[0] == ';' || name[0] == '[')
        throw EIniFileException("Invalid INI value name \"" + ident + "\"");
    if (HasLineBreak(value) || value.find('\0') != std::string::npos)
        throw EIniFileException("The value of \"" + name + "\" holds a line break and cannot be stored");

    TIniLines ini(text);
    const std::string line = name + "=" + EncodeValue(value);
    size_t h = FindHeader(ini, section);
    if (h == ini.Lines.size()) {
        std::string header(1, '[');
        header += Trim(section);
        header += ']';
        ini.Append(header);
        ini.Append(line);
    } else if (size_t v = FindValue(ini, h, name); v != ini.Lines.size()) {
        std::string spelled; // the line keeps the name as the file spells it
        Classify(ini.Lines[v], spelled);
        ini.Lines[v] = spelled + "=" + EncodeValue(value);
    } else {
        size_t end = SectionEnd(ini, h);
        size_t at = h + 1;
        std::string n;
        for (size_t i = h + 1; i < end; ++i)
            if (Classify(ini.Lines[i], n) == TLineKind::lkValue)
                at = i + 1;
        ini.Lines.insert(ini.Lines.begin() + static_cast<std::ptrdiff_t>(at), line);
        if (at == ini.Lines.size() - 1)
            ini.FinalEol = true;
    }
    text = ini.Text();
}

bool EraseSection(std::string &text, const std::string &section)
{
    TIniLines ini(text);
    bool found = false;
    for (size_t h = FindHeader(ini, section); h < ini.Lines.size(); h = FindHeader(ini, section, h)) {
        size_t end = SectionEnd(ini, h);
        ini.Lines.erase(ini.Lines.begin() + static_cast<std::ptrdiff_t>(h), ini.Lines.begin() + static_cast<std::ptrdiff_t>(end));
        found = true;
    }
    if (found)
        text = ini.Text();
    return found;
}

bool DeleteKey(std::string &text, const std::string &section, const std::string &ident)
{
    TIniLines ini(text);
    size_t v = FindEntry(ini, section, ident);
    if (v == ini.Lines.size())
        return false;
    ini.Lines.erase(ini.Lines.begin() + static_cast<std::ptrdiff_t>(v));
    text = ini.Text();
    return true;
}

// Adds `name` unless a name equal without regard to case is there already.
void AddUnique(std::vector<std::string> &names, const std::string &name)
{
    for (const std::string &s : names)
        if (SameText(s, name))
            return;
    names.push_back(name);
}

std::vector<std::string> Sections(const std::string &text)
{
    TIniLines ini(text);
    std::vector<std::string> out;
    std::string name;
    for (const std::string &line : ini.Lines) {
        if (Classify(line, name) != TLineKind::lkHeader)
            continue;
        AddUnique(out, name);
    }
    return out;
}

std::vector<std::string> Names(const std::string &text, const std::string &section)
{
    TIniLines ini(text);
    std::vector<std::string> out;
    size_t h = FindHeader(ini, section);
    if (h == ini.Lines.size())
        return out;
    size_t end = SectionEnd(ini, h);
    std::string name;
    for (size_t i = h + 1; i < end; ++i) {
        if (Classify(ini.Lines[i], name) != TLineKind::lkValue)
            continue;
        AddUnique(out, name);
    }
    return out;
}

} // namespace IniText

int IniStrToIntDef(const std::string &text, int def)
{
    std::string t = Trim(text);
    size_t i = 0;
    if (t.size() > 2 && t[0] == '0' && (t[1] == 'x' || t[1] == 'X'))
        i = 2;
    else if (t.size() > 1 && t[0] == '$')
        i = 1;
    if (i > 0) {
        if (t.size() - i > 8)
            return def;
        std::uint32_t v = 0;
        for (; i < t.size(); ++i) {
            char c = t[i];
            int d = c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : c >= 'A' && c <= 'F' ? c - 'A' + 10 : -1;
            if (d < 0)
                return def;
            v = v * 16 + static_cast<std::uint32_t>(d);
        }
        return static_cast<int>(v);
    }
    bool negative = false;
    if (i < t.size() && (t[i] == '+' || t[i] == '-')) {
        negative = t[i] == '-';
        ++i;
    }
    if (i == t.size())
        return def;
    std::int64_t v = 0;
    for (; i < t.size(); ++i) {
        if (t[i] < '0' || t[i] > '9')
            return def;
        v = v * 10 + (t[i] - '0');
        if (v > 2147483648LL)
            return def;
    }
    if (negative)
        v = -v;
    if (v > 2147483647LL)
        return def;
    return static_cast<int>(v);
}

TIniFile::TIniFile(std::string fileName)
    : FFileName(std::move(fileName))
{
}

std::string TIniFile::Load() const
{
    std::string text;
    ReadFileBytes(FFileName, text); // missing or unreadable: empty, as the profile functions read it
    return text;
}

std::string TIniFile::ReadString(const std::string &section, const std::string &ident, const std::string &def) const
{
    std::string value;
    if (!IniText::Get(Load(), section, ident, value))
        return def;
    if (value.size() > IniMaxRead)
        value.resize(IniMaxRead);
    return value;
}

int TIniFile::ReadInteger(const std::string &section, const std::string &ident, int def) const
{
    std::string value;
    if (!IniText::Get(Load(), section, ident, value))
        return def;
    return IniStrToIntDef(value, def);
}

bool TIniFile::ReadBool(const std::string &section, const std::string &ident, bool def) const
{
    return ReadInteger(section, ident, def ? 1 : 0) != 0;
}

void TIniFile::Update(const std::function<bool(std::string &text)> &change)
{
    try {
        UpdateFile(FFileName, change);
    } catch (const EFileWriteError &e) {
        throw EIniFileException(e.what());
    }
}

void TIniFile::WriteString(const std::string &section, const std::string &ident, const std::string &value)
{
    Update([&](std::string &text) {
        IniText::Set(text, section, ident, value);
        return true;
    });
}

void TIniFile::WriteInteger(const std::string &section, const std::string &ident, int value)
{
    WriteString(section, ident, std::to_string(value));
}

void TIniFile::WriteBool(const std::string &section, const std::string &ident, bool value)
{
    WriteString(section, ident, value ? "1" : "0");
}

bool TIniFile::SectionExists(const std::string &section) const
{
    for (const std::string &s : IniText::Sections(Load()))
        if (SameText(s, Trim(section)))
            return true;
    return false;
}

bool TIniFile::ValueExists(const std::string &section, const std::string &ident) const
{
    std::string value;
    return IniText::Get(Load(), section, ident, value);
}

std::vector<std::string> TIniFile::ReadSections() const
{
    return IniText::Sections(Load());
}

std::vector<std::string> TIniFile::ReadSection(const std::string &section) const
{
    return IniText::Names(Load(), section);
}

std::vector<std::string> TIniFile::ReadSectionValues(const std::string &section) const
{
    const std::string text = Load(); // one reading, so the lines belong together
    std::vector<std::string> out;
    for (const std::string &name : IniText::Names(text, section)) {
        std::string value;
        IniText::Get(text, section, name, value);
        if (value.size() > IniMaxRead)
            value.resize(IniMaxRead);
        out.push_back(name + "=" + value);
    }
    return out;
}

void TIniFile::EraseSection(const std::string &section)
{
    Update([&](std::string &text) { return IniText::EraseSection(text, section); });
}

void TIniFile::DeleteKey(const std::string &section, const std::string &ident)
{
    Update([&](std::string &text) { return IniText::DeleteKey(text, section, ident); });
}
