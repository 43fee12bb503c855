// Optimisation of the kept seed pairs into degenerate motifs: a greedy hill
// climb over the position sets (one change per step, only strict
// improvements), growth at either end up to the maximum motif length, the
// ranking of the optimised pairs and their SE output.
#pragma once

#include <ostream>
#include <vector>

#include "climb_index.h"
#include "interactions.h"
#include "motif_model.h"
#include "records.h"
#include "se_file.h"

namespace tav {

// What every climb step reads: the records (through a bit-parallel index),
// the observations of the interactions it scores over, and the variant. Built
// once for the stage; keeps a reference to the records, which must not
// change while it lives. The list is read only by the constructor.
struct ClimbTables {
  ClimbTables(const std::vector<SequenceRecord>& records, const std::vector<InteractionPair>& list,
              int count, MotifFinderVariant variant);

  const std::vector<SequenceRecord>& records;
  MotifFinderVariant variant;
  Observations observations;
  ClimbIndex index;
};

enum class MotifEnd { Front, Back };

// Climbs until no single change of one position set scores strictly above
// the pair's score; prints one line per applied change. In Tavrin-N.HV both
// motifs of the pair change together.
void refinePair(ClimbTables& tables, std::vector<MaskMotif>& store, MotifPair& pair,
                std::ostream& out);

// Adds an all-nucleotide position at one end of one motif (`second` picks the
// motif; ignored in Tavrin-N.HV, where both grow), climbs from a score of 0
// and keeps the result only when it beats the old score; otherwise restores
// both motifs from `backups` (two motifs, reused across calls) and the score.
// Returns whether the extension was kept.
bool extendMotif(ClimbTables& tables, std::vector<MaskMotif>& store, MotifPair& pair, bool second,
                 MotifEnd end, std::vector<MaskMotif>& backups, std::ostream& out);

// Optimises the first n pairs of the queue in queue order; returns n.
int optimizeMotifPairs(ClimbTables& tables, std::vector<MaskMotif>& store,
                       std::vector<MotifPair>& queue, int n, int maxLength, std::ostream& out);

// Sorts the first n pairs by mutual information, highest first; pairs with
// equal scores keep their order.
void rankPairs(std::vector<MotifPair>& queue, int n);

// The SE file content of the first n pairs: motif texts, scores and the
// presence of each final motif in every record.
std::vector<SeOutputPair> collectOutputPairs(const std::vector<SequenceRecord>& records,
                                             const std::vector<MaskMotif>& store,
                                             const std::vector<MotifPair>& queue, int n);

}  // namespace tav
