// SPDX-License-Identifier: MIT
#include "Menu.h"

#include <stdexcept>

namespace orbelle::form {

MenuItem &MenuItem::add(std::string name, std::string caption, std::string shortcut)
{
    items_.push_back(std::make_unique<MenuItem>(std::move(name), std::move(caption)));
    items_.back()->Shortcut = std::move(shortcut);
    return *items_.back();
}

MenuItem &MenuItem::insertAfter(const std::string &after, std::string name, std::string caption,
                                std::string shortcut)
{
    auto item = std::make_unique<MenuItem>(std::move(name), std::move(caption));
    item->Shortcut = std::move(shortcut);
    MenuItem &ref = *item;
    auto it = items_.begin();
    while (it != items_.end() && (*it)->Name != after)
        ++it;
    items_.insert(it == items_.end() ? it : it + 1, std::move(item));
    return ref;
}

MenuItem *MenuItem::find(const std::string &name)
{
    for (const auto &item : items_) {
        if (item->Name == name)
            return item.get();
        if (MenuItem *below = item->find(name))
            return below;
    }
    return nullptr;
}

MenuItem &MenuBar::operator[](const std::string &name)
{
    if (MenuItem *item = find(name))
        return *item;
    throw std::out_of_range("no menu item " + name);
}

} // namespace orbelle::form
