#include "app/kelvory_sim/command.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <optional>
#include <ostream>
#include <string>

#include "app/kelvory_sim/shapes_dump.h"
#include "app/toy_scene.h"
#include "base/random.h"
#include "platform/sim/sim_desktop.h"

namespace kelvory {

namespace {

constexpr std::string_view kUsage =
    "usage: kelvory-sim [options] [SCRIPT]\n"
    "  --seed N                generator seed (default 1)\n"
    "  --screen WxH            screen size in pixels, 1 to 16384 (default 1920x1080)\n"
    "  --work-area-bottom PX   top of the taskbar in pixels, 1 to the screen's height\n"
    "                          (default 40 above the screen's bottom: 1040)\n"
    "  --twips-per-pixel N     1 to 1000 (default 15)\n"
    "  --dir PATH              program folder (default: the current directory)\n"
    "  --until MS              virtual time to stop at, at most 10000000000 (default 600000)\n"
    "  --script FILE           input script\n"
    "  --quiet                 print no trace (for timing the desktop itself)\n"
    "  --shapes                print every window outline and exit\n"
    "  --help                  this text\n";

// The taskbar of the default screen, kept when only the screen's size is given.
constexpr int kTaskbarPx = 40;

template <class T>
std::optional<T> Number(std::string_view s) {
  T value{};
  const auto result = std::from_chars(s.data(), s.data() + s.size(), value);
  if (s.empty() || result.ec != std::errc() || result.ptr != s.data() + s.size()) {
    return std::nullopt;
  }
  return value;
}

std::optional<int> InRange(std::string_view s, int least, int most) {
  const auto n = Number<int>(s);
  if (!n || *n < least || *n > most) return std::nullopt;
  return n;
}

struct Settings {
  SimDesktop::Options desktop;
  std::uint32_t seed = 1;
  Desktop::Ms until = 600000;
  std::string script;
  bool quiet = false;
};

// Reads the options; a message for the first bad one.
std::optional<std::string> Read(std::span<const std::string_view> args, Settings& s, bool& done,
                                std::ostream& out) {
  std::optional<int> workAreaBottom;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string_view arg = args[i];
    if (arg == "--help") {
      out << kUsage;
      done = true;
      return std::nullopt;
    }
    if (arg == "--shapes") {
      PrintShapes(out);
      done = true;
      return std::nullopt;
    }
    if (arg == "--quiet") {
      s.quiet = true;
      continue;
    }
    if (!arg.starts_with("--") && s.script.empty()) {
      s.script = arg;
      continue;
    }
    constexpr std::string_view kTakeValues[] = {
        "--seed",  "--screen", "--work-area-bottom", "--twips-per-pixel", "--dir",
        "--until", "--script"};
    bool known = false;
    for (const std::string_view o : kTakeValues) known = known || o == arg;
    if (!known) return "unknown option " + std::string(arg);
    if (i + 1 >= args.size()) return std::string(arg) + " needs a value";
    const std::string_view value = args[++i];
    const std::string bad = "bad " + std::string(arg) + " " + std::string(value);
    if (arg == "--seed") {
      const auto n = Number<std::uint32_t>(value);
      if (!n) return bad;
      s.seed = *n;
    } else if (arg == "--screen") {
      const std::size_t x = value.find('x');
      if (x == std::string_view::npos) return bad + " (WxH)";
      const auto w = InRange(value.substr(0, x), 1, kMaxScreenPx);
      const auto h = InRange(value.substr(x + 1), 1, kMaxScreenPx);
      if (!w || !h) return bad + " (each side 1 to " + std::to_string(kMaxScreenPx) + " px)";
      s.desktop.screen.widthPx = *w;
      s.desktop.screen.heightPx = *h;
    } else if (arg == "--work-area-bottom") {
      workAreaBottom = InRange(value, 1, kMaxScreenPx);
      if (!workAreaBottom) return bad + " (1 to the screen's height)";
    } else if (arg == "--twips-per-pixel") {
      const auto n = InRange(value, 1, kMaxTwipsPerPixel);
      if (!n) return bad + " (1 to " + std::to_string(kMaxTwipsPerPixel) + ")";
      s.desktop.screen.twipsPerPixel = *n;
    } else if (arg == "--dir") {
      s.desktop.folder = value;
    } else if (arg == "--until") {
      const auto n = Number<Desktop::Ms>(value);
      if (!n || *n < 0 || *n > kMaxUntilMs) {
        return bad + " (0 to " + std::to_string(kMaxUntilMs) + " ms, about 116 days)";
      }
      s.until = *n;
    } else if (arg == "--script") {
      s.script = value;
    }
  }
  ScreenMetrics& screen = s.desktop.screen;
  screen.workAreaBottomPx = workAreaBottom.value_or(std::max(1, screen.heightPx - kTaskbarPx));
  if (screen.workAreaBottomPx < 1 || screen.workAreaBottomPx > screen.heightPx) {
    return "--work-area-bottom " + std::to_string(screen.workAreaBottomPx) +
           " lies off the screen, which is " + std::to_string(screen.heightPx) + " px high";
  }
  return std::nullopt;
}

}  // namespace

int RunSimCommand(std::span<const std::string_view> args, std::ostream& out, std::ostream& err) {
  Settings settings;
  settings.desktop.keepTrace = false;  // streamed as it happens, never read back
  bool done = false;
  if (const auto message = Read(args, settings, done, out)) {
    err << "kelvory-sim: " << *message << "\n" << kUsage;
    return 2;
  }
  if (done) return 0;

  Script script;
  try {
    if (!settings.script.empty()) script = loadScript(settings.script, kReelButton);
  } catch (const ScriptError& e) {
    err << e.what() << "\n";
    return 2;
  }

  SimDesktop desk(settings.desktop);
  desk.streamTraceTo(settings.quiet ? nullptr : &out);
  LcgRandom rnd(settings.seed);
  apply(desk, std::move(script));
  int status = 0;
  try {
    ToyScene scene(desk, rnd);
    try {
      scene.start();
      desk.run(settings.until);
    } catch (const ScriptError& e) {
      // A rule caught in a loop: what was printed stands, the run stops.
      err << e.what() << "\n";
      status = 2;
    }
    desk.streamTraceTo(nullptr);  // the scene's teardown is not traced
    desk.shutdown();
  } catch (const SimDesktop::Ended&) {
    // The game ended itself; the trace says so.
  }
  return status;
}

}  // namespace kelvory
