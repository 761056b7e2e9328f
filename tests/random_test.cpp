#include "base/random.h"

#include <gtest/gtest.h>

namespace kelvory {

TEST(Random, StaysInUnitIntervalAndRepeatsAfterReseed) {
  LcgRandom a(7), b(7);
  a.reseed(1234);
  b.reseed(1234);
  for (int i = 0; i < 1000; ++i) {
    float x = a.next();
    ASSERT_GE(x, 0.0f);
    ASSERT_LT(x, 1.0f);
    ASSERT_EQ(x, b.next());
  }
}

}  // namespace kelvory
