// SPDX-License-Identifier: GPL-3.0-or-later
#include "FormDescription.h"

#include "Forms.h"
#include "NumberText.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <map>
#include <memory>
#include <set>

// ---- errors ---------------------------------------------------------------------------------

static std::string PositionText(int line, int column, const std::string &message, const std::string &source)
{
    std::string text = "line " + std::to_string(line) + ", column " + std::to_string(column) + ": " + message;
    return source.empty() ? text : source + ": " + text;
}

EFormDescription::EFormDescription(int line, int column, const std::string &message, const std::string &source)
    : std::runtime_error(PositionText(line, column, message, source))
    , FLine(line)
    , FColumn(column)
    , FMessage(message)
{
}

// ---- class registry -------------------------------------------------------------------------

namespace {

std::map<std::string, std::unique_ptr<TComponentClass>> &ClassRegistry()
{
    static std::map<std::string, std::unique_ptr<TComponentClass>> registry = [] {
        std::map<std::string, std::unique_ptr<TComponentClass>> r;
        r["TComponent"] = std::make_unique<TComponentClass>("TComponent", "", nullptr);
        auto form = std::make_unique<TComponentClass>("TForm", "TComponent", nullptr);
        form->AddString<TForm>(
            "Caption", [](const TForm &f) { return f.Caption(); },
            [](TForm &f, const std::string &v) { f.SetCaption(v); },
            [](const TForm &f) { return !f.Caption().empty(); });
        r["TForm"] = std::move(form);
        return r;
    }();
    return registry;
}

} // namespace

std::vector<const TPropertyInfo *> StoredPropertiesOfClass(const std::string &className)
{
    std::vector<const TComponentClass *> chain;
    std::set<std::string> seen; // a parent loop must not hang the reader
    for (const TComponentClass *c = FindComponentClass(className); c && seen.insert(c->Name()).second;
         c = FindComponentClass(c->Parent()))
        chain.push_back(c);
    std::vector<const TPropertyInfo *> result;
    for (auto it = chain.rbegin(); it != chain.rend(); ++it)
        for (const TPropertyInfo &p : (*it)->OwnProperties()) {
            // A derived class may re-register an inherited name: the later entry wins, in place.
            auto same = std::find_if(result.begin(), result.end(), [&](const TPropertyInfo *q) { return SameText(q->Name, p.Name); });
            if (same != result.end())
                *same = &p;
            else
                result.push_back(&p);
        }
    return result;
}

namespace {

const TPropertyInfo *FindIn(const std::vector<const TPropertyInfo *> &props, const std::string &name)
{
    for (const TPropertyInfo *p : props)
        if (SameText(p->Name, name))
            return p;
    return nullptr;
}

} // namespace

TComponentClass::TComponentClass(std::string name, std::string parent, TComponentFactory factory)
    : FName(std::move(name))
    , FParent(std::move(parent))
    , FFactory(std::move(factory))
{
}

TComponentClass &TComponentClass::Add(TPropertyInfo info)
{
    for (TPropertyInfo &p : FProperties)
        if (SameText(p.Name, info.Name)) {
            p = std::move(info);
            return *this;
        }
    FProperties.push_back(std::move(info));
    return *this;
}

TComponentClass &RegisterComponentClass(const std::string &name, const std::string &parent, TComponentFactory factory)
{
    auto &registry = ClassRegistry();
    auto it = registry.find(name);
    if (it != registry.end())
        return *it->second;
    auto &slot = registry[name];
    slot = std::make_unique<TComponentClass>(name, parent, std::move(factory));
    return *slot;
}

const TComponentClass *FindComponentClass(const std::string &name)
{
    auto &registry = ClassRegistry();
    auto it = registry.find(name);
    return it == registry.end() ? nullptr : it->second.get();
}

static std::string PropertyClassName(const TComponent &component)
{
    std::string name = component.ClassName();
    if (FindComponentClass(name))
        return name;
    return dynamic_cast<const TForm *>(&component) ? "TForm" : "TComponent";
}

std::vector<const TPropertyInfo *> StoredProperties(const TComponent &component)
{
    return StoredPropertiesOfClass(PropertyClassName(component));
}

const TPropertyInfo *FindStoredProperty(const TComponent &component, const std::string &name)
{
    return FindIn(StoredProperties(component), name);
}

// ---- plain text values (designer command line, printing) ------------------------------------

