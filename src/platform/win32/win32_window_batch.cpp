#include "platform/win32/win32_window_batch.h"

#include <algorithm>
#include <utility>

namespace kelvory::win32 {
namespace {

constexpr UINT kMoveFlags = SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOOWNERZORDER;

}  // namespace

RECT WindowBatch::placement(HWND hwnd) const {
  const auto it = std::find_if(pending_.begin(), pending_.end(),
                               [hwnd](const Pending& p) { return p.hwnd == hwnd; });
  if (it != pending_.end() && it->box) return *it->box;
  RECT now{};
  GetWindowRect(hwnd, &now);
  return now;
}

WindowBatch::Pending& WindowBatch::entry(HWND hwnd) {
  const auto it = std::find_if(pending_.begin(), pending_.end(),
                               [hwnd](const Pending& p) { return p.hwnd == hwnd; });
  if (it != pending_.end()) return *it;
  return pending_.emplace_back(Pending{.hwnd = hwnd});
}

void WindowBatch::move(HWND hwnd, const RECT& box) { entry(hwnd).box = box; }

void WindowBatch::reshape(HWND hwnd, Region region) { entry(hwnd).region = std::move(region); }

void WindowBatch::repaint(HWND hwnd) { entry(hwnd).repaint = true; }

void WindowBatch::forget(HWND hwnd) {
  std::erase_if(pending_, [hwnd](const Pending& p) { return p.hwnd == hwnd; });
}

void WindowBatch::apply() {
  if (pending_.empty()) return;
  // Taken first: a message sent while applying may keep something new.
  std::vector<Pending> batch = std::exchange(pending_, {});
  for (Pending& p : batch) {
    // The window owns the region once it takes it.
    if (p.region && SetWindowRgn(p.hwnd, p.region.get(), TRUE) != 0) p.region.release();
  }
  moveEach(batch);
  for (const Pending& p : batch) {
    if (p.repaint) InvalidateRect(p.hwnd, nullptr, FALSE);
  }
}

void WindowBatch::moveEach(const std::vector<Pending>& batch) const {
  const auto moves =
      std::count_if(batch.begin(), batch.end(), [](const Pending& p) { return p.box.has_value(); });
  if (moves == 0) return;
  HDWP positions = BeginDeferWindowPos(static_cast<int>(moves));
  for (const Pending& p : batch) {
    if (!p.box || positions == nullptr) continue;
    const RECT& r = *p.box;
    positions = DeferWindowPos(positions, p.hwnd, nullptr, r.left, r.top, r.right - r.left,
                               r.bottom - r.top, kMoveFlags);
  }
  if (positions != nullptr && EndDeferWindowPos(positions) != FALSE) return;
  // A batch the system could not keep (it frees it then): one move each.
  for (const Pending& p : batch) {
    if (!p.box) continue;
    const RECT& r = *p.box;
    SetWindowPos(p.hwnd, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top, kMoveFlags);
  }
}

}  // namespace kelvory::win32
