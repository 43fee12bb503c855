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

  // Queries are independent: each thread prepares its own and writes only
  // that query's result.
  int matched = 0;
#pragma omp parallel reduction(+ : matched)
  {
    PreparedMotif forward;
    PreparedMotif reverse;
#pragma omp for schedule(dynamic, 4)
    for (int i = 0; i < queryCount; ++i) {
      MotifMatrix& query = queries[i].matrix;
      prepareMotif(query, forward, bothStrands ? &reverse : nullptr);
      double best = -1;
      int bestReference = -1;
      for (int j = 0; j < referenceCount; ++j) {
        const double score = simvaleScore(forward, bothStrands ? &reverse : nullptr, prepared[j]);
        if (score > best) {
          best = score;
          bestReference = j;
        }
      }
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
