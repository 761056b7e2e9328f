#include "platform/core/moments.h"

#include <array>
#include <utility>

namespace kelvory {
namespace {

constexpr std::array<std::pair<Moment, std::string_view>, 5> kMomentNames{{
    {Moment::Bite, "bite"},
    {Moment::StrikeWindowClosed, "strike-closed"},
    {Moment::MeterStep, "meter"},
    {Moment::FlightStep, "flight"},
    {Moment::FightHalfStep, "fight"},
}};

}  // namespace

std::string_view MomentName(Moment moment) {
  for (const auto& [m, name] : kMomentNames) {
    if (m == moment) return name;
  }
  return "moment";
}

}  // namespace kelvory
