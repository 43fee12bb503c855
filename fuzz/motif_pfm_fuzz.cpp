// Fuzz target: the converter's count-matrix (pfm) and ACE readers, then every
// writer on what they read.
#include <sstream>

#include "motif_formats_check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string input(tav::fuzz::asText(data, size));
  {
    std::istringstream in(input);
    std::vector<tav::CountMotif> motifs;
    std::string error;
    const bool ok = tav::readPfm(in, "in", "stem", tav::ReadParameters{}, motifs, error);
    tav::fuzz::checkMotifs(ok, motifs, error, "in");
  }
  {
    std::istringstream in(input);
    std::vector<tav::CountMotif> motifs;
    std::string error;
    const bool ok = tav::readAce(in, "in", "site.ace", motifs, error);
    tav::fuzz::checkMotifs(ok, motifs, error, "in");
  }
  return 0;
}
