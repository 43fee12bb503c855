#include "motif.h"

#include <algorithm>

#include "console.h"

namespace tav {

MotifStatus parseMotifMasks(std::string_view text, int capacity, MaskFunction maskOf,
                            std::vector<LetterCode>& masks) {
  masks.clear();
  int depth = 0;
  int position = 0;
  for (char c : text) {
    if (c == '[') {
      ++depth;
    } else if (c == ']') {
      --depth;
    } else {
      if (position >= capacity) return MotifStatus::TooLong;
      if (static_cast<int>(masks.size()) <= position) masks.resize(position + 1, 0);
      masks[position] |= maskOf(c);
    }
    if (depth > 1 || depth < 0) {
      masks.resize(std::min<size_t>(masks.size(), position));
      return MotifStatus::BadFormat;
    }
    if (depth == 0) {
      // A "]" closing a position past the last one the capacity allows (for
      // example "[]" after a full motif) makes the motif too long.
      if (position >= capacity) return MotifStatus::TooLong;
      ++position;
    }
  }
  // Symbols of a bracket still open at the end form no position.
  masks.resize(position, 0);
  return MotifStatus::Ok;
}

void printMotifError(std::ostream& out, MotifStatus status, std::string_view text) {
  if (status == MotifStatus::TooLong) {
    line(out, "ERROR: Motif size exceeds the permitted maximum value. Program is terminated.");
  } else if (status == MotifStatus::BadFormat) {
    line(out, "ERROR: Sequence ", text, " does not have the correct format. Program is terminated.");
  }
}

void buildCounts(MotifMatrix& matrix) {
  const int32_t length = static_cast<int32_t>(matrix.masks.size());
  matrix.length = length;
  for (int b = 0; b < 4; ++b) matrix.counts[b].assign(length, 0);
  for (int32_t i = 0; i < length; ++i) {
    for (int b = 0; b < 4; ++b) {
      if (matrix.masks[i] & (1u << b)) ++matrix.counts[b][i];
    }
  }
  matrix.columns = length;
}

void countsToFrequencies(const MotifMatrix& matrix, FrequencyMatrix& out) {
  const int columns = std::min<int>(matrix.columns, kMatrixColumns);
  for (int i = 0; i < columns; ++i) {
    double n[4];
    for (int b = 0; b < 4; ++b) {
      // A row shorter than the matrix (a ragged reference) counts 0 there.
      const auto& row = matrix.counts[b];
      n[b] = (static_cast<size_t>(i) < row.size() ? row[i] : 0) + 0.05;
    }
    const double total = n[0] + n[1] + n[2] + n[3];
    for (int b = 0; b < 4; ++b) out.f[b][i] = n[b] / total;
  }
}

namespace {

// Base index of a nucleotide character in T, C, G, A order, -1 if none.
int baseIndex(char c) {
  static constexpr const char* kTables[4] = {"TCGA", "tcga", "UCGA", "ucga"};
  for (int n = 0; n < 4; ++n) {
    for (const char* table : kTables) {
      if (c == table[n]) return n;
    }
  }
  return -1;
}

}  // namespace

int parseMotifFrequencies(std::string_view text, FrequencyMatrix& matrix, std::ostream& out) {
  for (auto& row : matrix.f) std::fill(std::begin(row), std::end(row), 0.0001);
  int depth = 0;
  int position = 0;
  const char* problem = nullptr;
  for (char c : text) {
    if (c == '[') {
      ++depth;
    } else if (c == ']') {
      --depth;
    } else {
      if (position >= kMatrixColumns) {
        problem = ": Motif size exceeds the permitted maximum value.";
        break;
      }
      if (c == '.' || c == 'N' || c == 'n') {
        for (int b = 0; b < 4; ++b) matrix.f[b][position] += 0.25;
      } else {
        const int b = baseIndex(c);
        if (b < 0) {
          problem = ": Sequence contains illegal characters.";
          break;
        }
        matrix.f[b][position] += 1;
      }
    }
    if (depth > 1 || depth < 0) {
      problem = ": Sequence does not have the correct format.";
      break;
    }
    if (depth == 0) {
      if (position >= kMatrixColumns) {
        problem = ": Motif size exceeds the permitted maximum value.";
        break;
      }
      ++position;
    }
  }
  if (problem != nullptr) {
    line(out, "WARNING: ", text, problem);
    return 0;
  }
  for (int i = 0; i < position; ++i) {
    const double sum = matrix.f[0][i] + matrix.f[1][i] + matrix.f[2][i] + matrix.f[3][i];
    for (int b = 0; b < 4; ++b) matrix.f[b][i] /= sum;
  }
  return position;
}

void reverseComplement(FrequencyMatrix& matrix, int columns, ColumnInfo* companion) {
  columns = std::clamp(columns, 0, kMatrixColumns);
  for (int i = 0, j = columns - 1; i <= j; ++i, --j) {
    // Column i takes column j with bases complemented (T<->A, C<->G), and
    // column j takes column i likewise; the middle column complements in place.
    double left[4];
    double right[4];
    for (int b = 0; b < 4; ++b) {
      left[b] = matrix.f[b][i];
      right[b] = matrix.f[b][j];
    }
    for (int b = 0; b < 4; ++b) {
      matrix.f[b][i] = right[3 - b];
      matrix.f[b][j] = left[3 - b];
    }
  }
  if (companion != nullptr) {
    for (int i = 0; i < columns / 2; ++i) std::swap(companion[i], companion[columns - 1 - i]);
  }
}

}  // namespace tav
