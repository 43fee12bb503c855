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
  // The same one entry at a time, in list order, after beginRefill: so a
  // shuffle can refill the lists in its own pass over the list.
  void beginRefill() { cursor_.assign(offsets_.begin(), offsets_.end() - 1); }
  void refillEntry(const InteractionPair& p) {
    partners_[static_cast<size_t>(cursor_[static_cast<size_t>(p.first)]++)] = p.second;
    partners_[static_cast<size_t>(cursor_[static_cast<size_t>(p.second)]++)] = p.first;
  }
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

// Per-gene bits of element pairs, 64 pairs a word: bit i of a gene's first
// words is set when the gene carries the first element of pair i, of its
// second words when it carries the second. Many pairs are counted together
// in one pass over the list this way.
inline constexpr int kMaskedPairs = 1024;

struct PairMasks {
  int words = 0;                 // per side and gene
  std::vector<uint64_t> bits;    // per gene: `words` first words, then `words` second words
  std::vector<uint8_t> anyPair;  // 1 when the gene carries an element of some pair
  const uint64_t* gene(int32_t g) const { return bits.data() + 2 * static_cast<size_t>(words) * g; }
  int pairs() const { return 64 * words; }  // entries of a counts array for these masks
};

// Masks of the first n genes for `pairs` (at most kMaskedPairs are used);
// excluded genes carry nothing.
PairMasks pairMasks(const std::vector<GeneRecord>& genes, int n,
                    const std::vector<std::pair<int32_t, int32_t>>& pairs);

// For every pair i of the masks, adds to both[i] what crossCount gives for
// it over `count` entries of `list`, every entry usable (both genes below
// the masks' size and not excluded). `both` has masks.pairs() entries.
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
// Copies the entries of list[0, count) with both nodes tagged, in order, to
// `picked`, which has room for count + 4 entries; returns how many. Four
// entries at a time where the processor allows, without a branch per entry.
size_t pickTouching(const InteractionPair* list, size_t count, InteractionPair* picked);
// The same one entry at a time: the plain twin.
size_t pickTouchingPlain(const InteractionPair* list, size_t count, InteractionPair* picked);
// Adds the observations of entry (x, y), untagged nodes, to both[].
inline void addMaskedEntry(const PairMasks& masks, int32_t x, int32_t y, int64_t* both) {
  const int words = masks.words;
  const uint64_t* gx = masks.gene(x);
  const uint64_t* gy = masks.gene(y);
  for (int w = 0; w < words; ++w, both += 64) {
    uint64_t one = gx[w] & gy[words + w];
    uint64_t other = gy[w] & gx[words + w];
    for (; one != 0; one &= one - 1) ++both[std::countr_zero(one)];
    for (; other != 0; other &= other - 1) ++both[std::countr_zero(other)];
  }
}

// Adds entry e of a list tagged from the masks to both[] when both its
// nodes are tagged (only then can it hold a pair).
inline void addTaggedEntry(const PairMasks& masks, const InteractionPair& e, int64_t* both) {
  if ((e.first & e.second & kCarrierTag) != 0)
    addMaskedEntry(masks, untagged(e.first), untagged(e.second), both);
}

// The joint counts of every pair of some masks over a stream of entries.
// Dense masks set many bits per entry, so the masks are added sixteen at a
// time into bit-sliced counters (carry-save adders, a few word operations
// per mask whatever its bits) rather than bit by bit. Counts are exact
// integers, so they equal addMaskedEntry's.
class MaskedCounter {
 public:
  // Starts counting from zero for `masks` (kept by reference).
  void reset(const PairMasks& masks);
  // Adds entry (x, y), untagged nodes.
  void add(int32_t x, int32_t y) { addWords(x, y, masks_->words); }
  // Adds entry e of a list tagged from the masks when both nodes are tagged.
  void addTagged(const InteractionPair& e) {
    if ((e.first & e.second & kCarrierTag) != 0) add(untagged(e.first), untagged(e.second));
  }
  // addTagged of the first `count` entries of a tagged list. The entries
  // with both nodes tagged are picked out in a pass without branches first:
  // in a shuffled list whether an entry is one is a coin toss, which a
  // branch per entry would mispredict.
  void addTaggedList(const std::vector<InteractionPair>& list, int count);
  // The counts so far, masks.pairs() of them; counting may go on after.
  const std::vector<int64_t>& counts();

 private:
  static constexpr int kBatch = 16;
  void addBatch();
  // add with `words` mask words a side; a constant `words` unrolls the loops.
  // Most entries hold no pair, so the masks are only looked at until one
  // shows a bit.
  void addWords(int32_t x, int32_t y, int words) {
    const uint64_t* gx = masks_->gene(x);
    const uint64_t* gy = masks_->gene(y);
    uint64_t any = 0;
    for (int w = 0; w < words; ++w) any |= (gx[w] & gy[words + w]) | (gy[w] & gx[words + w]);
    if (any == 0) return;
    uint64_t* one = pending_.data() + static_cast<size_t>(filled_) * words;
    uint64_t* other = one + words;
    for (int w = 0; w < words; ++w) {
      one[w] = gx[w] & gy[words + w];
      other[w] = gy[w] & gx[words + w];
    }
    filled_ += 2;
    if (filled_ == kBatch) addBatch();
  }
  template <int kWords>
  void addPicked(size_t picked);

  const PairMasks* masks_ = nullptr;
  int filled_ = 0;                 // masks waiting in pending_
  std::vector<uint64_t> pending_;  // kBatch masks of `words` words each
  std::vector<uint64_t> planes_;   // per word: its ones, twos, fours and eights
  std::vector<int64_t> sixteens_;  // per pair: the counts carried out of the planes
  std::vector<int64_t> counts_;
  std::vector<InteractionPair> touching_;  // addTaggedList's picked entries
};

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
