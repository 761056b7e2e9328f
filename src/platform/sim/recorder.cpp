#include "platform/sim/recorder.h"

#include <algorithm>
#include <ostream>
#include <utility>

namespace kelvory::sim {

Recorder::Recorder(Clock& clock, bool keep) : clock_(clock), keep_(keep) { noteReaders(); }

bool Recorder::readsSome(std::string_view ev) const {
  return std::find(readEvs_.begin(), readEvs_.end(), ev) != readEvs_.end();
}

void Recorder::noteReader(std::string_view ev) {
  if (ev.empty()) {
    readsEvery_ = true;
  } else if (!readsSome(ev)) {
    readEvs_.emplace_back(ev);
    readFirsts_.set(static_cast<unsigned char>(ev[0]));
  }
}

void Recorder::noteReaders() {
  readsEvery_ = keep_ || stream_ != nullptr || watchesByEv_.contains("");
  readEvs_.clear();
  readFirsts_.reset();
  for (const auto& [ev, indices] : watchesByEv_) noteReader(ev);
  for (const Hook& h : hooks_) noteReader(h.filter.ev);
}

void Recorder::streamTo(std::ostream* out) {
  stream_ = out;
  noteReaders();
}

void Recorder::onEvent(EventFilter filter, std::function<void()> action, Ms delay) {
  const int remaining = std::max(filter.occurrence, 1);
  hooks_.push_back(Hook{std::move(filter), remaining, std::max<Ms>(delay, 0), std::move(action)});
  noteReader(hooks_.back().filter.ev);
}

void Recorder::onEveryEvent(std::string_view ev, std::function<bool(std::string_view)> match,
                            std::function<void()> action, Ms delay) {
  watches_.push_back(Watch{std::move(match), std::move(action), std::max<Ms>(delay, 0)});
  auto entry = watchesByEv_.find(ev);
  if (entry == watchesByEv_.end()) {
    entry = watchesByEv_.emplace(std::string(ev), std::vector<std::size_t>()).first;
  }
  entry->second.push_back(watches_.size() - 1);
  noteReader(ev);
}

void Recorder::fire(const Watch& w, std::string_view text) {
  if (w.match(text)) clock_.at(Later(clock_.now(), w.delay), w.action);
}

void Recorder::record(const TraceLine& line) {
  if (clock_.ended()) return;  // after "end" nothing is shown
  const std::string text = line.text();
  if (keep_) lines_.push_back(text);
  if (stream_ != nullptr) *stream_ << text << '\n';
  // Armed reactions are queued, not run here: the game is in the middle of
  // the call that wrote the line.
  std::vector<Hook> fired;
  for (auto it = hooks_.begin(); it != hooks_.end();) {
    const EventFilter& f = it->filter;
    if (f.ev == line.ev() && (f.window.empty() || f.window == line.win()) && --it->remaining <= 0) {
      fired.push_back(std::move(*it));
      it = hooks_.erase(it);
    } else {
      ++it;
    }
  }
  if (!fired.empty()) noteReaders();
  for (Hook& h : fired) clock_.at(Later(clock_.now(), h.delay), std::move(h.action));

  // The watches of this "ev" and those of every line, merged back into the
  // order they were set.
  static const std::vector<std::size_t> kNone;
  const auto own = watchesByEv_.find(line.ev());
  const auto every = watchesByEv_.find(std::string_view());
  const std::vector<std::size_t>& a = own == watchesByEv_.end() ? kNone : own->second;
  const std::vector<std::size_t>& b = every == watchesByEv_.end() ? kNone : every->second;
  std::size_t i = 0, j = 0;
  while (i < a.size() || j < b.size()) {
    const bool fromA = j >= b.size() || (i < a.size() && a[i] < b[j]);
    fire(watches_[fromA ? a[i++] : b[j++]], text);
  }
}

}  // namespace kelvory::sim
