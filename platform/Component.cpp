#include "platform/Component.h"

#include <algorithm>
#include <cctype>
#include <unordered_map>
#include <vector>

#include "platform/Exception.h"
#include "platform/Properties.h"

const TClassInfo& TObject::StaticClassInfo()
{
    static const TClassInfo info("TObject", nullptr, {});
    return info;
}

const TClassInfo& TObject::ClassInfo() const { return StaticClassInfo(); }

namespace {

std::unordered_map<const TObject*, std::vector<TFreeListener*>>& Watchers()
{
    static std::unordered_map<const TObject*, std::vector<TFreeListener*>> watchers;
    return watchers;
}

} // namespace

void WatchFree(TObject* object, TFreeListener* listener)
{
    if (!object || !listener) return;
    Watchers()[object].push_back(listener);
    object->watched_ = true;
}

void UnwatchFree(TObject* object, TFreeListener* listener)
{
    auto it = Watchers().find(object);
    if (it == Watchers().end()) return;
    auto& listeners = it->second;
    auto found = std::find(listeners.begin(), listeners.end(), listener);
    if (found != listeners.end()) listeners.erase(found);
    if (listeners.empty()) {
        Watchers().erase(it);
        object->watched_ = false;
    }
}

TObject::~TObject()
{
    if (!watched_) return;
    auto node = Watchers().extract(this);
    if (node.empty()) return;
    for (TFreeListener* listener : node.mapped()) listener->ObjectFreed(this);
}

const std::string& TObject::ClassName() const { return ClassInfo().Name(); }

bool TObject::InheritsFrom(const TClassInfo& cls) const { return ClassInfo().InheritsFrom(cls); }

TComponent::TComponent(TComponent* owner) : owner_(owner)
{
    if (owner_) owner_->InsertComponent(this);
}

TComponent::~TComponent()
{
    DestroyComponents();
    if (owner_) owner_->RemoveComponent(this);
}

const TClassInfo& TComponent::StaticClassInfo()
{
    static const TClassInfo info = [] {
        std::vector<TPropInfo> props;
        TPublished<TComponent>(props)
            .String("Name", &TComponent::Name, &TComponent::SetName)
            .Int("Tag", &TComponent::Tag, 0);
        return TClassInfo("TComponent", &TObject::StaticClassInfo(), std::move(props));
    }();
    return info;
}

const TClassInfo& TComponent::ClassInfo() const { return StaticClassInfo(); }

namespace {

bool IsIdentifier(std::string_view name)
{
    const auto letter = [](char c) { return std::isalpha(static_cast<unsigned char>(c)) || c == '_'; };
    const auto letterOrDigit = [&](char c) { return letter(c) || std::isdigit(static_cast<unsigned char>(c)); };
    return !name.empty() && letter(name.front()) && std::all_of(name.begin(), name.end(), letterOrDigit);
}

} // namespace

void TComponent::SetName(std::string name)
{
    if (!name.empty() && !SameText(name, name_)) {
        if (!IsIdentifier(name)) throw Exception("'" + name + "' is not a valid component name");
        const bool taken = FindComponent(name) || (owner_ && (SameText(owner_->name_, name) || owner_->FindComponent(name)));
        if (taken) throw Exception("A component named " + name + " already exists");
    }
    name_ = std::move(name);
}

TComponent* TComponent::FindComponent(std::string_view name) const
{
    if (name.empty()) return nullptr;
    for (TComponent* component : components_)
        if (SameText(component->Name(), name)) return component;
    return nullptr;
}

bool TComponent::Loading() const
{
    for (const TComponent* c = this; c; c = c->owner_)
        if (c->loading_) return true;
    return false;
}

void TComponent::EndLoading()
{
    loading_ = false;
    for (TComponent* component : components_) component->Loaded();
    Loaded();
}

void TComponent::DestroyComponents()
{
    while (!components_.empty()) {
        TComponent* last = components_.back();
        components_.pop_back();
        last->owner_ = nullptr;
        delete last;
    }
}

void TComponent::InsertComponent(TComponent* component) { components_.push_back(component); }

void TComponent::RemoveComponent(TComponent* component)
{
    components_.erase(std::remove(components_.begin(), components_.end(), component), components_.end());
}

bool SameText(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}
