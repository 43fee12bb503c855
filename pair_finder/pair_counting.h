// Integer counting of element-pair presence tables over an interaction list.
// Every score of the pair finder is mutualInformation of such counts; these
// structures count them without walking the whole list once per pair.
#pragma once

#include <cstdint>
#include <vector>

#include "pair_record.h"
#include "records.h"

namespace tav {

// Partner lists of an interaction list, per gene: for every usable
// interaction (g, h) gene g lists h and gene h lists g (a self-interaction
// lists g twice). Interactions with an excluded gene are left out.
class EdgeIndex {
 public:
  // Indexes `count` interactions of `list` over the first `n` genes.
  void build(const std::vector<GeneRecord>& genes, int n, const std::vector<InteractionPair>& list,
             int count);
  // Refills the partner lists from a re-paired list in which every gene
  // occurs as often as in the indexed one (an interaction shuffle): the
  // per-gene degrees stay, only partners change. Only for an index whose
  // build found every interaction usable (allUsable()).
  void refill(const std::vector<InteractionPair>& list, int count);
  bool allUsable() const { return allUsable_; }

  int32_t degree(int gene) const { return offsets_[gene + 1] - offsets_[gene]; }
  const int32_t* partnersBegin(int gene) const { return partners_.data() + offsets_[gene]; }
  const int32_t* partnersEnd(int gene) const { return partners_.data() + offsets_[gene + 1]; }
  int64_t observations() const { return static_cast<int64_t>(partners_.size()); }
  int genes() const { return static_cast<int>(offsets_.size()) - 1; }

 private:
  bool allUsable_ = true;
  std::vector<int32_t> offsets_;
  std::vector<int32_t> cursor_;
  std::vector<int32_t> partners_;
};

// For each element below `elementCount`, the ascending indices of the genes
// (among the first n) that carry it.
std::vector<std::vector<int32_t>> elementCarriers(const std::vector<GeneRecord>& genes, int n,
                                                  int elementCount);

// Sum of the index degrees of the genes carrying an element: the number of
// observations in which it is present.
int64_t elementDegree(const EdgeIndex& index, const std::vector<int32_t>& carriers);

// Observations with a on one side and b on the other (symmetric in a and b),
// walking the partners of the cheaper element. `mark` has one zero byte per
// gene of the index and is left zeroed.
int64_t crossCount(const EdgeIndex& index, const std::vector<int32_t>& carriersA, int64_t degreeA,
                   const std::vector<int32_t>& carriersB, int64_t degreeB,
                   std::vector<uint8_t>& mark);

// The full table of elements a and b from the index.
PairCounts indexCounts(const EdgeIndex& index, const std::vector<int32_t>& carriersA,
                       int64_t degreeA, const std::vector<int32_t>& carriersB, int64_t degreeB,
                       std::vector<uint8_t>& mark);

// The table of elements a and b over `count` interactions of `list`, counted
// one interaction at a time from the genes' element sets (excluded genes
// skipped): the plain form, for callers outside the hot loops.
PairCounts countPair(const std::vector<GeneRecord>& genes, const std::vector<InteractionPair>& list,
                     int count, int32_t a, int32_t b);

}  // namespace tav
