// Interaction network: the interaction file reader, loner removal, the
// training set (the explicit edge list every score runs over), the two
// randomisations and the rebuild of the rows from an edge list. The
// operations work on any record table whose records are NetworkNodes
// (GeneRecord in the pair finder, SequenceRecord in the motif pair finders).
#pragma once

#include <algorithm>
#include <cstdint>
#include <istream>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "random.h"
#include "records.h"

namespace tav {

struct InteractionPair {
  int32_t first = -1;
  int32_t second = -1;
};

// Index of the first record whose name equals `name`, or -1.
template <typename Record>
int findGene(std::string_view name, const std::vector<Record>& table, int n);

// Index of the first element name equal to `name`, or `count` when none is.
int findElement(std::string_view name, const std::vector<std::string>& seTable, int count);

// Clears the rows of the first n records, then reads the words two at a time
// and connects each new pair of distinct, known, not yet connected records
// (interaction counts grow). Writes the ignored-count warning; `listWord` is
// "protein" (pair finder) or "sequence" (motif pair finders). Returns the
// number of accepted interactions.
template <typename Record>
int readInteractions(std::istream& in, std::vector<Record>& table, int n, std::string_view listWord,
                     std::ostream& out);

// Removes every record whose interaction count is 0, keeping the order;
// returns the new length (the vector is shortened too).
template <typename Record>
int removeLoners(std::vector<Record>& table, int n);

// One pair (j, k), j <= k, per connected pair of records that are not
// excluded, ordered by j then k. Beyond 30000 pairs writes "More than 30000
// interactions were found. The rest will be ignored." and stops. Returns the
// list length.
template <typename Record>
int buildTrainingSet(const std::vector<Record>& table, int n, std::vector<InteractionPair>& list,
                     std::ostream& out);

// Fisher-Yates shuffle of the entries, then every second node moves up by one
// place (the first entry's goes last): degrees are kept, partners redrawn.
void shuffleInteractions(std::vector<InteractionPair>& list, int n);

// shuffleInteractions in halves, so that the draws can be made ahead (on
// other threads, from copies of the generator) and the list changed in
// order on one. The swaps of one shuffle depend only on its n - 1 draws:
// offsets[j] = draw j % (n - j), the place j swaps with is j + offsets[j].
struct ShuffleModuli {
  int n = 0;
  std::vector<uint32_t> divisor;     // entry j: n - j
  std::vector<uint32_t> magic;       // smallModuloMagic(n - j), for n up to kSmallModuloLimit
  std::vector<FastModulo> divideBy;  // entry j: n - j, for longer lists
};
ShuffleModuli shuffleModuli(int n);
// The offsets of one shuffle of an n-entry list from the next n - 1 draws
// of `stream`; `moduli` is shuffleModuli(n).
void drawShuffleOffsets(RandomStream& stream, const ShuffleModuli& moduli,
                        std::vector<uint32_t>& offsets);
// The same list as shuffleInteractions would leave, given the offsets drawn
// from the same draws. `visit` sees every entry of the new list once, in
// place order, as soon as it is final: a pass over the new list rides on
// the shuffle's own instead of reading the list again.
template <typename Visit>
void shuffleWithOffsets(std::vector<InteractionPair>& list, int n,
                        const std::vector<uint32_t>& offsets, Visit&& visit) {
  n = std::min({n, static_cast<int>(list.size()), static_cast<int>(offsets.size()) + 1});
  if (n <= 0) return;
  InteractionPair* entries = list.data();
  // Place j is final once swap j is done; its second node is then the one
  // of place j + 1 after swap j + 1 (the first place's goes last).
  if (n >= 2) std::swap(entries[0], entries[offsets[0]]);
  const int32_t firstSecond = entries[0].second;
  // The places to swap with are known ahead and scattered over the list:
  // asking for them a few swaps early hides most of their cache misses.
  constexpr int kAhead = 16;
  for (int j = 1; j < n - 1; ++j) {
    if (j + kAhead < n - 1)
      __builtin_prefetch(
          &entries[j + kAhead + static_cast<int>(offsets[static_cast<size_t>(j + kAhead)])], 1);
    std::swap(entries[j], entries[j + static_cast<int>(offsets[static_cast<size_t>(j)])]);
    entries[j - 1].second = entries[j].second;
    visit(entries[j - 1]);
  }
  if (n >= 2) {
    entries[n - 2].second = entries[n - 1].second;
    visit(entries[n - 2]);
  }
  entries[n - 1].second = firstSecond;
  visit(entries[n - 1]);
}
void shuffleWithOffsets(std::vector<InteractionPair>& list, int n,
                        const std::vector<uint32_t>& offsets);
// The reordering of one shuffle: `order[j]` is the entry that lands at place
// j before the second nodes move up.
void drawShuffleOrder(RandomStream& stream, const ShuffleModuli& moduli, int n,
                      std::vector<int32_t>& order);
// The same list as shuffleInteractions would leave, given the order drawn
// from the same draws; `scratch` is working space.
void applyShuffleOrder(const std::vector<int32_t>& order, std::vector<InteractionPair>& list, int n,
                       std::vector<InteractionPair>& scratch);

// The same list made from `from` into `to` (another vector), so that the
// network before stays readable: to = applyShuffleOrder of a copy of from.
void applyShuffleOrderTo(const std::vector<int32_t>& order,
                         const std::vector<InteractionPair>& from, std::vector<InteractionPair>& to,
                         int n);

// Makes the rows of the first n records equal to the edges of the list.
template <typename Record>
void rebuildInteractionRows(std::vector<Record>& table, int n,
                            const std::vector<InteractionPair>& list, int count);

// Permutes the element sets among the first n genes (Fisher-Yates).
void shuffleElementAssociations(std::vector<GeneRecord>& genes, int n);

}  // namespace tav
