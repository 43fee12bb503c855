#include "report_data.h"

#include <cstdlib>
#include <fstream>
#include <map>
#include <utility>

#include "capacities.h"
#include "line_reader.h"

namespace tav {

namespace {

// The lines of a file, empty lines left out. False when it cannot be opened.
bool readLines(const std::string& path, std::vector<std::string>& lines) {
  std::ifstream in(path, std::ios::binary);
  if (!in.is_open()) return false;
  std::string piece;
  while (readLinePiece(in, piece, kTableLinePiece)) {
    if (!piece.empty()) lines.push_back(piece);
  }
  return !in.bad();
}

std::string missing(const std::string& path) {
  return "ERROR: " + path + " was not found or could not be read. Program aborted";
}

std::string malformed(const std::string& path, size_t lineNumber, const std::string& what) {
  return "ERROR: " + path + " line " + std::to_string(lineNumber) + ": " + what +
         ". Program aborted";
}

std::vector<std::string> splitTabs(const std::string& line) {
  std::vector<std::string> fields;
  size_t start = 0;
  for (;;) {
    const size_t tab = line.find('\t', start);
    fields.push_back(
        line.substr(start, tab == std::string::npos ? std::string::npos : tab - start));
    if (tab == std::string::npos) return fields;
    start = tab + 1;
  }
}

// "name = value" at the last " = ", since names may hold anything but values do not.
bool splitAssignment(const std::string& line, std::string& name, std::string& value) {
  const size_t at = line.rfind(" = ");
  if (at == std::string::npos) return false;
  name = line.substr(0, at);
  value = line.substr(at + 3);
  return true;
}

bool isNumber(const std::string& text) {
  if (text.empty()) return false;
  char* end = nullptr;
  std::strtod(text.c_str(), &end);
  return end == text.c_str() + text.size();
}

// One .sif line: "A TavrinSE B" as Tavrin writes it (names may then hold
// blanks), otherwise three blank-separated words.
bool splitSifLine(const std::string& line, ReportPair& pair) {
  static const std::string kWord = " TavrinSE ";
  const size_t at = line.find(kWord);
  if (at != std::string::npos) {
    pair.first = line.substr(0, at);
    pair.interaction = "TavrinSE";
    pair.second = line.substr(at + kWord.size());
    return true;
  }
  std::vector<std::string> words;
  size_t i = 0;
  while (i < line.size()) {
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
    const size_t start = i;
    while (i < line.size() && line[i] != ' ' && line[i] != '\t') ++i;
    if (i > start) words.push_back(line.substr(start, i - start));
  }
  if (words.size() != 3) return false;
  pair.first = words[0];
  pair.interaction = words[1];
  pair.second = words[2];
  return true;
}

// One edge attribute file: a header, then "A (word) B = value" per .sif pair.
std::string readEdgeValues(const std::string& path, std::vector<ReportPair>& pairs,
                           std::string ReportPair::*field, std::string* header) {
  std::vector<std::string> lines;
  if (!readLines(path, lines)) return missing(path);
  if (lines.empty()) {
    if (pairs.empty()) return {};
    return "ERROR: " + path + " is empty but the network has pairs. Program aborted";
  }
  if (header != nullptr) *header = lines[0];
  if (lines.size() - 1 != pairs.size()) {
    return "ERROR: " + path + " has " + std::to_string(lines.size() - 1) +
           " pairs but the .sif file has " + std::to_string(pairs.size()) + ". Program aborted";
  }
  for (size_t i = 0; i < pairs.size(); ++i) {
    std::string key;
    std::string value;
    ReportPair& pair = pairs[i];
    if (!splitAssignment(lines[i + 1], key, value) ||
        key != pair.first + " (" + pair.interaction + ") " + pair.second) {
      return malformed(path, i + 2, "not the pair of the same line of the .sif file");
    }
    pair.*field = value;
  }
  return {};
}

}  // namespace

std::string readNetwork(const std::string& base, ReportNetwork& network) {
  network = ReportNetwork();
  const std::string sif = base + ".sif";
  std::vector<std::string> lines;
  if (!readLines(sif, lines)) return missing(sif);
  for (size_t i = 0; i < lines.size(); ++i) {
    ReportPair pair;
    if (!splitSifLine(lines[i], pair)) return malformed(sif, i + 1, "not an edge line");
    network.pairs.push_back(std::move(pair));
  }

  const std::string noa = base + ".1.noa";
  lines.clear();
  if (!readLines(noa, lines)) return missing(noa);
  for (size_t i = 1; i < lines.size(); ++i) {
    ReportElement element;
    if (!splitAssignment(lines[i], element.name, element.type)) {
      return malformed(noa, i + 1, "not a \"name = TYPE\" line");
    }
    network.elements.push_back(std::move(element));
  }

  std::string error = readEdgeValues(base + ".1.eda", network.pairs, &ReportPair::score, nullptr);
  if (error.empty()) {
    error = readEdgeValues(base + ".2.eda", network.pairs, &ReportPair::robustness,
                           &network.robustnessHeader);
  }
  if (error.empty()) {
    error = readEdgeValues(base + ".3.eda", network.pairs, &ReportPair::zScore, nullptr);
  }
  return error;
}

std::string readSimvaleReport(const std::string& path, std::vector<ClosestMatchRow>& rows) {
  rows.clear();
  std::vector<std::string> lines;
  if (!readLines(path, lines)) return missing(path);
  if (lines.empty()) return {};
  if (splitTabs(lines[0])[0] != "Sequence")
    return malformed(path, 1, "not a Simvale report header");
  for (size_t i = 1; i < lines.size(); ++i) {
    std::vector<std::string> fields = splitTabs(lines[i]);
    if (fields.size() != 3 || (!fields[2].empty() && !isNumber(fields[2]))) {
      return malformed(path, i + 1, "not \"motif<TAB>match<TAB>score\"");
    }
    rows.push_back({fields[0], fields[1], fields[2]});
  }
  return {};
}

std::string readConservation(const std::string& path, std::vector<NamedValue>& values) {
  values.clear();
  std::vector<std::string> lines;
  if (!readLines(path, lines)) return missing(path);
  for (size_t i = 1; i < lines.size(); ++i) {
    NamedValue entry;
    if (!splitAssignment(lines[i], entry.name, entry.value) || !isNumber(entry.value)) {
      return malformed(path, i + 1, "not a \"name = number\" line");
    }
    values.push_back(std::move(entry));
  }
  return {};
}

std::string readCalibration(const std::string& path, std::vector<ReportPair>& pairs) {
  std::vector<std::string> lines;
  if (!readLines(path, lines)) return missing(path);
  const std::vector<std::string> header = {"element_a",       "element_b",  "score",
                                           "null_mean_count", "real_count", "fdr"};
  if (lines.empty() || splitTabs(lines[0]) != header) {
    return malformed(path, 1,
                     "not the header element_a, element_b, score, null_mean_count, "
                     "real_count, fdr");
  }
  std::map<std::pair<std::string, std::string>, std::string> fdr;
  for (size_t i = 1; i < lines.size(); ++i) {
    std::vector<std::string> fields = splitTabs(lines[i]);
    if (fields.size() != header.size() || !isNumber(fields[5])) {
      return malformed(path, i + 1, "not six tab-separated fields ending in a number");
    }
    fdr.emplace(std::make_pair(fields[0], fields[1]), fields[5]);
  }
  for (ReportPair& pair : pairs) {
    auto found = fdr.find({pair.first, pair.second});
    if (found == fdr.end()) found = fdr.find({pair.second, pair.first});
    if (found != fdr.end()) pair.fdr = found->second;
  }
  return {};
}

std::string readNames(const std::string& path, NameTable& names) {
  names = NameTable();
  std::ifstream in(path, std::ios::binary);
  if (!in.is_open()) return missing(path);
  std::string piece;
  size_t lineNumber = 0;
  while (readLinePiece(in, piece, kTableLinePiece)) {
    ++lineNumber;
    if (piece.empty() || piece[0] == '#') continue;
    std::vector<std::string> fields = splitTabs(piece);
    if (fields.size() < 2 || fields.size() > 3 || fields[0].empty() || fields[1].empty()) {
      return "ERROR: " + path + ":" + std::to_string(lineNumber) +
             ": expected element<TAB>name<TAB>optional description. Program aborted";
    }
    if (!names.byElement.emplace(fields[0], names.entries.size()).second) continue;
    names.entries.push_back({fields[0], fields[1], fields.size() == 3 ? fields[2] : ""});
  }
  if (in.bad()) return missing(path);
  // Motifs as an SE file writes them (@TGACTCA) also name the network's
  // unmarked element, unless the table names that one itself.
  for (size_t i = 0; i < names.entries.size(); ++i) {
    const std::string& element = names.entries[i].element;
    if (element.size() > 1 && (element[0] == '@' || element[0] == '%' || element[0] == '~')) {
      names.byElement.emplace(element.substr(1), i);
    }
  }
  return {};
}

const ElementName* NameTable::find(const std::string& element) const {
  const auto found = byElement.find(element);
  return found == byElement.end() ? nullptr : &entries[found->second];
}

}  // namespace tav
