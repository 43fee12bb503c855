// Every fixed capacity of the suite, in one place. Tables grow with their
// input; these numbers are the limits each program enforces.
#pragma once

namespace tav {

inline constexpr int kMaxRecords = 30000;          // genes or sequences per FASTA file
inline constexpr int kMaxElements = 30000;         // distinct sequence elements
inline constexpr int kMaxTrainingPairs = 30000;    // interactions in one edge list
inline constexpr int kMaxPairList = 30000;         // pair list of the pair finder
inline constexpr int kMaxMotifs = 10000;           // query motifs / reference matrices
inline constexpr int kMaxOrthologPairs = 30000;
inline constexpr int kShortMotifCapacity = 100;    // motif positions (pair finder, Simvale)
inline constexpr int kLongMotifCapacity = 10000;   // motif positions (conservation scorers)
inline constexpr int kFastaLinePiece = 999;        // FASTA lines are read in pieces of this size
inline constexpr int kTableLinePiece = 9999;       // node attribute lines, table headers
inline constexpr int kMaxWord = 999;               // names in interaction and SE files
inline constexpr int kMaxOrthologName = 99;
inline constexpr int kMaxFileName = 259;
inline constexpr int kMaxTypeText = 999;
inline constexpr int kCommandLineCapacity = 9999;  // joined command line, characters
inline constexpr int kMaxIntegerToken = 999;
inline constexpr int kSeedQueueCapacity = 4999;
inline constexpr int kMotifSequenceLimit = 30000;  // sequence length, motif pair finders
inline constexpr int kConservationSequenceLimit = 10000;

}  // namespace tav
