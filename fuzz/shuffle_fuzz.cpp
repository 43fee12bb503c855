// Fuzz target: the fast shuffle halves against their plain twins. The input
// gives a seed, a list length and divisor/value pairs; checks FastModulo ==
// '%' and that an order drawn ahead and applied equals shuffleInteractions,
// generator included.
#include <cstring>
#include <vector>

#include "fuzz_support.h"
#include "interactions.h"
#include "random.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 6) return 0;
  uint32_t seed = 0;
  std::memcpy(&seed, data, 4);
  const int n = (data[4] | (data[5] << 8)) % 4096;
  data += 6;
  size -= 6;
  for (; size >= 8; data += 8, size -= 8) {
    uint32_t d = 0;
    uint32_t a = 0;
    std::memcpy(&d, data, 4);
    std::memcpy(&a, data + 4, 4);
    if (d == 0) d = 1;
    FUZZ_CHECK(tav::FastModulo(d)(a) == a % d);
  }

  std::vector<tav::InteractionPair> plain(static_cast<size_t>(n));
  for (int i = 0; i < n; ++i) plain[static_cast<size_t>(i)] = {i, n - 1 - i};
  std::vector<tav::InteractionPair> fast = plain;
  tav::seedRandom(seed);
  tav::shuffleInteractions(plain, n);
  tav::shuffleInteractions(plain, n);
  const int next = tav::drawRandom();

  tav::seedRandom(seed);
  const tav::ShuffleModuli moduli = tav::shuffleModuli(n);
  const uint64_t draws = n > 1 ? static_cast<uint64_t>(n - 1) : 0;
  std::vector<int32_t> second;
  std::vector<int32_t> first;
  tav::RandomStream ahead(draws);
  tav::drawShuffleOrder(ahead, moduli, n, second);
  tav::RandomStream now(0);
  tav::drawShuffleOrder(now, moduli, n, first);
  tav::skipRandom(2 * draws);
  std::vector<tav::InteractionPair> scratch;
  tav::applyShuffleOrder(first, fast, n, scratch);
  tav::applyShuffleOrder(second, fast, n, scratch);
  FUZZ_CHECK(tav::drawRandom() == next);
  for (int i = 0; i < n; ++i) {
    FUZZ_CHECK(fast[static_cast<size_t>(i)].first == plain[static_cast<size_t>(i)].first);
    FUZZ_CHECK(fast[static_cast<size_t>(i)].second == plain[static_cast<size_t>(i)].second);
  }
  return 0;
}
