// Fuzz target: the joint counts of many element pairs at once from per-gene
// masks (on a plain and on a tagged list, and through the bit-sliced
// counter entry by entry and from a whole list) against counting
// interaction by interaction; and the pick of tagged entries against its
// plain twin. The input gives the genes' element sets, the pairs and the
// interactions, one byte each.
#include <sstream>
#include <utility>
#include <vector>

#include "fuzz_support.h"
#include "interactions.h"
#include "pair_counting.h"
#include "records.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 3) return 0;
  const int genes = data[0] % 64 + 1;
  const int elements = data[1] % 16 + 1;
  const int pairCount = (data[2] * 2) % 400 + 1;
  size_t at = 3;
  auto next = [&]() -> int { return at < size ? data[at++] : 0; };
  std::vector<tav::GeneRecord> table(static_cast<size_t>(genes));
  for (tav::GeneRecord& g : table) {
    const int bits = next() | (next() << 8);
    for (int e = 0; e < elements; ++e) {
      if ((bits >> e) & 1) g.setElement(e);
    }
    g.excluded = (bits >> 15) & 1;
  }
  std::vector<std::pair<int32_t, int32_t>> pairs;
  for (int i = 0; i < pairCount; ++i) pairs.emplace_back(next() % elements, next() % elements);
  while (at + 1 < size) {
    const int a = next() % genes;
    const int b = next() % genes;
    if (a == b) continue;
    table[static_cast<size_t>(a)].connect(b);
    table[static_cast<size_t>(b)].connect(a);
  }
  std::ostringstream ignored;
  std::vector<tav::InteractionPair> list;
  const int count = tav::buildTrainingSet(table, genes, list, ignored);

  const tav::PairMasks masks = tav::pairMasks(table, genes, pairs);
  std::vector<int64_t> masked(static_cast<size_t>(masks.pairs()), 0);
  std::vector<int64_t> tagged(masked.size(), 0);
  tav::maskedCrossCounts(masks, list, count, masked.data());
  tav::tagCarriers(masks, list, count);
  tav::taggedCrossCounts(masks, list, count, tagged.data());
  tav::MaskedCounter counter;
  counter.reset(masks);
  for (int i = 0; i < count; ++i) counter.addTagged(list[static_cast<size_t>(i)]);
  const std::vector<int64_t> counted = counter.counts();
  tav::MaskedCounter whole;
  whole.reset(masks);
  whole.addTaggedList(list, count);
  const std::vector<int64_t> wholeCounted = whole.counts();
  std::vector<tav::InteractionPair> fast(static_cast<size_t>(count) + 4);
  std::vector<tav::InteractionPair> plain(fast.size());
  const size_t picked = tav::pickTouching(list.data(), static_cast<size_t>(count), fast.data());
  FUZZ_CHECK(picked ==
             tav::pickTouchingPlain(list.data(), static_cast<size_t>(count), plain.data()));
  for (size_t i = 0; i < picked; ++i)
    FUZZ_CHECK(fast[i].first == plain[i].first && fast[i].second == plain[i].second);
  tav::clearTags(list, count);
  for (size_t i = 0; i < pairs.size(); ++i) {
    const tav::PairCounts plain =
        tav::countPair(table, list, count, pairs[i].first, pairs[i].second);
    FUZZ_CHECK(masked[i] == plain.both);
    FUZZ_CHECK(tagged[i] == plain.both);
    FUZZ_CHECK(counted[i] == plain.both);
    FUZZ_CHECK(wholeCounted[i] == plain.both);
  }
  return 0;
}
