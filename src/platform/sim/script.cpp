#include "platform/sim/script.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>

#include "platform/sim/sim_desktop.h"
#include "platform/sim/trace.h"

namespace kelvory {

namespace {

// The "ev" values an ON line may wait for, and the keys their lines have
// besides "t" and "ev"; anything else is a typo.
struct EventKeys {
  std::string_view ev;
  std::array<std::string_view, 6> keys;
};
constexpr std::array<EventKeys, 28> kEvents{{
    {"load", {"win", "id", "rgb"}},
    {"unload", {"win"}},
    {"show", {"win", "modal"}},
    {"hide", {"win"}},
    {"order", {"win", "to"}},
    {"move", {"win", "ctrl", "left", "top", "width", "height"}},
    {"picture", {"win", "ctrl", "src"}},
    {"shape", {"win", "table", "index", "rects"}},
    {"color", {"win", "ctrl", "rgb"}},
    {"text", {"win", "ctrl", "text", "x", "y", "clear"}},
    {"visible", {"win", "ctrl", "item", "visible"}},
    {"tooltip", {"win", "ctrl", "text"}},
    {"timer", {"win", "ctrl", "enabled", "interval"}},
    {"msgbox", {"text", "style", "icon"}},
    {"msgbox-closed", {"answer"}},
    {"menu", {"win", "items"}},
    {"menu-closed", {"item"}},
    {"write", {"file", "section", "key", "value", "ok"}},
    {"input", {"action", "win", "ctrl", "button"}},
    {"refused", {"action", "win", "ctrl"}},
    {"screen", {"width", "height", "workAreaBottom", "twipsPerPixel"}},
    {"bite", {}},
    {"strike-closed", {}},
    {"meter", {}},
    {"flight", {}},
    {"fight", {}},
    {"error", {"message"}},
    {"end", {}},
}};

const EventKeys* FindEvent(std::string_view ev) {
  for (const EventKeys& e : kEvents) {
    if (e.ev == ev) return &e;
  }
  return nullptr;
}

bool HasKey(const EventKeys& e, std::string_view key) {
  if (key == "t" || key == "ev") return true;
  return std::find(e.keys.begin(), e.keys.end(), key) != e.keys.end() && !key.empty();
}

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

std::vector<std::string> words(std::string_view line) {
  constexpr std::string_view kBlanks = " \t\r\v\f";
  std::vector<std::string> out;
  for (std::size_t pos = line.find_first_not_of(kBlanks); pos != std::string_view::npos;) {
    const std::size_t end = std::min(line.find_first_of(kBlanks, pos), line.size());
    out.emplace_back(line.substr(pos, end - pos));
    pos = line.find_first_not_of(kBlanks, end);
  }
  return out;
}

bool parseMs(std::string_view s, std::int64_t& value) {
  if (s.empty()) return false;
  const auto result = std::from_chars(s.data(), s.data() + s.size(), value);
  return result.ec == std::errc() && result.ptr == s.data() + s.size() && value >= 0;
}

class Parser {
 public:
  Parser(std::string_view fileName, int line, ScriptTarget defaultTarget)
      : fileName_(fileName), line_(line), default_(defaultTarget) {}

  [[noreturn]] void fail(std::string_view message) const {
    throw ScriptError(std::string(fileName_) + ":" + std::to_string(line_) + ": " +
                      std::string(message));
  }

  // "<win>.<ctrl>"; the control's name may hold dots of its own.
  void target(const std::string& word, ScriptAction& a, bool needsControl) const {
    const std::size_t dot = word.find('.');
    if (dot == std::string::npos) {
      if (needsControl) fail("expected <window>.<control>, got " + word);
      a.window = word;
      a.control.clear();
      return;
    }
    a.window = word.substr(0, dot);
    a.control = word.substr(dot + 1);
    if (a.window.empty() || a.control.empty()) fail("expected <window>.<control>, got " + word);
  }