static std::string FloatText(double value)
{
    char buffer[64];
    auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

std::string TPropertyInfo::ToText(const TPropertyValue &value) const
{
    switch (Kind) {
    case TPropertyKind::Boolean:
        return std::get<bool>(value) ? "True" : "False";
    case TPropertyKind::Integer:
        return std::to_string(std::get<std::int64_t>(value));
    case TPropertyKind::Float:
        return FloatText(std::get<double>(value));
    case TPropertyKind::String:
        return std::get<std::string>(value);
    case TPropertyKind::Enum: {
        std::int64_t ordinal = std::get<std::int64_t>(value);
        if (ordinal >= 0 && ordinal < static_cast<std::int64_t>(EnumNames.size()))
            return EnumNames[static_cast<size_t>(ordinal)];
        return std::to_string(ordinal);
    }
    case TPropertyKind::Strings: {
        std::string text;
        const auto &lines = std::get<std::vector<std::string>>(value);
        for (size_t i = 0; i < lines.size(); ++i)
            text += (i ? "\n" : "") + lines[i];
        return text;
    }
    case TPropertyKind::Reference: {
        TComponent *c = std::get<TComponent *>(value);
        return c ? c->Name() : std::string();
    }
    }
    return {};
}

static std::string EnumList(const std::vector<std::string> &names)
{
    std::string text;
    for (size_t i = 0; i < names.size(); ++i)
        text += (i ? ", " : "") + names[i];
    return text;
}

/// Checks an integer against a property's range; the message names the range.
static void CheckRange(const TPropertyInfo &p, std::int64_t value)
{
    if (value < p.MinValue || value > p.MaxValue)
        throw std::invalid_argument(p.Name + ": " + std::to_string(value) + " is out of range ("
                                    + std::to_string(p.MinValue) + " to " + std::to_string(p.MaxValue) + ")");
}

TPropertyValue TPropertyInfo::FromText(const std::string &text, const TComponent *root) const
{
    switch (Kind) {
    case TPropertyKind::Boolean:
        if (SameText(text, "true") || text == "1")
            return true;
        if (SameText(text, "false") || text == "0")
            return false;
        throw std::invalid_argument(Name + ": '" + text + "' is not a Boolean (True or False)");
    case TPropertyKind::Integer: {
        std::int64_t value = 0;
        if (!TryParseNumber(text, value))
            throw std::invalid_argument(Name + ": '" + text + "' is not an integer");
        CheckRange(*this, value);
        return value;
    }
    case TPropertyKind::Float: {
        double value = 0;
        if (!TryParseNumber(text, value))
            throw std::invalid_argument(Name + ": '" + text + "' is not a number (use \".\" as decimal separator)");
        return value;
    }
    case TPropertyKind::String:
        return text;
    case TPropertyKind::Enum:
        for (size_t i = 0; i < EnumNames.size(); ++i)
            if (SameText(EnumNames[i], text))
                return static_cast<std::int64_t>(i);
        throw std::invalid_argument(Name + ": '" + text + "' is not one of " + EnumList(EnumNames));
    case TPropertyKind::Strings: {
        std::vector<std::string> lines;
        if (text.empty())
            return lines;
        size_t start = 0;
        for (;;) {
            size_t end = text.find('\n', start);
            lines.push_back(text.substr(start, end == std::string::npos ? std::string::npos : end - start));
            if (end == std::string::npos)
                break;
            start = end + 1;
        }
        return lines;
    }
    case TPropertyKind::Reference: {
        if (text.empty() || SameText(text, "nil"))
            return static_cast<TComponent *>(nullptr);
        TComponent *found = root ? root->FindComponent(text) : nullptr;
        if (!found && root && SameText(root->Name(), text))
            found = const_cast<TComponent *>(root);
        if (!found)
            throw std::invalid_argument(Name + ": there is no component named '" + text + "'");
        return found;
    }
    }
    return {};
}

// ---- parser ---------------------------------------------------------------------------------

namespace {

class TParser
{
public:
    TParser(const std::string &text, const std::string &source)
        : FText(text)
        , FSource(source)
    {
    }

    TFormNode ParseFile()
    {
        SkipBlanks();
        TFormNode root = ParseObject();
        SkipBlanks();
        if (!AtEnd())
            Fail("unexpected text after the final \"end\"");
        return root;
    }

private:
    [[noreturn]] void Fail(const std::string &message) { throw EFormDescription(FLine, FColumn, message, FSource); }
    [[noreturn]] void FailAt(int line, int column, const std::string &message)
    {
        throw EFormDescription(line, column, message, FSource);
    }

    bool AtEnd() const { return FPos >= FText.size(); }
    char Peek(size_t ahead = 0) const { return FPos + ahead < FText.size() ? FText[FPos + ahead] : '\0'; }
    void Advance()
    {
        if (FText[FPos] == '\n') {
            ++FLine;
            FColumn = 1;
        } else {
            ++FColumn;
        }
        ++FPos;
    }

    /// Skips blanks, line ends and "//" comments.
    void SkipBlanks()
    {
        while (!AtEnd()) {
            char c = Peek();
            if (c == ' ' || c == '\t' || c == '\r' || c == '\n')
                Advance();
            else if (c == '/' && Peek(1) == '/')
                while (!AtEnd() && Peek() != '\n')
                    Advance();
            else
                break;
        }
    }

    static bool IsIdentStart(char c) { return std::isalpha(static_cast<unsigned char>(c)) || c == '_'; }
    static bool IsIdentChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; }

    std::string Identifier(const char *what, bool dotted = false)
    {
        if (!IsIdentStart(Peek()))
            Fail(std::string("expected ") + what);
        std::string name;
        while (!AtEnd() && (IsIdentChar(Peek()) || (dotted && Peek() == '.' && IsIdentStart(Peek(1))))) {
            name += Peek();
            Advance();
        }
        return name;
    }

    void Expect(char c, const char *what)
    {
        SkipBlanks();
        if (Peek() != c)
            Fail(std::string("expected ") + what);
        Advance();
    }

    TFormNode ParseObject()
    {
        TFormNode node;
        node.Line = FLine;
        node.Column = FColumn;
        std::string keyword = IsIdentStart(Peek()) ? Identifier("\"object\"") : std::string();
        if (!SameText(keyword, "object"))
            FailAt(node.Line, node.Column, "expected \"object\"");
        SkipBlanks();
        node.Name = Identifier("a component name");
        Expect(':', "\":\" after the component name");
        SkipBlanks();
        node.ClassName = Identifier("a class name");
        for (;;) {
            SkipBlanks();
            if (AtEnd())
                Fail("missing \"end\" of object " + node.Name + " (opened at line " + std::to_string(node.Line) + ")");
            int line = FLine, column = FColumn;
            std::string word = Identifier("a property name, \"object\" or \"end\"", true);
            if (SameText(word, "end"))
                return node;
            if (SameText(word, "object")) {
                FPos -= word.size();
                FColumn = column;
                node.Children.push_back(ParseObject());
                continue;
            }
            TFormNode::TProperty prop;
            prop.Name = word;
            prop.Line = line;
            prop.Column = column;
            Expect('=', "\"=\" after the property name");
            SkipBlanks();
            ParseValue(prop);
            node.Properties.push_back(std::move(prop));
        }
    }

    void ParseValue(TFormNode::TProperty &prop)
    {
        prop.ValueLine = FLine;
        prop.ValueColumn = FColumn;
        char c = Peek();
        if (c == '\'' || c == '#') {
            prop.Type = TFormNode::TProperty::TType::String;
            prop.Text = StringExpression();
        } else if (c == '(') {
            prop.Type = TFormNode::TProperty::TType::List;
            Advance();
            for (;;) {
                SkipBlanks();
                if (Peek() == ')') {
                    Advance();
                    break;
                }
                if (AtEnd())
                    FailAt(prop.ValueLine, prop.ValueColumn, "missing \")\" closing the list");
                if (Peek() != '\'' && Peek() != '#')
                    Fail("expected a quoted string or \")\" in the list");
                prop.Lines.push_back(StringExpression());
            }
        } else if (std::isdigit(static_cast<unsigned char>(c)) || c == '-' || c == '+' || c == '.') {
            std::string number;
            bool isFloat = false;
            while (!AtEnd()) {
                char d = Peek();
                bool exponentSign = (d == '-' || d == '+') && !number.empty() && (number.back() == 'e' || number.back() == 'E');
                if (std::isdigit(static_cast<unsigned char>(d)) || ((d == '-' || d == '+') && number.empty()) || exponentSign) {
                } else if (d == '.' || d == 'e' || d == 'E') {
                    isFloat = true;
                } else {
                    break;
                }
                number += d;
                Advance();
            }
            prop.Type = isFloat ? TFormNode::TProperty::TType::Float : TFormNode::TProperty::TType::Integer;
            prop.Text = number;
            double check = 0;
            if (!TryParseNumber(number, check))
                FailAt(prop.ValueLine, prop.ValueColumn, "malformed number '" + number + "'");
        } else if (IsIdentStart(c)) {
            prop.Type = TFormNode::TProperty::TType::Identifier;
            prop.Text = Identifier("a value");
        } else {
            Fail("expected a value");
        }
    }

    /// 'text' and #nn pieces written next to each other form one string.
    std::string StringExpression()
    {
        std::string value;
        for (;;) {
            if (Peek() == '\'') {
                int line = FLine, column = FColumn;
                Advance();
                for (;;) {
                    if (AtEnd() || Peek() == '\n' || Peek() == '\r')
                        FailAt(line, column, "unterminated string");
                    if (Peek() == '\'') {
                        if (Peek(1) == '\'') {
                            value += '\'';
                            Advance();
                            Advance();
                            continue;
                        }
                        Advance();
                        break;
                    }
                    value += Peek();
                    Advance();
                }
            } else if (Peek() == '#') {
                int line = FLine, column = FColumn;
                Advance();
                std::string digits;
                while (std::isdigit(static_cast<unsigned char>(Peek()))) {
                    digits += Peek();
                    Advance();
                }
                std::int64_t code = 0;
                if (!TryParseNumber(digits, code) || code > 255)
                    FailAt(line, column, "character code after \"#\" must be 0 to 255");
                value += static_cast<char>(static_cast<unsigned char>(code));
            } else {
                return value;
            }
        }
    }

    const std::string &FText;
    const std::string &FSource;
    size_t FPos = 0;
    int FLine = 1;
    int FColumn = 1;
};

} // namespace

