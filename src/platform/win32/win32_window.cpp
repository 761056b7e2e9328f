#include "platform/win32/win32_window.h"

#include <commctrl.h>
#include <windowsx.h>

#include <algorithm>
#include <array>
#include <cstddef>
#include <string_view>
#include <utility>

#include "platform/win32/win32_label_text.h"
#include "platform/win32/win32_late_libraries.h"
#include "platform/win32/win32_text.h"

namespace kelvory::win32 {
namespace {

constexpr const wchar_t* kClassName = L"KelvoryWindow";

struct Styles {
  DWORD style;
  DWORD ex;
};

constexpr Styles kDialogStyles{WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN,
                               WS_EX_DLGMODALFRAME};

Styles StylesFor(Frame frame) {
  // The figures and the panel float above everything, never take focus and
  // stay out of the taskbar (a tool window has no button there).
  constexpr DWORD kFigureEx = WS_EX_TOOLWINDOW | WS_EX_TOPMOST | WS_EX_NOACTIVATE;
  switch (frame) {
    case Frame::None:
      // Only the panel takes the player's input: a figure lets every click
      // through to what lies below (which takes a layered window).
      return {WS_POPUP | WS_CLIPCHILDREN, kFigureEx | WS_EX_TRANSPARENT | WS_EX_LAYERED};
    case Frame::Thin:
      return {WS_POPUP | WS_BORDER | WS_CLIPCHILDREN, kFigureEx};
    case Frame::Dialog:
      return kDialogStyles;
    case Frame::Hidden:
      break;
  }
  return {WS_POPUP, WS_EX_TOOLWINDOW};
}

std::optional<MouseButton> ButtonOf(UINT message) {
  switch (message) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
      return MouseButton::Left;
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
      return MouseButton::Right;
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP:
      return MouseButton::Middle;
    default:
      return std::nullopt;
  }
}

bool IsPress(UINT message) {
  return message == WM_LBUTTONDOWN || message == WM_RBUTTONDOWN || message == WM_MBUTTONDOWN;
}

bool IsDrawn(ControlKind kind) {
  return kind == ControlKind::Label || kind == ControlKind::PictureBox ||
         kind == ControlKind::Image;
}

bool Empty(const RECT& r) { return r.right <= r.left || r.bottom <= r.top; }
LONG Width(const RECT& r) { return r.right - r.left; }
LONG Height(const RECT& r) { return r.bottom - r.top; }

void Fill(HDC dc, const RECT& r, Rgb colour) {
  const BrushHandle brush(CreateSolidBrush(ToColorref(colour)));
  FillRect(dc, &r, brush.get());
}

// Keeps a DC's state (clip, objects, colours) for one scope.
class SavedDc {
 public:
  explicit SavedDc(HDC dc) : dc_(dc), saved_(SaveDC(dc)) {}
  ~SavedDc() {
    if (saved_ != 0) RestoreDC(dc_, saved_);
  }
  SavedDc(const SavedDc&) = delete;
  SavedDc& operator=(const SavedDc&) = delete;

