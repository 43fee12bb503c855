// Scoring of element pairs and the bounded pair list: every pair of elements
// is scored on the training set, the best are kept sorted by score, and a
// pair whose association a stronger pair already explains is left out.
#pragma once

#include <cstdint>
#include <ostream>
#include <vector>

#include "interactions.h"
#include "pair_record.h"
#include "records.h"

namespace tav {

inline constexpr double kRedundancyFactor = 0.2;

// Score of the pair whose flags stand in presence A and presence B of the
// genes, over the first `count` interactions of `list` (interactions with an
// excluded gene are skipped).
double pairScore(const std::vector<GeneRecord>& genes, int n,
                 const std::vector<InteractionPair>& list, int count);

// Presence A (or B) of each of the first n genes := its flag for `element`.
void setPresenceA(std::vector<GeneRecord>& genes, int n, int32_t element);
void setPresenceB(std::vector<GeneRecord>& genes, int n, int32_t element);

// Empties the list, sets its capacity (queue, at most 30000) and builds the
// network that new pairs are split over from the genes' rows, and the
// carriers of the elements below elementCount. Nothing is printed here: the
// network's truncation message is kept for insertPair.
void startPairList(const std::vector<GeneRecord>& genes, int n, int elementCount, int queue,
                   PairList& list);

// Scores every pair (a, b), a <= b < elementCount, on the first
// `trainingCount` interactions of `training` and offers it to the list when
// the list is not full or the score beats the last pair. Writes a progress
// line after every 1000th pair. Returns the number of pairs examined.
int64_t buildPairList(std::vector<GeneRecord>& genes, int n, int elementCount, PairList& list,
                      int queue, const std::vector<InteractionPair>& training, int trainingCount,
                      std::ostream& out, ScoringPath path = ScoringPath::Fast);

// Places the candidate after every pair of a score at least its own unless
// one of those explains it; drops the last pair of a full list; removes the
// lower pairs that the new one explains. The list must have been started
// with every element of the candidates, and the candidate's baseCounts must
// be its counts over list.network (countPair gives them). Returns the
// position of the new pair, or -1 when the candidate was left out.
int insertPair(std::vector<GeneRecord>& genes, int n, const PairCandidate& candidate,
               PairList& list, std::ostream& out, ScoringPath path = ScoringPath::Fast);

// 1 when q is explained by p: q's score conditioned on whether an
// interaction of `network` supports p falls below factor * q's score (or is
// undefined). Presence A and B of the genes are as before the call.
int isRedundant(std::vector<GeneRecord>& genes, int n, const PairCandidate& q, const PairRecord& p,
                double factor, const std::vector<InteractionPair>& network,
                ScoringPath path = ScoringPath::Fast);

// True when one gene of the interaction carries a and the other carries b.
bool supportsPair(const std::vector<GeneRecord>& genes, const InteractionPair& interaction,
                  int32_t a, int32_t b);

// Splits `network` for the pair: the positions of the supporting
// interactions go into the record, the others are its rest list.
void splitSupporting(const std::vector<GeneRecord>& genes,
                     const std::vector<InteractionPair>& network, PairRecord& pair);

// Self-pairs first, then by decreasing score; equal keys keep their order.
void orderPairs(std::vector<PairRecord>& pairs);

}  // namespace tav
