// SPDX-License-Identifier: GPL-3.0-or-later
// FormDescription: stored form descriptions. A registry of component classes (by class name) with
// their stored properties in stored order, a reader that builds a form's components from a
// description through the property setters and then calls Loaded, and a writer that stores them
// back in the same order.
#pragma once

#include "Component.h"

#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>
#include <type_traits>
#include <utility>
#include <variant>
#include <vector>

/*
  The format, one item per line, indented by nesting (indentation is not significant):

      object VorlantMainform: TVorlantMainform
        Caption = 'Vorlant'
        object Project1: TProject
          Build = 70
          AutoNaming = False
          CompanyCaption = 'Morvath Computer & Service --- '
          Language = lanGerman
          LastBuild = 38587.66757
          Log = (
            '23.06.2005 13:38:48: Project started.'
            'it''s a quote'#9'and a tab')
        end
      end

  Values: True / False; integers ("-12"); floats with "." ("38587.5", "1e-3"); strings in single
  quotes with '' for a quote, joined without blanks to #nn character codes ('a'#13'b'); enumeration
  names; component names (references; nil for none); lists of strings in parentheses. A line
  starting with "//" is a comment. Property names and True/False/nil match without regard to case.
*/

/// A malformed or inapplicable description. what() reads "line L, column C: message"; a
/// description read under a source name prefixes it ("main.vfd: line L, column C: message").
class EFormDescription : public std::runtime_error
{
public:
    EFormDescription(int line, int column, const std::string &message, const std::string &source = {});
    int Line() const { return FLine; }
    int Column() const { return FColumn; }
    /// The message without source, line and column.
    const std::string &Message() const { return FMessage; }

private:
    int FLine;
    int FColumn;
    std::string FMessage;
};

enum class TPropertyKind { Boolean, Integer, Float, String, Enum, Strings, Reference };

/// A property value. The alternative in use follows the kind: Boolean bool, Integer and Enum
/// (the ordinal) std::int64_t, Float double, String std::string, Strings the lines, Reference the
/// component (nullptr for none).
using TPropertyValue = std::variant<bool, std::int64_t, double, std::string, std::vector<std::string>, TComponent *>;

/// One stored property of a component class.
struct TPropertyInfo {
    std::string Name;
    TPropertyKind Kind = TPropertyKind::String;
    /// Enum: the value names by ordinal.
    std::vector<std::string> EnumNames;
    /// Integer: the accepted range (values outside are refused before the setter runs).
    std::int64_t MinValue = INT32_MIN;
    std::int64_t MaxValue = INT32_MAX;
    /// Reads the property (for writing and printing).
    std::function<TPropertyValue(const TComponent &)> Get;
    /// Assigns through the component's setter; may raise, the message then reaches the reader's
    /// caller with the position of the value.
    std::function<void(TComponent &, const TPropertyValue &)> Set;
    /// Whether the writer stores the property now (its stream default): nullptr means always.
    std::function<bool(const TComponent &)> Stored;

    /// The value as plain text: True/False, decimal numbers ("." as separator), the text itself,
    /// the enumeration name, the lines joined by "\n", the component's name (empty for none).
    std::string ToText(const TPropertyValue &value) const;
    /// The opposite of ToText for the designer's command line. `root` resolves references.
    /// Raises std::invalid_argument naming the property and the accepted values on bad text.
    TPropertyValue FromText(const std::string &text, const TComponent *root) const;
};

using TComponentFactory = std::function<TComponent *(TComponent *owner)>;

/// A registered component class: its name, the class whose properties it inherits, how to create
/// one, and its own stored properties in stored order.
class TComponentClass
{
public:
    TComponentClass(std::string name, std::string parent, TComponentFactory factory);

    const std::string &Name() const { return FName; }
    const std::string &Parent() const { return FParent; }
    /// Creates a component owned by `owner`; nullptr when the class cannot be created by name.
    TComponent *Create(TComponent *owner) const { return FFactory ? FFactory(owner) : nullptr; }
    bool CanCreate() const { return static_cast<bool>(FFactory); }
    const std::vector<TPropertyInfo> &OwnProperties() const { return FProperties; }

    /// Adds a property at the end of the stored order (replacing one of the same name in place).
    TComponentClass &Add(TPropertyInfo info);

