#include "seed_significance.h"

#include <algorithm>
#include <bit>

#include "console.h"
#include "interactions.h"
#include "random.h"
#include "seed_stage.h"

namespace tav {

namespace {

// One side of a pair as the counting needs it: the records that hold the
// motif, the motif's bitset and its number of observations.
struct MotifSide {
  std::vector<int32_t> holders;
  int64_t weight = 0;
};

// Observations (u, w) with the first motif in u and the second in w. The
// observations are symmetric, so the side with fewer observations is walked.
int64_t countBoth(const std::vector<uint32_t>& offsets, const std::vector<int32_t>& partners,
                  const MotifSide& walk, const std::vector<uint64_t>& other) {
  int64_t both = 0;
  for (int32_t v : walk.holders) {
    const auto vu = static_cast<size_t>(v);
    for (uint32_t q = offsets[vu]; q < offsets[vu + 1]; ++q) {
      const auto w = static_cast<uint32_t>(partners[q]);
      both += static_cast<int64_t>((other[w >> 6] >> (w & 63)) & 1u);
    }
  }
  return both;
}

}  // namespace

void StorePresence::reset(size_t motifs, int32_t records) {
  words = (std::max(records, 0) + 63) / 64;
  bits.assign(motifs, std::vector<uint64_t>(static_cast<size_t>(words), 0));
}

void markStorePresence(const MaskMotif& motif, const std::vector<SequenceRecord>& records, size_t m,
                       StorePresence& presence, OccurrenceTest occurs) {
  std::vector<uint64_t>& row = presence.bits[m];
  std::fill(row.begin(), row.end(), 0);
  for (size_t r = 0; r < records.size(); ++r) {
    if (occurs(motif.sets.data(), motif.length(), records[r]) != 0)
      row[r >> 6] |= uint64_t{1} << (r & 63);
  }
}

void assessSeedSignificance(const std::vector<SequenceRecord>& records,
                            const std::vector<MaskMotif>& store, std::vector<MotifPair>& queue,
                            int queueLength, int64_t shuffles, int cont, std::ostream& out) {
  queueLength = std::clamp(queueLength, 0, static_cast<int>(queue.size()));
  const auto n = static_cast<int32_t>(records.size());
  std::vector<InteractionPair> permutation;
  const int edges = buildTrainingSet(records, n, permutation, out);

  StorePresence presence;
  presence.reset(store.size(), n);
  const auto storeSize = static_cast<int64_t>(store.size());
#pragma omp parallel for schedule(dynamic, 1)
  for (int64_t m = 0; m < storeSize; ++m) {
    markStorePresence(store[static_cast<size_t>(m)], records, static_cast<size_t>(m), presence);
  }

  Observations observations;
  buildObservations(n, permutation, edges, observations);
  const int64_t total = observations.total();
  std::vector<MotifSide> sides(store.size());
  for (size_t m = 0; m < store.size(); ++m) {
    for (int32_t r = 0; r < n; ++r) {
      if (presence.present(m, r)) {
        sides[m].holders.push_back(r);
        sides[m].weight += observations.degree(r);
      }
    }
  }
  auto score = [&](const MotifPair& pair, const std::vector<int32_t>& partners) {
    const MotifSide& a = sides[static_cast<size_t>(pair.first)];
    const MotifSide& b = sides[static_cast<size_t>(pair.second)];
    const int64_t both = a.weight <= b.weight
                             ? countBoth(observations.offsets, partners, a,
                                         presence.bits[static_cast<size_t>(pair.second)])
                             : countBoth(observations.offsets, partners, b,
                                         presence.bits[static_cast<size_t>(pair.first)]);
    return mutualInformation(countsFromMargins(total, a.weight, b.weight, both));
  };

#pragma omp parallel for schedule(dynamic, 4)
  for (int i = 0; i < queueLength; ++i) {
    MotifPair& pair = queue[static_cast<size_t>(i)];
    pair.observed = score(pair, observations.partners);
    pair.pValue = 0.0;
  }

  // Networks go in batches that end at a progress line, where the number of
  // pairs still scored may drop. Each batch: the shuffles' reorderings are
  // drawn ahead on all threads from copies of the generator, applied in
  // order on one, then every (network, pair) is scored on all threads; the
  // p-values grow afterwards in network order.
  constexpr int64_t kBatch = 64;
  const ShuffleModuli moduli = shuffleModuli(edges);
  const uint64_t drawsPerShuffle = edges > 1 ? static_cast<uint64_t>(edges - 1) : 0;
  std::vector<std::vector<int32_t>> orders(static_cast<size_t>(kBatch));
  std::vector<std::vector<int32_t>> networks(static_cast<size_t>(kBatch));
  std::vector<InteractionPair> scratch;
  std::vector<uint8_t> matched;
  int remaining = queueLength;
  for (int64_t k = 0; k < shuffles;) {
    const int64_t progress = (k + 999) / 1000 * 1000;  // next network with a progress line
    const int64_t size = std::min({kBatch, shuffles - k, progress - k + 1});
    if (edges > 0) {
#pragma omp parallel for schedule(dynamic, 1)
      for (int64_t b = 0; b < size; ++b) {
        RandomStream stream(static_cast<uint64_t>(b) * drawsPerShuffle);
        drawShuffleOrder(stream, moduli, edges, orders[static_cast<size_t>(b)]);
      }
      skipRandom(static_cast<uint64_t>(size) * drawsPerShuffle);
    }
    for (int64_t b = 0; b < size; ++b) {
      applyShuffleOrder(orders[static_cast<size_t>(b)], permutation, edges, scratch);
      refillObservations(permutation, edges, observations);
      networks[static_cast<size_t>(b)] = observations.partners;
    }
    const int64_t tasks = size * remaining;
    matched.assign(static_cast<size_t>(tasks), 0);
#pragma omp parallel for schedule(dynamic, 8)
    for (int64_t t = 0; t < tasks; ++t) {
      const MotifPair& pair = queue[static_cast<size_t>(t % remaining)];
      matched[static_cast<size_t>(t)] =
          score(pair, networks[static_cast<size_t>(t / remaining)]) >= pair.observed;
    }
    for (int i = 0; i < remaining; ++i) {
      MotifPair& pair = queue[static_cast<size_t>(i)];
      for (int64_t b = 0; b < size; ++b) {
        if (matched[static_cast<size_t>(b * remaining + i)] != 0)
          pair.pValue += 1.0 / static_cast<double>(shuffles);
      }
    }
    k += size;
    if ((k - 1) % 1000 == 0) {
      const int64_t reach = static_cast<int64_t>(cutSeedList(queue, remaining, cont)) + cont;
      remaining = static_cast<int>(std::min<int64_t>(remaining, reach));
      line(out, "Permutation no. ", k, " completed... ", remaining, " motif pairs remain...");
    }
  }
}

int cutSeedList(const std::vector<MotifPair>& queue, int length, int cont) {
  length = std::clamp(length, 0, static_cast<int>(queue.size()));
  cont = std::max(cont, 1);
  int run = 0;
  for (int i = 0; i < length; ++i) {
    run = queue[static_cast<size_t>(i)].pValue > 0.0 ? run + 1 : 0;
    if (run == cont) return i - cont + 1;
  }
  return length;
}

}  // namespace tav
