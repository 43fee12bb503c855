#include "similarity.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace tav {

namespace {

bool scorable(int columns) { return columns >= kInformativeColumns && columns <= kMatrixColumns; }

// The Pearson correlation of the 4d value pairs summed so far, or NaN when one
// side is constant (0/0), which no comparison lets through. The quotient is
// kept exactly as computed: two column sets that are exact linear images of
// each other may round an ulp above 1, and scores must repeat bit for bit
// across implementations of the same formula. A side that is constant but for
// rounding (columns of huge, nearly equal counts) can leave a variance of 0
// under a non-zero numerator: that infinity is as undefined as 0/0.
double correlation(double sx, double sy, double sxy, double sxx, double syy, int d) {
  const double n = 4.0 * d;
  const double mx = sx / n;
  const double my = sy / n;
  const double r = (sxy / n - mx * my) / std::sqrt((sxx / n - mx * mx) * (syy / n - my * my));
  return std::isfinite(r) ? r : std::numeric_limits<double>::quiet_NaN();
}

}  // namespace

void computeColumnInfo(const FrequencyMatrix& matrix, int columns, ColumnInfo* info) {
  columns = std::clamp(columns, 0, kMatrixColumns);
  double values[kMatrixColumns];
  for (int i = 0; i < columns; ++i) {
    double value = 0.0;
    for (int b = 0; b < 4; ++b) {
      const double f = matrix.f[b][i];
      if (f > 0) value += f * std::log10(f);
    }
    info[i].index = i;
    info[i].info = value;
    info[i].flag = 0;
    values[i] = value;
  }
  if (columns <= kInformativeColumns) {
    for (int i = 0; i < columns; ++i) info[i].flag = 1;
    return;
  }
  // The six highest values are flagged and so is every value tied with the
  // sixth: exactly the columns whose value reaches the sixth highest.
  std::nth_element(values, values + (kInformativeColumns - 1), values + columns,
                   [](double a, double b) { return a > b; });
  const double sixth = values[kInformativeColumns - 1];
  for (int i = 0; i < columns; ++i) info[i].flag = info[i].info >= sixth ? 1 : 0;
}

namespace {

// The best correlation and the first offset that reaches it (-1 - l1 when no
// offset is admissible).
Alignment bestAlignment(const FrequencyMatrix& first, const ColumnInfo* firstInfo, int firstColumns,
                        const FrequencyMatrix& second, const ColumnInfo* secondInfo,
                        int secondColumns) {
  const int l1 = std::clamp(firstColumns, 0, kMatrixColumns);
  const int l2 = std::clamp(secondColumns, 0, kMatrixColumns);
  Alignment best{-10.0, -1 - l1, false};
  for (int a = 1 - l1; a <= l2 - 1; ++a) {
    int d = 0;
    int u = 0;
    int v = 0;
    double sx = 0, sy = 0, sxy = 0, sxx = 0, syy = 0;
    for (int k = 0; k < l1; ++k) {
      const int j = a + k;
      if (j < 0 || j >= l2) continue;
      ++d;
      u += firstInfo[k].flag ? 1 : 0;
      v += secondInfo[j].flag ? 1 : 0;
      for (int b = 0; b < 4; ++b) {
        const double x = first.f[b][k];
        const double y = second.f[b][j];
        sx += x;
        sy += y;
        sxy += x * y;
        sxx += x * x;
        syy += y * y;
      }
    }
    const double value = (u < kInformativeColumns || v < kInformativeColumns)
                             ? 0.0
                             : correlation(sx, sy, sxy, sxx, syy, d);
    if (value > best.score) {
      best.score = value;
      best.offset = a;
    }
  }
  return best;
}

}  // namespace

double bestAlignmentCorrelation(const FrequencyMatrix& first, const ColumnInfo* firstInfo,
                                int firstColumns, const FrequencyMatrix& second,
                                const ColumnInfo* secondInfo, int secondColumns) {
  return bestAlignment(first, firstInfo, firstColumns, second, secondInfo, secondColumns).score;
}

Alignment simvaleAlignment(const MotifMatrix& query, const MotifMatrix& reference,
                           bool bothStrands) {
  const int l1 = query.columns;
  const int l2 = reference.columns;
  if (!scorable(l1) || !scorable(l2)) return Alignment{0.0, 0, false};
  FrequencyMatrix first;
  FrequencyMatrix second;
  countsToFrequencies(query, first);
  countsToFrequencies(reference, second);
  ColumnInfo firstInfo[kMatrixColumns];
  ColumnInfo secondInfo[kMatrixColumns];
  computeColumnInfo(first, l1, firstInfo);
  computeColumnInfo(second, l2, secondInfo);
  const Alignment forward = bestAlignment(first, firstInfo, l1, second, secondInfo, l2);
  if (!bothStrands) return forward;
  reverseComplement(first, l1, firstInfo);
  Alignment reverse = bestAlignment(first, firstInfo, l1, second, secondInfo, l2);
  reverse.reverse = true;
  return reverse.score > forward.score ? reverse : forward;
}

