#pragma once

#include <windows.h>

namespace kelvory::win32 {

// Libraries loaded when first needed rather than with the program: each
// one loaded at start-up delays the angler's first picture, and most runs
// never show a tooltip.

// The common controls (tooltips, themed push buttons), before the first
// window that uses them.
void UseCommonControls();

// The system timer at 1 ms, from the first timer or wait too short for its
// usual 15.6 ms until this object goes.
class FineClock {
 public:
  FineClock() = default;
  ~FineClock();
  FineClock(const FineClock&) = delete;
  FineClock& operator=(const FineClock&) = delete;

  // Asks for it the first time; later calls cost nothing.
  void need();

 private:
  bool asked_ = false;
  // timeEndPeriod, kept once timeBeginPeriod has succeeded.
  UINT(WINAPI* end_)(UINT) = nullptr;
};

}  // namespace kelvory::win32
