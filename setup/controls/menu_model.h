// Popup menus as the forms describe them: entries with a caption and an
// enabled state, and separators. The shell builds the real menu from the
// model each time it pops one up.
#pragma once

#include <string>
#include <vector>

namespace trellup {

struct MenuItem {
    MenuItem(const char* item_name, std::string item_caption) : name(item_name), caption(std::move(item_caption)) {}
    MenuItem(const MenuItem&) = delete;
    MenuItem& operator=(const MenuItem&) = delete;

    const char* name;
    std::string caption;
    bool enabled = true;
};

struct MenuModel {
    const char* name;
    std::string caption;
    // Entries in order; nullptr is a separator. Not owned.
    std::vector<MenuItem*> items;
};

}  // namespace trellup
