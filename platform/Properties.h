// Published properties: a table per class of what a form description may set and what
// the settings writer stores. Each entry names the property, its type, how it is read and
// how it is written (straight into the field, or through the class's setter), and its
// declared default, which only decides whether the writer leaves the value out.
#pragma once

#include <any>
#include <concepts>
#include <functional>
#include <limits>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/Component.h"

enum class TTypeKind {
    Integer,   // signed or unsigned integers of any width
    Char,      // 8-bit values that the settings writer stores as one character
    Boolean,
    String,
    Color,
    Set,
    Class,     // a sub-object whose own properties are set by dotted names (Font.Size)
    Method,    // an event, bound by handler name
    Indexed,   // an array property; never stored
};

// A value as a form description spells it.
struct TPropValue {
    enum class Kind { Integer, String, Identifier, Set };
    Kind kind = Kind::Integer;
    long long integer = 0;
    std::string text;
    std::vector<std::string> items;

    static TPropValue Int(long long v) { TPropValue p; p.integer = v; return p; }
    static TPropValue Str(std::string s) { TPropValue p; p.kind = Kind::String; p.text = std::move(s); return p; }
    static TPropValue Ident(std::string s) { TPropValue p; p.kind = Kind::Identifier; p.text = std::move(s); return p; }
    static TPropValue SetOf(std::vector<std::string> s) { TPropValue p; p.kind = Kind::Set; p.items = std::move(s); return p; }
    friend bool operator==(const TPropValue&, const TPropValue&) = default;
};

struct TPropInfo {
    std::string Name;
    TTypeKind Kind = TTypeKind::Integer;
    std::function<TPropValue(const TObject&)> Get;
    std::function<void(TObject&, const TPropValue&)> Set;
    std::function<TObject*(TObject&)> GetObject;                 // Class
    std::function<void(TObject&, const std::any& handler)> Bind;  // Method; throws on a wrong handler type
    std::optional<TPropValue> Default;                            // equal values are not written
    bool Stored = true;
};

class TClassInfo {
public:
    TClassInfo(std::string name, const TClassInfo* parent, std::vector<TPropInfo> props);

    const std::string& Name() const { return name_; }
    const TClassInfo* Parent() const { return parent_; }
    // Own properties, in declaration order.
    const std::vector<TPropInfo>& OwnProperties() const { return props_; }
    // The ancestors' properties first, then the own ones.
    std::vector<const TPropInfo*> Properties() const;
    const TPropInfo* FindProperty(std::string_view name) const;
    bool InheritsFrom(const TClassInfo& other) const;

private:
    std::string name_;
    const TClassInfo* parent_;
    std::vector<TPropInfo> props_;
};

// Raised for a setting that the class does not have or that does not fit its property.
void ThrowPropertyError(const std::string& message);

int ColorFromValue(const std::string& name, const TPropValue& value);
TPropValue SetToValue(unsigned bits, const std::vector<std::string>& names);
unsigned SetFromValue(const std::string& name, const TPropValue& value, const std::vector<std::string>& names);

// Builds a class's property table: TPublished<TMapGrid>(props).Int("selectStartRow", ...).
template <class C>
class TPublished {
public:
    explicit TPublished(std::vector<TPropInfo>& out) : out_(out) {}

    template <std::integral F>
    TPublished& Int(std::string name, F C::*field, std::optional<long long> def)
    {
        return Ordinal(std::move(name), TTypeKind::Integer, field, Store(field), def);
    }
    template <std::integral F>
    TPublished& Int(std::string name, F C::*field, void (C::*setter)(F), std::optional<long long> def)
    {
        return Ordinal(std::move(name), TTypeKind::Integer, field, Call(setter), def);
    }
    template <std::integral F>
    TPublished& Char(std::string name, F C::*field, std::optional<long long> def)
    {
        return Ordinal(std::move(name), TTypeKind::Char, field, Store(field), def);
    }
    template <std::integral F>
    TPublished& Char(std::string name, F C::*field, void (C::*setter)(F), std::optional<long long> def)
    {
        return Ordinal(std::move(name), TTypeKind::Char, field, Call(setter), def);
    }
    TPublished& Bool(std::string name, bool C::*field, std::optional<bool> def)
    {
        return Ordinal(std::move(name), TTypeKind::Boolean, field, Store(field), Widen(def));
    }
    TPublished& Bool(std::string name, bool C::*field, void (C::*setter)(bool), std::optional<bool> def)
    {
        return Ordinal(std::move(name), TTypeKind::Boolean, field, Call(setter), Widen(def));
    }

