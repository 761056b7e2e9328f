#include "session.h"

#include <unistd.h>

#include <fstream>
#include <sstream>

#include "platform/sim/trace.h"

namespace kelvory::testing {
namespace {

std::filesystem::path FreshFolder() {
  static int count = 0;
  auto dir = std::filesystem::temp_directory_path() /
             ("kelvory-test-" + std::to_string(::getpid()) + "-" + std::to_string(++count));
  std::filesystem::remove_all(dir);
  std::filesystem::create_directories(dir);
  return dir;
}

SimDesktop::Options OptionsFor(ScreenMetrics screen, const std::filesystem::path& dir,
                               bool keepTrace) {
  SimDesktop::Options options;
  options.screen = screen;
  options.folder = dir.string();
  options.keepTrace = keepTrace;
  return options;
}

Event Parse(const std::string& line) {
  Event e;
  e.line = line;
  e.ev = e["ev"];
  e.t = static_cast<std::int64_t>(e.num("t"));
  return e;
}

}  // namespace

std::string Event::operator[](std::string_view key) const { return sim::fieldOf(line, key); }

double Event::num(std::string_view key) const {
  const std::string v = (*this)[key];
  return v.empty() ? 0.0 : std::stod(v);
}

Session::Session(ScreenMetrics screen, std::uint32_t seed, bool keepTrace)
    : dir(FreshFolder()), desk(OptionsFor(screen, dir, keepTrace)), rnd(seed), scene(desk, rnd) {}

Session::~Session() {
  desk.shutdown();
  std::error_code ignored;
  std::filesystem::remove_all(dir, ignored);
}

void Session::writeIni(std::string_view text) {
  std::ofstream(dir / "KVY.ini", std::ios::binary) << text;
}

std::string Session::ini() const {
  std::ifstream in(dir / "KVY.ini", std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

std::string Session::tyouka() const {
  const std::string text = ini();
  const auto pos = text.find("Tyouka=");
  if (pos == std::string::npos) return {};
  return text.substr(pos + 7, text.find_first_of("\r\n", pos) - pos - 7);
}

void Session::start() {
  try {
    scene.start();
  } catch (const SimDesktop::Ended&) {
  }
}

bool Session::runUntil(Desktop::Ms t) { return desk.run(t); }

const SimDesktop::WindowState& Session::window(std::string_view name) const {
  const auto* w = desk.findWindow(name);
  if (!w) throw std::runtime_error("no window " + std::string(name));
  return *w;
}

Rgb Session::buttonColour() const { return window("frmCon").control("Picture1")->back; }

bool Session::timerOn(std::string_view win, std::string_view timer) const {
  bool on = false;
  for (const Event& e : events("timer", win))
    if (e["ctrl"] == timer) on = e["enabled"] == "true";
  return on;
}

double Session::anglerRightEdge() const {
  const Twips& g = window("frmMan").geometry;
  return g.left + g.width;
}

std::vector<Event> Session::events(std::string_view ev, std::string_view win) const {
  std::vector<Event> found;
  for (const std::string& line : desk.trace()) {
    Event e = Parse(line);
    if (e.ev == ev && (win.empty() || e["win"] == win)) found.push_back(std::move(e));
  }
  return found;
}

std::vector<Event> Session::about(std::string_view win) const {
  std::vector<Event> found;
  for (const std::string& line : desk.trace()) {
    Event e = Parse(line);
    const std::string w = e["win"];
    if (w == win || (w.empty() && e["ctrl"].empty())) found.push_back(std::move(e));
  }
  return found;
}

std::vector<Event> Session::printed(std::string_view win) const {
  std::vector<Event> found;
  for (Event& e : events("text", win))
    if (e["ctrl"].empty() && e["clear"].empty()) found.push_back(std::move(e));
  return found;
}

void Session::pressAt(Desktop::Ms t, MouseButton button) {
  desk.at(t, [this, button] { desk.press("frmCon", "Picture1", button); });
}

void Session::releaseAt(Desktop::Ms t) {
  desk.at(t, [this] { desk.release("frmCon", "Picture1"); });
}

void Session::castAt(Desktop::Ms charge, Desktop::Ms stop) {
  pressAt(charge);
  releaseAt(charge);
  pressAt(stop);
  releaseAt(stop);
}

void Session::playFights(Desktop::Ms reaction) {
  strikeEveryBite(reaction);
  watchFight();
}

void Session::strikeEveryBite(Desktop::Ms reaction) {
  desk.onEvent(
      "bite",
      [this, reaction] {
        desk.press("frmCon", "Picture1");
        // No fight came of it (too late, or landed at once): let go.
        desk.at(desk.now() + 100, [this] {
          const auto* marker = desk.findWindow("frmV");
          if (!(marker && marker->visible) && scene.st.ButtonDown)
            desk.release("frmCon", "Picture1");
        });
        strikeEveryBite(reaction);
      },
      reaction);
}

void Session::watchFight() {
  desk.at(desk.now() + 5, [this] {
    const auto* marker = desk.findWindow("frmV");
    if (marker && marker->visible) {
      const Rgb colour = buttonColour();
      if (colour == kRed && scene.st.ButtonDown) desk.release("frmCon", "Picture1");
      if (colour == kBlue && !scene.st.ButtonDown) desk.press("frmCon", "Picture1");
    }
    watchFight();
  });
}

}  // namespace kelvory::testing
