// Fuzz target: the converter's homer reader, then every writer on what it read.
#include <sstream>

#include "motif_formats_check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::istringstream in{std::string(tav::fuzz::asText(data, size))};
  std::vector<tav::CountMotif> motifs;
  std::string error;
  const bool ok = tav::readHomer(in, "in", tav::ReadParameters{}, motifs, error);
  tav::fuzz::checkMotifs(ok, motifs, error, "in");
  std::istringstream again{std::string(tav::fuzz::asText(data, size))};
  tav::detectFileFormat(again);
  return 0;
}
