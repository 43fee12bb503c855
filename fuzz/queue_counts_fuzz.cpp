// Fuzz target: all queued motif pairs counted at once from bit-sliced
// per-record bits over an edge list, against counting edge by edge. The
// input gives the sizes, the presence bits, the pairs and the edges.
#include <vector>

#include "fuzz_support.h"
#include "interactions.h"
#include "seed_significance.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 3) return 0;
  const int records = data[0] % 200 + 1;
  const size_t motifs = data[1] % 16 + 1;
  const int count = data[2] * 2 % 300 + 1;
  size_t at = 3;
  auto next = [&]() -> int { return at < size ? data[at++] : 0; };
  tav::StorePresence presence;
  presence.reset(motifs, records);
  for (size_t m = 0; m < motifs; ++m) {
    for (int32_t r = 0; r < records; r += 8) {
      const int byte = next();
      for (int32_t b = 0; b < 8 && r + b < records; ++b) {
        if ((byte >> b) & 1)
          presence.bits[m][static_cast<size_t>(r + b) >> 6] |= uint64_t{1} << ((r + b) & 63);
      }
    }
  }
  std::vector<tav::MotifPair> queue(static_cast<size_t>(count));
  for (tav::MotifPair& pair : queue) {
    pair.first = static_cast<int32_t>(static_cast<size_t>(next()) % motifs);
    pair.second = static_cast<int32_t>(static_cast<size_t>(next()) % motifs);
  }
  std::vector<tav::InteractionPair> list;
  while (at + 1 < size) list.push_back({next() % records, next() % records});

  const tav::QueueBits bits = tav::queueBits(presence, queue, count, records);
  std::vector<int64_t> both(static_cast<size_t>(bits.words) * 64, 0);
  tav::countQueueOnEdges(bits, list, static_cast<int>(list.size()), both.data());
  for (int i = 0; i < count; ++i) {
    const auto a = static_cast<size_t>(queue[static_cast<size_t>(i)].first);
    const auto b = static_cast<size_t>(queue[static_cast<size_t>(i)].second);
    int64_t plain = 0;
    for (const tav::InteractionPair& e : list) {
      plain += presence.present(a, e.first) && presence.present(b, e.second);
      plain += presence.present(a, e.second) && presence.present(b, e.first);
    }
    FUZZ_CHECK(both[static_cast<size_t>(i)] == plain);
  }
  return 0;
}
