#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/types.h"

namespace kelvory {

// What the user does, delivered by the desktop to the game. A release goes to
// the control that took the press, wherever the mouse is then.
class InputSink {
 public:
  virtual ~InputSink() = default;
  virtual void mouseDown(WindowId, ControlId, MouseButton) = 0;
  virtual void mouseUp(WindowId, ControlId, MouseButton) = 0;
  virtual void mouseMove(WindowId, ControlId) = 0;
  virtual void clicked(WindowId, ControlId) = 0;  // a button was clicked
  virtual void closeRequested(WindowId) = 0;      // the title bar's close box
  // The user's session ends (log-off, shut-down, SIGTERM): save and go.
  virtual void sessionEnding() = 0;
  // The screen or the work area changed; metrics() has the new values.
  virtual void screenChanged() = 0;
};

// Everything the game needs from a window system, a clock and a disk. One
// thread: every call and every callback happens on the thread that runs the
// game. Geometry is in twips and reads back exactly as it was set; a desktop
// rounds to pixels only when it draws.
class Desktop {
 public:
  using Ms = std::int64_t;
  static constexpr Ms kNever = INT64_MAX;

  virtual ~Desktop() = default;

  virtual void setInputSink(InputSink* sink) = 0;

  // Screen, clock, calendar.
  virtual ScreenMetrics metrics() const = 0;
  virtual Ms now() const = 0;  // monotonic milliseconds
  virtual LocalTime localTime() const = 0;

  // Top-level windows. A new window is hidden.
  virtual WindowId createWindow(const WindowDesc&) = 0;
  // Its controls, timers, menus and modality go with it. Destroying or
  // touching a handle that is gone does nothing.
  virtual void destroyWindow(WindowId) = 0;
  virtual void setGeometry(WindowId, const Twips&) = 0;
  virtual void show(WindowId) = 0;
  // Shown modal: until it is hidden or destroyed, no other window takes
  // input but a modal window shown after it (the innermost one takes it).
  virtual void showModal(WindowId) = 0;
  virtual void hide(WindowId) = 0;
  virtual void sendToBack(WindowId) = 0;
  virtual void bringToFront(WindowId) = 0;
  virtual void setBackColor(WindowId, ControlId, Rgb) = 0;
  virtual void setPicture(WindowId, ControlId, const Picture&) = 0;
  // Cuts the window to the union of the shape's rectangles (pixels at the
  // desktop's base scale, scaled with its pictures).
  virtual ShapeResult setShape(WindowId, const Shape&) = 0;
  virtual void clearText(WindowId) = 0;  // removes text printed on the surface
  virtual void printText(WindowId, std::string_view text, double x, double y, const Font&) = 0;
  virtual double textWidth(const Font&, std::string_view text) const = 0;  // twips

  // Child controls.
  virtual ControlId addControl(WindowId, const ControlDesc&) = 0;
  virtual void setControlGeometry(WindowId, ControlId, const Twips&) = 0;
  virtual void setText(WindowId, ControlId, std::string_view) = 0;
  virtual void setVisible(WindowId, ControlId, bool) = 0;
  virtual void setToolTip(WindowId, ControlId, std::string_view) = 0;

  // Popup menus, owned by a window.
  virtual MenuId createMenu(WindowId owner, const std::vector<MenuItemDesc>&) = 0;
  virtual void setMenuItemVisible(MenuId, int item, bool) = 0;
  // Shows the menu at the mouse position and blocks, processing messages,
  // until it closes; returns the index of the chosen item, if any.
  virtual std::optional<int> popupMenu(MenuId) = 0;

  // A modal message box captioned "Kelvory"; blocks, processing messages.
  virtual MsgAnswer messageBox(std::string_view text, MsgButtons, MsgIcon) = 0;

  // Timers belong to a window and go with it. While enabled a timer ticks
  // every interval ms; turning it on or changing its interval restarts the
  // count, and switching on a timer that runs at that interval changes
  // nothing. The game's Timer drops a tick that comes while its own handler is
  // still running, so a desktop need not.
  virtual TimerId createTimer(WindowId owner, std::string_view name,
                              std::function<void()> tick) = 0;
  virtual void setTimer(TimerId, bool enabled, int intervalMs) = 0;
  virtual void destroyTimer(TimerId) = 0;

  // Dispatches everything that is due now, then returns.
  virtual void processPending() = 0;
  // Dispatches messages, blocking between them, until done() holds or the
  // clock has reached the deadline; everything due by the deadline is
  // dispatched first. done is tested before anything is dispatched and after
  // every message. Handlers may wait again: waits nest.
  virtual void waitUntil(Ms deadline, const std::function<bool()>& done) = 0;

  // Settings: one value of a profile file ("[Section]" and "key=value"
  // lines), the way the platform's profile calls read and write it.
  virtual std::string programFolder() const = 0;
  // "" when the file, the section or the key is missing; nothing when the
  // file exists but cannot be read.
  virtual std::optional<std::string> readProfileString(std::string_view section,
                                                       std::string_view key,
                                                       const std::string& path) = 0;
  // Returns false when the value could not be stored.
  virtual bool writeProfileString(std::string_view section, std::string_view key,
                                  std::string_view value, const std::string& path) = 0;

  virtual void mark(Moment) = 0;

  // Ends the program at once: no further handler runs, nothing is shown.
  [[noreturn]] virtual void endProgram() = 0;
};

}  // namespace kelvory
