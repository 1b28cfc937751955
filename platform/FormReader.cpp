#include "platform/FormReader.h"

#include <QFile>
#include <QString>

#include <algorithm>
#include <cctype>
#include <charconv>
#include <vector>

#include "platform/Control.h"
#include "platform/Exception.h"
#include "platform/Properties.h"
#include "platform/Registry.h"

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r'; }
bool IsIdentStart(char c) { return std::isalpha(static_cast<unsigned char>(c)) || c == '_'; }
bool IsIdentChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// One line of a description, read from left to right.
class TLineScanner {
public:
    explicit TLineScanner(std::string_view line) : line_(line) {}

    void SkipBlanks()
    {
        while (pos_ < line_.size() && IsBlank(line_[pos_])) ++pos_;
    }
    bool AtEnd()
    {
        SkipBlanks();
        return pos_ == line_.size();
    }
    char Peek()
    {
        SkipBlanks();
        return pos_ < line_.size() ? line_[pos_] : '\0';
    }
    // Takes the word when the line goes on with it as a whole word, ignoring case.
    bool Keyword(std::string_view word)
    {
        SkipBlanks();
        const std::string_view rest = line_.substr(pos_);
        if (rest.size() < word.size() || !SameText(rest.substr(0, word.size()), word)) return false;
        if (rest.size() > word.size() && IsIdentChar(rest[word.size()])) return false;
        pos_ += word.size();
        return true;
    }
    bool Take(char c)
    {
        if (Peek() != c) return false;
        ++pos_;
        return true;
    }
    void Expect(char c, const char* what)
    {
        if (!Take(c)) throw Exception(std::string(what) + " expected");
    }
    std::string Identifier(const char* what)
    {
        SkipBlanks();
        if (pos_ == line_.size() || !IsIdentStart(line_[pos_])) throw Exception(std::string(what) + " expected");
        const size_t start = pos_;
        while (pos_ < line_.size() && IsIdentChar(line_[pos_])) ++pos_;
        return std::string(line_.substr(start, pos_ - start));
    }
    // Font.Height: names joined by dots, no blanks between.
    std::string Path()
    {
        std::string path = Identifier("Property name");
        while (pos_ < line_.size() && line_[pos_] == '.') {
            ++pos_;
            if (pos_ == line_.size() || !IsIdentStart(line_[pos_])) throw Exception("Property name expected after '.'");
            path += '.' + Identifier("Property name");
        }
        return path;
    }
    TPropValue Value()
    {
        const char c = Peek();
        if (c == '[') return Set();
        if (c == '\'' || c == '#') return String();
        if (c == '-' || c == '+' || IsDigit(c)) return Integer();
        if (IsIdentStart(c)) return TPropValue::Ident(Identifier("Value"));
        throw Exception("Value expected");
    }

private:
    TPropValue Set()
    {
        Expect('[', "'['");
        std::vector<std::string> items;
        if (!Take(']')) {
            do items.push_back(Identifier("Set element"));
            while (Take(','));
            Expect(']', "']'");
        }
        return TPropValue::SetOf(std::move(items));
    }
    TPropValue String()
    {
        std::string text;
        // Quoted runs and character codes follow each other with nothing between them.
        while (pos_ < line_.size() && (line_[pos_] == '\'' || line_[pos_] == '#')) {
            if (line_[pos_] == '#') {
                ++pos_;
                const size_t start = pos_;
                while (pos_ < line_.size() && IsDigit(line_[pos_])) ++pos_;
                unsigned code = 0;
                const auto [stop, error] = std::from_chars(line_.data() + start, line_.data() + pos_, code);
                if (pos_ == start || error != std::errc() || stop != line_.data() + pos_)
                    throw Exception("Character code expected after '#'");
                if (code > 255) throw Exception("Character code #" + std::to_string(code) + " is not an 8-bit character");
                text += static_cast<char>(code);
                continue;
            }
            ++pos_;
            for (;;) {
                if (pos_ == line_.size()) throw Exception("Unterminated string");
                if (line_[pos_] == '\'') {
                    if (pos_ + 1 < line_.size() && line_[pos_ + 1] == '\'') {
                        text += '\'';
                        pos_ += 2;
                        continue;
                    }
                    ++pos_;
                    break;
                }
                text += line_[pos_++];
            }
        }
        return TPropValue::Str(std::move(text));
    }
    TPropValue Integer()
    {
        SkipBlanks();
        const size_t start = pos_;
        if (line_[pos_] == '-' || line_[pos_] == '+') ++pos_;
        const size_t digits = pos_;
        while (pos_ < line_.size() && IsDigit(line_[pos_])) ++pos_;
        if (pos_ == digits) throw Exception("Number expected");
        // from_chars takes a minus sign but no plus sign.
        const size_t from = line_[start] == '+' ? start + 1 : start;
        long long value = 0;
        const auto [stop, error] = std::from_chars(line_.data() + from, line_.data() + pos_, value);
        if (error != std::errc() || stop != line_.data() + pos_)
            throw Exception("Number " + std::string(line_.substr(start, pos_ - start)) + " is out of range");
        return TPropValue::Int(value);
    }

