#include "platform/sim/player.h"

#include <algorithm>
#include <utility>

namespace kelvory::sim {

namespace {

std::string_view ActionName(Player::Action a) {
  switch (a) {
    case Player::Action::Press:
      return "press";
    case Player::Action::Release:
      return "release";
    case Player::Action::Click:
      return "click";
    case Player::Action::Hover:
      return "hover";
    case Player::Action::Close:
      return "close";
  }
  return "input";
}

std::string_view ButtonName(MouseButton b) {
  switch (b) {
    case MouseButton::Left:
      return "left";
    case MouseButton::Right:
      return "right";
    case MouseButton::Middle:
      return "middle";
  }
  return "left";
}

std::string_view AnswerName(MsgAnswer a) {
  switch (a) {
    case MsgAnswer::Ok:
      return "ok";
    case MsgAnswer::Yes:
      return "yes";
    case MsgAnswer::No:
      return "no";
  }
  return "ok";
}

std::string_view IconName(MsgIcon i) {
  switch (i) {
    case MsgIcon::None:
      return "none";
    case MsgIcon::Question:
      return "question";
    case MsgIcon::Warning:
      return "warning";
    case MsgIcon::Error:
      return "error";
  }
  return "none";
}

// Pops the entry a scope pushed, also when the program ends under it.
template <class T>
class PopOnExit {
 public:
  explicit PopOnExit(std::vector<T>& v) : v_(v) {}
  ~PopOnExit() { v_.pop_back(); }
  PopOnExit(const PopOnExit&) = delete;
  PopOnExit& operator=(const PopOnExit&) = delete;

