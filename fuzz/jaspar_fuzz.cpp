// Fuzz target: the JASPAR reference reader, appending after earlier matrices
// and against a small capacity, then the score of every matrix read.
#include <sstream>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "reference_check.h"
#include "reference_readers.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string input(tav::fuzz::asText(data, size));

  std::vector<tav::MotifMatrix> references;
  bool tooMany = true;
  int count = 0;
  {
    std::istringstream in(input);
    count = tav::readJasparFile(in, references, 0, &tooMany);
  }
  FUZZ_CHECK(count >= 0 && count == static_cast<int>(references.size()) && !tooMany);

  // Behind two earlier matrices, with room for three in all.
  std::vector<tav::MotifMatrix> appended(2);
  appended[0].closestName = "kept";
  bool full = false;
  {
    std::istringstream in(input);
    const int total = tav::readJasparFile(in, appended, 2, &full, 3);
    FUZZ_CHECK(total == static_cast<int>(appended.size()) && total <= 3);
    FUZZ_CHECK(full == (count > 1));
    FUZZ_CHECK(total == 2 + std::min(count, 1));
    FUZZ_CHECK(appended[0].closestName == "kept");
    if (total == 3) {
      FUZZ_CHECK(appended[2].closestName == references[0].closestName);
      FUZZ_CHECK(appended[2].counts == references[0].counts);
    }
  }

  for (size_t i = 0; i < references.size() && i < 6; ++i) tav::fuzz::checkReference(references[i]);
  return 0;
}
