#include "redundant_motifs.h"

#include <algorithm>
#include <cmath>

#include "console.h"
#include "similarity.h"

namespace tav {

namespace {

// A nucleotide motif of the table, made ready once for all its comparisons.
struct MotifEntry {
  bool usable = false;
  bool bothStrands = false;  // '@': compared with its opposite strand too
  PreparedMotif forward;
  PreparedMotif reverse;     // '@' only
  double information = 0.0;  // of the forward strand, used for both
};

std::vector<double> turned(const double* x, int columns) {
  std::vector<double> out(4 * static_cast<size_t>(columns));
  for (int i = 0; i < columns; ++i) {
    const double* from = x + 4 * static_cast<size_t>(columns - 1 - i);
    double* to = out.data() + 4 * static_cast<size_t>(i);
    to[0] = from[3];
    to[1] = from[2];
    to[2] = from[1];
    to[3] = from[0];
  }
  return out;
}

double greater(double first, double second) { return second > first ? second : first; }

// The score with the information contents and the turned copy of A given.
double icompare(const double* a, const double* aTurned, int aColumns, double aInformation,
                const double* b, int bColumns, double bInformation, const double background[4]) {
  const double s1 = bestOffsetLogOdds(a, aColumns, b, bColumns, background) / aInformation;
  const double s2 = bestOffsetLogOdds(b, bColumns, a, aColumns, background) / bInformation;
  const double forward = greater(s1, s2);
  if (aTurned == nullptr) return forward;
  const double t1 = bestOffsetLogOdds(aTurned, aColumns, b, bColumns, background) / aInformation;
  const double t2 = bestOffsetLogOdds(b, bColumns, aTurned, aColumns, background) / bInformation;
  const double reverse = greater(t1, t2);
  return reverse > forward ? reverse : forward;
}

MotifEntry prepareEntry(const std::string& name, std::ostream& out) {
  MotifEntry entry;
  if (name.empty() || (name[0] != '@' && name[0] != '%')) return entry;
  FrequencyMatrix matrix;
  const int columns = parseMotifFrequencies(std::string_view(name).substr(1), matrix, out);
  if (columns <= 0) return entry;
  entry.usable = true;
  entry.bothStrands = name[0] == '@';
  ColumnInfo info[kMatrixColumns];
  computeColumnInfo(matrix, columns, info);
  prepareMotif(matrix, info, columns, entry.forward);
  if (entry.bothStrands) {
    reverseComplement(matrix, columns, info);
    prepareMotif(matrix, info, columns, entry.reverse);
  }
  entry.information = informationContent(entry.forward.values.data(), columns, kUniformBackground);
  return entry;
}

// Drops element `removed` from a sorted element set and closes the gap in
// the indices above it.
void dropElement(std::vector<int32_t>& elements, int32_t removed) {
  auto it = std::lower_bound(elements.begin(), elements.end(), removed);
  if (it != elements.end() && *it == removed) it = elements.erase(it);
  for (; it != elements.end(); ++it) --*it;
}

}  // namespace

std::vector<double> flattenFrequencies(const FrequencyMatrix& matrix, int columns) {
  columns = std::clamp(columns, 0, kMatrixColumns);
  std::vector<double> values(4 * static_cast<size_t>(columns));
  for (int k = 0; k < columns; ++k) {
    for (int b = 0; b < 4; ++b)
      values[4 * static_cast<size_t>(k) + static_cast<size_t>(b)] = matrix.f[b][k];
  }
  return values;
}

double informationContent(const double* x, int columns, const double background[4]) {
  double sum = 0.0;
  for (int i = 0; i < columns; ++i) {
    for (int b = 0; b < 4; ++b) {
      const double v = x[4 * i + b];
      sum += v * std::log10(v / background[b]);
    }
  }
  return sum;
}

double bestOffsetLogOdds(const double* x, int xColumns, const double* y, int yColumns,
                         const double background[4]) {
  double best = -1000000.0;
  for (int a = 1 - xColumns; a <= yColumns - 1; ++a) {
    double value = 0.0;
    for (int k = 0; k < xColumns; ++k) {
      const int j = a + k;
      if (j < 0 || j >= yColumns) continue;
      for (int b = 0; b < 4; ++b) {
        const double xv = x[4 * k + b];
        const double yv = y[4 * j + b];
        value += xv * std::log10(xv / background[b]) - xv * std::log10(xv / yv);
      }
    }
    if (value > best) best = value;
  }
  return best;
}

double icompareScore(const double* a, int aColumns, const double* b, int bColumns,
                     const double background[4], bool bothStrands) {
  const double aInformation = informationContent(a, aColumns, background);
  const double bInformation = informationContent(b, bColumns, background);
  if (!bothStrands)
    return icompare(a, nullptr, aColumns, aInformation, b, bColumns, bInformation, background);
  const std::vector<double> aTurned = turned(a, aColumns);
  return icompare(a, aTurned.data(), aColumns, aInformation, b, bColumns, bInformation, background);
}

int removeRedundantMotifs(std::vector<std::string>& seTable, int count,
                          std::vector<GeneRecord>& genes, int n, std::ostream& out) {
  count = std::min(count, static_cast<int>(seTable.size()));
  std::vector<MotifEntry> entries;
  entries.reserve(static_cast<size_t>(count));
  for (int i = 0; i < count; ++i)
    entries.push_back(prepareEntry(seTable[static_cast<size_t>(i)], out));

  line(out, "MOTIF1 {Simvale score, ICompare score} MOTIF2");
  for (int o = 0; o < count - 1; ++o) {
    const MotifEntry& first = entries[static_cast<size_t>(o)];
    if (!first.usable) continue;
    for (int i = o + 1; i < count;) {
      const MotifEntry& second = entries[static_cast<size_t>(i)];
      if (!second.usable || second.bothStrands != first.bothStrands) {
        ++i;
        continue;
      }
      const double s =
          simvaleScore(first.forward, first.bothStrands ? &first.reverse : nullptr, second.forward);
      const double c = icompare(
          first.forward.values.data(), first.bothStrands ? first.reverse.values.data() : nullptr,
          first.forward.columns, first.information, second.forward.values.data(),
          second.forward.columns, second.information, kUniformBackground);
      if (s >= kRedundantMotifScore && c >= kRedundantMotifScore) {
        line(out, seTable[static_cast<size_t>(o)], " {", s, ", ", c, "} ",
             seTable[static_cast<size_t>(i)]);
        seTable.erase(seTable.begin() + i);
        entries.erase(entries.begin() + i);
        for (int g = 0; g < n; ++g) dropElement(genes[static_cast<size_t>(g)].elements, i);
        --count;
      } else {
        ++i;
      }
    }
  }
  return count;
}

}  // namespace tav