TFormNode ParseFormDescription(const std::string &text, const std::string &source)
{
    return TParser(text, source).ParseFile();
}

// ---- reader ---------------------------------------------------------------------------------

namespace {

struct TPlannedProperty {
    const TFormNode::TProperty *Source;
    const TPropertyInfo *Info;
    TPropertyValue Value; ///< References: resolved when they are assigned
    std::string ReferenceName;
};

struct TPlannedObject {
    const TFormNode *Node;
    const TComponentClass *Class = nullptr; ///< nullptr for the root and reused components
    TComponent *Existing = nullptr; ///< the root, or a component of the root with this name
    TComponent *Component = nullptr; ///< set while applying
    std::vector<TPlannedProperty> Properties;
};

class TReader
{
public:
    TReader(TComponent &root, const std::string &source)
        : FRoot(root)
        , FSource(source)
    {
    }

    void Read(const TFormNode &description, bool callLoaded)
    {
        Plan(description);
        Apply();
        if (callLoaded) {
            for (TPlannedObject &o : FObjects)
                if (o.Component != &FRoot)
                    o.Component->Loaded();
            FRoot.Loaded();
        }
    }

private:
    [[noreturn]] void Fail(int line, int column, const std::string &message)
    {
        throw EFormDescription(line, column, message, FSource);
    }

