// Checks shared by the fuzz targets of the converter's readers: a refusal is
// one "file:line: expected ..." message with nothing read; what is read is a
// well-formed collection that every writer handles and that comes back
// unchanged through JASPAR and TRANSFAC.
#pragma once

#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "format_readers.h"
#include "format_writers.h"
#include "fuzz_support.h"

namespace tav::fuzz {

inline void checkSameCounts(const std::vector<CountMotif>& a, const std::vector<CountMotif>& b) {
  FUZZ_CHECK(a.size() == b.size());
  for (size_t i = 0; i < a.size(); ++i) FUZZ_CHECK(a[i].counts == b[i].counts);
}

inline void checkMotifs(bool ok, const std::vector<CountMotif>& motifs, const std::string& error,
                        std::string_view fileName) {
  if (!ok) {
    FUZZ_CHECK(motifs.empty());
    FUZZ_CHECK(std::string_view(error).substr(0, fileName.size()) == fileName);
    FUZZ_CHECK(error.find('\n') == std::string::npos);
    return;
  }
  FUZZ_CHECK(!motifs.empty());
  int64_t largest = 0;
  for (const CountMotif& motif : motifs) {
    FUZZ_CHECK(!motif.label().empty());
    for (const auto& row : motif.counts) {
      FUZZ_CHECK(static_cast<int>(row.size()) == motif.width());
      for (int64_t count : row) FUZZ_CHECK(count >= 0 && count <= kMaxCount);
    }
    largest = std::max(largest, largestColumnSum(motif));
  }
  std::vector<CountMotif> back;
  std::string backError;
  ReadParameters parameters;
  {
    std::istringstream in(writeJaspar(motifs));
    FUZZ_CHECK(readJaspar(in, "back", parameters, back, backError));
    checkSameCounts(motifs, back);
  }
  back.clear();
  {
    std::istringstream in(writeTransfac(motifs));
    FUZZ_CHECK(readTransfac(in, "back", parameters, back, backError));
    checkSameCounts(motifs, back);
  }
  back.clear();
  {
    std::istringstream in(writeMeme(motifs));
    FUZZ_CHECK(readMeme(in, "back", parameters, back, backError));
    FUZZ_CHECK(back.size() == motifs.size());
  }
  FUZZ_CHECK(writePfmFiles(motifs).size() == motifs.size());
  // Site lines grow with the counts; keep the fuzzer's inputs small there.
  if (largest <= 10000) {
    std::vector<OutputFile> files;
    FUZZ_CHECK(writeAceFiles(motifs, files, backError) && files.size() == motifs.size());
  }
}

using MotifReader = bool (*)(std::istream&, std::string_view, const ReadParameters&,
                             std::vector<CountMotif>&, std::string&);

// The whole body of a reader's target: read, check what came out, and let the
// format detection look at the same bytes.
inline int fuzzReader(MotifReader reader, const uint8_t* data, size_t size) {
  std::istringstream in{std::string(asText(data, size))};
  std::vector<CountMotif> motifs;
  std::string error;
  const bool ok = reader(in, "in", ReadParameters{}, motifs, error);
  checkMotifs(ok, motifs, error, "in");
  std::istringstream again{std::string(asText(data, size))};
  detectFileFormat(again);
  return 0;
}

}  // namespace tav::fuzz
