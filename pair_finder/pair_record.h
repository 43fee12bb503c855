// The pair list of the pair finder: one record per element pair with its
// score, its per-slot permutation statistics and, while the list is built,
// the split of the network into interactions that support the pair and the
// rest. Also the integer 2 x 2 table every score is computed from.
#pragma once

#include <bit>
#include <cstdint>
#include <string>
#include <vector>

#include "interactions.h"

namespace tav {

// The presence table of one element pair over a set of interactions, as
// integer counts: each usable interaction (g, h) gives the two observations
// (a on g, b on h) and (a on h, b on g).
struct PairCounts {
  int64_t both = 0;           // observations with a present and b present
  int64_t rowPresent = 0;     // observations with a present
  int64_t columnPresent = 0;  // observations with b present
  int64_t observations = 0;   // n, twice the number of usable interactions
};

// Mutual information (base 10) of the table, 0 when a and b meet less often
// than independence predicts or when there is no observation. The only place
// where a pair score becomes a floating-point number, so every path that
// counts the same table gets the same bits.
double mutualInformation(const PairCounts& counts);

// How pair scores are counted. Fast uses per-gene partner lists and bit sets;
// Plain follows the presence fields interaction by interaction. Both give the
// same counts, hence the same bits; Plain is kept as the reference for tests.
enum class ScoringPath { Fast, Plain };

// An element pair offered to the list: its elements (first <= second), its
// score on the training set and its counts over the pair-list network (the
// network the redundancy test splits).
struct PairCandidate {
  int32_t first = -1;
  int32_t second = -1;
  double score = -1.0;
  PairCounts baseCounts;
};

// Permutation statistics of one slot (0: full network, t: jack-knife trial t).
struct SlotStats {
  double observed = 0.0;
  double pValue = 0.0;      // exceedance count while the test runs, then count / A
  double mean = 0.0;        // sum of permuted scores, then the sum / A
  double meanSquare = 0.0;  // sum of their squares, then the sum / A
  double zScore = 0.0;
};

struct PairRecord : PairCandidate {
  int32_t robustCount = 0;
  bool removed = false;
  // Only the slots a test has used so far (slot s exists once slot s ran).
  std::vector<SlotStats> slots;
  // The interactions of the pair-list network that support the pair (the
  // supporting list; the others, in order, are the rest list): ascending
  // positions while they are few, otherwise one bit per interaction.
  std::vector<int32_t> supportingPositions;
  std::vector<uint64_t> supportingBits;
  int32_t supportingCount = 0;  // s
  int32_t restCount = 0;        // r

  SlotStats& slot(int s);
  const SlotStats* slotIfAny(int s) const;

  // Stores the split from the ascending supporting positions of a network
  // of `networkLength` interactions.
  void setSupporting(std::vector<int32_t> positions, int32_t networkLength);
  bool supports(size_t position) const;
  // Calls visit(position) for each supporting interaction, ascending.
  template <typename Visit>
  void forEachSupporting(Visit visit) const {
    if (supportingBits.empty()) {
      for (int32_t i : supportingPositions) visit(static_cast<size_t>(i));
      return;
    }
    for (size_t w = 0; w < supportingBits.size(); ++w) {
      for (uint64_t bits = supportingBits[w]; bits != 0; bits &= bits - 1) {
        visit(w * 64 + static_cast<size_t>(std::countr_zero(bits)));
      }
    }
  }
};

// The bounded pair list, sorted by decreasing score while it is built.
struct PairList {
  std::vector<PairRecord> pairs;
  int capacity = 0;
  // The interaction list built from the gene rows when the list was started:
  // every new pair's rest/supporting split indexes into it.
  std::vector<InteractionPair> network;
  // The truncation message that building that list printed (empty if none);
  // every insertion rebuilds the list and so prints it again.
  std::string networkMessage;
  // Scratch of the fast redundancy test: the genes carrying each element, and
  // one mark per gene for each element of the pair under test (all clear
  // between tests).
  std::vector<std::vector<int32_t>> carriers;
  std::vector<uint8_t> carriesFirst;
  std::vector<uint8_t> carriesSecond;

  int length() const { return static_cast<int>(pairs.size()); }
};

}  // namespace tav
