#pragma once

#include <optional>
#include <string_view>
#include <vector>

#include "platform/types.h"

namespace kelvory {

// One line of a native popup menu. Native menus return a command, 0 for
// nothing chosen: a line's command is its item's index plus one.
struct MenuEntry {
  bool separator = false;
  std::string_view caption;
  int command = 0;
};

// The lines of the game's menu as it shows: its visible items, "-" a
// separator. The entries point into items.
std::vector<MenuEntry> MenuEntries(const std::vector<MenuItemDesc>& items);

// The game's item for the command a native menu returned.
std::optional<int> ChosenItem(int command);

}  // namespace kelvory