    // Typed helpers: T is the component class, `get` a callable taking const T &, `set` one taking
    // (T &, value). `stored` (optional) takes const T & and says whether the value is written.
    template <class T, class G, class S>
    TComponentClass &AddBoolean(const std::string &name, G get, S set, std::function<bool(const T &)> stored = {});
    template <class T, class G, class S>
    TComponentClass &AddInteger(const std::string &name, G get, S set, std::function<bool(const T &)> stored = {},
                                std::int64_t minValue = INT32_MIN, std::int64_t maxValue = INT32_MAX);
    template <class T, class G, class S>
    TComponentClass &AddFloat(const std::string &name, G get, S set, std::function<bool(const T &)> stored = {});
    template <class T, class G, class S>
    TComponentClass &AddString(const std::string &name, G get, S set, std::function<bool(const T &)> stored = {});
    /// The getter returns and the setter takes the ordinal (any integral or enumeration type).
    template <class T, class G, class S>
    TComponentClass &AddEnum(const std::string &name, std::vector<std::string> names, G get, S set,
                             std::function<bool(const T &)> stored = {});
    template <class T, class G, class S>
    TComponentClass &AddStrings(const std::string &name, G get, S set, std::function<bool(const T &)> stored = {});
    /// The getter returns and the setter takes a pointer to a component (R: the referenced class;
    /// a component of another class is refused with std::invalid_argument).
    template <class T, class R, class G, class S>
    TComponentClass &AddReference(const std::string &name, G get, S set, std::function<bool(const T &)> stored = {});

private:
    template <class T>
    static std::function<bool(const TComponent &)> WrapStored(std::function<bool(const T &)> stored);

    std::string FName;
    std::string FParent;
    TComponentFactory FFactory;
    std::vector<TPropertyInfo> FProperties;
};

/// Registers (or returns the already registered) class `name`. `parent` names the registered class
/// whose properties come first ("" for none). The registry lives for the process; register from
/// the GUI thread before reading descriptions. "TComponent" (no properties) and "TForm" (Caption)
/// are registered from the start.
TComponentClass &RegisterComponentClass(const std::string &name, const std::string &parent, TComponentFactory factory);
/// The class registered under exactly `name`, or nullptr.
const TComponentClass *FindComponentClass(const std::string &name);
/// The stored properties of a component, inherited ones first, in stored order. A component whose
/// class is not registered gets those of "TForm" when it is a form, else none.
std::vector<const TPropertyInfo *> StoredProperties(const TComponent &component);
/// The stored properties of the registered class `className`, inherited ones first; none when the
/// class is not registered.
std::vector<const TPropertyInfo *> StoredPropertiesOfClass(const std::string &className);
/// The stored property `name` (without regard to case) of `component`, or nullptr.
const TPropertyInfo *FindStoredProperty(const TComponent &component, const std::string &name);

/// A parsed description (what the file says, before anything is created).
struct TFormNode {
    struct TProperty {
        std::string Name;
        int Line = 0, Column = 0; ///< where the property name starts
        int ValueLine = 0, ValueColumn = 0; ///< where its value starts
        enum class TType { Identifier, Integer, Float, String, List } Type = TType::Identifier;
        std::string Text; ///< Identifier, String, Integer and Float (as written)
        std::vector<std::string> Lines; ///< List
    };
    std::string Name;
    std::string ClassName;
    int Line = 0, Column = 0;
    std::vector<TProperty> Properties;
    std::vector<TFormNode> Children;
};

/// Parses `text`; raises EFormDescription (named after `source` when given) at the first fault.
TFormNode ParseFormDescription(const std::string &text, const std::string &source = {});

/// Reads the description `text` into `root`, whose class name must be the description's root class
/// (name and class are checked; the root's name is taken from the description).
/// Order: the root and its components are marked as loading; every property is assigned through
/// its setter in the order the description gives, object by object (nested objects are owned by
/// the root, too); references to components are resolved and assigned after all objects have
/// been created; then Loaded() runs on every component read (in order) and on the root.
/// A component of the root that already carries an object's name (and its class) is reused rather
/// than created. Faults are reported as EFormDescription with line and column, and nothing is
/// half-applied: the whole description is checked (classes, property names, value types, enum
/// names, number ranges, references) before anything is touched; should a setter still raise, the
/// components created so far are freed and the root is left unloaded (no Loaded call).
/// `callLoaded` false leaves the Loaded calls to the caller (a form that calls Loaded itself).
void ReadFormDescription(TComponent &root, const std::string &text, const std::string &source = {},
                         bool callLoaded = true);
/// The same, from a parsed description.
void ReadFormDescription(TComponent &root, const TFormNode &description, const std::string &source = {},
                         bool callLoaded = true);

/// Writes `root` and every owned component whose class is registered, in component order:
/// WriteState() of each component runs right before its properties are written, and a property
/// is written when its Stored test allows. Raises whatever WriteState raises.
std::string WriteFormDescription(TComponent &root);

/// A string in the description's notation ('it''s'#13'x').
std::string QuoteFormString(const std::string &text);

// ---- template definitions -------------------------------------------------------------------

template <class T>
std::function<bool(const TComponent &)> TComponentClass::WrapStored(std::function<bool(const T &)> stored)
{
    if (!stored)
        return {};
    return [stored](const TComponent &c) { return stored(static_cast<const T &>(c)); };
}

