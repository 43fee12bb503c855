#include "seed_stage.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <sstream>

#include "random.h"
#include "test_inputs.h"

namespace tav {
namespace {

using testing::motifOf;
using testing::randomList;
using testing::randomRecords;
using testing::recordsOf;

// Seed number of a motif read from its sets, position 0 least significant,
// T C G A and the all-nucleotide set as digits 0 to 4.
uint64_t valueOf(const MaskMotif& motif) {
  uint64_t value = 0;
  for (int k = motif.length() - 1; k >= 0; --k) {
    const LetterCode s = motif.sets[static_cast<size_t>(k)];
    const uint64_t digit = s == 1 ? 0 : s == 2 ? 1 : s == 4 ? 2 : s == 8 ? 3 : 4;
    value = value * 5 + digit;
  }
  return value;
}

// Canonical seeds listed the plain way: a seed is kept unless its reverse
// complement, built letter by letter, is a smaller number.
std::vector<MaskMotif> plainSeeds(int length, int digits, bool strandMode) {
  std::vector<MaskMotif> seeds;
  for (uint64_t v = 0; v < seedSpaceSize(length, digits); ++v) {
    MaskMotif seed = seedMotif(v, length, digits);
    MaskMotif reverse;
    for (int k = length - 1; k >= 0; --k)
      reverse.sets.push_back(complementCode(seed.sets[static_cast<size_t>(k)]));
    if (strandMode && valueOf(reverse) < valueOf(seed)) continue;
    seeds.push_back(seed);
  }
  return seeds;
}

std::vector<std::string> texts(const std::vector<MaskMotif>& motifs) {
  std::vector<std::string> out;
  for (const MaskMotif& m : motifs) out.push_back(motifText(m));
  return out;
}

TEST(SeedOrder, FirstPositionChangesFastest) {
  EXPECT_EQ(motifText(seedMotif(0, 3, 4)), "TTT");
  EXPECT_EQ(motifText(seedMotif(1, 3, 4)), "CTT");
  EXPECT_EQ(motifText(seedMotif(3, 3, 4)), "ATT");
  EXPECT_EQ(motifText(seedMotif(4, 3, 4)), "TCT");
  EXPECT_EQ(motifText(seedMotif(4, 2, 5)), "[TCGA]T");
  EXPECT_EQ(motifText(seedMotif(5, 2, 5)), "TC");
}

TEST(SeedOrder, CanonicalSeedsAgreeWithThePlainRule) {
  for (int digits : {4, 5}) {
    for (int length = 1; length <= 5; ++length) {
      std::vector<MaskMotif> fast;
      for (uint64_t v = 0; v < seedSpaceSize(length, digits); ++v) {
        if (isCanonicalSeed(v, length, digits)) fast.push_back(seedMotif(v, length, digits));
      }
      EXPECT_EQ(texts(fast), texts(plainSeeds(length, digits, true))) << digits << " " << length;
    }
  }
  EXPECT_EQ(texts(plainSeeds(1, 4, true)), (std::vector<std::string>{"T", "C"}));
  EXPECT_EQ(texts(plainSeeds(1, 5, true)), (std::vector<std::string>{"T", "C", "[TCGA]"}));
  EXPECT_TRUE(isCanonicalSeed(valueOf(motifOf("T[TCGA]A")), 3, 5));
  // (4^L + 4^(L/2)) / 2 for even L, 4^L / 2 for odd L.
  EXPECT_EQ(plainSeeds(6, 4, true).size(), 2080u);
  EXPECT_EQ(plainSeeds(3, 4, true).size(), 32u);
  // (5^L + 5^((L-1)/2)) / 2 for odd L.
  EXPECT_EQ(plainSeeds(3, 5, true).size(), 65u);
}

TEST(SeedOccurrences, AgreeWithThePlainOccurrenceRule) {
  std::mt19937 rng(11);
  for (bool strandMode : {false, true}) {
    for (int length : {1, 2, 3, 4}) {
      auto records = randomRecords(rng, 25, 0, 30, 0.08, strandMode);
      SeedOccurrences occurrences;
      buildSeedOccurrences(records, length, strandMode, occurrences);
      for (const MaskMotif& seed : plainSeeds(length, 4, strandMode)) {
        std::vector<int32_t> plain;
        for (size_t r = 0; r < records.size(); ++r) {
          if (motifOccursReference(seed.sets.data(), seed.length(), records[r]))
            plain.push_back(static_cast<int32_t>(r));
        }
        std::vector<int32_t> fast;
        uint64_t v = 0;
        for (int k = seed.length() - 1; k >= 0; --k) {
          v = v * 4 + static_cast<uint64_t>(std::countr_zero(seed.sets[static_cast<size_t>(k)]));
        }
        auto at = std::lower_bound(occurrences.seeds.begin(), occurrences.seeds.end(), v);
        if (at != occurrences.seeds.end() && *at == v) {
          const size_t s = static_cast<size_t>(at - occurrences.seeds.begin());
          fast.assign(occurrences.records.begin() + occurrences.offsets[s],
                      occurrences.records.begin() + occurrences.offsets[s + 1]);
        }
        EXPECT_EQ(fast, plain) << motifText(seed) << " strand " << strandMode;
      }
    }
  }
}

// The seed stage the plain way: presence of every seed marked record by
// record with the window-by-window rule, scores from pairMutualInformation.
int64_t plainSeedStage(std::vector<SequenceRecord> records,
                       const std::vector<InteractionPair>& list, int length, int queueSize,
                       bool strandMode, MotifFinderVariant variant, std::vector<MotifPair>& queue,
                       std::vector<MaskMotif>& store) {
  const int capacity = std::min(queueSize, 4999);
  const auto seeds = plainSeeds(length, seedDigits(variant), strandMode);
  const int count = static_cast<int>(list.size());
  int64_t examined = 0;
  for (size_t a = 0; a < seeds.size(); ++a) {
    markPresence(seeds[a], records, PresenceSlot::A, motifOccursReference);
    const size_t last = variant == MotifFinderVariant::HomoValue ? a + 1 : seeds.size();
    for (size_t b = a; b < last; ++b) {
      markPresence(seeds[b], records, PresenceSlot::B, motifOccursReference);
      const double x = pairMutualInformation(records, list, count);
      if (queueAccepts(queue, capacity, x))
        insertMotifPair(queue, store, capacity, seeds[a], seeds[b], x);
      ++examined;
    }
  }
  return examined;
}

struct Scenario {
  MotifFinderVariant variant;
  bool strandMode;
  int length;
  int queueSize;
  size_t blockBytes = kHomoValueBlockBytes;
};

TEST(SeedMotifPairs, FastScoringEqualsThePlainComputation) {
  std::mt19937 rng(2024);
  const Scenario scenarios[] = {
      {MotifFinderVariant::Pairs, true, 1, 5},
      {MotifFinderVariant::Pairs, false, 1, 3},
      {MotifFinderVariant::Pairs, true, 2, 7},
      {MotifFinderVariant::Pairs, false, 2, 40},
      {MotifFinderVariant::Pairs, true, 3, 25},
      {MotifFinderVariant::Pairs, false, 3, 1},
      {MotifFinderVariant::HomoValue, true, 1, 5},
      {MotifFinderVariant::HomoValue, false, 2, 9},
      {MotifFinderVariant::HomoValue, true, 3, 30},
      {MotifFinderVariant::HomoValue, false, 3, 4},
      // Presence found in blocks of 5 and of 25 seeds.
      {MotifFinderVariant::HomoValue, true, 3, 30, 8},
      {MotifFinderVariant::HomoValue, false, 4, 12, 200},
  };
  for (int round = 0; round < 3; ++round) {
    for (const Scenario& s : scenarios) {
      auto records = randomRecords(rng, 18, 0, 24, 0.05, s.strandMode);
      auto list = randomList(rng, 18, 10 + round * 15);
      std::vector<MotifPair> fastQueue;
      std::vector<MaskMotif> fastStore;
      std::ostringstream console;
      const int64_t fast =
          seedMotifPairs(records, list, static_cast<int>(list.size()), s.length, s.queueSize,
                         s.strandMode, s.variant, fastQueue, fastStore, console, s.blockBytes);
      std::vector<MotifPair> plainQueue;
      std::vector<MaskMotif> plainStore;
      const int64_t plain = plainSeedStage(records, list, s.length, s.queueSize, s.strandMode,
                                           s.variant, plainQueue, plainStore);
      ASSERT_EQ(fast, plain);
      ASSERT_EQ(fastQueue.size(), plainQueue.size());
      EXPECT_EQ(fastStore.size(), 2 * fastQueue.size());
      for (size_t i = 0; i < fastQueue.size(); ++i) {
        EXPECT_EQ(fastQueue[i].mutualInformation, plainQueue[i].mutualInformation) << i;
        EXPECT_EQ(motifText(fastStore[static_cast<size_t>(fastQueue[i].first)]),
                  motifText(plainStore[static_cast<size_t>(plainQueue[i].first)]));
        EXPECT_EQ(motifText(fastStore[static_cast<size_t>(fastQueue[i].second)]),
                  motifText(plainStore[static_cast<size_t>(plainQueue[i].second)]));
      }
    }
  }
}

TEST(SeedMotifPairs, ExaminedCountsAndProgressLines) {
  auto records = recordsOf({"ACGTAC", "TTGCAA", "GGGCCC"}, true);
  const std::vector<InteractionPair> list = {{0, 1}, {1, 2}};
  std::vector<MotifPair> queue;
  std::vector<MaskMotif> store;
  std::ostringstream console;
  EXPECT_EQ(seedMotifPairs(records, list, 2, 1, 500, true, MotifFinderVariant::Pairs, queue, store,
                           console),
            3);
  EXPECT_EQ(seedMotifPairs(records, list, 2, 1, 500, true, MotifFinderVariant::HomoValue, queue,
                           store, console),
            3);
  EXPECT_EQ(console.str(), "");
  // 64 seeds without the strand mode: 64 * 65 / 2 = 2080 pairs.
  auto forward = recordsOf({"ACGTAC", "TTGCAA", "GGGCCC"}, false);
  EXPECT_EQ(seedMotifPairs(forward, list, 2, 3, 6000, false, MotifFinderVariant::Pairs, queue,
                           store, console),
            2080);
  EXPECT_EQ(queue.size(), 2080u);
  EXPECT_EQ(console.str(),
            "1000 motif pairs have been examined so far...\n2000 motif pairs have been examined so "
            "far...\n");
  std::ostringstream hv;
  EXPECT_EQ(seedMotifPairs(forward, list, 2, 5, 6000, false, MotifFinderVariant::HomoValue, queue,
                           store, hv),
            3125);
  EXPECT_EQ(queue.size(), 3125u);
  EXPECT_EQ(hv.str(),
            "1000 motifs have been examined so far...\n2000 motifs have been examined so far...\n"
            "3000 motifs have been examined so far...\n");
  // The queue never holds more than 4999 pairs.
  EXPECT_EQ(seedMotifPairs(forward, list, 2, 6, 6000, false, MotifFinderVariant::HomoValue, queue,
                           store, hv),
            15625);
  EXPECT_EQ(queue.size(), 4999u);
  EXPECT_EQ(store.size(), 9998u);
}

TEST(ShuffleSequences, KeepsCompositionAndDrawsOncePerSwap) {
  auto records = recordsOf({"AACCGGTTAC", "G", "", "TTTA"}, false);
  seedRandom(3);
  shuffleSequences(records);
  auto sorted = [](std::vector<LetterCode> v) {
    std::sort(v.begin(), v.end());
    return v;
  };
  EXPECT_EQ(sorted(records[0].codes), sorted(motifOf("AACCGGTTAC").sets));
  EXPECT_EQ(records[1].codes, motifOf("G").sets);
  EXPECT_EQ(sorted(records[3].codes), sorted(motifOf("TTTA").sets));
  // 9 draws for the first record, none for lengths 1 and 0, 3 for the last.
  const int next = drawRandom();
  seedRandom(3);
  for (int i = 0; i < 12; ++i) drawRandom();
  EXPECT_EQ(drawRandom(), next);
}

}  // namespace
}  // namespace tav
