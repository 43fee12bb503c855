#include "permutation.h"

#include <gtest/gtest.h>
#include <omp.h>

#include <atomic>
#include <cmath>
#include <random>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "console.h"
#include "interactions.h"
#include "jackknife.h"
#include "network_builder.h"
#include "pair_counting.h"
#include "pair_list.h"
#include "random.h"

namespace tav {
namespace {

using testing::fiveGenes;
using testing::listFor;
using testing::Network;
using testing::randomNetwork;

TEST(PermutationTest, ReachingTheObservedScoreEndsAPair) {
  Network net = fiveGenes(0, 1, 2);
  PairList list = listFor(net);
  ASSERT_EQ(list.length(), 4);
  list.pairs[3].removed = true;  // (d, d)
  list.pairs[3].slot(0).pValue = 5.0;
  std::ostringstream out;
  permutationTest(net.genes, net.n(), list.pairs, 50, 0, 0.0, false, out);
  for (int i = 1; i <= 2; ++i) {
    // Zero-score self-pairs: the first permuted score equals the observed 0.
    const SlotStats& s = list.pairs[static_cast<size_t>(i)].slots[0];
    EXPECT_EQ(s.observed, 0.0);
    EXPECT_EQ(s.pValue, 1.0 / 50);
    EXPECT_EQ(s.zScore, 0.0);
  }
  // A removed pair gets its observed score but no statistics.
  const SlotStats& removed = list.pairs[3].slots[0];
  EXPECT_TRUE(list.pairs[3].removed);
  EXPECT_EQ(removed.pValue, 0.0);
  EXPECT_EQ(removed.mean, 0.0);
  EXPECT_EQ(markNotSignificant(list.pairs, 0, 0.0), list.pairs[0].slots[0].pValue > 0 ? 3 : 2);
  EXPECT_TRUE(list.pairs[1].removed);
  EXPECT_TRUE(list.pairs[2].removed);
}

TEST(PermutationTest, NetworksAfterTheLastPairLeavesDrawAsIfShuffled) {
  // Once no pair is in the running the remaining shuffles are skipped; the
  // generator must still end where 200 real shuffles would leave it, since
  // the jack-knife draws next.
  Network net = fiveGenes(0, 1, 2);
  PairList list = listFor(net);
  std::ostringstream out;
  seedRandom(5);
  permutationTest(net.genes, net.n(), list.pairs, 200, 0, 0.0, false, out);
  const int afterTest = drawRandom();

  std::vector<InteractionPair> work;
  const int count = buildTrainingSet(net.genes, net.n(), work, out);
  seedRandom(5);
  for (int k = 0; k < 200; ++k) shuffleInteractions(work, count);
  EXPECT_EQ(afterTest, drawRandom());
}

TEST(PermutationTest, ZScoresIncludingUnboundedOnes) {
  EXPECT_DOUBLE_EQ(zScore(0.5, 0.1, 0.02), 0.4 / std::sqrt(0.02 - 0.01));
  // No variance: infinite; rounding below zero: not a number. Both print
  // without a sign on the NaN.
  EXPECT_EQ(formatReal(zScore(1.0, 0.5, 0.25)), "inf");
  EXPECT_EQ(formatReal(zScore(0.0, 0.5, 0.25)), "-inf");
  EXPECT_EQ(formatReal(zScore(0.1, 0.1, 0.01 - 1e-18)), "nan");
  EXPECT_EQ(formatReal(zScore(0.2, 0.1, 0.0)), "nan");
}

TEST(JackKnife, ThresholdsAndTrialsWithoutGenes) {
  Network net = fiveGenes(0, 1, 2);
  PairList list = listFor(net);
  std::ostringstream out;
  jackknife(net.genes, net.n(), list.pairs, 6, 0.0, 0, 3, out);
  for (const PairRecord& p : list.pairs) EXPECT_EQ(p.robustCount, 0);
  // Threshold 1 for no trial: every pair still in the list goes.
  list.pairs[1].removed = true;
  EXPECT_EQ(markNotRobust(list.pairs, 0 / 2 + 1), 3);

  // -jfrac 1 leaves every gene out: nothing is supported.
  list = listFor(net);
  jackknife(net.genes, net.n(), list.pairs, 6, 0.0, 2, 1, out);
  for (const PairRecord& p : list.pairs) {
    EXPECT_EQ(p.robustCount, 0);
    ASSERT_EQ(p.slots.size(), 3u);  // both trials ran
    EXPECT_EQ(p.slots[2].observed, 0.0);
  }
  for (const GeneRecord& g : net.genes) EXPECT_TRUE(g.excluded);
}

void expectSameRecords(const std::vector<PairRecord>& fast, const std::vector<PairRecord>& plain) {
  ASSERT_EQ(fast.size(), plain.size());
  for (size_t i = 0; i < fast.size(); ++i) {
    EXPECT_EQ(std::tie(fast[i].first, fast[i].second, fast[i].removed, fast[i].robustCount),
              std::tie(plain[i].first, plain[i].second, plain[i].removed, plain[i].robustCount));
    ASSERT_EQ(fast[i].slots.size(), plain[i].slots.size());
    for (size_t s = 0; s < fast[i].slots.size(); ++s) {
      const SlotStats& f = fast[i].slots[s];
      const SlotStats& p = plain[i].slots[s];
      EXPECT_EQ(std::tie(f.observed, f.pValue, f.mean, f.meanSquare),
                std::tie(p.observed, p.pValue, p.mean, p.meanSquare))
          << "pair " << i << " slot " << s;
      EXPECT_TRUE(f.zScore == p.zScore || (std::isnan(f.zScore) && std::isnan(p.zScore)));
    }
  }
}

// The fast scorer reproduces the plain one bit for bit through whole tests,
// including jack-knife trials with excluded genes: on one thread the test,
// the caller's step (which reorders the pairs) and the trials one after
// another; on three the trials beside the test, starting on pairs the test
// is still to drop.
TEST(PermutationTest, FastPathsMatchThePlainSequenceOnRandomNetworks) {
  const int threads = omp_get_max_threads();
  std::mt19937 rng(77);
  auto between = [](std::vector<PairRecord>& pairs, std::ostream& out) {
    out << markNotSignificant(pairs, 0, 0.0) << " removed\n";
    orderPairs(pairs);
  };
  for (int round = 0; round < 25; ++round) {
    const int genes = 10 + round % 20;
    Network net = randomNetwork(rng, genes, genes * 2, 3 + round % 5, 0.2 + 0.05 * (round % 4));
    if (net.training.empty()) continue;
    PairList list = listFor(net, 6 + round % 10);
    if (round % 3 == 0) list.pairs[0].removed = true;  // dropped before the test
    const RobustnessParams params{15 + round, 3 + round % 2, 2 + round % 3};
    Network copy = net;
    std::vector<PairRecord> plain = list.pairs;
    std::ostringstream plainOut;
    seedRandom(static_cast<uint32_t>(round));
    permutationTest(copy.genes, copy.n(), plain, params.shuffles, 0, 0.0, true, plainOut,
                    ScoringPath::Plain);
    between(plain, plainOut);
    jackknife(copy.genes, copy.n(), plain, params.shuffles, 0.0, params.trials, params.fraction,
              plainOut, ScoringPath::Plain);
    const int plainNext = drawRandom();
    for (int team : {1, 3}) {
      omp_set_num_threads(team);
      Network fastNet = net;
      std::vector<PairRecord> fast = list.pairs;
      std::ostringstream fastOut;
      seedRandom(static_cast<uint32_t>(round));
      significanceAndRobustness(fastNet.genes, fastNet.n(), fast, params, fastOut,
                                [&] { between(fast, fastOut); });
      EXPECT_EQ(drawRandom(), plainNext);
      ASSERT_EQ(fastOut.str(), plainOut.str()) << team << " threads";
      expectSameRecords(fast, plain);
      for (size_t g = 0; g < copy.genes.size(); ++g)
        EXPECT_EQ(fastNet.genes[g].excluded, copy.genes[g].excluded);
    }
  }
  omp_set_num_threads(threads);
}

// Masks, partner lists and the choice between them give the plain test's
// statistics, on dense elements (motif-like) and on sparse ones
// (domain-like), with pair lists that need several mask words.
TEST(PermutationTest, EveryWayOfCountingGivesThePlainStatistics) {
  std::mt19937 rng(91);
  for (int round = 0; round < 12; ++round) {
    const bool dense = round % 2 == 0;
    const int genes = 30 + 5 * round;
    Network net = randomNetwork(rng, genes, 3 * genes, dense ? 14 : 40, dense ? 0.35 : 0.05);
    if (net.training.empty()) continue;
    PairList list = listFor(net, round < 6 ? 20 : 150);
    for (GeneRecord& g : net.genes) g.excluded = rng() % 7 == 0;
    PermutationParams params;
    params.shuffles = 30;
    params.slot = 1;
    params.path = ScoringPath::Plain;
    std::vector<PairRecord> plain = list.pairs;
    std::ostringstream plainOut;
    seedRandom(static_cast<uint32_t>(round));
    permutationTest(net.genes, net.n(), plain, params, plainOut);
    const int plainNext = drawRandom();
    for (Counting counting : {Counting::Masks, Counting::PartnerLists, Counting::Cheaper}) {
      params.path = ScoringPath::Fast;
      params.counting = counting;
      std::vector<PairRecord> fast = list.pairs;
      std::ostringstream fastOut;
      seedRandom(static_cast<uint32_t>(round));
      permutationTest(net.genes, net.n(), fast, params, fastOut);
      EXPECT_EQ(drawRandom(), plainNext);
      ASSERT_EQ(fastOut.str(), plainOut.str()) << round << " " << static_cast<int>(counting);
      expectSameRecords(fast, plain);
    }
  }
}

// A test marks the pairs it drops; a test told that another dropped a pair
// drops it too, and the other pairs' statistics stay those of a test alone.
TEST(PermutationTest, PairsDroppedElsewhereLeaveWithoutTouchingTheOthers) {
  std::mt19937 rng(41);
  int marked = 0;
  for (int round = 0; round < 12; ++round) {
    Network net = randomNetwork(rng, 20 + round, 50 + 4 * round, 4, 0.3);
    if (net.training.empty()) continue;
    PairList list = listFor(net, 12);
    PermutationParams params;
    params.shuffles = 40;
    std::vector<PairRecord> alone = list.pairs;
    std::vector<std::atomic<uint8_t>> dropped(alone.size());
    params.dropsInto = dropped.data();
    std::ostringstream out;
    RandomStream first(0);
    permutationTest(net.genes, net.n(), alone, params, out, &first);
    for (size_t i = 0; i < alone.size(); ++i) {
      if (dropped[i].load() == 0) continue;
      ++marked;
      EXPECT_GT(alone[i].slots[0].pValue, 0.0) << "only pairs that left are marked";
    }

    std::vector<PairRecord> told = list.pairs;
    std::vector<std::atomic<uint8_t>> elsewhere(told.size());
    for (size_t i = 1; i < told.size(); i += 2) elsewhere[i].store(1);
    params.dropsInto = nullptr;
    params.droppedElsewhere = elsewhere.data();
    RandomStream second(0);
    permutationTest(net.genes, net.n(), told, params, out, &second);
    for (size_t i = 0; i < told.size(); i += 2) {
      const SlotStats& a = alone[i].slots[0];
      const SlotStats& b = told[i].slots[0];
      EXPECT_EQ(a.pValue, b.pValue) << round << " " << i;
      EXPECT_EQ(a.mean, b.mean) << round << " " << i;
      EXPECT_EQ(a.meanSquare, b.meanSquare) << round << " " << i;
    }
    for (size_t i = 1; i < told.size(); i += 2) {
      if (!told[i].removed) {
        EXPECT_EQ(told[i].slots[0].mean, 0.0) << "left before any network";
      }
    }
  }
  EXPECT_GT(marked, 10);
}

// Joint counts of many pairs at once from per-gene masks (one word and
// several), on a plain list, on a tagged one and through the bit-sliced
// counter, entry by entry or from a whole list, are the counts interaction
// by interaction. Dense elements on long lists take the counter past its
// sixteen-count carries.
TEST(PermutationTest, MaskedCountsMatchCountingEachInteraction) {
  std::mt19937 rng(5);
  for (int round = 0; round < 40; ++round) {
    const int elements = 2 + round % 9;
    const int genes = 5 + round;
    Network net = randomNetwork(rng, genes, (round % 3 == 0 ? 12 : 4) * genes, elements,
                                round % 4 == 0 ? 0.7 : 0.1 + 0.02 * (round % 10));
    for (GeneRecord& g : net.genes) g.excluded = rng() % 5 == 0;
    std::ostringstream ignored;
    std::vector<InteractionPair> list;
    const int count = buildTrainingSet(net.genes, net.n(), list, ignored);
    std::vector<std::pair<int32_t, int32_t>> pairs;
    const int pairCount = 1 + static_cast<int>(rng() % 400);
    for (int i = 0; i < pairCount; ++i)
      pairs.emplace_back(static_cast<int32_t>(rng() % elements),
                         static_cast<int32_t>(rng() % elements));
    const PairMasks masks = pairMasks(net.genes, net.n(), pairs);
    std::vector<int64_t> masked(static_cast<size_t>(masks.pairs()), 0);
    std::vector<int64_t> tagged(masked.size(), 0);
    maskedCrossCounts(masks, list, count, masked.data());
    tagCarriers(masks, list, count);
    taggedCrossCounts(masks, list, count, tagged.data());
    MaskedCounter counter;
    counter.reset(masks);
    for (int i = 0; i < count; ++i) counter.addTagged(list[static_cast<size_t>(i)]);
    const std::vector<int64_t> counted = counter.counts();
    MaskedCounter whole;
    whole.reset(masks);
    whole.addTaggedList(list, count);
    const std::vector<int64_t> wholeCounted = whole.counts();
    clearTags(list, count);
    for (size_t i = 0; i < pairs.size(); ++i) {
      const PairCounts plain = countPair(net.genes, list, count, pairs[i].first, pairs[i].second);
      ASSERT_EQ(masked[i], plain.both) << round << " " << i;
      ASSERT_EQ(tagged[i], plain.both) << round << " " << i;
      ASSERT_EQ(counted[i], plain.both) << round << " " << i;
      ASSERT_EQ(wholeCounted[i], plain.both) << round << " " << i;
    }
  }
}

// Picking the entries with both nodes tagged four at a time keeps exactly
// the entries, in order, that the one-at-a-time pick keeps, whatever the
// share of tags and the length (the last entries come after the fours).
TEST(PermutationTest, PickingTaggedEntriesMatchesOneAtATime) {
  std::mt19937 rng(11);
  for (int round = 0; round < 200; ++round) {
    const auto count = static_cast<size_t>(rng() % 70);
    const uint32_t tagged = rng() % 101;  // percent of tagged nodes
    std::vector<InteractionPair> list(count);
    for (InteractionPair& e : list) {
      auto node = [&] {
        const auto g = static_cast<int32_t>(rng() % 1000);
        return rng() % 100 < tagged ? g | kCarrierTag : g;
      };
      e.first = node();
      e.second = node();
    }
    std::vector<InteractionPair> fast(count + 4);
    std::vector<InteractionPair> plain(count + 4);
    const size_t picked = pickTouching(list.data(), count, fast.data());
    ASSERT_EQ(picked, pickTouchingPlain(list.data(), count, plain.data())) << round;
    for (size_t i = 0; i < picked; ++i) {
      ASSERT_EQ(fast[i].first, plain[i].first) << round << " " << i;
      ASSERT_EQ(fast[i].second, plain[i].second) << round << " " << i;
    }
  }
}

}  // namespace
}  // namespace tav
