#include "platform/Properties.h"

#include <array>
#include <cstdio>

#include "platform/Exception.h"
#include "platform/Types.h"

TClassInfo::TClassInfo(std::string name, const TClassInfo* parent, std::vector<TPropInfo> props)
    : name_(std::move(name)), parent_(parent), props_(std::move(props))
{
}

std::vector<const TPropInfo*> TClassInfo::Properties() const
{
    std::vector<const TPropInfo*> all = parent_ ? parent_->Properties() : std::vector<const TPropInfo*>{};
    for (const TPropInfo& p : props_) all.push_back(&p);
    return all;
}

const TPropInfo* TClassInfo::FindProperty(std::string_view name) const
{
    for (const TClassInfo* c = this; c; c = c->parent_)
        for (const TPropInfo& p : c->props_)
            if (SameText(p.Name, name)) return &p;
    return nullptr;
}

bool TClassInfo::InheritsFrom(const TClassInfo& other) const
{
    for (const TClassInfo* c = this; c; c = c->parent_)
        if (c == &other) return true;
    return false;
}

void ThrowPropertyError(const std::string& message) { throw Exception(message); }

namespace {

struct NamedColor {
    const char* name;
    TColor value;
};

constexpr std::array<NamedColor, 9> kNamedColors{{
    {"clBlack", clBlack},
    {"clWhite", clWhite},
    {"clRed", clRed},
    {"clLime", clLime},
    {"clSilver", clSilver},
    {"clGray", clGray},
    {"clBtnFace", clBtnFace},
    {"clWindow", clWindow},
    {"clWindowText", clWindowText},
}};

const TPropInfo& RequireProperty(const TObject& object, std::string_view name)
{
    const TPropInfo* prop = object.ClassInfo().FindProperty(name);
    if (!prop) ThrowPropertyError("Property " + std::string(name) + " does not exist in " + object.ClassName());
    return *prop;
}

// Walks the dotted path down to the object that holds the last name.
TObject& Resolve(TObject& object, std::string_view& path)
{
    TObject* current = &object;
    for (size_t dot = path.find('.'); dot != std::string_view::npos; dot = path.find('.')) {
        const TPropInfo& prop = RequireProperty(*current, path.substr(0, dot));
        TObject* sub = prop.GetObject ? prop.GetObject(*current) : nullptr;
        if (!sub) ThrowPropertyError("Property " + prop.Name + " has no properties of its own");
        current = sub;
        path.remove_prefix(dot + 1);
    }
    return *current;
}

void CollectStored(TObject& object, const std::string& prefix, std::vector<std::pair<std::string, TPropValue>>& out)
{
    for (const TPropInfo* prop : object.ClassInfo().Properties()) {
        if (!prop->Stored) continue;
        if (prop->Kind == TTypeKind::Class) {
            if (TObject* sub = prop->GetObject(object)) CollectStored(*sub, prefix + prop->Name + ".", out);
            continue;
        }
        if (!prop->Get) continue;
        TPropValue value = prop->Get(object);
        if (prop->Default && *prop->Default == value) continue;
        if (prop->Kind == TTypeKind::Boolean) value = TPropValue::Ident(value.integer ? "True" : "False");
        if (prop->Kind == TTypeKind::Color)
            for (const NamedColor& named : kNamedColors)
                if (named.value == value.integer) value = TPropValue::Ident(named.name);
        out.emplace_back(prefix + prop->Name, std::move(value));
    }
}

} // namespace

int ColorFromValue(const std::string& name, const TPropValue& value)
{
    if (value.kind == TPropValue::Kind::Integer) {
        if (value.integer < INT32_MIN || value.integer > INT32_MAX) ThrowPropertyError("Invalid colour for " + name);
        return static_cast<int>(value.integer);
    }
    if (value.kind == TPropValue::Kind::Identifier)
        for (const NamedColor& named : kNamedColors)
            if (SameText(named.name, value.text)) return named.value;
    ThrowPropertyError("Invalid colour for " + name);
    return 0;
}

TPropValue SetToValue(unsigned bits, const std::vector<std::string>& names)
{
    std::vector<std::string> items;
    for (size_t i = 0; i < names.size(); ++i)
        if (bits & (1u << i)) items.push_back(names[i]);
    return TPropValue::SetOf(std::move(items));
}

unsigned SetFromValue(const std::string& name, const TPropValue& value, const std::vector<std::string>& names)
{
    if (value.kind != TPropValue::Kind::Set) ThrowPropertyError("Invalid property value for " + name);
    unsigned bits = 0;
    for (const std::string& item : value.items) {
        size_t i = 0;
        while (i < names.size() && !SameText(names[i], item)) ++i;
        if (i == names.size()) ThrowPropertyError("Invalid set element " + item + " for " + name);
        bits |= 1u << i;
    }
    return bits;
}

void SetPropertyValue(TObject& object, std::string_view path, const TPropValue& value)
{
    TObject& target = Resolve(object, path);
    const TPropInfo& prop = RequireProperty(target, path);
    if (!prop.Set) ThrowPropertyError("Property " + prop.Name + " cannot be set from a description");
    prop.Set(target, value);
}

TPropValue GetPropertyValue(TObject& object, std::string_view path)
{
    TObject& target = Resolve(object, path);
    const TPropInfo& prop = RequireProperty(target, path);
    if (!prop.Get) ThrowPropertyError("Property " + prop.Name + " cannot be read");
    return prop.Get(target);
}

std::vector<std::pair<std::string, TPropValue>> StoredProperties(TObject& object)
{
    std::vector<std::pair<std::string, TPropValue>> out;
    CollectStored(object, "", out);
    return out;
}

std::string FormatPropValue(const TPropValue& value)
{
    switch (value.kind) {
    case TPropValue::Kind::Integer: return std::to_string(value.integer);
    case TPropValue::Kind::Identifier: return value.text;
    case TPropValue::Kind::Set: {
        std::string out = "[";
        for (size_t i = 0; i < value.items.size(); ++i) out += (i ? ", " : "") + value.items[i];
        return out + "]";
    }
    case TPropValue::Kind::String: break;
    }
    // Printable runs are quoted; other characters are written as #code.
    std::string out;
    bool quoted = false;
    for (char ch : value.text) {
        const auto code = static_cast<unsigned char>(ch);
        if (code >= 0x20 && code < 0x7F) {
            if (!quoted) out += '\'';
            quoted = true;
            out += ch == '\'' ? std::string("''") : std::string(1, ch);
        } else {
            if (quoted) out += '\'';
            quoted = false;
            out += '#' + std::to_string(code);
        }
    }
    if (quoted) out += '\'';
    return out.empty() ? "''" : out;
}
