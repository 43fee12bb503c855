// The Simvale score: the best Pearson correlation of base frequencies over
// ungapped alignments that cover at least 6 of the most informative columns
// of both motifs, optionally also against the opposite strand of the first.
#pragma once

#include "motif.h"

namespace tav {

inline constexpr int kInformativeColumns = 6;

// Per column: information value (sum of f*log10 f), flag on the 6 most
// informative columns and every column tied with the sixth. Records are in
// column order on return.
void computeColumnInfo(const FrequencyMatrix& matrix, int columns, ColumnInfo* info);

// Best correlation over all offsets whose overlap holds >= 6 flagged columns
// of each motif (0 for inadmissible offsets; undefined correlations skipped).
double bestAlignmentCorrelation(const FrequencyMatrix& first, const ColumnInfo* firstInfo,
                                int firstColumns, const FrequencyMatrix& second,
                                const ColumnInfo* secondInfo, int secondColumns);

// Simvale's form: count matrices, query first, reference second.
double simvaleScore(const MotifMatrix& query, const MotifMatrix& reference, bool bothStrands);

// The pair finder's form: frequency matrices (left unchanged), earlier element first.
double simvaleScore(const FrequencyMatrix& first, int firstColumns,
                    const FrequencyMatrix& second, int secondColumns, bool bothStrands);

}  // namespace tav
