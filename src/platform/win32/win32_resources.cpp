#include "platform/win32/win32_resources.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <vector>

#include "platform/win32/win32_text.h"

namespace kelvory::win32 {
namespace {

int CALLBACK NoteFace(const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM found) {
  *reinterpret_cast<bool*>(found) = true;
  return 0;
}

bool Installed(const std::wstring& face) {
  if (face.empty() || face.size() >= LF_FACESIZE) return false;
  LOGFONTW query{};
  query.lfCharSet = DEFAULT_CHARSET;
  std::copy(face.begin(), face.end(), query.lfFaceName);
  bool found = false;
  ScreenDc dc;
  EnumFontFamiliesExW(dc.get(), &query, NoteFace, reinterpret_cast<LPARAM>(&found), 0);
  return found;
}

// The game names the faces of a Japanese Windows. Elsewhere (Wine, other
// locales) take the nearest face that is there and covers the same text.
std::wstring Face(const Font& font) {
  const std::wstring wanted = Widen(font.face);
  if (Installed(wanted)) return wanted;
  // A full-width or plain "P" marks the proportional member of a family.
  const bool proportional =
      wanted.find(L'\xFF30') != std::wstring::npos || wanted.find(L" P") != std::wstring::npos;
  const std::array<const wchar_t*, 4> gothic{proportional ? L"MS UI Gothic" : L"MS Gothic",
                                             proportional ? L"IPAPGothic" : L"IPAGothic", L"Meiryo",
                                             L"Tahoma"};
  const std::array<const wchar_t*, 4> mincho{proportional ? L"IPAPMincho" : L"IPAMincho",
                                             L"MS Mincho", L"Times New Roman", L"Tahoma"};
  for (const wchar_t* face : font.serif ? mincho : gothic) {
    if (Installed(face)) return face;
  }
  return {};  // GDI maps an empty face to its default
}

}  // namespace

COLORREF ToColorref(Rgb rgb) { return RGB(rgb.r, rgb.g, rgb.b); }

void Resources::setDpi(int dpi) {
  if (dpi <= 0) dpi = 96;
  scale_ = std::max(1, static_cast<int>(std::lround(dpi / 96.0)));
  dpi_ = 96 * scale_;
}

int Resources::px(double twips) const {
  // Halves go to the even neighbour (the default rounding mode).
  return static_cast<int>(std::nearbyint(twips / twipsPerPixel())) * scale_;
}

RECT Resources::toPx(const Twips& box) const {
  // Each edge rounded on its own, so windows that meet in twips meet in
  // pixels too.
  return {px(box.left), px(box.top), px(box.left + box.width), px(box.top + box.height)};
}

HFONT Resources::font(const Font& font) const {
  const auto key = std::make_tuple(font.face, font.points, font.bold, font.serif, dpi_);
  if (const auto it = fonts_.find(key); it != fonts_.end()) return it->second.get();
  const double points = font.points > 0 ? font.points : 9;
  const int height = -static_cast<int>(std::lround(points * dpi_ / 72.0));
  const std::wstring face = Face(font);
  const BYTE family = static_cast<BYTE>((font.serif ? FF_ROMAN : FF_SWISS) | VARIABLE_PITCH);
  FontHandle handle(CreateFontW(height, 0, 0, 0, font.bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE,
                                FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                                DEFAULT_QUALITY, family, face.c_str()));
  const HFONT result = handle.get();
  fonts_.emplace(key, std::move(handle));
  return result;
}

HBITMAP Resources::bitmap(const Bitmap* bitmap) const {
  if (bitmap == nullptr || bitmap->width <= 0 || bitmap->height <= 0) return nullptr;
  if (const auto it = bitmaps_.find(bitmap); it != bitmaps_.end()) return it->second.get();
  BitmapHandle dib = MakeDib(*bitmap);
  const HBITMAP result = dib.get();
  bitmaps_.emplace(bitmap, std::move(dib));
  return result;
}

BitmapHandle MakeDib(const Bitmap& bitmap) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = bitmap.width;
  info.bmiHeader.biHeight = -bitmap.height;  // top-down, like the game's rows
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  BitmapHandle dib(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!dib || bits == nullptr) return {};
  // 0x00RRGGBB in memory is blue, green, red, pad: the DIB's own order.
  const std::size_t count = static_cast<std::size_t>(bitmap.width) * bitmap.height;
  std::vector<std::uint32_t> pixels(count);
  for (std::size_t i = 0; i < count && i < bitmap.pixels.size(); ++i) {
    pixels[i] = bitmap.pixels[i] & 0xFFFFFFu;
  }
  std::memcpy(bits, pixels.data(), count * sizeof(std::uint32_t));
  GdiFlush();
  return dib;
}

IconHandle MakeIcon(const Bitmap& bitmap) {
  if (bitmap.width <= 0 || bitmap.height <= 0) return {};
  BitmapHandle colour = MakeDib(bitmap);
  // An all-zero AND mask: every pixel of the picture is shown.
  const std::size_t stride = static_cast<std::size_t>((bitmap.width + 15) / 16 * 2);
  const std::vector<unsigned char> zeros(stride * static_cast<std::size_t>(bitmap.height), 0);
  BitmapHandle mask(CreateBitmap(bitmap.width, bitmap.height, 1, 1, zeros.data()));
  if (!colour || !mask) return {};
  ICONINFO info{};
  info.fIcon = TRUE;
  info.hbmMask = mask.get();
  info.hbmColor = colour.get();
  // The icon copies both bitmaps; ours go at the end of the scope.
  return IconHandle(CreateIconIndirect(&info));
}

}  // namespace kelvory::win32
