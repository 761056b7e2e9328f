#pragma once

#include <cstdint>

namespace kelvory {

// Flags and values that the fishing sequence, the float and the control
// panel share. The sequence runs on one thread but in nested waits, so
// these flags are how a press handler steers a suspended sequence.
struct FishingState {
  // An uninterruptible sequence (flight, fight, landing) is running.
  bool SequenceBusy = false;

  // Fight.
  bool Reeling = false;
  bool ButtonDown = false;
  bool ButtonUp = false;
  std::int32_t ColourTicks = 0;
  std::int32_t FightTop = 0;
  std::int32_t FishSpan = 0;
  std::int32_t FishPosition = 0;

  // Cast flight.
  std::int32_t FloatX = 0;
  std::int32_t FloatY = 0;
  float FloatVX = 0;
  float FloatVY = 0;
  std::int32_t FlightPhase = 0;

  // Control panel.
  bool MeterOn = false;
  bool MeterStop = false;
  float MeterValue = 1.0f;
  float MeterDir = 1.0f;
  float MeterSpeed = 1.0f;
  bool LineOut = false;
  std::int32_t CastPower = 0;

  // Float: a bite holds it under; UnderTime is -1 outside a strike window.
  bool FloatUnder = false;
  std::int64_t UnderTime = -1;
  bool StrikeFlag = false;

  void resetMeter() {
    MeterOn = false;
    MeterStop = false;
    MeterDir = 1.0f;
    MeterValue = 1.0f;
    MeterSpeed = 1.0f;
  }
};

}  // namespace kelvory