template <class T, class G, class S>
TComponentClass &TComponentClass::AddBoolean(const std::string &name, G get, S set, std::function<bool(const T &)> stored)
{
    TPropertyInfo p;
    p.Name = name;
    p.Kind = TPropertyKind::Boolean;
    p.Get = [get](const TComponent &c) { return TPropertyValue(static_cast<bool>(get(static_cast<const T &>(c)))); };
    p.Set = [set](TComponent &c, const TPropertyValue &v) { set(static_cast<T &>(c), std::get<bool>(v)); };
    p.Stored = WrapStored<T>(std::move(stored));
    return Add(std::move(p));
}

template <class T, class G, class S>
TComponentClass &TComponentClass::AddInteger(const std::string &name, G get, S set, std::function<bool(const T &)> stored,
                                             std::int64_t minValue, std::int64_t maxValue)
{
    TPropertyInfo p;
    p.Name = name;
    p.Kind = TPropertyKind::Integer;
    p.MinValue = minValue;
    p.MaxValue = maxValue;
    p.Get = [get](const TComponent &c) { return TPropertyValue(static_cast<std::int64_t>(get(static_cast<const T &>(c)))); };
    p.Set = [set](TComponent &c, const TPropertyValue &v) { set(static_cast<T &>(c), std::get<std::int64_t>(v)); };
    p.Stored = WrapStored<T>(std::move(stored));
    return Add(std::move(p));
}

template <class T, class G, class S>
TComponentClass &TComponentClass::AddFloat(const std::string &name, G get, S set, std::function<bool(const T &)> stored)
{
    TPropertyInfo p;
    p.Name = name;
    p.Kind = TPropertyKind::Float;
    p.Get = [get](const TComponent &c) { return TPropertyValue(static_cast<double>(get(static_cast<const T &>(c)))); };
    p.Set = [set](TComponent &c, const TPropertyValue &v) { set(static_cast<T &>(c), std::get<double>(v)); };
    p.Stored = WrapStored<T>(std::move(stored));
    return Add(std::move(p));
}

template <class T, class G, class S>
TComponentClass &TComponentClass::AddString(const std::string &name, G get, S set, std::function<bool(const T &)> stored)
{
    TPropertyInfo p;
    p.Name = name;
    p.Kind = TPropertyKind::String;
    p.Get = [get](const TComponent &c) { return TPropertyValue(std::string(get(static_cast<const T &>(c)))); };
    p.Set = [set](TComponent &c, const TPropertyValue &v) { set(static_cast<T &>(c), std::get<std::string>(v)); };
    p.Stored = WrapStored<T>(std::move(stored));
    return Add(std::move(p));
}

template <class T, class G, class S>
TComponentClass &TComponentClass::AddEnum(const std::string &name, std::vector<std::string> names, G get, S set,
                                          std::function<bool(const T &)> stored)
{
    TPropertyInfo p;
    p.Name = name;
    p.Kind = TPropertyKind::Enum;
    p.MinValue = 0;
    p.MaxValue = static_cast<std::int64_t>(names.size()) - 1;
    p.EnumNames = std::move(names);
    p.Get = [get](const TComponent &c) { return TPropertyValue(static_cast<std::int64_t>(get(static_cast<const T &>(c)))); };
    p.Set = [set](TComponent &c, const TPropertyValue &v) {
        using TArg = decltype(get(std::declval<const T &>()));
        set(static_cast<T &>(c), static_cast<std::remove_cvref_t<TArg>>(std::get<std::int64_t>(v)));
    };
    p.Stored = WrapStored<T>(std::move(stored));
    return Add(std::move(p));
}

template <class T, class G, class S>
TComponentClass &TComponentClass::AddStrings(const std::string &name, G get, S set, std::function<bool(const T &)> stored)
{
    TPropertyInfo p;
    p.Name = name;
    p.Kind = TPropertyKind::Strings;
    p.Get = [get](const TComponent &c) { return TPropertyValue(std::vector<std::string>(get(static_cast<const T &>(c)))); };
    p.Set = [set](TComponent &c, const TPropertyValue &v) { set(static_cast<T &>(c), std::get<std::vector<std::string>>(v)); };
    p.Stored = WrapStored<T>(std::move(stored));
    return Add(std::move(p));
}

template <class T, class R, class G, class S>
TComponentClass &TComponentClass::AddReference(const std::string &name, G get, S set, std::function<bool(const T &)> stored)
{
    TPropertyInfo p;
    p.Name = name;
    p.Kind = TPropertyKind::Reference;
    p.Get = [get](const TComponent &c) {
        return TPropertyValue(static_cast<TComponent *>(get(static_cast<const T &>(c))));
    };
    p.Set = [set, name](TComponent &c, const TPropertyValue &v) {
        TComponent *target = std::get<TComponent *>(v);
        R *typed = dynamic_cast<R *>(target);
        if (target && !typed)
            throw std::invalid_argument(name + ": " + target->Name() + " is a " + target->ClassName());
        set(static_cast<T &>(c), typed);
    };
    p.Stored = WrapStored<T>(std::move(stored));
    return Add(std::move(p));
}