 private:
  HDC dc_;
  int saved_;
};

bool Topmost(HWND hwnd) { return (GetWindowLongPtrW(hwnd, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0; }

// A window of this program: our class, our process.
bool Ours(HWND hwnd) {
  DWORD process = 0;
  GetWindowThreadProcessId(hwnd, &process);
  std::array<wchar_t, 32> cls{};
  GetClassNameW(hwnd, cls.data(), static_cast<int>(cls.size()));
  return process == GetCurrentProcessId() && std::wstring_view(cls.data()) == kClassName;
}

TOOLINFOW ToolFor(HWND owner, UINT_PTR id) {
  TOOLINFOW tool{};
  // The older size works with every comctl32, manifest or not.
  tool.cbSize = TTTOOLINFOW_V2_SIZE;
  tool.hwnd = owner;
  tool.uId = id;
  return tool;
}

}  // namespace

bool DeskWindow::registerClass() {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof(wc);
  wc.lpfnWndProc = Proc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.lpszClassName = kClassName;
  return RegisterClassExW(&wc) != 0;
}

FrameExtents DeskWindow::dialogFrame() {
  RECT r{0, 0, 0, 0};
  AdjustWindowRectEx(&r, kDialogStyles.style, FALSE, kDialogStyles.ex);
  return {.left = -r.left, .top = -r.top, .right = r.right, .bottom = r.bottom};
}

DeskWindow::DeskWindow(WindowId id, const WindowDesc& desc, const Resources& resources,
                       WindowBatch& batch, InputSink& listener, HICON icon)
    : id_(id),
      frame_(desc.frame),
      twips_(desc.geometry),
      back_(desc.back),
      resources_(resources),
      batch_(batch),
      listener_(listener) {
  const Styles styles = StylesFor(frame_);
  const std::wstring caption = Widen(desc.caption);
  // WM_NCCREATE takes ownership of the handle, so it is never lost.
  CreateWindowExW(styles.ex, kClassName, caption.c_str(), styles.style, 0, 0, 0, 0, nullptr,
                  nullptr, GetModuleHandleW(nullptr), this);
  if (!hwnd_) return;
  // A layered window shows nothing until it is told how opaque it is.
  if ((styles.ex & WS_EX_LAYERED) != 0) SetLayeredWindowAttributes(hwnd(), 0, 255, LWA_ALPHA);
  if (frame_ == Frame::Dialog) {
    // The description gives the client area; the geometry is the frame's.
    twips_ = WithDialogFrame(twips_, dialogFrame(), resources_.grid());
  }
  if (frame_ == Frame::Dialog && desc.icon && icon != nullptr) {
    SendMessageW(hwnd(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
    SendMessageW(hwnd(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
  }
  relayout(false);
}

DeskWindow::~DeskWindow() {
  if (hwnd_) {
    // No message of the dying window may reach this half-gone object.
    SetWindowLongPtrW(hwnd(), GWLP_USERDATA, 0);
    if (GetCapture() == hwnd()) ReleaseCapture();
    batch_.forget(hwnd());
  }
  children_.clear();
  tooltip_.reset();
  hwnd_.reset();
}

LRESULT CALLBACK DeskWindow::Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
    auto* self = static_cast<DeskWindow*>(create->lpCreateParams);
    self->hwnd_.reset(hwnd);
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  auto* self = reinterpret_cast<DeskWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (self == nullptr) return DefWindowProcW(hwnd, message, wParam, lParam);
  if (message == WM_NCDESTROY) {
    // Gone without us (a failed creation): nothing left to destroy.
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    self->hwnd_.release();
    return DefWindowProcW(hwnd, message, wParam, lParam);
  }
  return self->handle(message, wParam, lParam);
}

LRESULT DeskWindow::handle(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_PAINT:
      paint();
      return 0;
    case WM_ERASEBKGND:
      return 1;  // the paint covers everything; erasing first would flicker
    case WM_MOUSEACTIVATE:
      if (frame_ != Frame::Dialog) return MA_NOACTIVATE;
      break;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP:
    case WM_MOUSEMOVE:
      onMouse(message, wParam, lParam);
      return 0;
    case WM_CAPTURECHANGED:
      grab_.reset();
      return 0;
    case WM_COMMAND:
      if (HIWORD(wParam) == BN_CLICKED && lParam != 0) {
        listener_.clicked(id_, LOWORD(wParam));
        return 0;
      }
      break;
    case WM_SYSCOMMAND:
      // A dialog minimised away would leave a modal program that takes no
      // input and shows nothing.
      if (frame_ == Frame::Dialog && (wParam & 0xFFF0) == SC_MINIMIZE) return 0;
      break;
    case WM_SIZE:
      if (frame_ == Frame::Dialog && wParam == SIZE_MINIMIZED) {
        PostMessageW(hwnd(), WM_SYSCOMMAND, SC_RESTORE, 0);
      }
      break;
    case WM_CLOSE:
      // The game decides whether the window goes.
      listener_.closeRequested(id_);
      return 0;
    case WM_QUERYENDSESSION:
      return TRUE;
    case WM_ENDSESSION:
      if (wParam) listener_.sessionEnding();
      return 0;
    case WM_DISPLAYCHANGE:
      listener_.screenChanged();
      break;
    case WM_DPICHANGED:
      // Per-monitor aware (see the manifest): the system scales nothing, the
      // scene lays itself out again from its twips.
      listener_.screenChanged();
      return 0;
    case WM_SETTINGCHANGE:
      if (wParam == SPI_SETWORKAREA) listener_.screenChanged();
      break;
    default: {
      // A restarted Explorer brings a new taskbar, maybe of another size.
      static const UINT taskbarCreated = RegisterWindowMessageW(L"TaskbarCreated");
      if (taskbarCreated != 0 && message == taskbarCreated) listener_.screenChanged();
      break;
    }
  }
  return DefWindowProcW(hwnd(), message, wParam, lParam);
}

void DeskWindow::onMouse(UINT message, WPARAM wParam, LPARAM lParam) {
  const POINT at{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
  // Copies: a handler may destroy this window.
  const WindowId id = id_;
  InputSink& listener = listener_;
  if (message == WM_MOUSEMOVE) {
    // While a button is held the control that took the press keeps the mouse.
    listener.mouseMove(id, grab_ ? *grab_ : hitTest(at));
    return;
  }
  const std::optional<MouseButton> button = ButtonOf(message);
  if (!button) return;
  if (IsPress(message)) {
    const ControlId control = grab_ ? *grab_ : hitTest(at);
    SetCapture(hwnd());
    grab_ = control;
    listener.mouseDown(id, control, *button);
    return;
  }
  const ControlId control = grab_ ? *grab_ : hitTest(at);
  constexpr WPARAM kAnyButton = MK_LBUTTON | MK_RBUTTON | MK_MBUTTON;
  if ((wParam & kAnyButton) == 0) {
    grab_.reset();
    if (GetCapture() == hwnd()) ReleaseCapture();
  }
  listener.mouseUp(id, control, *button);
}

void DeskWindow::paint() {
  const PaintDc paint(hwnd());
  const HDC dc = paint.get();
  RECT client{};
  GetClientRect(hwnd(), &client);
  if (Empty(client)) return;
  // Drawn off screen and copied in one go, so nothing flickers.
  const MemoryDc memory(CreateCompatibleDC(dc));
  const BitmapHandle buffer(CreateCompatibleBitmap(dc, client.right, client.bottom));
  if (!memory || !buffer) {
    draw(dc, client);
    return;
  }
  const Selection selected(memory.get(), buffer.get());
  draw(memory.get(), client);
  BitBlt(dc, 0, 0, client.right, client.bottom, memory.get(), 0, 0, SRCCOPY);
}

void DeskWindow::drawPicture(HDC dc, const Bitmap* bitmap, int x, int y) const {
  const HBITMAP dib = resources_.bitmap(bitmap);
  if (dib == nullptr) return;
  const MemoryDc source(CreateCompatibleDC(dc));
  if (!source) return;
  const Selection selected(source.get(), dib);
  // Pixel art: whole-number scale, no smoothing.
  const int scale = resources_.grid().pictureScale;
  SetStretchBltMode(dc, COLORONCOLOR);
  StretchBlt(dc, x, y, bitmap->width * scale, bitmap->height * scale, source.get(), 0, 0,
             bitmap->width, bitmap->height, SRCCOPY);
}

void DeskWindow::draw(HDC dc, const RECT& client) const {
  Fill(dc, client, back_);
  drawPicture(dc, picture_, 0, 0);
  for (const auto& [id, c] : children_) {
    if (!c.visible || (c.kind != ControlKind::Line && c.kind != ControlKind::Rectangle)) continue;
    const SavedDc saved(dc);
    const PenHandle pen(CreatePen(c.kind == ControlKind::Rectangle ? PS_INSIDEFRAME : PS_SOLID,
                                  std::max(1, c.lineWidth), ToColorref(c.fore)));
    SelectObject(dc, pen.get());
    SelectObject(dc, GetStockObject(NULL_BRUSH));
    if (c.kind == ControlKind::Line) {
      const int x2 = resources_.grid().px(c.line.x2);
      const int y2 = resources_.grid().px(c.line.y2);
      MoveToEx(dc, resources_.grid().px(c.line.x1), resources_.grid().px(c.line.y1), nullptr);
      LineTo(dc, x2, y2);
      // GDI leaves out a line's last pixel; the game's lines include it.
      LineTo(dc, x2 + 1, y2);
    } else {
      const RECT r = resources_.toPx(c.box);
      Rectangle(dc, r.left, r.top, r.right, r.bottom);
    }
  }
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, RGB(0, 0, 0));
  for (const Printed& p : printed_) {
    const SavedDc saved(dc);
    SelectObject(dc, p.font);
    TextOutW(dc, resources_.grid().px(p.x), resources_.grid().px(p.y), p.text.c_str(),
             static_cast<int>(p.text.size()));
  }
  for (const auto& [id, c] : children_) {
    if (c.visible && IsDrawn(c.kind)) drawChild(dc, c);
  }
}

void DeskWindow::drawChild(HDC dc, const Child& c) const {
  RECT box = resources_.toPx(c.box);
  if (Empty(box)) return;
  const SavedDc saved(dc);
  IntersectClipRect(dc, box.left, box.top, box.right, box.bottom);
  const bool opaque =
      c.kind == ControlKind::PictureBox || (c.kind == ControlKind::Label && !c.transparent);
  if (opaque) Fill(dc, box, c.back);
  drawPicture(dc, c.picture, box.left, box.top);
  if (c.kind != ControlKind::Label || c.text.empty()) return;
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, ToColorref(c.fore));
  const GdiLabelText measured(dc, c.font, c.text);
  const LabelFit fit =
      FitLabel(measured, measured.naturalSize(), box.right - box.left, box.bottom - box.top);
  SelectObject(dc, measured.at(fit.pixelSize));
  UINT flags = DT_LEFT | DT_TOP | DT_NOPREFIX;
  if (fit.wrap) flags |= DT_WORDBREAK;
  RECT text = box;
  // Clipped to the label: a lifted line still ends at its bottom.
  OffsetRect(&text, 0, -fit.lift);
  DrawTextW(dc, c.text.c_str(), static_cast<int>(c.text.size()), &text, flags | DT_NOCLIP);
  // A font in use is not deleted: the label's own goes back before the
  // smaller ones go.
  SelectObject(dc, c.font);
}

ControlId DeskWindow::hitTest(POINT client) const {
  // The last control made lies on top.
  for (auto it = children_.rbegin(); it != children_.rend(); ++it) {
    const Child& c = it->second;
    if (!c.visible || !IsDrawn(c.kind)) continue;
    const RECT box = resources_.toPx(c.box);
    if (PtInRect(&box, client)) return it->first;
  }
  return kSurface;
}

DeskWindow::Child* DeskWindow::child(ControlId control) {
  const auto it = children_.find(control);
  return it == children_.end() ? nullptr : &it->second;
}

void DeskWindow::invalidate() {
  if (hwnd_) batch_.repaint(hwnd());
}

void DeskWindow::setTwips(const Twips& geometry) {
  twips_ = geometry;
  relayout(false);
}

void DeskWindow::relayout(bool rescaled) {
  if (!hwnd_) return;
  // A dialog's geometry is its outer frame, as the game places it.
  const RECT box = resources_.toPx(twips_);
  // A window that only moves keeps its picture: the system moves the pixels
  // along, so only a new size or scale is worth a repaint.
  const RECT now = batch_.placement(hwnd());
  const bool resized = rescaled || Width(now) != Width(box) || Height(now) != Height(box);
  if (!Empty(box) && EqualRect(&now, &box) == FALSE) batch_.move(hwnd(), box);
  if (rescaled) {
    for (auto& [id, c] : children_) placeChild(id, c);
    if (shape_) applyShape();
  }
  applyVisibility();
  if (resized) invalidate();
}

void DeskWindow::applyVisibility() {
  if (!hwnd_ || frame_ == Frame::Hidden) return;
  const bool show = visibility_.onScreen(frame_, !Empty(resources_.toPx(twips_)));
  const bool shown = IsWindowVisible(hwnd()) != FALSE;
  if (show == shown) return;
  // Shown where it was last placed, with its outline: what is kept goes first.
  batch_.apply();
  if (!show) {
    ShowWindow(hwnd(), SW_HIDE);
  } else if (frame_ == Frame::Dialog) {
    ShowWindow(hwnd(), SW_SHOW);
    SetForegroundWindow(hwnd());
  } else {
    ShowWindow(hwnd(), SW_SHOWNOACTIVATE);
  }
}

void DeskWindow::setCovered(bool covered) {
  visibility_.covered = covered;
  applyVisibility();
}

void DeskWindow::setWanted(bool shown, bool) {
  visibility_.wanted = shown;
  applyVisibility();
  if (shown && frame_ == Frame::Dialog && hwnd_) {
    SetWindowPos(hwnd(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  }
}

void DeskWindow::allowInput(bool allowed) {
  if (hwnd_) EnableWindow(hwnd(), allowed);
}

void DeskWindow::sendToBack() {
  if (!hwnd_) return;
  // HWND_BOTTOM would strip a figure of its topmost place; going just below
  // the lowest of our other windows of the same band keeps it.
  const bool topmost = Topmost(hwnd());
  HWND below = nullptr;
  for (HWND h = GetTopWindow(nullptr); h != nullptr; h = GetWindow(h, GW_HWNDNEXT)) {
    if (h == hwnd() || !IsWindowVisible(h) || Topmost(h) != topmost) continue;
    if (Ours(h)) below = h;
  }
  if (below == nullptr) return;
  SetWindowPos(hwnd(), below, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void DeskWindow::bringToFront() {
  if (!hwnd_) return;
  SetWindowPos(hwnd(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void DeskWindow::retire() {
  if (hwnd_ && GetCapture() == hwnd()) ReleaseCapture();
  setWanted(false, false);
}

ShapeResult DeskWindow::setShape(const Shape& shape) {
  // The angler is given the outline it already has about every other step:
  // setting the region again would only cost the window system work.
  if (shape_ &&
      std::equal(shape_->begin(), shape_->end(), shape.rects.begin(), shape.rects.end())) {
    return ShapeResult::Ok;
  }
  shape_.emplace(shape.rects.begin(), shape.rects.end());
  return applyShape();
}

ShapeResult DeskWindow::applyShape() {
  const int s = resources_.grid().pictureScale;
  const std::vector<PixelRect>& rects = *shape_;
  // One RGNDATA buffer: far cheaper than combining hundreds of regions.
  // The rectangles follow the 32-byte header directly.
  static_assert(sizeof(RGNDATAHEADER) == 32);
  std::vector<std::byte> buffer(sizeof(RGNDATAHEADER) + rects.size() * sizeof(RECT));
  auto* data = reinterpret_cast<RGNDATA*>(buffer.data());
  data->rdh.dwSize = sizeof(RGNDATAHEADER);
  data->rdh.iType = RDH_RECTANGLES;
  data->rdh.nCount = static_cast<DWORD>(rects.size());
  data->rdh.nRgnSize = static_cast<DWORD>(rects.size() * sizeof(RECT));
  RECT bounds{0, 0, 0, 0};
  auto* out = reinterpret_cast<RECT*>(data->Buffer);
  for (std::size_t i = 0; i < rects.size(); ++i) {
    const PixelRect& r = rects[i];
    out[i] = {r.left * s, r.top * s, r.right * s, r.bottom * s};
    UnionRect(&bounds, &bounds, &out[i]);
  }
  data->rdh.rcBound = bounds;
  Region region(rects.empty() ? CreateRectRgn(0, 0, 0, 0)
                              : ExtCreateRegion(nullptr, static_cast<DWORD>(buffer.size()), data));
  if (!region) return ShapeResult::RegionFailed;
  if (!hwnd_) return ShapeResult::WindowRefused;
  batch_.reshape(hwnd(), std::move(region));
  return ShapeResult::Ok;
}

void DeskWindow::setBack(ControlId control, Rgb back) {
  Child* c = control == kSurface ? nullptr : child(control);
  if (control != kSurface && c == nullptr) return;
  // Set every step, mostly to what they already are: only a change repaints.
  Rgb& now = c != nullptr ? c->back : back_;
  if (now == back) return;
  now = back;
  invalidate();
}

void DeskWindow::setPicture(ControlId control, const Picture& picture) {
  const Bitmap* bitmap = picture.bitmap;
  Child* c = control == kSurface ? nullptr : child(control);
  if (control != kSurface && c == nullptr) return;
  const Bitmap*& now = c != nullptr ? c->picture : picture_;
  if (now == bitmap) return;
  now = bitmap;
  invalidate();
}

void DeskWindow::print(std::string_view text, double x, double y, const Font& font) {
  printed_.push_back({Widen(text), x, y, resources_.font(font)});
  invalidate();
}

void DeskWindow::clearPrinted() {
  printed_.clear();
  invalidate();
}

ControlId DeskWindow::addControl(const ControlDesc& desc) {
  const ControlId id = nextControl_++;
  Child c;
  c.kind = desc.kind;
  c.box = desc.box;
  c.line = desc.line;
  c.text = Widen(desc.text);
  c.font = resources_.font(desc.font);
  c.fore = desc.fore;
  c.back = desc.back;
  c.transparent = desc.transparent;
  c.lineWidth = desc.lineWidth;
  c.visible = desc.visible;
  if (desc.kind == ControlKind::Button && hwnd_) {
    UseCommonControls();
    // A real push button: the look and the keyboard of the platform.
    c.button.reset(CreateWindowExW(
        0, L"BUTTON", c.text.c_str(), WS_CHILD | WS_TABSTOP | BS_PUSHBUTTON, 0, 0, 0, 0, hwnd(),
        reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)), GetModuleHandleW(nullptr), nullptr));
    if (c.button) SendMessageW(c.button.get(), WM_SETFONT, reinterpret_cast<WPARAM>(c.font), TRUE);
  }
  Child& placed = children_.emplace(id, std::move(c)).first->second;
  placeChild(id, placed);
  invalidate();
  return id;
}

void DeskWindow::placeChild(ControlId id, Child& c) {
  if (c.button) {
    const RECT r = resources_.toPx(c.box);
    SetWindowPos(c.button.get(), nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    ShowWindow(c.button.get(), c.visible ? SW_SHOWNA : SW_HIDE);
  }
  if (c.tip) syncTip(id, c, false);
}

void DeskWindow::syncTip(ControlId id, const Child& c, bool fresh) {
  if (!tooltip_) return;
  // Buttons get their own mouse messages; drawn controls are areas of ours.
  TOOLINFOW tool =
      c.button ? ToolFor(hwnd(), reinterpret_cast<UINT_PTR>(c.button.get())) : ToolFor(hwnd(), id);
  tool.uFlags = TTF_SUBCLASS | (c.button ? TTF_IDISHWND : 0);
  if (!c.button && c.visible) tool.rect = resources_.toPx(c.box);
  tool.lpszText = const_cast<wchar_t*>(c.tip->c_str());
  const HWND tip = tooltip_.get();
  if (fresh) {
    SendMessageW(tip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    return;
  }
  SendMessageW(tip, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
  if (!c.button) SendMessageW(tip, TTM_NEWTOOLRECTW, 0, reinterpret_cast<LPARAM>(&tool));
}

void DeskWindow::setControlBox(ControlId control, const Twips& box) {
  Child* c = child(control);
  if (c == nullptr) return;
  c->box = box;
  placeChild(control, *c);
  invalidate();
}

void DeskWindow::setControlText(ControlId control, std::string_view text) {
  Child* c = child(control);
  if (c == nullptr) return;
  std::wstring wide = Widen(text);
  if (wide == c->text) return;
  c->text = std::move(wide);
  if (c->button) SetWindowTextW(c->button.get(), c->text.c_str());
  invalidate();
}

void DeskWindow::setControlVisible(ControlId control, bool visible) {
  Child* c = child(control);
  if (c == nullptr || c->visible == visible) return;
  c->visible = visible;
  placeChild(control, *c);
  invalidate();
}

void DeskWindow::setControlToolTip(ControlId control, std::string_view tip) {
  Child* c = child(control);
  if (c == nullptr) return;
  // Made with the first tip: most windows never show one, and a tooltip
  // window costs every figure a window and a font of its own.
  if (!tooltip_ && frame_ != Frame::Hidden) {
    UseCommonControls();
    tooltip_.reset(CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                                   WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT,
                                   CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, hwnd(), nullptr,
                                   GetModuleHandleW(nullptr), nullptr));
  }
  const bool fresh = !c->tip;
  c->tip = Widen(tip);
  syncTip(control, *c, fresh);
}

}  // namespace kelvory::win32
