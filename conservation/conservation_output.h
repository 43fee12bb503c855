// The conservation attribute file: one "name = value" line per motif in the
// node attribute layout, so a network viewer can attach it to the motif nodes.
#pragma once

#include <ostream>
#include <vector>

#include "conservation_score.h"

namespace tav {

// Writes the header "Conservation (class=Double)" and, for each of the first
// `count` records in order, its name without a leading type mark, " = " and
// 1 - p-value. The caller owns and closes the stream. Returns the number of
// motif lines written.
int writeConservation(std::ostream& file, const std::vector<MotifRecord>& motifs, int count);

}  // namespace tav
