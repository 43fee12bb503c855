#include <gtest/gtest.h>

#include "random.h"

namespace tav {
namespace {

TEST(Random, MatchesTheDocumentedGenerator) {
  seedRandom(1);
  EXPECT_EQ(drawRandom(), 41);
  EXPECT_EQ(drawRandom(), 18467);
  EXPECT_EQ(drawRandom(), 6334);
  EXPECT_EQ(drawRandom(), 26500);
  EXPECT_EQ(drawRandom(), 19169);
  seedRandom(12345);
  uint32_t state = 12345;
  for (int i = 0; i < 1000; ++i) {
    state = state * 214013u + 2531011u;
    ASSERT_EQ(drawRandom(), static_cast<int>((state >> 16) & 32767u));
  }
}

}  // namespace
}  // namespace tav
