// Fuzz target: the converter's transfac reader, then every writer on what it read.
#include "motif_formats_check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  return tav::fuzz::fuzzReader(tav::readTransfac, data, size);
}