  ScriptAction action(const std::vector<std::string>& w, std::size_t from) const {
    if (from >= w.size()) fail("missing action");
    const std::string& verb = w[from];
    const std::size_t argc = w.size() - from - 1;
    const auto arg = [&](std::size_t i) -> const std::string& { return w[from + 1 + i]; };
    const auto expect = [&](std::size_t least, std::size_t most) {
      if (argc < least || argc > most) fail("wrong number of arguments to " + verb);
    };
    ScriptAction a;
    const auto byDefault = [&] {
      if (default_.window.empty()) fail(verb + " needs a target <window>.<control>");
      a.window = default_.window;
      a.control = default_.control;
    };
    if (verb == "press") {
      expect(1, 2);
      a.kind = ScriptAction::Kind::Press;
      if (arg(0) == "left") {
        a.button = MouseButton::Left;
      } else if (arg(0) == "right") {
        a.button = MouseButton::Right;
      } else {
        fail("press left or press right, not press " + arg(0));
      }
      if (argc == 2) {
        target(arg(1), a, true);
      } else {
        byDefault();
      }
    } else if (verb == "release") {
      expect(0, 1);
      a.kind = ScriptAction::Kind::Release;
      if (argc == 1) {
        target(arg(0), a, true);
      } else {
        byDefault();
      }
    } else if (verb == "click" || verb == "hover") {
      expect(1, 1);
      a.kind = verb == "click" ? ScriptAction::Kind::Click : ScriptAction::Kind::Hover;
      target(arg(0), a, true);
    } else if (verb == "close") {
      expect(1, 1);
      a.kind = ScriptAction::Kind::Close;
      target(arg(0), a, false);
    } else if (verb == "menu") {
      expect(1, 1);
      a.kind = ScriptAction::Kind::Menu;
      a.item = arg(0);
    } else if (verb == "answer") {
      expect(1, 1);
      a.kind = ScriptAction::Kind::Answer;
      if (arg(0) == "ok") {
        a.answer = MsgAnswer::Ok;
      } else if (arg(0) == "yes") {
        a.answer = MsgAnswer::Yes;
      } else if (arg(0) == "no") {
        a.answer = MsgAnswer::No;
      } else {
        fail("unknown answer " + arg(0));
      }
    } else if (verb == "end-session") {
      expect(0, 0);
      a.kind = ScriptAction::Kind::EndSession;
    } else {
      fail("unknown action " + verb);
    }
    return a;
  }

  ScriptCommand command(const std::vector<std::string>& w) const {
    ScriptCommand c;
    c.line = line_;
    if (w[0] == "AT") {
      c.trigger = ScriptCommand::Trigger::At;
      if (w.size() < 2 || !parseMs(w[1], c.time)) fail("AT needs a time in ms");
      c.action = action(w, 2);
    } else if (w[0] == "ON") {
      c.trigger = ScriptCommand::Trigger::On;
      if (w.size() < 2) fail("ON needs an event");
      c.event = w[1];
      const EventKeys* event = FindEvent(c.event);
      if (event == nullptr) fail("unknown event " + c.event);
      std::size_t next = 2;
      for (; next < w.size(); ++next) {
        const std::size_t eq = w[next].find('=');
        if (eq == std::string::npos) break;
        if (eq == 0) fail("missing key in " + w[next]);
        std::string key = w[next].substr(0, eq);
        if (!HasKey(*event, key)) fail(c.event + " lines have no key " + key);
        c.fields.emplace_back(std::move(key), w[next].substr(eq + 1));
      }
      if (next < w.size() && w[next].starts_with('+')) {
        if (!parseMs(std::string_view(w[next]).substr(1), c.time)) fail("bad delay " + w[next]);
        ++next;
      }
      c.action = action(w, next);
    } else {
      fail("unknown command " + w[0] + " (AT or ON)");
    }
    return c;
  }

