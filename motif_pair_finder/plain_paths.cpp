#include "plain_paths.h"

#include <algorithm>

#include "capacities.h"
#include "console.h"
#include "fasta.h"
#include "seed_significance.h"
#include "seed_stage.h"

namespace tav {

namespace {

// Seed number read back from the sets, digits as in seedMotif.
uint64_t seedValue(const MaskMotif& motif) {
  uint64_t value = 0;
  for (auto s = motif.sets.rbegin(); s != motif.sets.rend(); ++s) {
    value = value * 5 + (*s == 1 ? 0 : *s == 2 ? 1 : *s == 4 ? 2 : *s == 8 ? 3 : 4);
  }
  return value;
}

}  // namespace

std::vector<MaskMotif> plainSeeds(int length, int digits, bool strandMode) {
  std::vector<MaskMotif> seeds;
  for (uint64_t v = 0; v < seedSpaceSize(length, digits); ++v) {
    MaskMotif seed = seedMotif(v, length, digits);
    MaskMotif reverse;
    for (auto s = seed.sets.rbegin(); s != seed.sets.rend(); ++s)
      reverse.sets.push_back(complementCode(*s));
    if (!strandMode || seedValue(reverse) >= seedValue(seed)) seeds.push_back(std::move(seed));
  }
  return seeds;
}

int64_t seedMotifPairsPlain(std::vector<SequenceRecord> records,
                            const std::vector<InteractionPair>& list, int length, int queueSize,
                            bool strandMode, MotifFinderVariant variant,
                            std::vector<MotifPair>& queue, std::vector<MaskMotif>& store) {
  const int capacity = std::min(queueSize, kSeedQueueCapacity);
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

void assessSeedSignificancePlain(std::vector<SequenceRecord> records,
                                 const std::vector<MaskMotif>& store, std::vector<MotifPair>& queue,
                                 int64_t shuffles, int cont, std::ostream& out) {
  std::vector<InteractionPair> list;
  const int edges = buildTrainingSet(records, static_cast<int>(records.size()), list, out);
  std::vector<std::vector<int>> slots(store.size());
  for (size_t m = 0; m < store.size(); ++m) {
    for (const SequenceRecord& r : records)
      slots[m].push_back(motifOccursReference(store[m].sets.data(), store[m].length(), r));
  }
  auto score = [&](const MotifPair& pair) {
    for (size_t r = 0; r < records.size(); ++r) {
      records[r].presenceA = slots[static_cast<size_t>(pair.first)][r];
      records[r].presenceB = slots[static_cast<size_t>(pair.second)][r];
    }
    return pairMutualInformation(records, list, edges);
  };
  for (MotifPair& pair : queue) {
    pair.observed = score(pair);
    pair.pValue = 0.0;
  }
  int remaining = static_cast<int>(queue.size());
  for (int64_t k = 0; k < shuffles; ++k) {
    shuffleInteractions(list, edges);
    for (int i = 0; i < remaining; ++i) {
      MotifPair& pair = queue[static_cast<size_t>(i)];
      if (score(pair) >= pair.observed) pair.pValue += 1.0 / static_cast<double>(shuffles);
    }
    if (k % 1000 == 0) {
      remaining = std::min(remaining, cutSeedList(queue, remaining, cont) + cont);
      line(out, "Permutation no. ", k + 1, " completed... ", remaining, " motif pairs remain...");
    }
  }
}

}  // namespace tav
