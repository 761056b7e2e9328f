// kelvory-sim: runs the toy on the simulated desktop and prints the trace
// (JSON lines, see trace.h) to standard output.

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <iostream>
#include <optional>
#include <string>
#include <string_view>

#include "app/random.h"
#include "app/scene.h"
#include "assets/pictures.h"
#include "platform/sim/script.h"
#include "platform/sim/sim_desktop.h"
#include "shapes/shape_table.h"

namespace {

// Pixels of the shape inside a window of the picture's size.
int VisiblePixels(const kelvory::ShapeRecord& shape, int width, int height) {
  int n = 0;
  for (const kelvory::PixelRect& r : shape.rectangles()) {
    n += std::max(0, std::min(r.right, width) - r.left) *
         std::max(0, std::min(r.bottom, height) - r.top);
  }
  return n;
}

void PrintShape(std::string_view table, std::size_t index, const kelvory::ShapeRecord& shape,
                int width, int height) {
  const kelvory::PixelRect& b = shape.rcBound();
  std::cout << "{\"table\":\"" << table << "\",\"index\":" << index
            << ",\"rects\":" << shape.rectangles().size() << ",\"bound\":[" << b.left << ","
            << b.top << "," << b.right << "," << b.bottom << "],\"size\":[" << width << ","
            << height << "],\"visible\":" << VisiblePixels(shape, width, height) << "}\n";
}

// Every window outline, so the numbers can be checked against the pictures.
void PrintShapes() {
  const kelvory::ShapeTable table = kelvory::BuildShapeTable();
  for (std::size_t i = 0; i < table.size(); ++i) {
    const auto source = kelvory::SourceOf(static_cast<int>(i));
    // The marker has no picture: its window is 14 x 10.
    const int w = source ? source->picture->width : (i == 27 ? 14 : 0);
    const int h = source ? source->picture->height : (i == 27 ? 10 : 0);
    PrintShape("main", i, table[i], w, h);
  }
  const kelvory::BalloonShapeTable caps = kelvory::BuildBalloonShapes();
  for (std::size_t i = 0; i < caps.size(); ++i) {
    const kelvory::Bitmap* cap =
        i < 4 ? &kelvory::assets::balloonCap(static_cast<int>(i)) : nullptr;
    PrintShape("balloon", i, caps[i], cap ? cap->width : 0, cap ? cap->height : 0);
  }
}

constexpr std::string_view kUsage =
    "usage: kelvory-sim [options]\n"
    "  --seed N                generator seed (default 1)\n"
    "  --screen WxH            screen size in pixels (default 1920x1080)\n"
    "  --work-area-bottom PX   top of the taskbar in pixels (default 1040)\n"
    "  --twips-per-pixel N     default 15\n"
    "  --dir PATH              program folder (default: the current directory)\n"
    "  --until MS              virtual time to stop at (default 600000)\n"
    "  --script FILE           input script\n"
    "  --quiet                 print no trace (for timing the desktop itself)\n"
    "  --shapes                print every window outline and exit\n"
    "  --help                  this text\n";

template <class T>
std::optional<T> number(std::string_view s) {
  T value{};
  const auto result = std::from_chars(s.data(), s.data() + s.size(), value);
  if (s.empty() || result.ec != std::errc() || result.ptr != s.data() + s.size()) {
    return std::nullopt;
  }
  return value;
}

int usageError(std::string_view message) {
  std::cerr << "kelvory-sim: " << message << "\n" << kUsage;
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  std::ios::sync_with_stdio(false);
  kelvory::SimDesktop::Options options;
  options.keepTrace = false;  // streamed as it happens, never read back
  std::uint32_t seed = 1;
  kelvory::Desktop::Ms until = 600000;
  std::string scriptPath;
  bool quiet = false;

  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (arg == "--help") {
      std::cout << kUsage;
      return 0;
    }
    if (arg == "--shapes") {
      PrintShapes();
      return 0;
    }
    if (arg == "--quiet") {
      quiet = true;
      continue;
    }
    constexpr std::string_view kTakeValues[] = {
        "--seed",  "--screen", "--work-area-bottom", "--twips-per-pixel", "--dir",
        "--until", "--script"};
    if (!arg.starts_with("--") && scriptPath.empty()) {
      scriptPath = arg;
      continue;
    }
    bool known = false;
    for (const std::string_view o : kTakeValues) known = known || o == arg;
    if (!known) return usageError("unknown option " + std::string(arg));
    if (i + 1 >= argc) return usageError(std::string(arg) + " needs a value");
    const std::string_view value = argv[++i];
    if (arg == "--seed") {
      const auto n = number<std::uint32_t>(value);
      if (!n) return usageError("bad --seed " + std::string(value));
      seed = *n;
    } else if (arg == "--screen") {
      const std::size_t x = value.find('x');
      const auto w = x == std::string_view::npos ? std::nullopt : number<int>(value.substr(0, x));
      const auto h = x == std::string_view::npos ? std::nullopt : number<int>(value.substr(x + 1));
      if (!w || !h || *w <= 0 || *h <= 0) return usageError("bad --screen " + std::string(value));
      options.screen.widthPx = *w;
      options.screen.heightPx = *h;
    } else if (arg == "--work-area-bottom") {
      const auto n = number<int>(value);
      if (!n || *n <= 0) return usageError("bad --work-area-bottom " + std::string(value));
      options.screen.workAreaBottomPx = *n;
    } else if (arg == "--twips-per-pixel") {
      const auto n = number<int>(value);
      if (!n || *n <= 0) return usageError("bad --twips-per-pixel " + std::string(value));
      options.screen.twipsPerPixel = *n;
    } else if (arg == "--dir") {
      options.folder = value;
    } else if (arg == "--until") {
      const auto n = number<kelvory::Desktop::Ms>(value);
      if (!n || *n < 0) return usageError("bad --until " + std::string(value));
      until = *n;
    } else if (arg == "--script") {
      scriptPath = value;
    }
  }

  kelvory::Script script;
  if (!scriptPath.empty()) {
    try {
      script = kelvory::loadScript(scriptPath);
    } catch (const kelvory::ScriptError& e) {
      std::cerr << e.what() << "\n";
      return 2;
    }
  }

  kelvory::SimDesktop desk(options);
  desk.streamTraceTo(quiet ? nullptr : &std::cout);
  kelvory::LcgRandom rnd(seed);
  kelvory::apply(desk, script);
  try {
    kelvory::Scene scene(desk, rnd);
    scene.start();
    desk.run(until);
    desk.streamTraceTo(nullptr);  // the scene's teardown is not traced
    desk.shutdown();
  } catch (const kelvory::SimDesktop::Ended&) {
    // The game ended itself; the trace says so.
  }
  return 0;
}
