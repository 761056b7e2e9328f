#include "platform/template/template_desktop.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <thread>

#include "platform/core/message_box.h"
#include "platform/core/pixel_grid.h"
#include "platform/core/screen_layout.h"

namespace kelvory {
namespace {

// A wait with nothing to wake it sleeps this long at a time.
constexpr Desktop::Ms kIdleSleepMs = 60'000;
constexpr double kTwipsPerPoint = 20;

// A window that shows nothing: a new desktop's own draws, lays itself out
// and reports the mouse to the InputSink it was made with.
class NullWindow final : public NativeWindow {
 public:
  void setTwips(const Twips&) override {}
  void relayout(bool) override {}
  void setWanted(bool, bool) override {}
  void setCovered(bool) override {}
  void allowInput(bool) override {}
  void sendToBack() override {}
  void bringToFront() override {}
  void retire() override {}
  ShapeResult setShape(const Shape&) override { return ShapeResult::Ok; }
  void setBack(ControlId, Rgb) override {}
  void setPicture(ControlId, const Picture&) override {}
  void print(std::string_view, double, double, const Font&) override {}
  void clearPrinted() override {}
  ControlId addControl(const ControlDesc&) override { return ++controls_; }
  void setControlBox(ControlId, const Twips&) override {}
  void setControlText(ControlId, std::string_view) override {}
  void setControlVisible(ControlId, bool) override {}
  void setControlToolTip(ControlId, std::string_view) override {}

 private:
  ControlId controls_ = 0;
};

}  // namespace

TemplateDesktop::TemplateDesktop() = default;

// The windows go before the timers they may stop.
TemplateDesktop::~TemplateDesktop() { closeAll(); }

// A common screen with a taskbar at the bottom; a real desktop reads its own.
ScreenMetrics TemplateDesktop::metrics() const { return LayoutMetrics({}, PixelGrid{}); }

Desktop::Ms TemplateDesktop::now() const {
  return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() -
                                                               start_)
      .count();
}

LocalTime TemplateDesktop::localTime() const {
  const std::time_t t = std::time(nullptr);
  const std::tm* local = std::localtime(&t);
  if (local == nullptr) return {};
  return {local->tm_year + 1900, local->tm_mon + 1, local->tm_mday,
          local->tm_hour,        local->tm_min,     local->tm_sec};
}

// An em a character, counting UTF-8 sequences as one.
double TemplateDesktop::textWidth(const Font& font, std::string_view text) const {
  const auto characters = std::count_if(text.begin(), text.end(), [](char c) {
    return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
  });
  return static_cast<double>(characters) * font.points * kTwipsPerPoint;
}

std::string TemplateDesktop::programFolder() const { return "."; }

void TemplateDesktop::endProgram() {
  std::fflush(nullptr);
  std::_Exit(0);
}

std::unique_ptr<NativeWindow> TemplateDesktop::makeWindow(WindowId, const WindowDesc&) {
  return std::make_unique<NullWindow>();
}

std::optional<int> TemplateDesktop::trackMenu(NativeWindow&, const std::vector<MenuItemDesc>&) {
  return std::nullopt;
}

void TemplateDesktop::closeMenu() {}

// Nobody answers: a question is declined.
MsgAnswer TemplateDesktop::showMessageBox(std::string_view text, MsgButtons buttons, MsgIcon) {
  std::fprintf(stderr, "%.*s: %.*s\n", static_cast<int>(kMessageBoxCaption.size()),
               kMessageBoxCaption.data(), static_cast<int>(text.size()), text.data());
  return BoxAnswer(buttons, false);
}

void TemplateDesktop::startTimer(TimerId id, int intervalMs) {
  timers_.start(id, intervalMs, now());
}

void TemplateDesktop::stopTimer(TimerId id) { timers_.stop(id); }

bool TemplateDesktop::tickOne() {
  const auto due = timers_.takeDue(now());
  if (due) onTimer(*due);
  return due.has_value();
}

void TemplateDesktop::dispatchQueued(const std::function<bool()>& done) {
  while (tickOne()) {
    if (done()) return;
  }
}

void TemplateDesktop::waitForEvents(Ms deadline) {
  if (tickOne()) return;
  const Ms until = std::min({deadline, now() + kIdleSleepMs, timers_.nextDue()});
  std::this_thread::sleep_for(std::chrono::milliseconds(std::max<Ms>(0, until - now())));
}

void TemplateDesktop::writeLog(std::string_view line) {
  std::fwrite(line.data(), 1, line.size(), stderr);
}

}  // namespace kelvory