    std::string_view line_;
    size_t pos_ = 0;
};

class TFormReader {
public:
    TFormReader(TComponent& root, std::string_view rootClass, const THandlerTable& handlers)
        : root_(root), rootClass_(rootClass), handlers_(handlers)
    {
    }

    void Read(std::string_view text)
    {
        int number = 0;
        size_t start = 0;
        while (start <= text.size()) {
            size_t end = text.find('\n', start);
            if (end == std::string_view::npos) end = text.size();
            ++number;
            try {
                ReadLine(text.substr(start, end - start));
            } catch (const Exception& e) {
                throw LineError(number, e.Message());
            } catch (const std::exception& e) {
                throw LineError(number, e.what());
            }
            start = end + 1;
        }
        if (!objects_.empty()) throw LineError(number, "'end' expected");
        if (!done_) throw LineError(number, "The description holds no object");
    }

private:
    Exception LineError(int number, const std::string& message) const
    {
        return Exception("Form description of " + rootClass_ + ", line " + std::to_string(number) + ": " + message);
    }

    void ReadLine(std::string_view line)
    {
        TLineScanner scanner(line);
        if (scanner.AtEnd()) return;
        if (scanner.Keyword("object")) {
            const std::string name = scanner.Identifier("Component name");
            scanner.Expect(':', "':'");
            const std::string cls = scanner.Identifier("Class name");
            if (!scanner.AtEnd()) throw Exception("End of line expected after the class name");
            BeginObject(name, cls);
        } else if (scanner.Keyword("end")) {
            if (!scanner.AtEnd()) throw Exception("End of line expected after 'end'");
            if (objects_.empty()) throw Exception("'end' without its 'object'");
            objects_.pop_back();
            done_ = objects_.empty();
        } else {
            if (objects_.empty()) throw Exception("Setting outside an object");
            const std::string path = scanner.Path();
            scanner.Expect('=', "'='");
            const TPropValue value = scanner.Value();
            if (!scanner.AtEnd()) throw Exception("End of line expected after the value");
            Apply(*objects_.back(), path, value);
        }
    }

    void BeginObject(const std::string& name, const std::string& cls)
    {
        if (objects_.empty()) {
            if (done_) throw Exception("Text after the end of the form");
            if (!SameText(cls, rootClass_)) throw Exception("Object of class " + rootClass_ + " expected, not " + cls);
            root_.SetName(AvailableName(name));
            objects_.push_back(&root_);
            return;
        }
        const TComponentFactory create = FindClassFactory(cls);
        if (!create) throw Exception("Class " + cls + " not found");
        if (root_.FindComponent(name) || SameText(root_.Name(), name))
            throw Exception("A component named " + name + " already exists");
        // Nested objects are the children of a windowed control, or the form's own.
        auto* parent = dynamic_cast<TWinControl*>(objects_.back());
        if (!parent && objects_.back() != &root_)
            throw Exception("Objects can be nested only in windowed controls, not in " + objects_.back()->Name());
        TComponent* component = create(&root_);
        component->SetName(name);
        if (auto* control = dynamic_cast<TWinControl*>(component); control && parent) control->SetParent(parent);
        objects_.push_back(component);
    }

    // A second form of one class beside the first takes the name the class library gives it:
    // Form1_1, Form1_2 and so on.
    std::string AvailableName(const std::string& name) const
    {
        const TComponent* owner = root_.Owner();
        const auto taken = [owner](const std::string& candidate) {
            return owner && (SameText(owner->Name(), candidate) || owner->FindComponent(candidate));
        };
        std::string candidate = name;
        for (int n = 1; taken(candidate); ++n) candidate = name + "_" + std::to_string(n);
        return candidate;
    }

