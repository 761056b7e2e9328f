#pragma once

#include <memory>
#include <optional>
#include <vector>

#include "platform/core/menu_entries.h"
#include "platform/wayland/wl_host.h"
#include "platform/wayland/wl_popup.h"
#include "platform/wayland/wl_window.h"

namespace kelvory::wl {

// The game's popup menu: a popup of the panel's layer surface, opening at
// the press that asked for it (upwards, since the panel stands on the
// bar), with the pointer grabbed until it closes.
class PopupMenu final : private InputTarget {
 public:
  PopupMenu(Host& host, WlWindow& parent, const std::vector<MenuItemDesc>& items);
  ~PopupMenu() override;
  PopupMenu(const PopupMenu&) = delete;
  PopupMenu& operator=(const PopupMenu&) = delete;

  bool finished() const { return finished_; }
  // The game's item, when one was chosen.
  std::optional<int> chosen() const { return chosen_; }
  // Closes it at once with nothing chosen.
  void dismiss();

 private:
  struct Line {
    MenuEntry entry;
    int top = 0;
    int height = 0;
  };

  void paint(cairo_t* cr) const;
  void draw();
  int lineAt(double y) const;
  void choose(int line);
  void step(int direction);
  void pointerMotion(double x, double y) override;
  void pointerButton(MouseButton button, bool down) override;
  void pointerLeave() override;
  void key(std::uint32_t code) override;

  Host& host_;
  WlWindow& parent_;
  std::vector<MenuItemDesc> items_;  // the entries point into these
  std::vector<Line> lines_;
  int width_ = 0;
  int height_ = 0;
  int hot_ = -1;  // the line under the pointer or the keys
  bool entered_ = false;
  double enteredX_ = 0, enteredY_ = 0;
  bool moved_ = false;
  bool pressedIn_ = false;
  double pointerY_ = 0;
  bool finished_ = false;
  std::optional<int> chosen_;
  std::unique_ptr<PopupSurface> popup_;
};

}  // namespace kelvory::wl
