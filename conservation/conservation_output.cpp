#include "conservation_output.h"

#include <algorithm>

#include "console.h"

namespace tav {

int writeConservation(std::ostream& file, const std::vector<MotifRecord>& motifs, int count) {
  count = std::clamp(count, 0, static_cast<int>(motifs.size()));
  file << "Conservation (class=Double)\n";
  for (int m = 0; m < count; ++m) {
    const MotifRecord& motif = motifs[static_cast<size_t>(m)];
    file << motifText(motif.name) << " = " << formatReal(1.0 - motif.pValue) << '\n';
  }
  return count;
}

}  // namespace tav
