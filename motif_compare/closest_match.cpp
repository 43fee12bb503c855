#include "closest_match.h"

#include <algorithm>

#include "console.h"
#include "similarity.h"

namespace tav {

int findClosestMatches(std::vector<MotifEntry>& queries, int queryCount,
                       const std::vector<MotifMatrix>& references, int referenceCount,
                       double cutoff, bool bothStrands) {
  queryCount = std::clamp(queryCount, 0, static_cast<int>(queries.size()));
  referenceCount = std::clamp(referenceCount, 0, static_cast<int>(references.size()));
  std::vector<PreparedMotif> prepared(referenceCount);
#pragma omp parallel for schedule(dynamic, 16)
  for (int j = 0; j < referenceCount; ++j) prepareMotif(references[j], prepared[j], nullptr);
  PreparedCollection collection;
  prepareCollection(prepared.data(), referenceCount, collection);

  // Queries are independent: each thread prepares its own, a few at a time so
  // that each part of the collection is read once for all of them, and writes
  // only those queries' results.
  constexpr int kGroup = 8;
  const int groups = (queryCount + kGroup - 1) / kGroup;
  int matched = 0;
#pragma omp parallel reduction(+ : matched)
  {
    std::vector<PreparedMotif> forward(kGroup);
    std::vector<PreparedMotif> reverse(kGroup);
    std::vector<double> scores(static_cast<size_t>(kGroup) * referenceCount);
#pragma omp for schedule(dynamic, 1)
    for (int g = 0; g < groups; ++g) {
      const int first = g * kGroup;
      const int size = std::min(kGroup, queryCount - first);
      for (int q = 0; q < size; ++q) {
        prepareMotif(queries[first + q].matrix, forward[q], bothStrands ? &reverse[q] : nullptr);
      }
      simvaleScores(forward.data(), bothStrands ? reverse.data() : nullptr, size, collection,
                    scores.data());
      for (int q = 0; q < size; ++q) {
        const double* row = scores.data() + static_cast<size_t>(q) * referenceCount;
        double best = -1;
        int bestReference = -1;
        for (int j = 0; j < referenceCount; ++j) {
          if (row[j] > best) {
            best = row[j];
            bestReference = j;
          }
        }
        MotifMatrix& query = queries[first + q].matrix;
        query.hasClosest = false;
        query.closestName.clear();
        query.closestScore = 0.0;
        if (bestReference >= 0 && best > cutoff) {
          query.hasClosest = true;
          query.closestName = references[bestReference].closestName;
          query.closestScore = best;
          ++matched;
        }
      }
    }
  }
  return matched;
}

void writeMatchReport(std::ostream& report, const std::vector<MotifEntry>& queries,
                      int queryCount) {
  queryCount = std::clamp(queryCount, 0, static_cast<int>(queries.size()));
  report << "Sequence\tClosest Match\tMatch Score\n";
  for (int i = 0; i < queryCount; ++i) {
    const MotifEntry& entry = queries[i];
    report << entry.text << '\t';
    if (entry.matrix.hasClosest) {
      report << entry.matrix.closestName << '\t' << formatReal(entry.matrix.closestScore);
    } else {
      report << '\t';
    }
    report << '\n';
  }
}

}  // namespace tav
