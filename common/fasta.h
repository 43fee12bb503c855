// FASTA reader in its three modes (names only, nucleotide, protein), the
// letter codes, reverse complements and the motif occurrence test.
#pragma once

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

// The four nucleotide bits in reverse order (T<->A, C<->G).
LetterCode complementCode(LetterCode code);

inline constexpr LetterCode kAnyNucleotide = 15;
inline constexpr LetterCode kAnyProtein = 0xFFFFF;

enum class SequenceAlphabet {
  MotifFinderNucleotide,  // fastaSymbolMask, '.' illegal, warnings say N
  Nucleotide,             // symbolMask, '.' any base, warnings say N
  Protein,                // proteinSymbolMask, warnings say X
};

// Names-only mode: one gene per header line, sequence lines ignored. Rows are
// the (empty) neighbour lists; `withRows` is kept for the interface but a
// neighbour list costs nothing until filled. Returns the number of genes
// (0..30000) and prints the too-many warning on `out`.
int readFasta(std::istream& in, std::vector<GeneRecord>& genes, bool withRows,
              std::ostream& out);

// Nucleotide or protein mode. Sequences longer than `lengthLimit` are
// shortened with the too-long warning; illegal characters are stored as the
// alphabet's any-letter code with the illegal-character warning. Returns the
// number of records (0..30000).
int readFasta(std::istream& in, std::vector<SequenceRecord>& records,
              SequenceAlphabet alphabet, int lengthLimit, std::ostream& out);

// Fills reverseCodes of every record (code i = complement of code L-1-i).
void buildReverseComplements(std::vector<SequenceRecord>& records);

// (Re)builds the occurrence index of a record from its codes (and reverse
// codes when present). Must be called again after the codes change.
void indexSequence(SequenceRecord& record, SequenceAlphabet alphabet);
void indexSequences(std::vector<SequenceRecord>& records, SequenceAlphabet alphabet);

// 1 when the motif (position codes, `length` of them) occurs in the record:
// some start s in 0..L-m where every sequence code has no bit outside the
// motif code, on the given strand or, when present, on the reverse codes at
// the same start. Uses the occurrence index when it is built; the answers are
// those of motifOccursReference.
int motifOccurs(const LetterCode* motif, int length, const SequenceRecord& record);

// The plain window-by-window rule, kept as the reference for tests.
int motifOccursReference(const LetterCode* motif, int length, const SequenceRecord& record);

}  // namespace tav
