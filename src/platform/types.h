#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace kelvory {

// Handles the desktop hands out. 0 is never a valid window or timer; control
// 0 means the window's own surface.
using WindowId = std::uint32_t;
using ControlId = std::uint32_t;
using TimerId = std::uint32_t;
using MenuId = std::uint32_t;
constexpr ControlId kSurface = 0;

struct Rgb {
  std::uint8_t r = 0, g = 0, b = 0;
  friend constexpr bool operator==(Rgb, Rgb) = default;
};
constexpr Rgb kBlue{0, 0, 255};
constexpr Rgb kRed{255, 0, 0};
constexpr Rgb kWhite{255, 255, 255};
constexpr Rgb kBlack{0, 0, 0};

// Window and control geometry, in twips, exactly as the game set it.
struct Twips {
  double left = 0, top = 0, width = 0, height = 0;
  friend constexpr bool operator==(const Twips&, const Twips&) = default;
};

// A line decoration from (x1, y1) to (x2, y2), twips, in its window.
struct Segment {
  double x1 = 0, y1 = 0, x2 = 0, y2 = 0;
};

// One rectangle of a window outline, pixels, right and bottom exclusive.
struct PixelRect {
  std::int32_t left = 0, top = 0, right = 0, bottom = 0;
  friend constexpr bool operator==(const PixelRect&, const PixelRect&) = default;
};

// A window outline: the rectangles, and which table and index they come
// from, which the traces print.
struct Shape {
  std::span<const PixelRect> rects;
  std::string_view table;  // "main" or "balloon"
  int index = 0;
};

// A decoded picture: width x height pixels, row by row, 0xRRGGBB each.
struct Bitmap {
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> pixels;
  std::uint32_t at(int x, int y) const { return pixels[static_cast<std::size_t>(y * width + x)]; }
};

// A picture as a window shows it: the pixels and the name of the holder it
// was copied from ("Picture1(3)"), which the traces print.
struct Picture {
  const Bitmap* bitmap = nullptr;
  std::string source;
};

struct Font {
  std::string face;  // e.g. "ＭＳ Ｐゴシック"; a desktop falls back where it is missing
  double points = 9;
  bool bold = false;
  bool serif = false;  // a serif face is wanted when the face itself is missing
};

enum class Frame {
  None,    // borderless figure: no caption, no border, no taskbar entry, no focus
  Thin,    // thin single border, no caption (the control panel)
  Dialog,  // fixed dialog with caption and close box: its geometry is the outer frame, and
           // WindowDesc's width/height give the client area the frame goes around
  Hidden,  // never shown; owns a menu
};

enum class MouseButton { Left = 1, Right = 2, Middle = 4 };

enum class ControlKind { Label, PictureBox, Image, Line, Rectangle, Button };

struct ControlDesc {
  std::string name;  // as the traces print it: "Picture1", "Picture1(3)", "Label1"
  ControlKind kind = ControlKind::Label;
  Twips box;     // every kind but Line
  Segment line;  // Line only
  std::string text;
  Font font;
  Rgb back = kWhite;
  bool transparent = true;  // labels: no back colour of their own
  Rgb fore = kBlack;
  int lineWidth = 1;  // Line and Rectangle, pixels
  bool visible = true;
};

struct WindowDesc {
  std::string name;  // "frmMan": the class name, printed in traces
  Frame frame = Frame::None;
  std::string caption;
  Rgb back{0xF0, 0xF0, 0xF0};
  bool icon = false;  // Dialog frames: show the program's icon
  Twips geometry;     // where the window starts, before any handler runs
};

struct MenuItemDesc {
  std::string name;     // "mFishList"
  std::string caption;  // "釣果履歴", or "-" for a separator
  bool visible = true;
};

enum class MsgButtons { Ok, YesNo };
enum class MsgIcon { None, Question, Warning, Error };
enum class MsgAnswer { Ok, Yes, No };

enum class ShapeResult { Ok, RegionFailed, WindowRefused };

// Moments of the game worth a timestamp: the simulated desktop prints them,
// the real desktops log them when asked to.
enum class Moment { Bite, StrikeWindowClosed, MeterStep, FlightStep, FightHalfStep };

struct ScreenMetrics {
  int widthPx = 1920;
  int heightPx = 1080;
  int workAreaBottomPx = 1040;  // the taskbar's top edge
  int twipsPerPixel = 15;
  // What the frame and caption of a Dialog add to its client area.
  int dialogFrameWidthPx = 0;
  int dialogFrameHeightPx = 0;
};

struct LocalTime {
  int year = 2000, month = 1, day = 1, hour = 0, minute = 0, second = 0;
};

}  // namespace kelvory
