// Fuzz target: the motif text grammar in both capacities and both alphabets,
// the pair finder's direct frequencies, and the reverse complement of a
// matrix. The two parsers share one grammar, so their positions must agree.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <sstream>
#include <string>
#include <vector>

#include "capacities.h"
#include "fasta.h"
#include "fuzz_support.h"
#include "motif.h"
#include "similarity.h"

namespace {

using tav::LetterCode;
using tav::MotifStatus;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text = tav::fuzz::asText(data, size);

  std::vector<LetterCode> shortMasks;
  std::vector<LetterCode> longMasks;
  std::vector<LetterCode> proteinMasks;
  const MotifStatus shortStatus =
      tav::parseMotifMasks(text, tav::kShortMotifCapacity, tav::symbolMask, shortMasks);
  const MotifStatus longStatus =
      tav::parseMotifMasks(text, tav::kLongMotifCapacity, tav::symbolMask, longMasks);
  const MotifStatus proteinStatus =
      tav::parseMotifMasks(text, tav::kLongMotifCapacity, tav::proteinSymbolMask, proteinMasks);

  FUZZ_CHECK(shortMasks.size() <= static_cast<size_t>(tav::kShortMotifCapacity));
  FUZZ_CHECK(longMasks.size() <= static_cast<size_t>(tav::kLongMotifCapacity));
  for (LetterCode m : longMasks) FUZZ_CHECK((m & ~tav::kAnyNucleotide) == 0);
  for (LetterCode m : proteinMasks) FUZZ_CHECK((m & ~tav::kAnyProtein) == 0);
  // The alphabet changes masks, never the grammar.
  FUZZ_CHECK(proteinStatus == longStatus);
  if (longStatus == MotifStatus::Ok) FUZZ_CHECK(proteinMasks.size() == longMasks.size());
  // A larger capacity only turns "too long" into a longer motif.
  if (shortStatus == MotifStatus::Ok) {
    FUZZ_CHECK(longStatus == MotifStatus::Ok && longMasks == shortMasks);
  } else if (shortStatus == MotifStatus::BadFormat) {
    FUZZ_CHECK(longStatus == MotifStatus::BadFormat);
  }
  // (At exactly the capacity, a symbol in a trailing unclosed bracket is
  // already one too many.)
  if (longStatus == MotifStatus::Ok &&
      longMasks.size() < static_cast<size_t>(tav::kShortMotifCapacity)) {
    FUZZ_CHECK(shortStatus == MotifStatus::Ok);
  }
  {
    std::ostringstream console;
    tav::printMotifError(console, shortStatus, text);
    FUZZ_CHECK(console.str().empty() == (shortStatus == MotifStatus::Ok));
  }

  tav::MotifMatrix matrix;
  matrix.masks = shortMasks;
  tav::buildCounts(matrix);
  FUZZ_CHECK(matrix.columns == static_cast<int32_t>(shortMasks.size()));

  // Direct frequencies: one warning line or a matrix of normalised columns
  // with the positions of the mask parser.
  tav::FrequencyMatrix direct;
  std::ostringstream console;
  const int columns = tav::parseMotifFrequencies(text, direct, console);
  FUZZ_CHECK(columns >= 0 && columns <= tav::kMatrixColumns);
  // Motif texts come from whitespace-split fields, but a line break inside
  // one must not make more than the one warning.
  const std::string warning = console.str();
  if (!warning.empty()) {
    FUZZ_CHECK(warning.rfind("WARNING: ", 0) == 0 && warning.back() == '\n');
    FUZZ_CHECK(std::count(warning.begin(), warning.end(), '\n') ==
               std::count(text.begin(), text.end(), '\n') + 1);
  }
  if (!warning.empty()) {
    FUZZ_CHECK(columns == 0);
  } else {
    FUZZ_CHECK(shortStatus == MotifStatus::Ok);
    FUZZ_CHECK(columns == static_cast<int>(shortMasks.size()));
    for (int i = 0; i < columns; ++i) {
      const double sum = direct.f[0][i] + direct.f[1][i] + direct.f[2][i] + direct.f[3][i];
      FUZZ_CHECK(std::fabs(sum - 1) < 1e-12);
    }
  }
  if (shortStatus == MotifStatus::TooLong) FUZZ_CHECK(!warning.empty());

  // The reverse complement is an involution and carries the column records.
  if (columns > 0) {
    tav::ColumnInfo info[tav::kMatrixColumns];
    tav::computeColumnInfo(direct, columns, info);
    tav::FrequencyMatrix turned = direct;
    tav::ColumnInfo turnedInfo[tav::kMatrixColumns];
    std::memcpy(turnedInfo, info, sizeof info);
    tav::reverseComplement(turned, columns, turnedInfo);
    for (int i = 0; i < columns; ++i) {
      FUZZ_CHECK(turnedInfo[i].index == info[columns - 1 - i].index);
      for (int b = 0; b < 4; ++b) FUZZ_CHECK(turned.f[b][i] == direct.f[3 - b][columns - 1 - i]);
    }
    tav::reverseComplement(turned, columns, turnedInfo);
    FUZZ_CHECK(std::memcmp(&turned, &direct, sizeof direct) == 0);

    const double self = tav::simvaleScore(direct, columns, direct, columns, true);
    FUZZ_CHECK(self >= 0 && self <= 1 + 1e-12);
  }
  return 0;
}