 private:
  std::string_view fileName_;
  int line_;
  ScriptTarget default_;
};

}  // namespace

Script parseScript(std::string_view text, std::string_view fileName, ScriptTarget defaultTarget) {
  Script script;
  script.fileName = fileName;
  if (text.starts_with(kByteOrderMark)) text.remove_prefix(kByteOrderMark.size());
  int lineNo = 0;
  std::size_t pos = 0;
  while (pos <= text.size()) {
    const std::size_t end = std::min(text.find('\n', pos), text.size());
    std::string_view line = text.substr(pos, end - pos);
    pos = end + 1;
    ++lineNo;
    // '#' opens a comment at the start of a line or after a blank, so that
    // values such as rgb=#FF0000 keep theirs.
    for (std::size_t hash = line.find('#'); hash != std::string_view::npos;
         hash = line.find('#', hash + 1)) {
      if (hash == 0 || line[hash - 1] == ' ' || line[hash - 1] == '\t') {
        line = line.substr(0, hash);
        break;
      }
    }
    const std::vector<std::string> w = words(line);
    if (w.empty()) continue;
    script.commands.push_back(Parser(fileName, lineNo, defaultTarget).command(w));
  }
  return script;
}

Script loadScript(const std::string& path, ScriptTarget defaultTarget) {
  std::error_code ec;
  if (std::filesystem::is_directory(path, ec)) {
    throw ScriptError(path + ": is a folder, not a script");
  }
  std::ifstream in(path, std::ios::binary);
  if (!in) throw ScriptError(path + ": cannot read the script");
  std::ostringstream text;
  text << in.rdbuf();
  if (in.bad()) throw ScriptError(path + ": cannot read the script");
  return parseScript(text.str(), path, defaultTarget);
}

void perform(SimDesktop& desktop, const ScriptAction& a) {
  switch (a.kind) {
    case ScriptAction::Kind::Press:
      desktop.press(a.window, a.control, a.button);
      break;
    case ScriptAction::Kind::Release:
      desktop.release(a.window, a.control, a.button);
      break;
    case ScriptAction::Kind::Click:
      desktop.click(a.window, a.control);
      break;
    case ScriptAction::Kind::Hover:
      desktop.hover(a.window, a.control);
      break;
    case ScriptAction::Kind::Close:
      desktop.close(a.window);
      break;
    case ScriptAction::Kind::Menu:
      desktop.chooseMenuItem(a.item);
      break;
    case ScriptAction::Kind::Answer:
      desktop.answer(a.answer);
      break;
    case ScriptAction::Kind::EndSession:
      desktop.endSession();
      break;
  }
}

namespace {

// Counts a rule's firings at the present virtual moment, so that a rule
// which feeds itself stops the run instead of spinning forever.
struct FiringCount {
  Desktop::Ms moment = -1;
  int count = 0;
};

struct AppliedScript {
  Script script;
  std::vector<FiringCount> counts;  // by command
};

void Fire(SimDesktop& desktop, AppliedScript& applied, std::size_t index) {
  const ScriptCommand& c = applied.script.commands[index];
  FiringCount& n = applied.counts[index];
  if (n.moment != desktop.now()) n = FiringCount{desktop.now(), 0};
  if (++n.count > kMaxFiringsPerMoment) {
    throw ScriptError(applied.script.fileName + ":" + std::to_string(c.line) + ": ON " + c.event +
                      " fired " + std::to_string(kMaxFiringsPerMoment) + " times at " +
                      std::to_string(desktop.now()) +
                      " ms without time passing (does its action make the line it waits "
                      "for?); stopped");
  }
  perform(desktop, c.action);
}

bool Matches(const ScriptCommand& c, std::string_view line) {
  for (const auto& [key, value] : c.fields)
    if (sim::fieldOf(line, key) != value) return false;
  return true;
}

}  // namespace

void apply(SimDesktop& desktop, Script script) {
  // Shared by every rule's reactions, which outlive this call.
  const auto applied = std::make_shared<AppliedScript>();
  applied->counts.resize(script.commands.size());
  applied->script = std::move(script);
  const std::vector<ScriptCommand>& commands = applied->script.commands;
  for (std::size_t i = 0; i < commands.size(); ++i) {
    const ScriptCommand& c = commands[i];
    if (c.trigger == ScriptCommand::Trigger::At) {
      desktop.at(c.time, [&desktop, &action = c.action, applied] { perform(desktop, action); });
    } else {
      desktop.onEveryEvent(
          c.event, [&c, applied](std::string_view line) { return Matches(c, line); },
          [&desktop, applied, i] { Fire(desktop, *applied, i); }, c.time);
    }
  }
}

}  // namespace kelvory
