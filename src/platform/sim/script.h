#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/types.h"

namespace kelvory {

class SimDesktop;

// Input scripts for the simulated desktop: one command a line; '#' at the
// start of a line or after a blank starts a comment; blank lines are ignored.
//
//   AT <ms> <action>                          at virtual time ms
//   ON <event> [<key>=<value> ...] [+<ms>] <action>
//                                             every time a trace line with
//                                             that "ev" and those fields is
//                                             printed, ms later (default 0)
//
// Actions:
//   press left|right [<win>.<ctrl>]   the default target (given to the
//   release [<win>.<ctrl>]            parser) unless one follows
//   click <win>.<ctrl>                hover <win>.<ctrl>
//   close <win>                       the title bar's close box
//   menu <caption or name>|none       picks an item of the open popup menu
//   answer yes|no|ok                  answers the open message box
//   end-session                       the user logs off
//
// An ON line may filter only on keys its event's lines have. An action
// without a target at its moment (no menu open, no such window) prints an
// "error" line and is skipped. A rule that keeps firing at one virtual
// moment (one that feeds itself, such as "ON input release") stops the run
// with a ScriptError naming its line.
struct ScriptTarget {
  std::string_view window;
  std::string_view control;
};

struct ScriptAction {
  enum class Kind { Press, Release, Click, Hover, Close, Menu, Answer, EndSession };
  Kind kind = Kind::Click;
  std::string window;
  std::string control;
  MouseButton button = MouseButton::Left;
  std::string item;  // Menu
  MsgAnswer answer = MsgAnswer::Ok;
};

struct ScriptCommand {
  enum class Trigger { At, On };
  Trigger trigger = Trigger::At;
  std::int64_t time = 0;  // At: when; On: the delay after the event
  std::string event;      // On
  std::vector<std::pair<std::string, std::string>> fields;  // On: key=value
  ScriptAction action;
  int line = 0;
};

struct Script {
  std::string fileName;  // for messages
  std::vector<ScriptCommand> commands;
};

// How often one rule may fire at a single virtual moment before the run is
// taken to be caught in a loop.
constexpr int kMaxFiringsPerMoment = 10000;

// "file:line: message".
class ScriptError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Throws ScriptError on the first bad line; fileName only names it there.
// press and release without a target go to defaultTarget; with none given,
// they need one.
Script parseScript(std::string_view text, std::string_view fileName,
                   ScriptTarget defaultTarget = {});
// Reads and parses the file; throws ScriptError when it cannot be read or
// is not a file.
Script loadScript(const std::string& path, ScriptTarget defaultTarget = {});

// Carries the action out on the desktop now.
void perform(SimDesktop& desktop, const ScriptAction& action);
// Schedules every command of the script on the desktop. A rule caught in a
// loop throws ScriptError out of the desktop's run().
void apply(SimDesktop& desktop, Script script);

}  // namespace kelvory
