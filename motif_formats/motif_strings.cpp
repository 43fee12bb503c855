#include "motif_strings.h"

#include <fstream>

#include "capacities.h"
#include "fasta.h"
#include "line_reader.h"
#include "motif.h"
#include "motif_sites.h"
#include "noa_reader.h"
#include "se_file.h"

namespace tav {

namespace {

std::string locate(std::string_view fileName, int lineNumber) {
  std::string place(fileName);
  if (lineNumber > 0) place.append(":").append(std::to_string(lineNumber));
  return place;
}

bool parseString(const std::string& text, std::string_view fileName, int lineNumber,
                 std::vector<MotifString>& strings, std::string& error) {
  MotifString motif;
  motif.text = text;
  const MotifStatus status = parseMotifMasks(text, kLongMotifCapacity, symbolMask, motif.masks);
  if (status == MotifStatus::TooLong) {
    error = locate(fileName, lineNumber) + ": expected a motif string of at most " +
            std::to_string(kLongMotifCapacity) + " positions";
    return false;
  }
  if (status == MotifStatus::BadFormat) {
    error = locate(fileName, lineNumber) +
            ": expected a motif string without nested or unmatched brackets, not \"" +
            text.substr(0, 60) + (text.size() > 60 ? "...\"" : "\"");
    return false;
  }
  strings.push_back(std::move(motif));
  return true;
}

// Line of the first association line naming `element`, 0 when none is found.
int lineOfElement(const std::string& path, const std::string& element) {
  std::ifstream in(path, std::ios::binary);
  std::string line;
  int number = 0;
  while (readLinePiece(in, line, kTableLinePiece)) {
    ++number;
    if (line.find(element) != std::string::npos) return number;
  }
  return 0;
}

}  // namespace

bool readNoaStrings(std::istream& in, std::string_view fileName, std::string_view type,
                    std::vector<MotifString>& strings, std::string& error) {
  std::string line;
  std::string name;
  std::string value;
  int number = 0;
  // The header line says nothing about motifs.
  if (readLinePiece(in, line, kTableLinePiece)) ++number;
  while (readLinePiece(in, line, kTableLinePiece)) {
    ++number;
    stripBlanks(line);
    if (!splitName(line, name) || !splitValue(line, value) || value != type) continue;
    if (!parseString(name, fileName, number, strings, error)) return false;
  }
  return true;
}

bool readSeStrings(const std::string& path, std::string_view type,
                   std::vector<MotifString>& strings, std::string& error) {
  char mark = 0;
  if (type == "5'MOTIF") mark = '@';
  if (type == "3'MOTIF") mark = '%';
  if (mark == 0) {
    error = path + ": expected -type 5'MOTIF or 3'MOTIF for the motifs of an SE file";
    return false;
  }
  // Every gene that starts an association line takes part, so the reader
  // keeps each element with at least one valid association.
  std::vector<GeneRecord> genes;
  {
    std::ifstream in(path, std::ios::binary);
    std::string first;
    while (readWord(in, first, kMaxWord)) {
      if (first[0] != '$' && first[0] != '#' && first.size() <= static_cast<size_t>(kMaxWord)) {
        genes.emplace_back();
        genes.back().name = first;
      }
      skipRestOfLine(in);
    }
  }
  std::vector<std::string> elements;
  std::ifstream in(path, std::ios::binary);
  const int count = readSeFile(in, genes, static_cast<int>(genes.size()), elements, "");
  if (count < 0) {
    error =
        path + (count == kSeTooManyElements
                    ? ": expected at most " + std::to_string(kMaxElements) + " elements"
                    : ": expected fields of at most " + std::to_string(kMaxWord) + " characters");
    return false;
  }
  for (const std::string& element : elements) {
    if (element[0] != mark) continue;
    if (!parseString(element.substr(1), path, 0, strings, error)) {
      // The file is searched for the line only when a message needs it.
      parseString(element.substr(1), path, lineOfElement(path, element), strings, error);
      return false;
    }
  }
  return true;
}

CountMotif motifFromString(const MotifString& motif, int64_t sites,
                           const std::vector<SequenceRecord>* sequences, bool* withoutSites) {
  if (withoutSites != nullptr) *withoutSites = false;
  if (sequences != nullptr) {
    const SiteCounts found = countMotifSites(motif.masks, *sequences);
    if (found.sites > 0) {
      CountMotif counted;
      counted.name = motif.text;
      counted.sites = found.sites;
      // Site rows are T, C, G, A; the model's are A, C, G, T.
      constexpr std::array<size_t, 4> kSiteRow = {3, 1, 2, 0};
      for (size_t b = 0; b < 4; ++b) {
        const auto& row = found.counts[kSiteRow[b]];
        counted.counts[b].assign(row.begin(), row.end());
      }
      return counted;
    }
    if (withoutSites != nullptr) *withoutSites = true;
  }
  CountMotif fromText = countsFromMasks(motif.masks, sites);
  fromText.name = motif.text;
  return fromText;
}

}  // namespace tav