    // An integer-like property read and written through accessors.
    template <std::integral F>
    TPublished& Int(std::string name, F (C::*getter)() const, void (C::*setter)(F), std::optional<long long> def)
    {
        TPropInfo p; p.Name = std::move(name); p.Kind = TTypeKind::Integer;
        p.Get = [getter](const TObject& o) { return TPropValue::Int((static_cast<const C&>(o).*getter)()); };
        p.Set = [setter, n = p.Name](TObject& o, const TPropValue& v) { (static_cast<C&>(o).*setter)(Narrow<F>(n, v)); };
        if (def) p.Default = TPropValue::Int(*def);
        out_.push_back(std::move(p));
        return *this;
    }
    TPublished& Bool(std::string name, bool (C::*getter)() const, void (C::*setter)(bool), std::optional<bool> def)
    {
        TPropInfo p; p.Name = std::move(name); p.Kind = TTypeKind::Boolean;
        p.Get = [getter](const TObject& o) { return TPropValue::Int((static_cast<const C&>(o).*getter)() ? 1 : 0); };
        p.Set = [setter, n = p.Name](TObject& o, const TPropValue& v) { (static_cast<C&>(o).*setter)(Narrow<bool>(n, v)); };
        if (def) p.Default = TPropValue::Int(*def ? 1 : 0);
        out_.push_back(std::move(p));
        return *this;
    }
    TPublished& String(std::string name, const std::string& (C::*getter)() const, void (C::*setter)(std::string),
                       std::optional<std::string> def = std::string())
    {
        TPropInfo p; p.Name = std::move(name); p.Kind = TTypeKind::String;
        p.Get = [getter](const TObject& o) { return TPropValue::Str((static_cast<const C&>(o).*getter)()); };
        p.Set = [setter, n = p.Name](TObject& o, const TPropValue& v) {
            if (v.kind != TPropValue::Kind::String) ThrowPropertyError("Invalid property value for " + n);
            (static_cast<C&>(o).*setter)(v.text);
        };
        if (def) p.Default = TPropValue::Str(*def);
        out_.push_back(std::move(p));
        return *this;
    }
    TPublished& Color(std::string name, int (C::*getter)() const, void (C::*setter)(int), std::optional<int> def);
    // A set of flags spelled as [akLeft, akTop]; names[i] is bit i.
    TPublished& Set(std::string name, unsigned (C::*getter)() const, void (C::*setter)(unsigned),
                    std::vector<std::string> names, std::optional<unsigned> def);
    // An enumeration spelled by its identifiers; names[i] is value i.
    template <class E>
    TPublished& Enum(std::string name, E (C::*getter)() const, void (C::*setter)(E), std::vector<std::string> names,
                     E def)
    {
        TPropInfo p; p.Name = std::move(name); p.Kind = TTypeKind::Set;
        p.Get = [getter, names](const TObject& o) {
            return TPropValue::Ident(names.at(static_cast<size_t>((static_cast<const C&>(o).*getter)())));
        };
        p.Set = [setter, names, n = p.Name](TObject& o, const TPropValue& v) {
            for (size_t i = 0; i < names.size(); ++i)
                if (v.kind == TPropValue::Kind::Identifier && SameText(v.text, names[i])) {
                    (static_cast<C&>(o).*setter)(static_cast<E>(i));
                    return;
                }
            ThrowPropertyError("Invalid property value for " + n);
        };
        p.Default = TPropValue::Ident(names.at(static_cast<size_t>(def)));
        out_.push_back(std::move(p));
        return *this;
    }
    template <class S>
    TPublished& Object(std::string name, S* (C::*getter)() const)
    {
        TPropInfo p; p.Name = std::move(name); p.Kind = TTypeKind::Class;
        p.GetObject = [getter](TObject& o) -> TObject* { return (static_cast<C&>(o).*getter)(); };
        out_.push_back(std::move(p));
        return *this;
    }
    template <class E>
    TPublished& Event(std::string name, E C::*field)
    {
        TPropInfo p; p.Name = std::move(name); p.Kind = TTypeKind::Method;
        p.Bind = [field, n = p.Name](TObject& o, const std::any& handler) {
            const E* typed = std::any_cast<E>(&handler);
            if (!typed) ThrowPropertyError("Handler of the wrong kind for " + n);
            static_cast<C&>(o).*field = *typed;
        };
        p.Stored = false;
        out_.push_back(std::move(p));
        return *this;
    }
    // An array property such as Cells[col][row]: listed, never stored.
    TPublished& Indexed(std::string name)
    {
        TPropInfo p; p.Name = std::move(name); p.Kind = TTypeKind::Indexed;
        p.Stored = false;
        out_.push_back(std::move(p));
        return *this;
    }

