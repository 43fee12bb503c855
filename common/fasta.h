// FASTA reader in its three modes (names only, nucleotide, protein), the
// letter codes, reverse complements and the motif occurrence test, which is
// the inner loop of the motif finders and conservation scorers and therefore
// has a bit-parallel fast path next to the plain window-by-window rule.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <istream>
#include <ostream>
#include <vector>

#include "records.h"

namespace tav {

// Nucleotide code of a character: T/t/U/u 1, C/c 2, G/g 4, A/a 8, 'N' and '.'
// 15, anything else (lower-case n included) 0.
LetterCode symbolMask(char c);
// As symbolMask but '.' is illegal (0): the motif pair finders' sequence code.
LetterCode fastaSymbolMask(char c);
// Protein code: bit i for the i-th letter of "ARNDCQEGHILKMFPSTWYV" (upper
// case only), B 12, Z 96, X and '.' 0xFFFFF, anything else 0.
LetterCode proteinSymbolMask(char c);

// The four nucleotide bits in reverse order (T<->A, C<->G, N stays N). Only
// the four nucleotide bits are kept.
LetterCode complementCode(LetterCode code);

inline constexpr LetterCode kAnyNucleotide = 15;
inline constexpr LetterCode kAnyProtein = 0xFFFFF;

// Stored protein letters (see SequenceLetter): the twenty, then B, Z, X.
inline constexpr SequenceLetter kFirstProteinLetter = 16;
inline constexpr SequenceLetter kAnyProteinLetter = 38;

// The stored letter of a protein character: proteinSymbolMask's letters in
// byte form, 0 for an illegal one.
SequenceLetter proteinLetter(char c);

namespace detail {
constexpr std::array<LetterCode, 256> letterCodeTable() {
  std::array<LetterCode, 256> table{};
  for (LetterCode c = 0; c < 16; ++c) table[c] = c;
  for (int i = 0; i < 20; ++i) table[kFirstProteinLetter + i] = LetterCode{1} << i;
  table[kFirstProteinLetter + 20] = 12;  // B: N or D
  table[kFirstProteinLetter + 21] = 96;  // Z: Q or E
  table[kAnyProteinLetter] = kAnyProtein;
  return table;
}
inline constexpr std::array<LetterCode, 256> kLetterCodes = letterCodeTable();
}  // namespace detail

// The code of a stored sequence letter; 0 for a byte no reader stores.
inline LetterCode letterCode(SequenceLetter letter) { return detail::kLetterCodes[letter]; }

enum class SequenceAlphabet {
  MotifFinderNucleotide,  // fastaSymbolMask, '.' illegal, warnings say N
  Nucleotide,             // symbolMask, '.' any base, warnings say N
  Protein,                // proteinSymbolMask, warnings say X
};

// Names-only mode: one gene per header line (name up to the first blank, ',',
// ';' or '|'), sequence lines ignored. `genes` is emptied first. Rows are the
// neighbour lists, empty for every gene; `withRows` is kept for the interface
// since an empty list costs nothing until filled. Returns the number of genes
// (0..30000); the too-many warning goes to `out`.
int readFasta(std::istream& in, std::vector<GeneRecord>& genes, bool withRows, std::ostream& out);

// Nucleotide or protein mode. `records` is emptied first, then holds one
// record per header line in file order, one stored letter per character, no
// reverse codes, no index. Sequences longer than `lengthLimit` (10000 or
// 30000) are shortened with the too-long warning; illegal characters are
// stored as the alphabet's any-letter code with the illegal-character warning.
// Returns the number of records (0..30000).
int readFasta(std::istream& in, std::vector<SequenceRecord>& records, SequenceAlphabet alphabet,
              int lengthLimit, std::ostream& out);

// Fills reverseCodes of every record (code i = complement of code L-1-i) and
// sets hasReverse. Nucleotide records only.
void buildReverseComplements(std::vector<SequenceRecord>& records);

// (Re)builds the occurrence index of a record from its codes and, when
// present, its reverse codes. Call it after the last change of the codes
// (shuffle, reverse complements): an index that no longer fits the record's
// length, strand flag or code buffers is ignored, but codes changed in place
// are not detected. The index depends only on the stored code values;
// `alphabet` is accepted for symmetry with readFasta. A record with more than
// 32 distinct code values stays unindexed (searched the plain way).
void indexSequence(SequenceRecord& record, SequenceAlphabet alphabet);
void indexSequences(std::vector<SequenceRecord>& records, SequenceAlphabet alphabet);
// As indexSequences while the indexes built stay within `maxBytes` in all: a
// record whose index does not fit is left unindexed (searched the plain way,
// with the same answers). Returns the bytes the indexes hold.
size_t indexSequencesWithin(std::vector<SequenceRecord>& records, SequenceAlphabet alphabet,
                            size_t maxBytes);

// True when the record's index is built and fits the record, i.e. when
// motifOccurs takes the fast path.
bool hasCurrentIndex(const SequenceRecord& record);

// 1 when the motif (position codes, `length` of them) occurs in the record:
// some start s in 0..L-m where every sequence code has no bit outside the
// motif code, on the given strand or, when present, on the reverse codes at
// the same start. Uses the occurrence index when it is current; the answers
// are always those of motifOccursReference. `motif` may be null when
// `length` is 0 or less (such a motif occurs in every record).
int motifOccurs(const LetterCode* motif, int length, const SequenceRecord& record);

// Every start of the motif on the given codes (`reverse` false) or on the
// reverse codes (true; none when the record has none) as a bitset: bit s & 63
// of word s >> 6 is set when the motif matches at start s. Same rule as
// motifOccurs, through the occurrence index when it is current.
void motifStarts(const LetterCode* motif, int length, const SequenceRecord& record, bool reverse,
                 std::vector<uint64_t>& starts);

// The plain window-by-window rule, kept as the reference for tests and for
// unindexed records.
int motifOccursReference(const LetterCode* motif, int length, const SequenceRecord& record);

}  // namespace tav
