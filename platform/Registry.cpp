#include "platform/Registry.h"

#include <algorithm>
#include <map>

#include "platform/Properties.h"

namespace {

struct ClassEntry {
    const TClassInfo* info;
    TComponentFactory create;
};

std::vector<ClassEntry>& Classes()
{
    static std::vector<ClassEntry> classes;
    return classes;
}

std::vector<TPalettePage>& Pages()
{
    static std::vector<TPalettePage> pages;
    return pages;
}

} // namespace

void RegisterClass(const TClassInfo& cls, TComponentFactory create)
{
    for (ClassEntry& entry : Classes())
        if (entry.info == &cls) {
            entry.create = std::move(create);
            return;
        }
    Classes().push_back({&cls, std::move(create)});
}

TComponentFactory FindClassFactory(std::string_view name)
{
    for (const ClassEntry& entry : Classes())
        if (SameText(entry.info->Name(), name)) return entry.create;
    return {};
}

void RegisterComponents(const std::string& page, std::initializer_list<const TClassInfo*> classes)
{
    auto& pages = Pages();
    auto it = std::find_if(pages.begin(), pages.end(), [&](const TPalettePage& p) { return p.Name == page; });
    if (it == pages.end()) it = pages.insert(pages.end(), TPalettePage{page, {}});
    for (const TClassInfo* cls : classes)
        if (std::find(it->Classes.begin(), it->Classes.end(), cls) == it->Classes.end()) it->Classes.push_back(cls);
}

const std::vector<TPalettePage>& PalettePages() { return Pages(); }
