// Fuzz target: one ACE reference file. The input's first line is the file's
// own name, the rest is the file.
#include <sstream>
#include <string>

#include "fuzz_support.h"
#include "reference_check.h"
#include "reference_readers.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view input = tav::fuzz::asText(data, size);
  const size_t end = input.find('\n');
  const std::string entryName(input.substr(0, end));
  const std::string file(end == std::string_view::npos ? std::string_view()
                                                       : input.substr(end + 1));

  tav::MotifMatrix slot;
  slot.closestName = "left over";
  slot.hasClosest = true;
  std::istringstream in(file);
  tav::readAceFile(in, slot, entryName);
  FUZZ_CHECK(slot.closestName == entryName.substr(0, entryName.find('.')));
  FUZZ_CHECK(!slot.hasClosest && slot.masks.empty());
  tav::fuzz::checkReference(slot);
  return 0;
}
