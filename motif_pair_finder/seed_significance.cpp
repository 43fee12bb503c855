#include "seed_significance.h"

#include <omp.h>

#include <algorithm>
#include <atomic>
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

QueueBits queueBits(const StorePresence& presence, const std::vector<MotifPair>& queue, int count,
                    int32_t records) {
  QueueBits bits;
  count = std::clamp(count, 0, static_cast<int>(queue.size()));
  records = std::max(records, 0);
  bits.words = (count + 63) / 64;
  const size_t size = static_cast<size_t>(records) * static_cast<size_t>(bits.words);
  bits.first.assign(size, 0);
  bits.second.assign(size, 0);
  for (int i = 0; i < count; ++i) {
    const MotifPair& pair = queue[static_cast<size_t>(i)];
    const uint64_t bit = uint64_t{1} << (i & 63);
    for (int32_t r = 0; r < records; ++r) {
      const size_t at =
          static_cast<size_t>(r) * static_cast<size_t>(bits.words) + static_cast<size_t>(i >> 6);
      if (presence.present(static_cast<size_t>(pair.first), r)) bits.first[at] |= bit;
      if (presence.present(static_cast<size_t>(pair.second), r)) bits.second[at] |= bit;
    }
  }
  return bits;
}

namespace {

// Per-lane counters held bit-sliced over 64 lanes (one lane per pair): the
// carry-save adders take sixteen bit vectors into ones, twos, fours and eights
// and pass each sixteen on to binary planes, so adding a vector costs a few
// word operations however many of its bits are set.
struct SlicedCounter {
  static constexpr int kPlanes = 28;  // counts of sixteens: far beyond 2 x 2^31 observations
  uint64_t ones = 0;
  uint64_t twos = 0;
  uint64_t fours = 0;
  uint64_t eights = 0;
  uint64_t sixteens[kPlanes] = {};

  static void carrySave(uint64_t& high, uint64_t& low, uint64_t a, uint64_t b, uint64_t c) {
    const uint64_t u = a ^ b;
    high = (a & b) | (u & c);
    low = u ^ c;
  }
  void addSixteens(uint64_t carry) {
    for (int p = 0; p < kPlanes && carry != 0; ++p) {
      const uint64_t next = sixteens[p] & carry;
      sixteens[p] ^= carry;
      carry = next;
    }
  }
  // Sixteen vectors at once.
  void addSixteen(const uint64_t* in) {
    uint64_t twosA, twosB, foursA, foursB, eightsA, eightsB, carry;
    carrySave(twosA, ones, ones, in[0], in[1]);
    carrySave(twosB, ones, ones, in[2], in[3]);
    carrySave(foursA, twos, twos, twosA, twosB);
    carrySave(twosA, ones, ones, in[4], in[5]);
    carrySave(twosB, ones, ones, in[6], in[7]);
    carrySave(foursB, twos, twos, twosA, twosB);
    carrySave(eightsA, fours, fours, foursA, foursB);
    carrySave(twosA, ones, ones, in[8], in[9]);
    carrySave(twosB, ones, ones, in[10], in[11]);
    carrySave(foursA, twos, twos, twosA, twosB);
    carrySave(twosA, ones, ones, in[12], in[13]);
    carrySave(twosB, ones, ones, in[14], in[15]);
    carrySave(foursB, twos, twos, twosA, twosB);
    carrySave(eightsB, fours, fours, foursA, foursB);
    carrySave(carry, eights, eights, eightsA, eightsB);
    addSixteens(carry);
  }
  // One vector.
  void add(uint64_t carry) {
    for (uint64_t* level : {&ones, &twos, &fours, &eights}) {
      const uint64_t next = *level & carry;
      *level ^= carry;
      carry = next;
    }
    addSixteens(carry);
  }
  int64_t lane(int i) const {
    int64_t count =
        static_cast<int64_t>((ones >> i) & 1u) + 2 * static_cast<int64_t>((twos >> i) & 1u) +
        4 * static_cast<int64_t>((fours >> i) & 1u) + 8 * static_cast<int64_t>((eights >> i) & 1u);
    for (int p = 0; p < kPlanes; ++p)
      count += static_cast<int64_t>((sixteens[p] >> i) & 1u) << (p + 4);
    return count;
  }
};

}  // namespace