    void Apply(TComponent& component, std::string_view path, const TPropValue& value)
    {
        TObject* target = &component;
        for (size_t dot = path.find('.'); dot != std::string_view::npos; dot = path.find('.')) {
            const TPropInfo& prop = Require(*target, path.substr(0, dot));
            TObject* sub = prop.GetObject ? prop.GetObject(*target) : nullptr;
            if (!sub) throw Exception("Property " + prop.Name + " has no properties of its own");
            target = sub;
            path.remove_prefix(dot + 1);
        }
        const TPropInfo& prop = Require(*target, path);
        if (prop.Kind == TTypeKind::Method) {
            if (value.kind != TPropValue::Kind::Identifier) throw Exception("Handler name expected for " + prop.Name);
            prop.Bind(*target, Handler(value.text, prop.Name));
            return;
        }
        if (!prop.Set) throw Exception("Property " + prop.Name + " cannot be set from a description");
        prop.Set(*target, value);
    }

    const TPropInfo& Require(const TObject& object, std::string_view name) const
    {
        const TPropInfo* prop = object.ClassInfo().FindProperty(name);
        if (!prop) throw Exception("Property " + std::string(name) + " does not exist in " + object.ClassName());
        return *prop;
    }

    const std::any& Handler(const std::string& name, const std::string& event) const
    {
        if (auto it = handlers_.find(name); it != handlers_.end()) return it->second;
        for (const auto& [handlerName, handler] : handlers_)
            if (SameText(handlerName, name)) return handler;
        throw Exception("Handler " + name + " for " + event + " does not exist in " + rootClass_);
    }

    TComponent& root_;
    std::string rootClass_;
    const THandlerTable& handlers_;
    std::vector<TComponent*> objects_;
    bool done_ = false;
};

// The object a component is written inside: the control it is parented to when root owns
// that control, root otherwise.
const TComponent* WrittenInside(const TComponent& root, const TComponent& component)
{
    const auto* control = dynamic_cast<const TWinControl*>(&component);
    const TComponent* parent = control ? control->Parent() : nullptr;
    if (parent && (parent == &root || parent->Owner() == &root)) return parent;
    return &root;
}

// A control that takes its parent's font or colour has none of its own to write; a control
// without a parent has nothing to take them from.
bool Written(const TComponent& component, const std::string& name)
{
    if (name == "Name") return false;  // the object line carries it
    const auto* control = dynamic_cast<const TWinControl*>(&component);
    if (!control) return true;
    // A form's visibility is the program's doing: forms start hidden and are shown.
    if (!control->Parent()) return name != "ParentFont" && name != "ParentColor" && name != "Visible";
    if (control->ParentFont() && name.starts_with("Font.")) return false;
    if (control->ParentColor() && name == "Color") return false;
    return true;
}

void WriteObject(std::string& out, TComponent& root, TComponent& component, std::string_view cls, int depth)
{
    const std::string indent(static_cast<size_t>(depth) * 2, ' ');
    out += indent + "object " + component.Name() + ": " + std::string(cls) + "\n";
    for (const auto& [name, value] : StoredProperties(component))
        if (Written(component, name)) out += indent + "  " + name + " = " + FormatPropValue(value) + "\n";
    for (TComponent* child : root.Components())
        if (!child->Name().empty() && WrittenInside(root, *child) == &component)
            WriteObject(out, root, *child, child->ClassName(), depth + 1);
    out += indent + "end\n";
}

std::string FoldCase(std::string_view text)
{
    std::string folded(text);
    for (char& c : folded) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return folded;
}

std::map<std::string, std::string>& Resources()
{
    static std::map<std::string, std::string> resources;
    return resources;
}

} // namespace

void ReadFormDescription(TComponent& root, std::string_view rootClass, std::string_view text,
                         const THandlerTable& handlers)
{
    TFormReader(root, rootClass, handlers).Read(text);
}

std::string WriteFormDescription(TComponent& root, std::string_view rootClass)
{
    std::string out;
    WriteObject(out, root, root, rootClass, 0);
    return out;
}

void RegisterFormResource(std::string className, std::string text)
{
    Resources()[FoldCase(className)] = std::move(text);
}

const std::string* FindFormResource(std::string_view className)
{
    const std::string key = FoldCase(className);
    if (const auto it = Resources().find(key); it != Resources().end()) return &it->second;
    // Compiled in by mapgrid_embed_form as a Qt resource named by the folded class name. Only
    // a name can reach it: anything else could walk to another resource's path.
    const auto isNameChar = [](unsigned char c) { return std::isalnum(c) || c == '_'; };
    if (key.empty() || !std::all_of(key.begin(), key.end(), isNameChar)) return nullptr;
    QFile file(QStringLiteral(":/mapgrid/forms/") + QString::fromLatin1(key.data(), static_cast<qsizetype>(key.size())));
    if (!file.open(QIODevice::ReadOnly)) return nullptr;
    const QByteArray text = file.readAll();
    return &(Resources()[key] = std::string(text.constData(), static_cast<size_t>(text.size())));
}
