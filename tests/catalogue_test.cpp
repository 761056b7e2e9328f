#include "base/catalogue.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "base/wait.h"
#include "session.h"

namespace kelvory::testing {
namespace {

// The species for each rounded draw r: the first whose running sum of
// weights reaches r.
TEST(Catalogue, TheFirstRunningSumThatReachesTheDrawWins) {
  struct Case {
    std::int32_t position;
    std::vector<double> sums;  // running sums, species 0 to 12
  };
  constexpr std::int32_t kSpan = 27000;
  const Case cases[] = {
      {0, {10, 11, 21, 22, 27, 47, 57, 58, 63, 65, 66, 71, 76}},
      {kSpan, {2, 4, 6, 9, 10, 20, 30, 32, 37, 40, 50, 55, 60}},
      {kSpan / 2, {6, 7.5, 13.5, 15.5, 18.5, 33.5, 43.5, 45, 50, 52.5, 58, 63, 68}},
  };
  for (const Case& c : cases) {
    const int total = static_cast<int>(c.sums.back());
    for (int r = 0; r <= total; ++r) {
      TestRandom rnd(1);
      rnd.pin({static_cast<float>(r) / static_cast<float>(total)});
      const auto want = std::lower_bound(c.sums.begin(), c.sums.end(), r) - c.sums.begin();
      EXPECT_EQ(ChooseFish(kSpan, c.position, rnd), want) << c.position << " r " << r;
    }
  }
  // Beyond the span the lines go on: at 1.25 spans かれい weighs 0.
  TestRandom rnd(3);
  for (int n = 0; n < 5000; ++n) EXPECT_NE(ChooseFish(kSpan, kSpan * 5 / 4, rnd), 4);
  EXPECT_EQ(FishName(0), "かわはぎ");
  EXPECT_EQ(FishName(12), "かに");
}

}  // namespace
}  // namespace kelvory::testing
