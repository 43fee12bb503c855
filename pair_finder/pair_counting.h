// Integer counting of element-pair presence tables over an interaction list.
// Every score of the pair finder is mutualInformation of such counts; these
// structures count them without walking the whole list once per pair.
#pragma once

#include <bit>
#include <cstdint>
#include <utility>
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

// Per-gene bits of up to 64 element pairs: bit i of `first` is set when the
// gene carries the first element of pair i, of `second` when it carries the
// second. Few pairs are counted together in one pass over the list this way.
struct GeneMasks {
  uint64_t first = 0;
  uint64_t second = 0;
};
inline constexpr int kMaskedPairs = 64;

struct PairMasks {
  std::vector<GeneMasks> genes;  // one per gene
  std::vector<uint8_t> anyPair;  // 1 when the gene carries an element of some pair
};

// Masks of the first n genes for `pairs` (at most kMaskedPairs are used);
// excluded genes carry nothing.
PairMasks pairMasks(const std::vector<GeneRecord>& genes, int n,
                    const std::vector<std::pair<int32_t, int32_t>>& pairs);

// For every pair i of the masks, adds to both[i] what crossCount gives for
// it over `count` entries of `list`, every entry usable (both genes below
// the masks' size and not excluded). `both` has kMaskedPairs entries.
void maskedCrossCounts(const PairMasks& masks, const std::vector<InteractionPair>& list, int count,
                       int64_t* both);

// A list can carry, on each node, whether the gene carries an element of
// some pair of the masks: then the entries that touch no pair, nearly all of
// them, are passed over without a look at the masks. Shuffles move the tags
// with the nodes.
inline constexpr int32_t kCarrierTag = int32_t{1} << 30;
inline int32_t untagged(int32_t node) { return node & ~kCarrierTag; }
// Sets the tags of the first `count` entries from the masks (nodes below
// their size), clearing any earlier ones.
void tagCarriers(const PairMasks& masks, std::vector<InteractionPair>& list, int count);
void clearTags(std::vector<InteractionPair>& list, int count);
// Adds the observations of entry (x, y), untagged nodes, to both[].
inline void addMaskedEntry(const GeneMasks* m, int32_t x, int32_t y, int64_t* both) {
  uint64_t one = m[x].first & m[y].second;
  uint64_t other = m[y].first & m[x].second;
  for (; one != 0; one &= one - 1) ++both[std::countr_zero(one)];
  for (; other != 0; other &= other - 1) ++both[std::countr_zero(other)];
}

// Adds entry e of a list tagged from the masks to both[] when both its
// nodes are tagged (only then can it hold a pair).
inline void addTaggedEntry(const GeneMasks* m, const InteractionPair& e, int64_t* both) {
  if ((e.first & e.second & kCarrierTag) != 0)
    addMaskedEntry(m, untagged(e.first), untagged(e.second), both);
}

// maskedCrossCounts over a list tagged from the same masks.
void taggedCrossCounts(const PairMasks& masks, const std::vector<InteractionPair>& list, int count,
                       int64_t* both);

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