    void Plan(const TFormNode &root)
    {
        if (root.ClassName != FRoot.ClassName())
            Fail(root.Line, root.Column, "the description is of class " + root.ClassName + ", the form is a " + FRoot.ClassName());
        std::vector<const TFormNode *> nodes;
        Flatten(root, nodes);
        std::vector<std::string> names;
        for (const TFormNode *node : nodes) {
            for (const std::string &name : names)
                if (SameText(name, node->Name))
                    Fail(node->Line, node->Column, "a component named " + node->Name + " exists already");
            names.push_back(node->Name);

            TPlannedObject object;
            object.Node = node;
            std::vector<const TPropertyInfo *> props;
            if (node == &root) {
                object.Existing = &FRoot;
                props = StoredProperties(FRoot);
            } else {
                object.Existing = FRoot.FindComponent(node->Name);
                if (object.Existing) {
                    if (object.Existing->ClassName() != node->ClassName)
                        Fail(node->Line, node->Column, "component " + node->Name + " exists already as a " + object.Existing->ClassName());
                    props = StoredProperties(*object.Existing);
                } else {
                    object.Class = FindComponentClass(node->ClassName);
                    if (!object.Class || !object.Class->CanCreate())
                        Fail(node->Line, node->Column, "unknown component class " + node->ClassName);
                    props = StoredPropertiesOfClass(node->ClassName);
                }
            }
            for (const TFormNode::TProperty &p : node->Properties)
                object.Properties.push_back(PlanProperty(*node, props, p));
            FObjects.push_back(std::move(object));
        }
        // References may name any object of the description or any component of the root.
        for (TPlannedObject &o : FObjects)
            for (TPlannedProperty &p : o.Properties)
                if (p.Info->Kind == TPropertyKind::Reference && !p.ReferenceName.empty()) {
                    bool known = SameText(p.ReferenceName, root.Name) || FRoot.FindComponent(p.ReferenceName);
                    for (const std::string &name : names)
                        known = known || SameText(name, p.ReferenceName);
                    if (!known)
                        Fail(p.Source->ValueLine, p.Source->ValueColumn,
                             p.Info->Name + ": there is no component named " + p.ReferenceName);
                }
    }

