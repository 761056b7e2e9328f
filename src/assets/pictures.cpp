#include "assets/pictures.h"

#include <array>
#include <cstdlib>
#include <stdexcept>
#include <string>
#include <string_view>
#include <unordered_map>

namespace kelvory::assets {
namespace {

#include "assets/angler0.xpm"
#include "assets/angler1.xpm"
#include "assets/angler2.xpm"
#include "assets/angler3.xpm"
#include "assets/angler4.xpm"
#include "assets/angler5.xpm"
#include "assets/angler6.xpm"
#include "assets/cap0.xpm"
#include "assets/cap1.xpm"
#include "assets/cap2.xpm"
#include "assets/cap3.xpm"
#include "assets/certificate.xpm"
#include "assets/fish0.xpm"
#include "assets/fish1.xpm"
#include "assets/fish10.xpm"
#include "assets/fish11.xpm"
#include "assets/fish12.xpm"
#include "assets/fish2.xpm"
#include "assets/fish3.xpm"
#include "assets/fish4.xpm"
#include "assets/fish5.xpm"
#include "assets/fish6.xpm"
#include "assets/fish7.xpm"
#include "assets/fish8.xpm"
#include "assets/fish9.xpm"
#include "assets/float0.xpm"
#include "assets/float1.xpm"
#include "assets/float2.xpm"
#include "assets/float3.xpm"
#include "assets/float4.xpm"
#include "assets/float5.xpm"
#include "assets/history0.xpm"
#include "assets/history1.xpm"
#include "assets/history10.xpm"
#include "assets/history11.xpm"
#include "assets/history12.xpm"
#include "assets/history2.xpm"
#include "assets/history3.xpm"
#include "assets/history4.xpm"
#include "assets/history5.xpm"
#include "assets/history6.xpm"
#include "assets/history7.xpm"
#include "assets/history8.xpm"
#include "assets/history9.xpm"
#include "assets/hook.xpm"
#include "assets/icon.xpm"
#include "assets/powerbar.xpm"

using Xpm = const char* const*;

constexpr std::array<Xpm, 7> kAngler{angler0_xpm, angler1_xpm, angler2_xpm, angler3_xpm,
                                     angler4_xpm, angler5_xpm, angler6_xpm};
constexpr std::array<Xpm, 6> kFloat{float0_xpm, float1_xpm, float2_xpm,
                                    float3_xpm, float4_xpm, float5_xpm};
// One fish and one history picture per species, in catalogue order.
constexpr std::array kFish{fish0_xpm,  fish1_xpm,  fish2_xpm, fish3_xpm, fish4_xpm,
                           fish5_xpm,  fish6_xpm,  fish7_xpm, fish8_xpm, fish9_xpm,
                           fish10_xpm, fish11_xpm, fish12_xpm};
constexpr std::array<Xpm, 4> kCap{cap0_xpm, cap1_xpm, cap2_xpm, cap3_xpm};
constexpr std::array kHistory{history0_xpm, history1_xpm, history2_xpm,  history3_xpm,
                              history4_xpm, history5_xpm, history6_xpm,  history7_xpm,
                              history8_xpm, history9_xpm, history10_xpm, history11_xpm,
                              history12_xpm};

// Each picture decoded on first use; the cache lives as long as the program.
const Bitmap& Cached(Xpm xpm) {
  // Hashed: every picture set looks here, and there are some fifty.
  static std::unordered_map<Xpm, Bitmap> cache;
  auto it = cache.find(xpm);
  if (it == cache.end()) it = cache.emplace(xpm, DecodeXpm(xpm)).first;
  return it->second;
}

template <std::size_t N>
const Bitmap& Pick(const std::array<Xpm, N>& table, int index) {
  return Cached(table.at(static_cast<std::size_t>(index)));
}

int ParseInt(std::string_view text, std::size_t& pos) {
  while (pos < text.size() && text[pos] == ' ') ++pos;
  int value = 0;
  bool any = false;
  while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9') {
    value = value * 10 + (text[pos++] - '0');
    any = true;
  }
  if (!any) throw std::invalid_argument("xpm: bad header");
  return value;
}

}  // namespace

Bitmap DecodeXpm(Xpm xpm) {
  const std::string_view header = xpm[0];
  std::size_t pos = 0;
  Bitmap bitmap;
  bitmap.width = ParseInt(header, pos);
  bitmap.height = ParseInt(header, pos);
  const int colours = ParseInt(header, pos);
  if (ParseInt(header, pos) != 1) throw std::invalid_argument("xpm: one character per pixel");

  std::array<std::uint32_t, 256> palette{};
  std::array<bool, 256> known{};
  for (int i = 1; i <= colours; ++i) {
    const std::string_view line = xpm[i];
    // "<char> c #RRGGBB"; the pixel character itself may be '#'.
    const auto colour = line.find(" c #", 1);
    if (colour == std::string_view::npos || line.size() < colour + 10)
      throw std::invalid_argument("xpm: bad colour");
    const auto hash = colour + 3;
    const auto code = static_cast<unsigned char>(line[0]);
    palette[code] = static_cast<std::uint32_t>(
        std::strtoul(std::string(line.substr(hash + 1, 6)).c_str(), nullptr, 16));
    known[code] = true;
  }
  bitmap.pixels.reserve(static_cast<std::size_t>(bitmap.width * bitmap.height));
  for (int y = 0; y < bitmap.height; ++y) {
    const std::string_view row = xpm[1 + colours + y];
    if (row.size() != static_cast<std::size_t>(bitmap.width))
      throw std::invalid_argument("xpm: bad row");
    for (const char c : row) {
      const auto code = static_cast<unsigned char>(c);
      if (!known[code]) throw std::invalid_argument("xpm: unknown colour");
      bitmap.pixels.push_back(palette[code]);
    }
  }
  return bitmap;
}

const Bitmap& angler(int frame) { return Pick(kAngler, frame); }
const Bitmap& floatFrame(int frame) { return Pick(kFloat, frame); }
const Bitmap& fish(int species) { return Pick(kFish, species); }
const Bitmap& emptyHook() { return Cached(hook_xpm); }
const Bitmap& balloonCap(int cap) { return Pick(kCap, cap); }
const Bitmap& powerBar() { return Cached(powerbar_xpm); }
const Bitmap& historySprite(int species) { return Pick(kHistory, species); }
const Bitmap& icon() { return Cached(icon_xpm); }
const Bitmap& certificate() { return Cached(certificate_xpm); }

}  // namespace kelvory::assets
