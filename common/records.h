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
// Motif positions are kept as codes.
using LetterCode = uint32_t;

// Sequences are kept at one byte a letter, since they are most of a run's
// memory. A nucleotide letter is its own code (1..15); a protein letter is 16
// plus its index in "ARNDCQEGHILKMFPSTWYV", then B 36, Z 37 and X 38.
// letterCode (fasta.h) turns either into its code.
using SequenceLetter = uint8_t;

// Bit-parallel view of one strand for the fast occurrence test. Positions are
// grouped by their exact code value ("classes": a handful per sequence, e.g.
// T, C, G, A and N); bit p of class j's bitset is set when the code at
// position p equals classCodes[j]. A motif position then matches the union of
// the classes whose code has no bit outside the position's code.
struct StrandIndex {
  std::vector<LetterCode> classCodes;  // at most 32 distinct code values
  std::vector<uint64_t> bits;          // classCodes.size() bitsets of `words` words each
  // When every code fits in four bits (nucleotides): for each motif position
  // code 0..15, the classes it matches, so a scan needs no per-class test.
  std::vector<uint32_t> smallMatch;
};

// Built by indexSequence; `length` is -1 while no index exists. The length,
// strand flag and code buffer addresses it was built for are kept so that a
// record whose codes were replaced or reversed afterwards (or a copied record)
// is searched the plain way rather than wrongly. Codes changed in place are
// not detected: whoever changes them re-indexes.
struct OccurrenceIndex {
  int32_t length = -1;
  int32_t words = 0;  // 64-bit words per bitset
  bool withReverse = false;
  uintptr_t forwardData = 0;
  uintptr_t reverseData = 0;
  StrandIndex forward;
  StrandIndex reverse;
};

struct SequenceRecord : NetworkNode {
  std::vector<SequenceLetter> codes;
  std::vector<SequenceLetter> reverseCodes;  // reverse complement, when built
  bool hasReverse = false;
  int32_t length = 0;
  int32_t presenceA = 0;  // motif pair finders: presence of the two scored motifs
  int32_t presenceB = 0;
  OccurrenceIndex index;
};

}  // namespace tav