    static void Flatten(const TFormNode &node, std::vector<const TFormNode *> &out)
    {
        out.push_back(&node);
        for (const TFormNode &child : node.Children)
            Flatten(child, out);
    }

    TPlannedProperty PlanProperty(const TFormNode &node, const std::vector<const TPropertyInfo *> &props,
                                  const TFormNode::TProperty &p)
    {
        using TType = TFormNode::TProperty::TType;
        TPlannedProperty planned;
        planned.Source = &p;
        planned.Info = FindIn(props, p.Name);
        if (!planned.Info)
            Fail(p.Line, p.Column, node.ClassName + " has no stored property " + p.Name);
        const TPropertyInfo &info = *planned.Info;
        auto wrongType = [&](const char *expected) {
            Fail(p.ValueLine, p.ValueColumn, info.Name + " expects " + expected);
        };
        switch (info.Kind) {
        case TPropertyKind::Boolean:
            if (p.Type != TType::Identifier || !(SameText(p.Text, "true") || SameText(p.Text, "false")))
                wrongType("True or False");
            planned.Value = SameText(p.Text, "true");
            break;
        case TPropertyKind::Integer: {
            std::int64_t value = 0;
            if (p.Type != TType::Integer)
                wrongType("an integer");
            if (!TryParseNumber(p.Text, value) || value < info.MinValue || value > info.MaxValue)
                Fail(p.ValueLine, p.ValueColumn, info.Name + ": " + p.Text + " is out of range (" + std::to_string(info.MinValue)
                                                    + " to " + std::to_string(info.MaxValue) + ")");
            planned.Value = value;
            break;
        }
        case TPropertyKind::Float: {
            double value = 0;
            if ((p.Type != TType::Integer && p.Type != TType::Float) || !TryParseNumber(p.Text, value))
                wrongType("a number");
            planned.Value = value;
            break;
        }
        case TPropertyKind::String:
            if (p.Type != TType::String)
                wrongType("a quoted string");
            planned.Value = p.Text;
            break;
        case TPropertyKind::Enum: {
            if (p.Type != TType::Identifier)
                wrongType(("one of " + EnumList(info.EnumNames)).c_str());
            auto it = std::find_if(info.EnumNames.begin(), info.EnumNames.end(),
                                   [&](const std::string &n) { return SameText(n, p.Text); });
            if (it == info.EnumNames.end())
                Fail(p.ValueLine, p.ValueColumn, info.Name + ": " + p.Text + " is not one of " + EnumList(info.EnumNames));
            planned.Value = static_cast<std::int64_t>(it - info.EnumNames.begin());
            break;
        }
        case TPropertyKind::Strings:
            if (p.Type != TType::List)
                wrongType("a list of strings in parentheses");
            planned.Value = p.Lines;
            break;
        case TPropertyKind::Reference:
            if (p.Type != TType::Identifier)
                wrongType("a component name or nil");
            planned.ReferenceName = SameText(p.Text, "nil") ? std::string() : p.Text;
            planned.Value = static_cast<TComponent *>(nullptr);
            break;
        }
        return planned;
    }

    TComponent *Resolve(const std::string &name)
    {
        if (name.empty())
            return nullptr;
        if (SameText(FRoot.Name(), name))
            return &FRoot;
        return FRoot.FindComponent(name);
    }