void countQueueOnEdges(const QueueBits& bits, const std::vector<InteractionPair>& list, int edges,
                       int64_t* both) {
  const auto words = static_cast<size_t>(bits.words);
  const uint64_t* first = bits.first.data();
  const uint64_t* second = bits.second.data();
  const InteractionPair* entries = list.data();
  std::vector<SlicedCounter> counters(words);
  constexpr int kEdges = 8;  // two vectors an edge, sixteen to a round
  int e = 0;
  for (; e + kEdges <= edges; e += kEdges) {
    size_t u[kEdges];
    size_t w[kEdges];
    for (int j = 0; j < kEdges; ++j) {
      u[j] = static_cast<size_t>(entries[e + j].first) * words;
      w[j] = static_cast<size_t>(entries[e + j].second) * words;
    }
    for (size_t k = 0; k < words; ++k) {
      uint64_t in[2 * kEdges];
      for (int j = 0; j < kEdges; ++j) {
        in[2 * j] = first[u[j] + k] & second[w[j] + k];
        in[2 * j + 1] = first[w[j] + k] & second[u[j] + k];
      }
      counters[k].addSixteen(in);
    }
  }
  for (; e < edges; ++e) {
    const size_t u = static_cast<size_t>(entries[e].first) * words;
    const size_t w = static_cast<size_t>(entries[e].second) * words;
    for (size_t k = 0; k < words; ++k) {
      counters[k].add(first[u + k] & second[w + k]);
      counters[k].add(first[w + k] & second[u + k]);
    }
  }
  for (size_t k = 0; k < words; ++k) {
    for (int i = 0; i < 64; ++i) both[64 * k + static_cast<size_t>(i)] += counters[k].lane(i);
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

  // Networks go in blocks that end at a progress line (after networks 1,
  // 1001, 2001, ...), where the pairs still scored may drop. Threads take
  // the blocks in turn (thread t the blocks t, t + T, ...) and run each
  // through four steps in one go: drawing its reorderings (from copies of
  // the generator) and scoring its networks run side by side with other
  // threads' blocks, while making its networks waits for the block before
  // and tallying waits for the tally before, so the networks are made in
  // order and the p-values grow in network order. A block's first scoring
  // waits for the progress line before it. A thread that waits sleeps (no
  // spinning), and a thread that is not running holds up the others at most
  // once a block: one parallel region for the whole test.
  constexpr int kBitPairs = 1024;
  constexpr int64_t kBlock = 64;
  constexpr int64_t kProgressEvery = 1000;
  const ShuffleModuli moduli = shuffleModuli(edges);
  const uint64_t drawsPerShuffle = edges > 1 ? static_cast<uint64_t>(edges - 1) : 0;
  std::vector<int64_t> starts;  // first network of each block, then the end
  for (int64_t k = 0; k < shuffles;) {
    starts.push_back(k);
    const int64_t progress = (k + kProgressEvery - 1) / kProgressEvery * kProgressEvery;
    k += std::min({kBlock, shuffles - k, progress - k + 1});
  }
  const auto blocks = static_cast<int64_t>(starts.size());
  starts.push_back(shuffles);
  // The progress lines passed before block r: the pairs its scoring needs.
  std::vector<int64_t> linesBefore(static_cast<size_t>(blocks), 0);
  for (int64_t r = 1; r < blocks; ++r) {
    const int64_t last = starts[static_cast<size_t>(r)] - 1;  // last network of block r - 1
    linesBefore[static_cast<size_t>(r)] =
        linesBefore[static_cast<size_t>(r - 1)] + (last % kProgressEvery == 0 ? 1 : 0);
  }
  int remaining = queueLength;
  QueueBits bits;
  if (remaining <= kBitPairs) bits = queueBits(presence, queue, remaining, n);
  std::atomic<int64_t> made{0};     // blocks whose networks are made
  std::atomic<int64_t> tallied{0};  // blocks tallied
  std::atomic<int64_t> lines{0};    // progress lines printed
  std::vector<InteractionPair> chain = permutation;  // the last network made
#pragma omp parallel
  {
    const int64_t threads = omp_get_num_threads();
    const int64_t self = omp_get_thread_num();
    std::vector<std::vector<int32_t>> orders(static_cast<size_t>(kBlock));
    std::vector<std::vector<InteractionPair>> lists(static_cast<size_t>(kBlock));
    std::vector<uint8_t> hits;
    std::vector<int64_t> both;
    Observations own;
    auto waitFor = [](std::atomic<int64_t>& counter, int64_t value) {
      for (int64_t seen = counter.load(); seen < value; seen = counter.load()) counter.wait(seen);
    };
    auto advance = [](std::atomic<int64_t>& counter, int64_t value) {
      counter.store(value);
      counter.notify_all();
    };
    for (int64_t r = self; r < blocks; r += threads) {
      const int64_t first = starts[static_cast<size_t>(r)];
      const int64_t size = starts[static_cast<size_t>(r) + 1] - first;
      for (int64_t b = 0; b < size; ++b) {
        RandomStream stream(static_cast<uint64_t>(first + b) * drawsPerShuffle);
        drawShuffleOrder(stream, moduli, edges, orders[static_cast<size_t>(b)]);
      }
      waitFor(made, r);
      for (int64_t b = 0; b < size; ++b) {
        const std::vector<InteractionPair>& before =
            b == 0 ? chain : lists[static_cast<size_t>(b - 1)];
        applyShuffleOrderTo(orders[static_cast<size_t>(b)], before, lists[static_cast<size_t>(b)],
                            edges);
      }
      chain = lists[static_cast<size_t>(size - 1)];
      advance(made, r + 1);

      // The pairs scored stay fixed until the next progress line, which
      // comes after this block's tally.
      waitFor(lines, linesBefore[static_cast<size_t>(r)]);
      const int scored = remaining;
      hits.assign(static_cast<size_t>(size * scored), 0);
      for (int64_t b = 0; b < size; ++b) {
        const std::vector<InteractionPair>& list = lists[static_cast<size_t>(b)];
        uint8_t* hit = hits.data() + b * scored;
        if (scored <= kBitPairs) {
          both.assign(static_cast<size_t>(bits.words) * 64, 0);
          countQueueOnEdges(bits, list, edges, both.data());
          for (int i = 0; i < scored; ++i) {
            const MotifPair& pair = queue[static_cast<size_t>(i)];
            const double x = mutualInformation(countsFromMargins(
                total, sides[static_cast<size_t>(pair.first)].weight,
                sides[static_cast<size_t>(pair.second)].weight, both[static_cast<size_t>(i)]));
            hit[i] = x >= pair.observed;
          }
        } else {
          if (own.offsets.empty()) own = observations;
          refillObservations(list, edges, own);
          for (int i = 0; i < scored; ++i) {
            const MotifPair& pair = queue[static_cast<size_t>(i)];
            hit[i] = score(pair, own.partners) >= pair.observed;
          }
        }
      }

      waitFor(tallied, r);
      for (int i = 0; i < scored; ++i) {
        MotifPair& pair = queue[static_cast<size_t>(i)];
        for (int64_t b = 0; b < size; ++b) {
          if (hits[static_cast<size_t>(b * scored + i)] != 0)
            pair.pValue += 1.0 / static_cast<double>(shuffles);
        }
      }
      const int64_t k = first + size;  // networks done
      if ((k - 1) % kProgressEvery == 0) {
        const int64_t reach = static_cast<int64_t>(cutSeedList(queue, remaining, cont)) + cont;
        const int before = remaining;
        remaining = static_cast<int>(std::min<int64_t>(remaining, reach));
        if (remaining != before && remaining <= kBitPairs)
          bits = queueBits(presence, queue, remaining, n);
        line(out, "Permutation no. ", k, " completed... ", remaining, " motif pairs remain...");
        advance(lines, lines.load() + 1);
      }
      advance(tallied, r + 1);
    }
  }
  skipRandom(static_cast<uint64_t>(shuffles) * drawsPerShuffle);
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
