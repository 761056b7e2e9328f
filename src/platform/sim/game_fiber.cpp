#include "platform/sim/game_fiber.h"

#include <exception>
#include <utility>

namespace kelvory::sim {

GameFiber::GameFiber(std::function<void()> body) : body_(std::move(body)) {
  thread_ = std::thread([this] {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return turn_ == Turn::Fiber; });
    lock.unlock();
    if (!cancelled_) {
      try {
        body_();
      } catch (const Cancelled&) {
      } catch (...) {
        failure_ = std::current_exception();
      }
    }
    lock.lock();
    finished_ = true;
    turn_ = Turn::Host;
    changed_.notify_all();
  });
}

GameFiber::~GameFiber() {
  if (!finished_) {
    cancelled_ = true;
    try {
      resume();
    } catch (...) {
      // What the body throws while it unwinds has nobody left to tell.
    }
  }
  thread_.join();
}

void GameFiber::resume() {
  if (finished_) return;
  std::unique_lock lock(mutex_);
  turn_ = Turn::Fiber;
  changed_.notify_all();
  changed_.wait(lock, [this] { return turn_ == Turn::Host; });
  if (failure_) std::rethrow_exception(std::exchange(failure_, nullptr));
}

void GameFiber::suspend() {
  {
    std::unique_lock lock(mutex_);
    turn_ = Turn::Host;
    changed_.notify_all();
    changed_.wait(lock, [this] { return turn_ == Turn::Fiber; });
  }
  if (cancelled_) throw Cancelled{};
}

}  // namespace kelvory::sim
