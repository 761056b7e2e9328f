#pragma once

#include <bitset>
#include <functional>
#include <iosfwd>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "platform/sim/clock.h"
#include "platform/sim/trace.h"

namespace kelvory::sim {

// A trace line to wait for: its "ev", optionally its "win", and the n-th
// such line from now on.
struct EventFilter {
  std::string ev;
  std::string window;  // "": any
  int occurrence = 1;
};

// Where the trace goes: kept for reading back, streamed, or watched by
// reactions, which are queued on the clock (never run in the middle of the
// call that wrote the line). Lines nobody reads are not even formatted.
class Recorder {
 public:
  Recorder(Clock& clock, bool keep);

  // A line at the present time, muted when nobody would read it.
  TraceLine line(std::string_view ev) const { return TraceLine(clock_.now(), ev, !reads(ev)); }
  // Whether anyone would read a line with that "ev". Most lines are read
  // by nobody, and their first letter alone usually says so.
  bool reads(std::string_view ev) const {
    return readsEvery_ ||
           (!ev.empty() && readFirsts_.test(static_cast<unsigned char>(ev[0])) && readsSome(ev));
  }
  void emit(const TraceLine& line) {
    if (!line.muted()) record(line);
  }
  void error(std::string_view message) { emit(line("error").str("message", message)); }

  const std::vector<std::string>& lines() const { return lines_; }
  void clear() { lines_.clear(); }
  // Every later line is also written to out (with a newline).
  void streamTo(std::ostream* out);

  // Once: when the filter's line is written, action is queued delay ms later.
  void onEvent(EventFilter filter, std::function<void()> action, Ms delay);
  // Every time a line with that "ev" ("": any) is written and match holds
  // for it, action is queued delay ms later.
  void onEveryEvent(std::string_view ev, std::function<bool(std::string_view line)> match,
                    std::function<void()> action, Ms delay);

 private:
  struct Hook {
    EventFilter filter;
    int remaining = 1;
    Ms delay = 0;
    std::function<void()> action;
  };
  struct Watch {
    std::function<bool(std::string_view)> match;
    std::function<void()> action;
    Ms delay = 0;
  };

  void record(const TraceLine& line);
  bool readsSome(std::string_view ev) const;
  void noteReader(std::string_view ev);
  // Notes again which lines anyone reads, after readers went.
  void noteReaders();
  void fire(const Watch& w, std::string_view text);

  Clock& clock_;
  bool keep_;
  std::vector<std::string> lines_;
  std::ostream* stream_ = nullptr;
  std::vector<Hook> hooks_;
  // Watches in the order they were set, and their numbers by "ev", so that
  // a line looks only at its own; "" holds those that read every line.
  std::vector<Watch> watches_;
  std::map<std::string, std::vector<std::size_t>, std::less<>> watchesByEv_;
  bool readsEvery_ = true;            // every line is kept, streamed or watched
  std::vector<std::string> readEvs_;  // otherwise, the "ev"s someone waits for
  std::bitset<256> readFirsts_;       // and their first bytes
};

}  // namespace kelvory::sim
