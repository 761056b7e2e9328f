#include "platform/sim/script.h"

#include <array>
#include <charconv>
#include <fstream>
#include <sstream>

#include "platform/sim/sim_desktop.h"
#include "platform/sim/trace.h"

namespace kelvory {

namespace {

// The "ev" values an ON line may wait for; anything else is a typo.
constexpr std::array kEvents{
    std::string_view("load"),          std::string_view("unload"),
    std::string_view("show"),          std::string_view("hide"),
    std::string_view("order"),         std::string_view("move"),
    std::string_view("picture"),       std::string_view("shape"),
    std::string_view("color"),         std::string_view("text"),
    std::string_view("visible"),       std::string_view("tooltip"),
    std::string_view("timer"),         std::string_view("msgbox"),
    std::string_view("msgbox-closed"), std::string_view("menu"),
    std::string_view("menu-closed"),   std::string_view("write"),
    std::string_view("input"),         std::string_view("refused"),
    std::string_view("screen"),        std::string_view("bite"),
    std::string_view("strike-closed"), std::string_view("meter"),
    std::string_view("flight"),        std::string_view("fight"),
    std::string_view("error"),         std::string_view("end"),
};

std::vector<std::string> words(std::string_view line) {
  std::vector<std::string> out;
  std::istringstream in{std::string(line)};
  std::string w;
  while (in >> w) out.push_back(w);
  return out;
}

bool parseMs(std::string_view s, std::int64_t& value) {
  if (s.empty()) return false;
  const auto result = std::from_chars(s.data(), s.data() + s.size(), value);
  return result.ec == std::errc() && result.ptr == s.data() + s.size() && value >= 0;
}

class Parser {
 public:
  Parser(std::string_view fileName, int line) : fileName_(fileName), line_(line) {}

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
      if (argc == 2) target(arg(1), a, true);
    } else if (verb == "release") {
      expect(0, 1);
      a.kind = ScriptAction::Kind::Release;
      if (argc == 1) target(arg(0), a, true);
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
      bool known = false;
      for (const std::string_view e : kEvents) known = known || e == c.event;
      if (!known) fail("unknown event " + c.event);
      std::size_t next = 2;
      for (; next < w.size(); ++next) {
        const std::size_t eq = w[next].find('=');
        if (eq == std::string::npos) break;
        if (eq == 0) fail("missing key in " + w[next]);
        c.fields.emplace_back(w[next].substr(0, eq), w[next].substr(eq + 1));
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
};

}  // namespace

Script parseScript(std::string_view text, std::string_view fileName) {
  Script script;
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
    script.commands.push_back(Parser(fileName, lineNo).command(w));
  }
  return script;
}

Script loadScript(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw ScriptError(path + ": cannot read the script");
  std::ostringstream text;
  text << in.rdbuf();
  return parseScript(text.str(), path);
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

void apply(SimDesktop& desktop, const Script& script) {
  for (const ScriptCommand& c : script.commands) {
    const ScriptAction action = c.action;
    auto run = [&desktop, action] { perform(desktop, action); };
    if (c.trigger == ScriptCommand::Trigger::At) {
      desktop.at(c.time, std::move(run));
    } else {
      desktop.onEveryEvent(
          c.event,
          [fields = c.fields](std::string_view line) {
            for (const auto& [key, value] : fields)
              if (sim::fieldOf(line, key) != value) return false;
            return true;
          },
          std::move(run), c.time);
    }
  }
}

}  // namespace kelvory
