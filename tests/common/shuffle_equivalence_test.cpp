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
  // The 16-bit form at its limits: every draw against the smallest and the
  // largest divisors and a spread between.
  for (uint32_t d : {1u, 2u, 3u, 7u, 29999u, 30000u, 32767u, 32768u, 65535u, 65536u}) {
    for (uint32_t a = 0; a < 32768; ++a)
      ASSERT_EQ(smallModulo(a, smallModuloMagic(d), d), a % d) << a << " % " << d;
  }
}

// Many draws at once are the draws one at a time, for every count around
// the vector width, and leave the stream where single draws would.
TEST(ShuffleEquivalence, DrawManyMatchesSingleDraws) {
  for (uint32_t seed : {1u, 99u, 0xFFFFFFFFu}) {
    for (size_t count : {size_t{0}, size_t{1}, size_t{7}, size_t{31}, size_t{32}, size_t{33},
                         size_t{100}, size_t{1000}}) {
      seedRandom(seed);
      RandomStream many(3);
      RandomStream single(3);
      std::vector<uint32_t> values(count);
      many.drawMany(values.data(), count);
      for (size_t i = 0; i < count; ++i)
        ASSERT_EQ(values[i], static_cast<uint32_t>(single.draw())) << count << " " << i;
      ASSERT_EQ(many.draw(), single.draw()) << count;
    }
  }
}

// A shuffle made from offsets drawn ahead (one pass, entries handed on as
// they become final) leaves the list of shuffleInteractions.
TEST(ShuffleEquivalence, OffsetsDrawnAheadMatchShuffles) {
  for (int n : {0, 1, 2, 3, 17, 3045}) {
    std::vector<InteractionPair> plain(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) plain[static_cast<size_t>(i)] = {i, (i * 5 + 1) % std::max(n, 1)};
    std::vector<InteractionPair> fast = plain;
    seedRandom(11);
    for (int s = 0; s < 3; ++s) shuffleInteractions(plain, n);
    seedRandom(11);
    RandomStream stream(0);
    const ShuffleModuli moduli = shuffleModuli(n);
    std::vector<uint32_t> offsets;
    std::vector<InteractionPair> seen;
    for (int s = 0; s < 3; ++s) {
      drawShuffleOffsets(stream, moduli, offsets);
      seen.clear();
      shuffleWithOffsets(fast, n, offsets, [&](const InteractionPair& e) { seen.push_back(e); });
    }
    ASSERT_EQ(seen.size(), static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) {
      const auto at = static_cast<size_t>(i);
      ASSERT_EQ(fast[at].first, plain[at].first) << n;
      ASSERT_EQ(fast[at].second, plain[at].second) << n;
      ASSERT_EQ(seen[at].first, fast[at].first) << n;
      ASSERT_EQ(seen[at].second, fast[at].second) << n;
    }
  }
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
      // Applied in place, and from one list into the next (a longer list
      // keeps its tail).
      std::vector<InteractionPair> into[2];
      into[1] = fast;
      into[1].push_back({-5, -6});
      std::vector<InteractionPair> scratch;
      for (size_t s = 0; s < orders.size(); ++s) {
        applyShuffleOrder(orders[s], fast, n, scratch);
        applyShuffleOrderTo(orders[s], into[(s + 1) % 2], into[s % 2], n);
      }
      const std::vector<InteractionPair>& made = into[(orders.size() - 1) % 2];
      ASSERT_EQ(drawRandom(), plainNext) << n << " " << seed;
      ASSERT_EQ(made.size(), static_cast<size_t>(n) + 1);
      EXPECT_EQ(made.back().first, -5);
      EXPECT_EQ(made.back().second, -6);
      for (int i = 0; i < n; ++i) {
        ASSERT_EQ(fast[static_cast<size_t>(i)].first, plain[static_cast<size_t>(i)].first) << n;
        ASSERT_EQ(fast[static_cast<size_t>(i)].second, plain[static_cast<size_t>(i)].second) << n;
        ASSERT_EQ(made[static_cast<size_t>(i)].first, plain[static_cast<size_t>(i)].first) << n;
        ASSERT_EQ(made[static_cast<size_t>(i)].second, plain[static_cast<size_t>(i)].second) << n;
      }
    }
  }
}

}  // namespace
}  // namespace tav