    void Apply()
    {
        std::vector<TComponent *> created;
        const TPlannedProperty *current = nullptr;
        const TPlannedObject *currentObject = nullptr;
        FRoot.SetLoading(true);
        try {
            for (TPlannedObject &o : FObjects) {
                current = nullptr;
                currentObject = &o;
                if (o.Existing) {
                    o.Component = o.Existing;
                } else {
                    o.Component = o.Class->Create(&FRoot);
                    created.push_back(o.Component);
                }
                o.Component->SetName(o.Node->Name);
                o.Component->SetLoading(true);
                for (const TPlannedProperty &p : o.Properties)
                    if (p.Info->Kind != TPropertyKind::Reference) {
                        current = &p;
                        p.Info->Set(*o.Component, p.Value);
                    }
            }
            // Component references are fixed up once every object exists.
            for (TPlannedObject &o : FObjects)
                for (const TPlannedProperty &p : o.Properties)
                    if (p.Info->Kind == TPropertyKind::Reference) {
                        current = &p;
                        p.Info->Set(*o.Component, TPropertyValue(Resolve(p.ReferenceName)));
                    }
        } catch (const std::exception &e) {
            for (auto it = created.rbegin(); it != created.rend(); ++it)
                delete *it;
            FRoot.SetLoading(false);
            if (!current && !currentObject)
                throw;
            if (!current)
                Fail(currentObject->Node->Line, currentObject->Node->Column, currentObject->Node->Name + ": " + e.what());
            Fail(current->Source->ValueLine, current->Source->ValueColumn, current->Info->Name + ": " + e.what());
        }
        // Components of the root that the description does not mention are not being loaded.
        for (int i = 0; i < FRoot.ComponentCount(); ++i) {
            TComponent *c = FRoot.Components(i);
            bool read = std::any_of(FObjects.begin(), FObjects.end(), [c](const TPlannedObject &o) { return o.Component == c; });
            if (!read)
                c->SetLoading(false);
        }
    }

    TComponent &FRoot;
    const std::string &FSource;
    std::vector<TPlannedObject> FObjects;
};

} // namespace

void ReadFormDescription(TComponent &root, const TFormNode &description, const std::string &source, bool callLoaded)
{
    TReader(root, source).Read(description, callLoaded);
}

void ReadFormDescription(TComponent &root, const std::string &text, const std::string &source, bool callLoaded)
{
    TFormNode description = ParseFormDescription(text, source);
    ReadFormDescription(root, description, source, callLoaded);
}

// ---- writer ---------------------------------------------------------------------------------

std::string QuoteFormString(const std::string &text)
{
    if (text.empty())
        return "''";
    std::string out;
    bool inQuotes = false;
    for (char ch : text) {
        auto c = static_cast<unsigned char>(ch);
        if (c < 32 || c == 127) {
            if (inQuotes) {
                out += '\'';
                inQuotes = false;
            }
            out += '#' + std::to_string(c);
        } else {
            if (!inQuotes) {
                out += '\'';
                inQuotes = true;
            }
            out += ch;
            if (ch == '\'')
                out += '\'';
        }
    }
    if (inQuotes)
        out += '\'';
    return out;
}

static void WriteValue(std::string &out, const TPropertyInfo &p, const TPropertyValue &value, const std::string &indent)
{
    switch (p.Kind) {
    case TPropertyKind::String:
        out += QuoteFormString(std::get<std::string>(value));
        break;
    case TPropertyKind::Strings: {
        const auto &lines = std::get<std::vector<std::string>>(value);
        out += '(';
        for (const std::string &line : lines)
            out += "\n" + indent + "  " + QuoteFormString(line);
        out += ')';
        break;
    }
    case TPropertyKind::Reference: {
        TComponent *c = std::get<TComponent *>(value);
        out += c && !c->Name().empty() ? c->Name() : "nil";
        break;
    }
    default:
        out += p.ToText(value);
        break;
    }
}

static void WriteObject(std::string &out, TComponent &component, const std::string &indent)
{
    component.WriteState();
    out += indent + "object " + component.Name() + ": " + component.ClassName() + "\n";
    for (const TPropertyInfo *p : StoredProperties(component)) {
        if (p->Stored && !p->Stored(component))
            continue;
        out += indent + "  " + p->Name + " = ";
        WriteValue(out, *p, p->Get(component), indent + "  ");
        out += "\n";
    }
}

std::string WriteFormDescription(TComponent &root)
{
    std::string out;
    WriteObject(out, root, "");
    for (int i = 0; i < root.ComponentCount(); ++i) {
        TComponent *c = root.Components(i);
        if (!FindComponentClass(c->ClassName()) || c->Name().empty())
            continue;
        WriteObject(out, *c, "  ");
        out += "  end\n";
    }
    out += "end\n";
    return out;
}
