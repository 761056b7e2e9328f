#pragma once

#include <condition_variable>
#include <exception>
#include <functional>
#include <mutex>
#include <thread>

namespace kelvory::sim {

// Runs a body on its own stack, strictly taking turns with its host: only
// one of the two ever runs, so the pair behaves like a single thread. The
// game's nested waits can then stop at a test's deadline and carry on with
// the next run, instead of unwinding the handlers that are waiting.
class GameFiber {
 public:
  // Thrown out of suspend() when the fiber is torn down while suspended,
  // so the body's stack unwinds; the body must let it pass.
  struct Cancelled {};

  explicit GameFiber(std::function<void()> body);
  ~GameFiber();  // unwinds a suspended body, then joins it
  GameFiber(const GameFiber&) = delete;
  GameFiber& operator=(const GameFiber&) = delete;

  // Host: lets the body run until it suspends or returns; rethrows what
  // the body threw.
  void resume();
  // Body: hands the turn back to the host until the next resume().
  void suspend();

  bool inFiber() const { return std::this_thread::get_id() == thread_.get_id(); }

 private:
  enum class Turn { Host, Fiber };

  std::function<void()> body_;
  std::mutex mutex_;
  std::condition_variable changed_;
  Turn turn_ = Turn::Host;
  bool cancelled_ = false;
  bool finished_ = false;
  std::exception_ptr failure_;
  std::thread thread_;
};

}  // namespace kelvory::sim
