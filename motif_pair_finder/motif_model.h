// The motif model of the nucleotide motif pair finders: degenerate motifs,
// motif pairs with their significance tally, the bounded pair queue, the
// presence bookkeeping on the sequence records and the mutual information of
// two presence patterns across the interactions.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "fasta.h"
#include "interactions.h"
#include "records.h"

namespace tav {

// Tavrin-N scores pairs of different motifs; Tavrin-N.HV scores a motif
// against itself ("homo-value" co-occurrence).
enum class MotifFinderVariant { Pairs, HomoValue };

// A motif as one position set (nucleotide letter code 1..15) per position.
struct MaskMotif {
  std::vector<LetterCode> sets;
  int length() const { return static_cast<int>(sets.size()); }
};

// A queued pair: indices of its two motifs in the motif store, its mutual
// information and the significance tally of the permutation test.
struct MotifPair {
  int32_t first = -1;
  int32_t second = -1;
  double mutualInformation = 0.0;
  double observed = 0.0;  // score on the permutation list before any shuffle
  double pValue = 0.0;    // fraction of randomised networks that matched the pair
};

// Motif text as the console and the SE file show it: a capital letter for a
// single nucleotide, otherwise the allowed letters in the order T, C, G, A in
// square brackets.
std::string motifText(const MaskMotif& motif);

// The 2 x 2 table of ordered observations (presence of the first motif on one
// partner, presence of the second on the other).
struct PresenceCounts {
  int64_t bothPresent = 0;
  int64_t firstOnly = 0;
  int64_t secondOnly = 0;
  int64_t neither = 0;
};

// Mutual information (base 10) of the table, 0 when the two presences meet
// less often than independence predicts, and 0 for an empty table. Every
// scoring path ends here, so equal tables give equal bits.
double mutualInformation(const PresenceCounts& counts);

// Table from the integer margins: observations N, observations with the first
// motif present (nFirst), with the second present (nSecond), and both (nBoth).
PresenceCounts countsFromMargins(int64_t total, int64_t nFirst, int64_t nSecond, int64_t nBoth);

// Number of positions the occurrence rule reads in a record (its length,
// bounded by the code arrays it holds).
int32_t scannedLength(const SequenceRecord& record);

enum class PresenceSlot { A, B };

// Occurrence test used to mark presence: motifOccurs (fast, indexed) or
// motifOccursReference (plain).
using OccurrenceTest = int (*)(const LetterCode*, int, const SequenceRecord&);

// Sets presence A or B of every record to whether the motif occurs in it.
void markPresence(const MaskMotif& motif, std::vector<SequenceRecord>& records, PresenceSlot slot,
                  OccurrenceTest occurs = motifOccurs);

// Mutual information of presence A against presence B over the first `count`
// interactions of `list`: every interaction {u, w} gives the observations
// (A in u, B in w) and (A in w, B in u).
double pairMutualInformation(const std::vector<SequenceRecord>& records,
                             const std::vector<InteractionPair>& list, int count);

// Every ordered observation of an interaction list grouped by the record on
// the first side: partners[offsets[v] .. offsets[v + 1]) are the records that
// v faces. An interaction {u, w} puts w under u and u under w (a self-pair
// puts v twice under v). A shuffle keeps every record's number of
// observations, so only the partners need refilling.
struct Observations {
  std::vector<uint32_t> offsets;
  std::vector<int32_t> partners;
  std::vector<uint32_t> cursor;  // scratch for refill

  int64_t total() const { return static_cast<int64_t>(partners.size()); }
  int64_t degree(int32_t v) const {
    return static_cast<int64_t>(offsets[static_cast<size_t>(v) + 1]) - offsets[static_cast<size_t>(v)];
  }
};

// Builds the offsets and partners for `records` records from the first
// `count` pairs of the list.
void buildObservations(int32_t records, const std::vector<InteractionPair>& list, int count,
                       Observations& observations);
// Refills the partners from a list with the same first and second nodes in
// another order (a shuffled copy of the list the offsets were built from).
void refillObservations(const std::vector<InteractionPair>& list, int count,
                        Observations& observations);

// True when a pair scoring x enters the queue: the queue has room, or x is
// strictly above the score of its last pair.
bool queueAccepts(const std::vector<MotifPair>& queue, int capacity, double x);

// Inserts the pair (a, b) with score x, which queueAccepts has admitted: its
// motifs are copied to the end of the store; when the queue is full its last
// pair is dropped and the new motifs move into the two store slots it leaves,
// so the store holds exactly two motifs per queued pair. The new pair goes
// after every pair whose score is not below x.
void insertMotifPair(std::vector<MotifPair>& queue, std::vector<MaskMotif>& store, int capacity,
                     const MaskMotif& a, const MaskMotif& b, double x);

}  // namespace tav