 private:
  std::vector<T>& v_;
};

}  // namespace

// ---- input -------------------------------------------------------------

std::optional<Player::Target> Player::find(std::string_view window, std::string_view control) {
  const WindowState* w = screen_.find(window);
  if (w == nullptr) {
    trace_.error("no window " + std::string(window));
    return std::nullopt;
  }
  if (!w->visible) {
    trace_.error("window " + std::string(window) + " is hidden");
    return std::nullopt;
  }
  if (IsSurfaceName(control)) return Target{w->id, kSurface};
  const ControlState* c = w->control(control);
  if (c == nullptr) {
    trace_.error("no control " + std::string(control) + " in " + std::string(window));
    return std::nullopt;
  }
  // What the control cannot take falls through to the window beneath it.
  return Target{w->id, c->takesInput() ? c->id : kSurface};
}

bool Player::accepts(const WindowState& w, Action action, std::string_view control) {
  const bool refused = menuOpen() || messageBoxOpen() || !w.enabled;
  if (!refused) return true;
  trace_.emit(trace_.line("refused")
                  .str("action", ActionName(action))
                  .str("win", w.created.name)
                  .str("ctrl", control));
  return false;
}

std::optional<Player::Target> Player::aim(Action action, std::string_view window,
                                          std::string_view control) {
  const std::optional<Target> t = find(window, action == Action::Close ? "" : control);
  if (!t) return std::nullopt;
  const WindowState& w = *screen_.window(t->window);
  if (!accepts(w, action, w.controlName(t->control))) return std::nullopt;
  return t;
}

void Player::traceInput(Action action, const Target& target, MouseButton button) {
  const WindowState& w = *screen_.window(target.window);
  TraceLine line = trace_.line("input");
  line.str("action", ActionName(action)).str("win", w.created.name);
  if (action != Action::Close) line.str("ctrl", w.controlName(target.control));
  if (action == Action::Press || action == Action::Release) line.str("button", ButtonName(button));
  trace_.emit(line);
}

// ---- dialogs -----------------------------------------------------------

Player::Dialog Player::runDialog(Dialog dialog, const TraceLine& opened) {
  dialogs_.push_back(std::move(dialog));
  const PopOnExit pop(dialogs_);
  const std::size_t index = dialogs_.size() - 1;
  trace_.emit(opened);
  // A dialog blocks until it is answered, like a real one.
  desktop_.waitUntil(Desktop::kNever, [this, index] { return dialogs_[index].closed; });
  return dialogs_[index];
}

std::optional<int> Player::popupMenu(std::string_view owner,
                                     const std::vector<MenuItemDesc>& items) {
  std::vector<std::string> names;
  for (const MenuItemDesc& item : items) {
    if (item.visible) names.push_back(item.name);
  }
  Dialog dialog;
  dialog.kind = DialogKind::Menu;
  dialog.items = items;
  const Dialog d =
      runDialog(std::move(dialog), trace_.line("menu").str("win", owner).strings("items", names));
  const std::optional<int> chosen = d.closed ? d.chosen : std::nullopt;
  TraceLine line = trace_.line("menu-closed");
  if (chosen) {
    line.str("item", d.items[static_cast<std::size_t>(*chosen)].name);
  } else {
    line.null("item");
  }
  trace_.emit(line);
  return chosen;
}

MsgAnswer Player::messageBox(std::string_view text, MsgButtons buttons, MsgIcon icon) {
  Dialog dialog;
  dialog.kind = DialogKind::MessageBox;
  dialog.buttons = buttons;
  const Dialog d =
      runDialog(std::move(dialog), trace_.line("msgbox")
                                       .str("text", text)
                                       .str("style", buttons == MsgButtons::YesNo ? "yesno" : "ok")
                                       .str("icon", IconName(icon)));
  // Nobody answered: the cautious answer.
  const MsgAnswer result =
      d.closed ? d.answer : (buttons == MsgButtons::YesNo ? MsgAnswer::No : MsgAnswer::Ok);
  trace_.emit(trace_.line("msgbox-closed").str("answer", AnswerName(result)));
  return result;
}

Player::Dialog* Player::openDialog(DialogKind kind) {
  for (auto it = dialogs_.rbegin(); it != dialogs_.rend(); ++it) {
    if (it->kind == kind && !it->closed) return &*it;
  }
  return nullptr;
}

bool Player::menuOpen() const {
  return std::any_of(dialogs_.begin(), dialogs_.end(),
                     [](const Dialog& d) { return d.kind == DialogKind::Menu && !d.closed; });
}

bool Player::messageBoxOpen() const {
  return std::any_of(dialogs_.begin(), dialogs_.end(),
                     [](const Dialog& d) { return d.kind == DialogKind::MessageBox && !d.closed; });
}

void Player::closeMenu() {
  if (Dialog* d = openDialog(DialogKind::Menu)) {
    d->chosen = std::nullopt;
    d->closed = true;
  }
}

void Player::chooseMenuItem(std::string_view itemName) {
  Dialog* d = openDialog(DialogKind::Menu);
  if (d == nullptr) {
    trace_.error("no popup menu is open");
    return;
  }
  if (itemName == "none") {
    d->chosen = std::nullopt;
    d->closed = true;
    return;
  }
  for (std::size_t i = 0; i < d->items.size(); ++i) {
    const MenuItemDesc& item = d->items[i];
    if ((item.name == itemName || item.caption == itemName) && item.visible) {
      d->chosen = static_cast<int>(i);
      d->closed = true;
      return;
    }
  }
  trace_.error("no visible menu item " + std::string(itemName));
}

void Player::answer(MsgAnswer a) {
  Dialog* d = openDialog(DialogKind::MessageBox);
  if (d == nullptr) {
    trace_.error("no message box is open");
    return;
  }
  const bool fits = d->buttons == MsgButtons::Ok ? a == MsgAnswer::Ok : a != MsgAnswer::Ok;
  if (!fits) {
    trace_.error("the message box has no button " + std::string(AnswerName(a)));
    return;
  }
  d->answer = a;
  d->closed = true;
}

}  // namespace kelvory::sim
