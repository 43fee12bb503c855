// The seed stage and the seed significance test computed the plain way:
// presence marked record by record with the window-by-window occurrence rule,
// every score from pairMutualInformation. Far too slow for a run; the fast
// stages must give the same bits, which the equivalence tests check.
#pragma once

#include <cstdint>
#include <ostream>
#include <vector>

#include "interactions.h"
#include "motif_model.h"
#include "records.h"

namespace tav {

// Canonical seeds (every seed without the strand mode) in seed order, a seed
// being dropped when its reverse complement, built letter by letter, is a
// smaller number.
std::vector<MaskMotif> plainSeeds(int length, int digits, bool strandMode);

// seedMotifPairs without its occurrence tables; returns the pairs examined.
int64_t seedMotifPairsPlain(std::vector<SequenceRecord> records,
                            const std::vector<InteractionPair>& list, int length, int queueSize,
                            bool strandMode, MotifFinderVariant variant,
                            std::vector<MotifPair>& queue, std::vector<MaskMotif>& store);

// assessSeedSignificance over the whole queue without its observation lists;
// draws and prints exactly as it does.
void assessSeedSignificancePlain(std::vector<SequenceRecord> records,
                                 const std::vector<MaskMotif>& store, std::vector<MotifPair>& queue,
                                 int64_t shuffles, int cont, std::ostream& out);

}  // namespace tav
