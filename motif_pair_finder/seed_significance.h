// Significance of the queued seed pairs against randomised networks (each
// made from the previous one by re-pairing the interactions with every
// degree kept), and the cut of the ranked queue before the first run of
// non-significant pairs.
#pragma once

#include <cstdint>
#include <ostream>
#include <vector>

#include "motif_model.h"
#include "records.h"

namespace tav {

// Presence of every motif of the motif store in every record: one bitset over
// the records per motif.
struct StorePresence {
  int32_t words = 0;
  std::vector<std::vector<uint64_t>> bits;

  void reset(size_t motifs, int32_t records);
  bool present(size_t motif, int32_t record) const {
    return ((bits[motif][static_cast<size_t>(record) >> 6] >> (record & 63)) & 1u) != 0;
  }
};

// Marks whether store motif m occurs in each record (slot m of `presence`).
void markStorePresence(const MaskMotif& motif, const std::vector<SequenceRecord>& records, size_t m,
                       StorePresence& presence, OccurrenceTest occurs = motifOccurs);

// The first `count` queued pairs as bits per record, so that one pass over
// an edge list counts them all: record r's words start at r * words; bit i
// of `first` is set when r holds pair i's first motif, of `second` when it
// holds its second.
struct QueueBits {
  int32_t words = 0;
  std::vector<uint64_t> first;
  std::vector<uint64_t> second;
};
QueueBits queueBits(const StorePresence& presence, const std::vector<MotifPair>& queue, int count,
                    int32_t records);

// Adds to both[i] (i below the bits' pair count) the observations of the
// first `edges` entries of `list` with pair i's first motif on one side and
// its second on the other; each entry (u, w) is observed as (u, w) and
// (w, u), as in the partner lists.
void countQueueOnEdges(const QueueBits& bits, const std::vector<InteractionPair>& list, int edges,
                       int64_t* both);

// Fills the tally of the first `queueLength` pairs: the observed score on the
// network of the interaction rows, then for each of `shuffles` cumulative
// randomisations adds 1/shuffles to the p-value of every still-competing pair
// that scores at least its observed value. After network 1, 1001, 2001, ...
// prints the progress line and stops scoring the pairs below the cut plus
// `cont`. `shuffles` and `cont` must be at least 1.
void assessSeedSignificance(const std::vector<SequenceRecord>& records,
                            const std::vector<MaskMotif>& store, std::vector<MotifPair>& queue,
                            int queueLength, int64_t shuffles, int cont, std::ostream& out);

// Number of pairs kept from the top: the first position that starts a run of
// `cont` pairs with a p-value above 0, or `length` when there is none.
int cutSeedList(const std::vector<MotifPair>& queue, int length, int cont);

}  // namespace tav
