// Class registration: the classes a form description may name, and the component palette
// pages that a design environment lists.
#pragma once

#include <functional>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

class TClassInfo;
class TComponent;

using TComponentFactory = std::function<TComponent*(TComponent* owner)>;

// Makes a class creatable by name from a form description.
void RegisterClass(const TClassInfo& cls, TComponentFactory create);
// The factory of a class registered by that name (ignoring case), or an empty one.
TComponentFactory FindClassFactory(std::string_view name);

template <class C>
void RegisterClass()
{
    RegisterClass(C::StaticClassInfo(), [](TComponent* owner) -> TComponent* { return new C(owner); });
}

struct TPalettePage {
    std::string Name;
    std::vector<const TClassInfo*> Classes;
};

// Puts classes on a named palette page, after those already there; a class is listed once.
void RegisterComponents(const std::string& page, std::initializer_list<const TClassInfo*> classes);
const std::vector<TPalettePage>& PalettePages();
