#include <gtest/gtest.h>

#include "random.h"

namespace tav {
namespace {

TEST(Random, MatchesTheDocumentedGenerator) {
  seedRandom(1);
  for (int expected : {41, 18467, 6334, 26500, 19169}) EXPECT_EQ(drawRandom(), expected);
}

TEST(Random, SkipEqualsDrawing) {
  for (uint64_t skip : {0ull, 1ull, 2ull, 7ull, 1000ull, 65537ull, 3000000ull}) {
    seedRandom(99);
    for (uint64_t i = 0; i < skip; ++i) drawRandom();
    const int expected[3] = {drawRandom(), drawRandom(), drawRandom()};
    seedRandom(99);
    skipRandom(skip);
    for (int e : expected) EXPECT_EQ(drawRandom(), e) << skip;
  }
}

}  // namespace
}  // namespace tav
