#include "platform/win32/win32_resources.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "platform/core/font_choice.h"
#include "platform/win32/win32_text.h"

namespace kelvory::win32 {
namespace {

constexpr int kBaseDpi = 96;
constexpr double kPointsPerInch = 72;

int CALLBACK NoteFace(const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM found) {
  *reinterpret_cast<bool*>(found) = true;
  return 0;
}

bool Installed(std::string_view name) {
  const std::wstring face = Widen(name);
  if (face.empty() || face.size() >= LF_FACESIZE) return false;
  LOGFONTW query{};
  query.lfCharSet = DEFAULT_CHARSET;
  std::copy(face.begin(), face.end(), query.lfFaceName);
  bool found = false;
  ScreenDc dc;
  EnumFontFamiliesExW(dc.get(), &query, NoteFace, reinterpret_cast<LPARAM>(&found), 0);
  return found;
}

}  // namespace

COLORREF ToColorref(Rgb rgb) { return RGB(rgb.r, rgb.g, rgb.b); }

RECT Resources::toPx(const Twips& box) const {
  const PixelRect r = grid_.box(box);
  return {r.left, r.top, r.right, r.bottom};
}

HFONT Resources::font(const Font& font) const {
  // Fonts are sized for whole-factor device pixels, as everything else.
  const int dpi = kBaseDpi * grid_.deviceScale;
  const auto key = std::make_tuple(font.face, font.points, font.bold, font.serif, dpi);
  if (const auto it = fonts_.find(key); it != fonts_.end()) return it->second.get();
  const int height = -static_cast<int>(std::lround(ChosenPoints(font) * dpi / kPointsPerInch));
  // GDI maps an empty face to its default of the family.
  const std::wstring face = Widen(ChosenFace(font, Installed));
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
