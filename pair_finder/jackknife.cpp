#include "jackknife.h"

#include "console.h"
#include "permutation.h"
#include "random.h"

namespace tav {

void jackknife(std::vector<GeneRecord>& genes, int n, std::vector<PairRecord>& pairs, int shuffles,
               double cutoff, int trials, int fraction, std::ostream& out, ScoringPath path) {
  for (int t = 1; t <= trials; ++t) {
    write(out, "Jack-knife trial no. ", t, "...");
    for (int g = 0; g < n; ++g)
      genes[static_cast<size_t>(g)].excluded = drawRandom() % fraction == 0;
    permutationTest(genes, n, pairs, shuffles, t, cutoff, false, out, path);
  }
  for (PairRecord& p : pairs) {
    if (p.removed) continue;
    int supported = 0;
    for (int t = 1; t <= trials; ++t) {
      const SlotStats* stats = p.slotIfAny(t);
      if (stats != nullptr && !(stats->pValue > cutoff)) ++supported;
    }
    p.robustCount = supported;
  }
  line(out);
}

int markNotRobust(std::vector<PairRecord>& pairs, int threshold) {
  int marked = 0;
  for (PairRecord& p : pairs) {
    if (!p.removed && p.robustCount < threshold) {
      p.removed = true;
      ++marked;
    }
  }
  return marked;
}

}  // namespace tav
