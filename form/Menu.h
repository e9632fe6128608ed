// SPDX-License-Identifier: MIT
#pragma once
// A window's menu bar as a form designer lays it out: menus, each holding
// items, each item with a name, a caption (an '&' marks its access key), an
// optional shortcut, enabled, checked and shown states, a status tip and a
// Click event. Lies above the form's client area, so the controls keep their
// places in it. Owns its menus and items; the form wires their Click
// events to its handlers.

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "Control.h"

namespace orbelle::form {

class MenuItem {
public:
    MenuItem(std::string name, std::string caption) : Name(std::move(name)), Caption(std::move(caption)) {}
    MenuItem(const MenuItem &) = delete;
    MenuItem &operator=(const MenuItem &) = delete;

    std::string Name;
    std::string Caption;   // "-" makes the item a separator line
    // The keys that click the item from anywhere in its window, such as
    // "Ctrl+O"; several alternatives separated by ';'.
    std::string Shortcut;
    // Shown in the status bar area or as a tip while the item is pointed at.
    std::string StatusTip;
    bool Enabled = true;
    bool Checked = false;
    bool Visible = true;
    std::function<void()> Click;

    // Appends an item (or, on the menu bar, a menu) after the last one;
    // the reference stays valid as long as the item lives.
    MenuItem &add(std::string name, std::string caption, std::string shortcut = {});
    // Puts a new item right after the one named `after`, or last when there
    // is none of that name.
    MenuItem &insertAfter(const std::string &after, std::string name, std::string caption,
                          std::string shortcut = {});
    const std::vector<std::unique_ptr<MenuItem>> &items() const { return items_; }
    // The item of that name at any depth below this one; null when none.
    MenuItem *find(const std::string &name);
    bool isSeparator() const { return Caption == "-"; }

private:
    std::vector<std::unique_ptr<MenuItem>> items_;
};

class MenuBar : public Control {
public:
    explicit MenuBar(std::string name = "MenuBar", int index = -1)
        : Control(Kind::MenuBar, std::move(name), index), root_("", "") {}

    MenuItem &addMenu(std::string name, std::string caption) { return root_.add(std::move(name), std::move(caption)); }
    const std::vector<std::unique_ptr<MenuItem>> &menus() const { return root_.items(); }
    MenuItem *find(const std::string &name) { return root_.find(name); }
    MenuItem &operator[](const std::string &name);

private:
    MenuItem root_;
};

} // namespace orbelle::form
