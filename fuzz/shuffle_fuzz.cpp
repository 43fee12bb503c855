// Fuzz target: the fast shuffle halves against their plain twins. The input
// gives a seed, a list length and divisor/value pairs; checks FastModulo and
// smallModulo against '%', many draws at once against single draws, and that
// an order or offsets drawn ahead and applied (in place or from one list
// into another) equal shuffleInteractions, generator included.
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
    const uint32_t small = d % tav::kSmallModuloLimit + 1;
    FUZZ_CHECK(tav::smallModulo(a & 0xFFFFu, tav::smallModuloMagic(small), small) ==
               (a & 0xFFFFu) % small);
  }

  std::vector<tav::InteractionPair> plain(static_cast<size_t>(n));
  for (int i = 0; i < n; ++i) plain[static_cast<size_t>(i)] = {i, n - 1 - i};
  std::vector<tav::InteractionPair> fast = plain;
  std::vector<tav::InteractionPair> byOffsets = plain;
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
  tav::RandomStream offsetStream(0);
  std::vector<uint32_t> offsets;
  for (int s = 0; s < 2; ++s) {
    tav::drawShuffleOffsets(offsetStream, moduli, offsets);
    tav::shuffleWithOffsets(byOffsets, n, offsets);
  }
  tav::RandomStream single(0);
  std::vector<uint32_t> many(static_cast<size_t>(n));
  tav::RandomStream manyStream(0);
  manyStream.drawMany(many.data(), many.size());
  for (uint32_t value : many) FUZZ_CHECK(value == static_cast<uint32_t>(single.draw()));
  FUZZ_CHECK(manyStream.draw() == single.draw());
  tav::skipRandom(2 * draws);
  std::vector<tav::InteractionPair> scratch;
  std::vector<tav::InteractionPair> between;
  std::vector<tav::InteractionPair> made;
  tav::applyShuffleOrderTo(first, fast, between, n);
  tav::applyShuffleOrderTo(second, between, made, n);
  tav::applyShuffleOrder(first, fast, n, scratch);
  tav::applyShuffleOrder(second, fast, n, scratch);
  FUZZ_CHECK(made.size() == fast.size());
  FUZZ_CHECK(tav::drawRandom() == next);
  for (int i = 0; i < n; ++i) {
    const auto at = static_cast<size_t>(i);
    FUZZ_CHECK(fast[at].first == plain[at].first && fast[at].second == plain[at].second);
    FUZZ_CHECK(byOffsets[at].first == plain[at].first && byOffsets[at].second == plain[at].second);
    FUZZ_CHECK(made[at].first == plain[at].first && made[at].second == plain[at].second);
  }
  return 0;
}
