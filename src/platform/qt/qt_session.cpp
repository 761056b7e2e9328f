#include "platform/qt/qt_session.h"

#include <fcntl.h>
#include <unistd.h>

#include <array>
#include <csignal>

namespace kelvory::qt {
namespace {

// Written by the signal handler, so it has to be a plain global.
std::array<int, 2> g_pipe{-1, -1};

void OnSignal(int) {
  const char byte = 1;
  // Nothing to do if the pipe is full: a wake-up is already pending.
  [[maybe_unused]] const auto written = ::write(g_pipe[1], &byte, 1);
}

}  // namespace

TerminationWatch::TerminationWatch(std::function<void()> onTerminate)
    : onTerminate_(std::move(onTerminate)) {
  if (::pipe2(g_pipe.data(), O_CLOEXEC | O_NONBLOCK) != 0) {
    g_pipe = {-1, -1};
    return;
  }
  notifier_ = std::make_unique<QSocketNotifier>(g_pipe[0], QSocketNotifier::Read);
  QObject::connect(notifier_.get(), &QSocketNotifier::activated, [this] {
    std::array<char, 64> drain{};
    while (::read(g_pipe[0], drain.data(), drain.size()) > 0) {
    }
    onTerminate_();
  });
  struct sigaction action {};
  action.sa_handler = OnSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  sigaction(SIGTERM, &action, nullptr);
  sigaction(SIGHUP, &action, nullptr);
}

TerminationWatch::~TerminationWatch() {
  if (g_pipe[0] < 0) return;
  std::signal(SIGTERM, SIG_DFL);
  std::signal(SIGHUP, SIG_DFL);
  notifier_.reset();
  ::close(g_pipe[0]);
  ::close(g_pipe[1]);
  g_pipe = {-1, -1};
}

}  // namespace kelvory::qt
