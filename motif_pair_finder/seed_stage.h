// The seed stage: every pair of exact seed words (Tavrin-N), or every seed
// with wildcard positions against itself (Tavrin-N.HV), is scored by mutual
// information across the interactions and the best go into the pair queue.
// The occurrence of every seed in every sequence is found once, by one scan
// of each sequence, and the pair scores then count integers only.
#pragma once

#include <cstddef>
#include <cstdint>
#include <ostream>
#include <vector>

#include "interactions.h"
#include "motif_model.h"
#include "records.h"

namespace tav {

// Longest accepted seed: beyond it the seed space (4^L or 5^L words) no
// longer fits the 32-bit seed numbers, and the exhaustive search could not
// finish anyway.
inline constexpr int kMaxSeedLength = 12;

// Seeds are numbers whose digit k (k = 0 is the first position, the least
// significant digit) is 0 T, 1 C, 2 G, 3 A and, in Tavrin-N.HV, 4 for the set
// of all four nucleotides. `digits` is 4 or 5.
int seedDigits(MotifFinderVariant variant);
uint64_t seedSpaceSize(int length, int digits);
LetterCode seedDigitCode(int digit);
MaskMotif seedMotif(uint64_t value, int length, int digits);
// False when the seed's reverse complement is a smaller number (compared from
// the last position to the first); palindromes are canonical.
bool isCanonicalSeed(uint64_t value, int length, int digits);

// Randomisation mode 2: for every record, for i from 0 to length - 2, swaps
// code i with code i + (draw modulo (length - i)). Codes only; reverse codes
// and the occurrence index must be built afterwards.
void shuffleSequences(std::vector<SequenceRecord>& records);

// Exact seeds of one length: the sorted canonical seeds that occur in at least
// one record, each with the sorted records that contain it (on either strand
// when reverse codes are present).
struct SeedOccurrences {
  int length = 0;
  std::vector<uint32_t> seeds;
  std::vector<uint32_t> offsets;  // seeds.size() + 1 entries into `records`
  std::vector<int32_t> records;
};

// One scan of every record; only canonical seeds are kept when `strandMode`.
void buildSeedOccurrences(const std::vector<SequenceRecord>& records, int length, bool strandMode,
                          SeedOccurrences& occurrences);

// Tavrin-N.HV finds the presence of its seeds block by block (seeds that
// share their last positions); this bounds the presence bits of one block.
inline constexpr size_t kHomoValueBlockBytes = size_t{64} << 20;

// Fills the queue (at most min(queueSize, 4999) pairs, best first) and the
// motif store (two motifs per queued pair) with the seed pairs scored over
// the first `count` interactions of `list`; prints a progress line every 1000
// pairs (motifs in Tavrin-N.HV). Returns the number of pairs (motifs)
// examined. `queueSize` must be at least 1 and `seedLength` 1..12.
int64_t seedMotifPairs(const std::vector<SequenceRecord>& records,
                       const std::vector<InteractionPair>& list, int count, int seedLength,
                       int queueSize, bool strandMode, MotifFinderVariant variant,
                       std::vector<MotifPair>& queue, std::vector<MaskMotif>& store,
                       std::ostream& out, size_t blockBytes = kHomoValueBlockBytes);

}  // namespace tav