double simvaleScore(const MotifMatrix& query, const MotifMatrix& reference, bool bothStrands) {
  return simvaleAlignment(query, reference, bothStrands).score;
}

double simvaleScore(const FrequencyMatrix& first, int firstColumns, const FrequencyMatrix& second,
                    int secondColumns, bool bothStrands) {
  if (!scorable(firstColumns) || !scorable(secondColumns)) return 0.0;
  FrequencyMatrix turned = first;
  ColumnInfo firstInfo[kMatrixColumns];
  ColumnInfo secondInfo[kMatrixColumns];
  computeColumnInfo(turned, firstColumns, firstInfo);
  computeColumnInfo(second, secondColumns, secondInfo);
  const double forward =
      bestAlignmentCorrelation(turned, firstInfo, firstColumns, second, secondInfo, secondColumns);
  if (!bothStrands) return forward;
  reverseComplement(turned, firstColumns, firstInfo);
  const double reverse =
      bestAlignmentCorrelation(turned, firstInfo, firstColumns, second, secondInfo, secondColumns);
  return reverse > forward ? reverse : forward;
}

void prepareMotif(const FrequencyMatrix& matrix, const ColumnInfo* info, int columns,
                  PreparedMotif& out) {
  columns = std::clamp(columns, 0, kMatrixColumns);
  out.columns = columns;
  out.values.resize(4 * static_cast<size_t>(columns));
  out.flaggedBefore.resize(columns + 1);
  out.flaggedBefore[0] = 0;
  for (int k = 0; k < columns; ++k) {
    for (int b = 0; b < 4; ++b) out.values[4 * k + b] = matrix.f[b][k];
    out.flaggedBefore[k + 1] = out.flaggedBefore[k] + (info[k].flag ? 1 : 0);
  }
}

void prepareMotif(const MotifMatrix& matrix, PreparedMotif& forward, PreparedMotif* reverse) {
  const int columns = matrix.columns;
  if (!scorable(columns)) {
    forward = PreparedMotif{};
    forward.columns = columns;
    if (reverse != nullptr) *reverse = forward;
    return;
  }
  FrequencyMatrix frequencies;
  countsToFrequencies(matrix, frequencies);
  ColumnInfo info[kMatrixColumns];
  computeColumnInfo(frequencies, columns, info);
  prepareMotif(frequencies, info, columns, forward);
  if (reverse != nullptr) {
    reverseComplement(frequencies, columns, info);
    prepareMotif(frequencies, info, columns, *reverse);
  }
}

double preparedCorrelation(const PreparedMotif& first, const PreparedMotif& second) {
  const int l1 = first.columns;
  const int l2 = second.columns;
  // Only motifs prepared with their frequencies can be compared.
  if (first.values.size() != 4 * static_cast<size_t>(std::max(l1, 0)) ||
      second.values.size() != 4 * static_cast<size_t>(std::max(l2, 0)) || l1 <= 0 || l2 <= 0) {
    return 0.0;
  }
  const double* xs = first.values.data();
  const double* ys = second.values.data();
  const int32_t* flags1 = first.flaggedBefore.data();
  const int32_t* flags2 = second.flaggedBefore.data();
  double best = -10.0;
  for (int a = 1 - l1; a <= l2 - 1; ++a) {
    const int k0 = std::max(0, -a);
    const int k1 = std::min(l1, l2 - a);
    const int u = flags1[k1] - flags1[k0];
    const int v = flags2[a + k1] - flags2[a + k0];
    double value = 0.0;
    if (u >= kInformativeColumns && v >= kInformativeColumns) {
      double sx = 0, sy = 0, sxy = 0, sxx = 0, syy = 0;
      for (int k = k0; k < k1; ++k) {
        const double* x = xs + 4 * k;
        const double* y = ys + 4 * (a + k);
        for (int b = 0; b < 4; ++b) {
          sx += x[b];
          sy += y[b];
          sxy += x[b] * y[b];
          sxx += x[b] * x[b];
          syy += y[b] * y[b];
        }
      }
      value = correlation(sx, sy, sxy, sxx, syy, k1 - k0);
    }
    if (value > best) best = value;
  }
  return best;
}

double simvaleScore(const PreparedMotif& first, const PreparedMotif* firstReverse,
                    const PreparedMotif& second) {
  if (!scorable(first.columns) || !scorable(second.columns)) return 0.0;
  const double forward = preparedCorrelation(first, second);
  if (firstReverse == nullptr) return forward;
  const double reverse = preparedCorrelation(*firstReverse, second);
  return reverse > forward ? reverse : forward;
}

}  // namespace tav
