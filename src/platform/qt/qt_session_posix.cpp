#include <fcntl.h>
#include <unistd.h>

#include <QSocketNotifier>
#include <array>
#include <csignal>

#include "platform/qt/qt_session.h"

namespace kelvory::qt {
namespace {

// Written by the signal handler, so it has to be a plain global.
std::array<int, 2> g_pipe{-1, -1};

void OnSignal(int) {
  const char byte = 1;
  // Nothing to do if the pipe is full: a wake-up is already pending.
  [[maybe_unused]] const auto written = ::write(g_pipe[1], &byte, 1);
}

// The handler only writes a byte to a pipe that a socket notifier watches.
class TerminationWatch final : public QObject {
 public:
  explicit TerminationWatch(std::function<void()> onTerminate);
  ~TerminationWatch() override;
  TerminationWatch(const TerminationWatch&) = delete;
  TerminationWatch& operator=(const TerminationWatch&) = delete;

 private:
  std::function<void()> onTerminate_;
  std::unique_ptr<QSocketNotifier> notifier_;
};

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

}  // namespace

std::unique_ptr<QObject> WatchTermination(std::function<void()> onTerminate) {
  return std::make_unique<TerminationWatch>(std::move(onTerminate));
}

}  // namespace kelvory::qt
