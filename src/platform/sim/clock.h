#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "platform/desktop.h"

namespace kelvory::sim {

class GameFiber;

using Ms = Desktop::Ms;

// Thrown when the program ends, so that whoever runs the game stops.
struct Ended {};

// t + delay for a delay of 0 or more, held at kNever instead of overflowing:
// a delay too long to reach never comes.
constexpr Ms Later(Ms t, Ms delay) {
  return delay >= Desktop::kNever - t ? Desktop::kNever : t + delay;
}

// The simulated desktop's virtual clock and its queue of things to do. Time
// only moves when the game waits: a wait runs what is due, then jumps the
// clock to the next thing or to its own end. The game runs on a stack of
// its own, so a run that ends while handlers wait leaves them waiting, and
// the next run carries on where it stopped.
class Clock {
 public:
  // mainLoop: the game's outermost wait, run on its stack; it ends only
  // when the program does.
  explicit Clock(std::function<void()> mainLoop);
  ~Clock();
  Clock(const Clock&) = delete;
  Clock& operator=(const Clock&) = delete;

  Ms now() const { return now_; }

  // Runs action at virtual time t (now, if t has passed), after everything
  // already queued for that time.
  void at(Ms t, std::function<void()> action);
  // Whether the caller is the game, on its own stack.
  bool inGame() const;

  // The event loop beneath the shared core's waits. runDue() runs what is
  // due now until done() holds. step(), on the game's stack only, runs the
  // next thing due by the deadline, or else moves the clock to the
  // deadline; when the run's time is up first, or nothing could ever
  // happen, the waiting handlers stay where they are until the next run.
  void runDue(const std::function<bool()>& done);
  void step(Ms deadline);

  // From outside the game: lets it run until the deadline (for kNever,
  // until nothing is left to happen), stopping early when the program ends;
  // false once it has.
  bool run(Ms deadline);
  // The program has ended: nothing more runs.
  void end() { ended_ = true; }
  bool ended() const { return ended_; }
  // Unwinds whatever game code still waits.
  void shutdown();

 private:
  // The heap holds only these small records, so that keeping it in order
  // never moves an action; the actions wait in slots, reused once run.
  struct Queued {
    Ms t = 0;
    std::uint64_t sequence = 0;  // equal times run in the order queued
    std::size_t slot = 0;        // in actions_
  };

  // The heap's order: a runs after b.
  static bool RunsAfter(const Queued& a, const Queued& b);
  // Whether anything is due by the deadline; most looks find nothing.
  bool hasDue(Ms deadline) const {
    return !ended_ && !queue_.empty() && queue_.front().t <= deadline;
  }
  // Runs the soonest thing queued.
  void runNext();
  void gameLoop();

  std::function<void()> mainLoop_;
  Ms now_ = 0;
  bool ended_ = false;
  Ms limit_ = 0;  // the present run's deadline
  std::uint64_t sequence_ = 0;
  std::vector<Queued> queue_;  // a heap, the soonest on top
  std::vector<std::function<void()>> actions_;
  std::vector<std::size_t> freeSlots_;
  std::unique_ptr<GameFiber> fiber_;
};

}  // namespace kelvory::sim
