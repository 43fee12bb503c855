// The records that the readers fill: genes (names only, for the pair finder)
// and coded sequences (motif pair finders, conservation scorers). Both are
// network nodes: an interaction "row" is kept as the sorted list of the
// indices of connected records, so memory follows the number of edges.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tav {

struct NetworkNode {
  std::string name;
  // Indices of connected records in the same table, ascending, no repeats;
  // a record connected with itself lists its own index.
  std::vector<int32_t> neighbors;
  int32_t interactionCount = 0;
  bool excluded = false;  // left out of the current jack-knife trial

  bool connectedTo(int32_t other) const;
  // Adds `other` to the neighbour list (no effect when already there).
  void connect(int32_t other);
};

// A gene of the pair finder: name, interaction row, the presence working
// fields of the pair scoring and the sequence elements it carries.
struct GeneRecord : NetworkNode {
  int32_t presenceA = 0;
  int32_t presenceB = 0;
  int32_t savedA = 0;
  int32_t savedB = 0;
  // Indices of the sequence elements the gene carries, ascending, no repeats.
  std::vector<int32_t> elements;

  bool hasElement(int32_t element) const;
  void setElement(int32_t element);
};

// Sequence letter codes: a bit set over the alphabet (nucleotides T=1, C=2,
// G=4, A=8; proteins bit i for the i-th letter of "ARNDCQEGHILKMFPSTWYV").
using LetterCode = uint32_t;

// Bit-parallel view of a sequence for the fast occurrence test: for each
// letter bit x, bit p of `letters[x]` is set when the code at position p has
// bit x. Built by indexSequence; empty until then.
struct OccurrenceIndex {
  int32_t words = 0;                                // 64-bit words per bitset
  std::vector<std::vector<uint64_t>> forward;       // one bitset per letter bit
  std::vector<std::vector<uint64_t>> reverse;       // same for reverse-complement codes
};

struct SequenceRecord : NetworkNode {
  std::vector<LetterCode> codes;
  std::vector<LetterCode> reverseCodes;  // reverse complement, when built
  bool hasReverse = false;
  int32_t length = 0;
  int32_t presenceA = 0;  // motif pair finders: presence of the two scored motifs
  int32_t presenceB = 0;
  OccurrenceIndex index;
};

}  // namespace tav
