// Fuzz target: the conservation scorers' reader of node attribute files,
// checked against the shared line walk that Simvale's reader uses: both
// must select the same motif names.
#include <sstream>
#include <string>
#include <vector>

#include "capacities.h"
#include "conservation_score.h"
#include "fuzz_support.h"
#include "noa_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string input(tav::fuzz::asText(data, size));
  for (const char* type : {"5'MOTIF", "PMOTIF"}) {
    std::vector<tav::MotifRecord> motifs;
    std::istringstream in(input);
    const int n = tav::readMotifRecords(in, motifs, type);
    FUZZ_CHECK(n >= 0 || n == tav::kNoaFieldTooLong || n == tav::kTooManyMotifs);
    if (n < 0) continue;
    FUZZ_CHECK(n == static_cast<int>(motifs.size()) && n <= tav::kMaxMotifs);

    std::istringstream again(input);
    tav::skipNoaHeader(again);
    std::string name;
    size_t i = 0;
    while (tav::nextNoaMotif(again, type, name)) {
      FUZZ_CHECK(i < motifs.size() && motifs[i].name == name);
      FUZZ_CHECK(motifs[i].score == 0.0 && motifs[i].pValue == 1.0);
      ++i;
    }
    FUZZ_CHECK(i == motifs.size());
    for (const auto& m : motifs) {
      FUZZ_CHECK(m.name.size() <= static_cast<size_t>(tav::kMaxWord));
      const std::string_view text = tav::motifText(m.name);
      FUZZ_CHECK(text.size() + 1 >= m.name.size());
    }
  }
  return 0;
}
