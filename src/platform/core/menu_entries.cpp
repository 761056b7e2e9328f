#include "platform/core/menu_entries.h"

namespace kelvory {
namespace {

constexpr std::string_view kSeparator = "-";

}  // namespace

std::vector<MenuEntry> MenuEntries(const std::vector<MenuItemDesc>& items) {
  std::vector<MenuEntry> entries;
  for (std::size_t i = 0; i < items.size(); ++i) {
    if (!items[i].visible) continue;
    const bool separator = items[i].caption == kSeparator;
    entries.push_back({.separator = separator,
                       .caption = separator ? std::string_view() : items[i].caption,
                       .command = separator ? 0 : static_cast<int>(i) + 1});
  }
  return entries;
}

std::optional<int> ChosenItem(int command) {
  if (command <= 0) return std::nullopt;
  return command - 1;
}

}  // namespace kelvory
