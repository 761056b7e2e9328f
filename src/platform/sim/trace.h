#pragma once

// The simulated desktop's trace: one JSON object per line, one line per
// observable change, in the order the changes happen. Every line starts with
// "t" (virtual milliseconds since the program started) and "ev"; the other
// keys depend on "ev". Window and control names are the ones the program
// gave them; the window surface is the control "".
// Every property set prints a line, even when the value stays the same,
// except move, which prints only when the geometry changes. Geometry is in twips, printed as the
// game set it (integers without a fraction). Strings are JSON-escaped; UTF-8 passes through
// unchanged; a byte that is not UTF-8 is written as \u00XX, its own number.
//
//   load      win, id, rgb                   a window was created (hidden), its back colour
//   unload    win                            a window was destroyed
//   show      win[, modal:true]              a window was shown
//   hide      win
//   order     win, to:"front"|"back"         a window changed its z-order
//   move      win, ctrl, left, top, width, height
//   picture   win, ctrl, src                  a picture was set
//   shape     win, table, index, rects       the window outline was set
//   color     win, ctrl, rgb:"#RRGGBB"        a back colour was set
//   text      win, ctrl, text                 a control's text was set
//   text      win, ctrl:"", x, y, text        text was printed on the surface
//   text      win, ctrl:"", clear:true        the printed text was cleared
//   visible   win, ctrl, visible
//   visible   win, item, visible             a menu item was shown or hidden
//   tooltip   win, ctrl, text
//   timer     win, ctrl, enabled, interval   a timer (ctrl: its name) was set
//   msgbox    text, style, icon              a message box opened (it blocks)
//   msgbox-closed  answer
//   menu      win, items:[names]             a popup menu opened (visible items)
//   menu-closed    item (a name or null)
//   write     file, section, key, value, ok  a profile value was written
//   input     action, win[, ctrl][, button]   an input action was delivered
//   refused   action, win[, ctrl]             input refused: another window is
//                                            the innermost modal one, or a
//                                            message box or menu is open
//   screen    width, height, workAreaBottom, twipsPerPixel
//   bite, strike-closed, meter, flight, fight   moments the game marked
//   error     message                        a test or script asked for
//                                            something that is not there
//   end                                      the program ended

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kelvory::sim {

// The text of s as the inside of a JSON string literal.
std::string jsonEscape(std::string_view s);
// A number the way the trace prints it: integral values without a fraction,
// others in the shortest form that reads back exactly.
std::string jsonNumber(double value);

// The value of key in a trace line: strings unescaped, other values as
// printed; "" when the line has no such key.
std::string fieldOf(std::string_view line, std::string_view key);

// Builds one trace line: {"t":..,"ev":..,...}; ev must outlive the line.
// A muted line is one nobody will read: it keeps its "ev" and formats
// nothing, so an untraced run costs next to no time.
class TraceLine {
 public:
  TraceLine(std::int64_t t, std::string_view ev, bool muted = false) : muted_(muted), ev_(ev) {
    if (!muted_) begin(t);
  }
  TraceLine& str(std::string_view key, std::string_view value) {
    if (!muted_) addStr(key, value);
    return *this;
  }
  TraceLine& num(std::string_view key, double value) {
    if (!muted_) addNum(key, value);
    return *this;
  }
  TraceLine& integer(std::string_view key, std::int64_t value) {
    if (!muted_) addInteger(key, value);
    return *this;
  }
  TraceLine& boolean(std::string_view key, bool value) {
    if (!muted_) addRaw(key, value ? "true" : "false");
    return *this;
  }
  TraceLine& null(std::string_view key) {
    if (!muted_) addRaw(key, "null");
    return *this;
  }
  TraceLine& strings(std::string_view key, const std::vector<std::string>& values) {
    if (!muted_) addStrings(key, values);
    return *this;
  }
  std::string_view ev() const { return ev_; }
  const std::string& win() const { return win_; }  // its "win" value, if any
  bool muted() const { return muted_; }
  std::string text() const { return text_ + "}"; }

 private:
  void begin(std::int64_t t);
  void key(std::string_view k);
  void addStr(std::string_view key, std::string_view value);
  void addNum(std::string_view key, double value);
  void addInteger(std::string_view key, std::int64_t value);
  void addRaw(std::string_view key, std::string_view value);
  void addStrings(std::string_view key, const std::vector<std::string>& values);

  bool muted_;
  std::string_view ev_;
  std::string win_;
  std::string text_;
};

}  // namespace kelvory::sim
