// The motif model: motif text grammar (one position per symbol, alternatives
// in square brackets), position masks, count and frequency matrices (rows in
// the base order T, C, G, A), and the reverse complement of a matrix.
#pragma once

#include <array>
#include <cstdint>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "fasta.h"

namespace tav {

enum class MotifStatus { Ok = 0, TooLong, BadFormat };

using MaskFunction = LetterCode (*)(char);

// Parses a motif text into one mask per position (symbols OR-ed within
// brackets; nested or unmatched brackets are a format error; an unclosed
// trailing bracket adds no position). `capacity` is 100 or 10000. Returns the
// status; `masks` holds the positions parsed (all of them when Ok).
MotifStatus parseMotifMasks(std::string_view text, int capacity, MaskFunction maskOf,
                            std::vector<LetterCode>& masks);

// The fatal messages of Simvale and the conservation scorers, without a line
// break before them: "ERROR: Motif size exceeds ... Program is terminated." or
// "ERROR: Sequence <text> does not have the correct format. Program is terminated."
void printMotifError(std::ostream& out, MotifStatus status, std::string_view text);

struct MotifMatrix {
  std::vector<LetterCode> masks;               // query motifs only
  int32_t length = 0;
  std::array<std::vector<int32_t>, 4> counts;  // T, C, G, A; one entry per column
  int32_t columns = 0;
  std::string closestName;                     // a reference's own name, or a query's match
  bool hasClosest = false;
  double closestScore = 0.0;
};

// Count rows from the masks (each base of a position's mask counts 1).
void buildCounts(MotifMatrix& matrix);

inline constexpr int kMatrixColumns = 100;

struct FrequencyMatrix {
  double f[4][kMatrixColumns] = {};  // [base T,C,G,A][column]
};

// (n_b + 0.05) / sum over T,C,G,A of (n + 0.05), summed in that order.
void countsToFrequencies(const MotifMatrix& matrix, FrequencyMatrix& out);

// The pair finder's direct frequencies (cells start at 0.0001, a base adds 1,
// N/n/. add 0.25 to all, columns normalised). Problems print one warning line
// ("WARNING: <text>: ...") on `out` and return 0; otherwise returns the column
// count (0 for a text without a closed position).
int parseMotifFrequencies(std::string_view text, FrequencyMatrix& matrix, std::ostream& out);

struct ColumnInfo {
  int32_t index = 0;
  double info = 0.0;
  uint8_t flag = 0;
};

// Turns the matrix into the opposite strand in place (column i <- column
// L-1-i, bases complemented) and moves the companion records with their
// columns when `companion` is not null.
void reverseComplement(FrequencyMatrix& matrix, int columns, ColumnInfo* companion);

}  // namespace tav