    // Converts a description value to F, rejecting what F cannot hold.
    template <class F>
    static F Narrow(const std::string& name, const TPropValue& v)
    {
        long long n = 0;
        if constexpr (std::same_as<F, bool>) {
            if (v.kind == TPropValue::Kind::Identifier && SameText(v.text, "True")) return true;
            if (v.kind == TPropValue::Kind::Identifier && SameText(v.text, "False")) return false;
            if (v.kind != TPropValue::Kind::Integer) ThrowPropertyError("Invalid property value for " + name);
            return v.integer != 0;
        } else {
            if (v.kind == TPropValue::Kind::Integer) n = v.integer;
            else if (v.kind == TPropValue::Kind::String && v.text.size() == 1)
                n = static_cast<unsigned char>(v.text[0]);
            else ThrowPropertyError("Invalid property value for " + name);
            if (n < static_cast<long long>(std::numeric_limits<F>::min()) ||
                (n > 0 && static_cast<unsigned long long>(n) > static_cast<unsigned long long>(std::numeric_limits<F>::max())))
                ThrowPropertyError("Property value out of range for " + name);
            return static_cast<F>(n);
        }
    }

private:
    template <class F>
    static auto Store(F C::*field)
    {
        return [field](C& o, F v) { o.*field = v; };
    }
    template <class F>
    static auto Call(void (C::*setter)(F))
    {
        return [setter](C& o, F v) { (o.*setter)(v); };
    }
    static std::optional<long long> Widen(std::optional<bool> b)
    {
        if (!b) return std::nullopt;
        return *b ? 1 : 0;
    }
    template <class F, class W>
    TPublished& Ordinal(std::string name, TTypeKind kind, F C::*field, W write, std::optional<long long> def)
    {
        TPropInfo p; p.Name = std::move(name); p.Kind = kind;
        p.Get = [field, kind](const TObject& o) {
            const F value = static_cast<const C&>(o).*field;
            if (kind == TTypeKind::Char) return TPropValue::Str(std::string(1, static_cast<char>(value)));
            return TPropValue::Int(static_cast<long long>(value));
        };
        p.Set = [write, n = p.Name](TObject& o, const TPropValue& v) { write(static_cast<C&>(o), Narrow<F>(n, v)); };
        if (def) {
            if (kind == TTypeKind::Char && *def >= 0 && *def <= 255)
                p.Default = TPropValue::Str(std::string(1, static_cast<char>(*def)));
            else if (kind == TTypeKind::Char)
                p.Default = TPropValue::Int(*def); // matches no character: always written
            else
                p.Default = TPropValue::Int(*def);
        }
        out_.push_back(std::move(p));
        return *this;
    }

    std::vector<TPropInfo>& out_;
};

template <class C>
TPublished<C>& TPublished<C>::Color(std::string name, int (C::*getter)() const, void (C::*setter)(int),
                                    std::optional<int> def)
{
    TPropInfo p; p.Name = std::move(name); p.Kind = TTypeKind::Color;
    p.Get = [getter](const TObject& o) { return TPropValue::Int((static_cast<const C&>(o).*getter)()); };
    p.Set = [setter, n = p.Name](TObject& o, const TPropValue& v) { (static_cast<C&>(o).*setter)(ColorFromValue(n, v)); };
    if (def) p.Default = TPropValue::Int(*def);
    out_.push_back(std::move(p));
    return *this;
}

template <class C>
TPublished<C>& TPublished<C>::Set(std::string name, unsigned (C::*getter)() const, void (C::*setter)(unsigned),
                                  std::vector<std::string> names, std::optional<unsigned> def)
{
    TPropInfo p; p.Name = std::move(name); p.Kind = TTypeKind::Set;
    p.Get = [getter, names](const TObject& o) { return SetToValue((static_cast<const C&>(o).*getter)(), names); };
    p.Set = [setter, names, n = p.Name](TObject& o, const TPropValue& v) {
        (static_cast<C&>(o).*setter)(SetFromValue(n, v, names));
    };
    if (def) p.Default = SetToValue(*def, names);
    out_.push_back(std::move(p));
    return *this;
}

// Applies one setting, by a possibly dotted name (Font.Size), to an object.
void SetPropertyValue(TObject& object, std::string_view path, const TPropValue& value);
// Reads one setting by its possibly dotted name.
TPropValue GetPropertyValue(TObject& object, std::string_view path);
// The settings of a component as a description writes them: every stored property whose
// value differs from its declared default, in declaration order, sub-objects dotted.
std::vector<std::pair<std::string, TPropValue>> StoredProperties(TObject& object);
// The text form of a value: 12, 'text', #0, clRed, [akLeft, akTop].
std::string FormatPropValue(const TPropValue& value);
