// Removal of redundant nucleotide motifs before pair scoring: two motifs of
// the same kind (5' or 3') that both the Simvale score and the ICompare score
// call alike are one motif, and the later of them is dropped from the
// element table and from every gene's element set.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "motif.h"
#include "records.h"

namespace tav {

inline constexpr double kRedundantMotifScore = 0.7;
inline constexpr double kUniformBackground[4] = {0.25, 0.25, 0.25, 0.25};

// Frequencies in the flat form the scores below read: four values (T, C, G,
// A) per column, column by column.
std::vector<double> flattenFrequencies(const FrequencyMatrix& matrix, int columns);

// Sum over the columns and bases of X * log10(X / background).
double informationContent(const double* x, int columns, const double background[4]);

// The best value over all offsets (any overlap, one column included) of the
// summed X * log10(X / bg) - X * log10(X / Y) of the facing columns.
double bestOffsetLogOdds(const double* x, int xColumns, const double* y, int yColumns,
                         const double background[4]);

// The greater of M(A,B)/IC(A) and M(B,A)/IC(B); with both strands also the
// same for A turned to the opposite strand, and the greater of the two.
double icompareScore(const double* a, int aColumns, const double* b, int bColumns,
                     const double background[4], bool bothStrands);

// Compares every two motifs ('@' with '@', '%' with '%') in table order and
// removes the later one of each redundant pair, printing the report on `out`
// (warnings of unusable motif texts first, then the header and one line per
// removal). Returns the new element count; the table and the genes' element
// sets are updated in place.
int removeRedundantMotifs(std::vector<std::string>& seTable, int count,
                          std::vector<GeneRecord>& genes, int n, std::ostream& out);

}  // namespace tav
