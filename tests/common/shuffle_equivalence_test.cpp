// The fast shuffle halves (orders drawn ahead from generator copies, exact
// multiply-shift remainders) against their plain twins.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "interactions.h"
#include "random.h"

namespace tav {
namespace {

TEST(ShuffleEquivalence, FastModuloMatchesRemainder) {
  uint64_t x = 88172645463325252ull;  // xorshift: values of every size
  auto next = [&x] {
    x ^= x << 13;
    x ^= x >> 7;
    x ^= x << 17;
    return x;
  };
  for (int t = 0; t < 200000; ++t) {
    const uint32_t d = t % 2 == 0 ? static_cast<uint32_t>(next() % 40000) + 1
                                  : static_cast<uint32_t>(next() >> 32) | 1u;
    const uint32_t a =
        t % 3 == 0 ? static_cast<uint32_t>(next() % 32768) : static_cast<uint32_t>(next());
    ASSERT_EQ(FastModulo(d)(a), a % d) << a << " % " << d;
  }
  for (uint32_t a : {0u, 1u, 32767u, 0xFFFFFFFFu}) EXPECT_EQ(FastModulo(1)(a), 0u);
}

// Several shuffles drawn ahead and applied in order leave the same lists and
// the same generator as shuffleInteractions one after another.
TEST(ShuffleEquivalence, OrdersDrawnAheadMatchShuffles) {
  for (int n : {0, 1, 2, 3, 10, 257, 3045}) {
    for (uint32_t seed : {1u, 7u, 123456u}) {
      std::vector<InteractionPair> plain(static_cast<size_t>(n));
      for (int i = 0; i < n; ++i) plain[static_cast<size_t>(i)] = {i, (i * 7 + 3) % std::max(n, 1)};
      std::vector<InteractionPair> fast = plain;
      constexpr int kShuffles = 5;
      seedRandom(seed);
      for (int s = 0; s < kShuffles; ++s) shuffleInteractions(plain, n);
      const int plainNext = drawRandom();

      seedRandom(seed);
      const ShuffleModuli moduli = shuffleModuli(n);
      const uint64_t draws = n > 1 ? static_cast<uint64_t>(n - 1) : 0;
      std::vector<std::vector<int32_t>> orders(kShuffles);
      for (int s = kShuffles - 1; s >= 0; --s) {  // any order of drawing ahead
        RandomStream stream(static_cast<uint64_t>(s) * draws);
        drawShuffleOrder(stream, moduli, n, orders[static_cast<size_t>(s)]);
      }
      skipRandom(kShuffles * draws);
      std::vector<InteractionPair> scratch;
      for (const auto& order : orders) applyShuffleOrder(order, fast, n, scratch);
      ASSERT_EQ(drawRandom(), plainNext) << n << " " << seed;
      for (int i = 0; i < n; ++i) {
        ASSERT_EQ(fast[static_cast<size_t>(i)].first, plain[static_cast<size_t>(i)].first) << n;
        ASSERT_EQ(fast[static_cast<size_t>(i)].second, plain[static_cast<size_t>(i)].second) << n;
      }
    }
  }
}

}  // namespace
}  // namespace tav
