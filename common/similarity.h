// The Simvale score: the best Pearson correlation of base frequencies over
// ungapped alignments that cover at least 6 of the most informative columns
// of both motifs, optionally also against the opposite strand of the first.
#pragma once

#include <cstdint>
#include <vector>

#include "motif.h"

namespace tav {

inline constexpr int kInformativeColumns = 6;

// Per column: information value (sum of f*log10 f), flag on the 6 most
// informative columns and every column tied with the sixth. Records are in
// column order on return. `info` holds at least `columns` records.
void computeColumnInfo(const FrequencyMatrix& matrix, int columns, ColumnInfo* info);

// Best correlation over all offsets whose overlap holds >= 6 flagged columns
// of each motif (0 for inadmissible offsets; undefined correlations skipped;
// values kept exactly as computed). Evaluates every offset in full: the plain
// form the prepared score is checked against.
double bestAlignmentCorrelation(const FrequencyMatrix& first, const ColumnInfo* firstInfo,
                                int firstColumns, const FrequencyMatrix& second,
                                const ColumnInfo* secondInfo, int secondColumns);

// Simvale's form: count matrices, query first, reference second. A matrix of
// fewer than 6 or more than 100 columns scores 0.
double simvaleScore(const MotifMatrix& query, const MotifMatrix& reference, bool bothStrands);

// Where the score of simvaleScore (count matrices) is reached: query column k
// faces reference column offset + k, on the query's opposite strand when
// `reverse` is set (the first offset with the best value, forward strand on a
// tie). A pair that cannot be scored gives score 0, offset 0, forward.
struct Alignment {
  double score = 0.0;
  int offset = 0;
  bool reverse = false;
};
Alignment simvaleAlignment(const MotifMatrix& query, const MotifMatrix& reference,
                           bool bothStrands);

// The pair finder's form: frequency matrices (left unchanged), earlier element first.
double simvaleScore(const FrequencyMatrix& first, int firstColumns, const FrequencyMatrix& second,
                    int secondColumns, bool bothStrands);

// A motif made ready once for many comparisons: its frequencies (four per
// column, T, C, G, A) and, for every column boundary, the number of flagged
// columns before it. Scores through it are bit for bit those of the forms
// above; only inadmissible offsets are skipped without summing.
struct PreparedMotif {
  int32_t columns = 0;
  std::vector<double> values;          // 4 * columns, column by column
  std::vector<int32_t> flaggedBefore;  // columns + 1 entries
};

// From a frequency matrix and its column records (flags as computeColumnInfo
// set them, records in the order of the matrix columns).
void prepareMotif(const FrequencyMatrix& matrix, const ColumnInfo* info, int columns,
                  PreparedMotif& out);

// From a count matrix: the forward strand and, when `reverse` is not null,
// the opposite strand of the same motif. Matrices outside 6..100 columns keep
// only their column count (they score 0).
void prepareMotif(const MotifMatrix& matrix, PreparedMotif& forward, PreparedMotif* reverse);

// Best correlation of two prepared motifs (as bestAlignmentCorrelation). The
// plain form, one alignment after the other.
double preparedCorrelation(const PreparedMotif& first, const PreparedMotif& second);

// Prepared motifs side by side in shared arrays, the layout in which one
// motif is scored against all of them fastest. The collection forms below
// take motifs as prepareMotif makes them (flag counts rising by 0 or 1 per
// column).
struct PreparedCollection {
  struct Entry {
    int32_t index = 0;  // its place among the motifs given
    int32_t columns = 0;
    bool usable = false;  // prepared with frequencies (otherwise it scores 0)
    size_t values = 0;    // its 4 * columns values start here
    size_t flags = 0;     // its columns + 1 counts of flagged columns start here
  };
  std::vector<Entry> entries;  // grouped by width within blocks of the given order
  std::vector<double> values;
  std::vector<int32_t> flaggedBefore;
  int32_t widest = 0;  // the most columns of a usable entry
};

void prepareCollection(const PreparedMotif* motifs, int count, PreparedCollection& out);

// preparedCorrelation(firsts[i], motif j) into out[i * n + j] for every motif
// j of the collection (n of them) and i < firstCount, bit for bit. Many
// alignments are summed side by side, each sum still adding its terms in the
// plain order, one vector lane per alignment; each block of the collection is
// read once for all the first motifs.
void preparedCorrelations(const PreparedMotif* firsts, int firstCount,
                          const PreparedCollection& seconds, double* out);

// The score of prepared motifs: `firstReverse` (null for one strand) is the
// opposite strand of `first`.
double simvaleScore(const PreparedMotif& first, const PreparedMotif* firstReverse,
                    const PreparedMotif& second);

// simvaleScore(firsts[i], firstReverses ? &firstReverses[i] : nullptr, motif j)
// into out[i * n + j], as preparedCorrelations lays them out.
void simvaleScores(const PreparedMotif* firsts, const PreparedMotif* firstReverses, int firstCount,
                   const PreparedCollection& seconds, double* out);

}  // namespace tav
