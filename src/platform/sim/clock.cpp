#include "platform/sim/clock.h"

#include <algorithm>
#include <utility>

#include "platform/sim/game_fiber.h"

namespace kelvory::sim {

bool Clock::RunsAfter(const Queued& a, const Queued& b) {
  return a.t != b.t ? a.t > b.t : a.sequence > b.sequence;
}

Clock::Clock(std::function<void()> mainLoop) : mainLoop_(std::move(mainLoop)) {}

Clock::~Clock() { shutdown(); }

void Clock::at(Ms t, std::function<void()> action) {
  std::size_t slot = actions_.size();
  if (freeSlots_.empty()) {
    actions_.push_back(std::move(action));
  } else {
    slot = freeSlots_.back();
    freeSlots_.pop_back();
    actions_[slot] = std::move(action);
  }
  queue_.push_back(Queued{std::max(t, now_), sequence_++, slot});
  std::push_heap(queue_.begin(), queue_.end(), RunsAfter);
}

bool Clock::inGame() const { return fiber_ && fiber_->inFiber(); }

void Clock::runNext() {
  std::pop_heap(queue_.begin(), queue_.end(), RunsAfter);
  const Queued due = queue_.back();
  queue_.pop_back();
  now_ = std::max(now_, due.t);
  // Moved out first: the action may queue others, which may reuse its slot.
  const std::function<void()> action = std::move(actions_[due.slot]);
  actions_[due.slot] = nullptr;
  freeSlots_.push_back(due.slot);
  if (action) action();
}

void Clock::runDue(const std::function<bool()>& done) {
  while (hasDue(now_)) {
    runNext();
    if (done()) return;
  }
}

void Clock::step(Ms deadline) {
  if (hasDue(std::min(deadline, limit_))) {
    runNext();
    return;
  }
  if (deadline <= limit_ && deadline != Desktop::kNever) {
    // Nothing more is due by the deadline: the clock jumps to it.
    now_ = std::max(now_, deadline);
    return;
  }
  if (limit_ != Desktop::kNever) now_ = std::max(now_, limit_);
  fiber_->suspend();
}

void Clock::gameLoop() {
  try {
    mainLoop_();
  } catch (const Ended&) {
  }
}

bool Clock::run(Ms deadline) {
  if (ended_) return false;
  limit_ = deadline;
  if (!fiber_) fiber_ = std::make_unique<GameFiber>([this] { gameLoop(); });
  fiber_->resume();
  return !ended_;
}

void Clock::shutdown() { fiber_.reset(); }

}  // namespace kelvory::sim
