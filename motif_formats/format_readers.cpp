#include "format_readers.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "fasta.h"
#include "line_reader.h"

namespace tav {

namespace {

constexpr std::array<std::string_view, 9> kFormatNames = {
    "unknown", "jaspar", "pfm", "meme", "transfac", "homer", "ace", "noa", "se"};

// Lines with their numbers; a line longer than kMaxMatrixLine is an error, not
// several lines, so a cut row can never pass for a short one.
class NumberedLines {
 public:
  NumberedLines(std::istream& in, std::string_view fileName) : in_(in), fileName_(fileName) {}

  // False at the end of the input or on an over-long line (then failed()).
  bool next(std::string& line) {
    line.clear();
    if (in_.rdbuf() == nullptr || !in_.good()) return false;
    bool any = false;
    for (;;) {
      const int c = takeChar(in_);
      if (c == std::char_traits<char>::eof()) break;
      any = true;
      if (c == '\n') break;
      if (line.size() >= kMaxMatrixLine) {
        ++number_;
        failed_ = true;
        return false;
      }
      line.push_back(static_cast<char>(c));
    }
    if (!any) return false;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    ++number_;
    return true;
  }

  bool failed() const { return failed_; }
  int number() const { return number_; }

  // "file:line: expected <what>" for the current line.
  std::string expected(std::string_view what) const { return expectedAt(number_, what); }
  std::string expectedAt(int lineNumber, std::string_view what) const {
    std::string message(fileName_);
    message.append(":").append(std::to_string(lineNumber)).append(": expected ").append(what);
    return message;
  }
  std::string tooLong() const {
    return expected("a line of at most " + std::to_string(kMaxMatrixLine) + " characters");
  }

 private:
  std::istream& in_;
  std::string_view fileName_;
  int number_ = 0;
  bool failed_ = false;
};

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\f' || c == '\v'; }

std::string_view trim(std::string_view text) {
  while (!text.empty() && isBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && isBlank(text.back())) text.remove_suffix(1);
  return text;
}

std::vector<std::string_view> splitBlanks(std::string_view text) {
  std::vector<std::string_view> words;
  size_t i = 0;
  while (i < text.size()) {
    while (i < text.size() && isBlank(text[i])) ++i;
    const size_t start = i;
    while (i < text.size() && !isBlank(text[i])) ++i;
    if (i > start) words.push_back(text.substr(start, i - start));
  }
  return words;
}

// A token as it may be shown in a message: at most 24 characters, anything
// unprintable as '?'.
std::string shown(std::string_view token) {
  std::string text;
  for (char c : token.substr(0, 24)) text.push_back(c >= 32 && c < 127 ? c : '?');
  if (token.size() > 24) text.append("...");
  return "\"" + text + "\"";
}

// A finite decimal number making up the whole token (a leading '+' allowed).
bool parseNumber(std::string_view token, double& value) {
  if (!token.empty() && token.front() == '+') token.remove_prefix(1);
  if (token.empty()) return false;
  const auto [end, ec] = std::from_chars(token.data(), token.data() + token.size(), value);
  return ec == std::errc() && end == token.data() + token.size() && std::isfinite(value);
}

bool parseInteger(std::string_view token, int64_t& value) {
  const auto [end, ec] = std::from_chars(token.data(), token.data() + token.size(), value);
  return ec == std::errc() && end == token.data() + token.size();
}

// Row of a base letter in A, C, G, T order (U is T), -1 for anything else.
int baseRow(char c) {
  switch (c) {
    case 'A':
    case 'a':
      return 0;
    case 'C':
    case 'c':
      return 1;
    case 'G':
    case 'g':
      return 2;
    case 'T':
    case 't':
    case 'U':
    case 'u':
      return 3;
    default:
      return -1;
  }
}

// Values as read, before they become counts.
using ValueRows = std::array<std::vector<double>, 4>;

// Count values become counts (rounded); a matrix of fractions whose columns
// sum to about 1 is a probability matrix and is scaled by the site count.
// Returns false with `what` when a value is no count.
bool countsFromValues(const ValueRows& values, int64_t sites, CountMotif& motif,
                      std::string& what) {
  const size_t width = values[0].size();
  bool fractional = false;
  bool withinOne = true;
  for (const auto& row : values) {
    for (double v : row) {
      if (v < 0 || v > static_cast<double>(kMaxCount)) {
        what = "counts from 0 to " + std::to_string(kMaxCount);
        return false;
      }
      if (v != std::floor(v)) fractional = true;
      if (v > 1) withinOne = false;
    }
  }
  bool probabilities = fractional && withinOne && width > 0;
  for (size_t i = 0; probabilities && i < width; ++i) {
    const double sum = values[0][i] + values[1][i] + values[2][i] + values[3][i];
    if (std::fabs(sum - 1.0) > 0.02) probabilities = false;
  }
  int64_t largest = 0;
  for (size_t b = 0; b < 4; ++b) {
    motif.counts[b].resize(width);
    for (size_t i = 0; i < width; ++i) {
      motif.counts[b][i] =
          probabilities ? probabilityToCount(values[b][i], sites) : std::llround(values[b][i]);
    }
  }
  for (int i = 0; i < motif.width(); ++i) largest = std::max(largest, columnSum(motif, i));
  motif.sites = probabilities ? sites : largest;
  return true;
}

// Probability rows (one column a row, A C G T) become counts.
bool countsFromProbabilities(const ValueRows& values, int64_t sites, CountMotif& motif) {
  for (const auto& row : values) {
    for (double v : row) {
      if (v < 0 || v > 1.0 + 1e-6) return false;
    }
  }
  for (size_t b = 0; b < 4; ++b) {
    motif.counts[b].resize(values[b].size());
    for (size_t i = 0; i < values[b].size(); ++i) {
      motif.counts[b][i] = probabilityToCount(values[b][i], sites);
    }
  }
  motif.sites = sites;
  return true;
}

// Reads every token of `words` from `first` on as a number into `out`.
// Returns the index of the first bad token, or -1.
int numbersOf(const std::vector<std::string_view>& words, size_t first, std::vector<double>& out) {
  out.clear();
  for (size_t i = first; i < words.size(); ++i) {
    double v = 0;
    if (!parseNumber(words[i], v)) return static_cast<int>(i);
    out.push_back(v);
  }
  return -1;
}

// Index of the first value that is no count (negative or too large), -1 when
// all are counts.
int badCount(const std::vector<double>& values) {
  for (size_t i = 0; i < values.size(); ++i) {
    if (values[i] < 0 || values[i] > static_cast<double>(kMaxCount)) return static_cast<int>(i);
  }
  return -1;
}

std::string countExpected(std::string_view token) {
  return "a count from 0 to " + std::to_string(kMaxCount) + ", not " + shown(token);
}

std::string rowOf(int64_t row, int64_t width) {
  return "row " + std::to_string(row + 1) + " of the " + std::to_string(width) +
         " matrix rows (four probabilities, A C G T)";
}

void nameUnnamed(CountMotif& motif, size_t index) {
  if (motif.id.empty() && motif.name.empty()) motif.id = "motif_" + std::to_string(index + 1);
}

bool fail(std::string& error, std::string message) {
  error = std::move(message);
  return false;
}

}  // namespace

MotifFormat formatFromName(std::string_view name) {
  for (size_t i = 1; i < kFormatNames.size(); ++i) {
    if (kFormatNames[i] == name) return static_cast<MotifFormat>(i);
  }
  return MotifFormat::Unknown;
}

std::string_view formatName(MotifFormat format) {
  return kFormatNames[static_cast<size_t>(format)];
}

std::string fileStem(std::string_view path) {
  const size_t slash = path.find_last_of('/');
  if (slash != std::string_view::npos) path.remove_prefix(slash + 1);
  const size_t dot = path.rfind('.');
  if (dot != std::string_view::npos && dot > 0) path = path.substr(0, dot);
  return std::string(path);
}

bool readJaspar(std::istream& in, std::string_view fileName, const ReadParameters& parameters,
                std::vector<CountMotif>& motifs, std::string& error) {
  NumberedLines lines(in, fileName);
  std::vector<CountMotif> read;
  ValueRows values;
  std::array<bool, 4> seen = {};
  int headerLine = 0;
  bool open = false;
  // Closes the current matrix: all four rows, all of one width.
  auto finish = [&]() -> bool {
    if (!open) return true;
    for (size_t b = 0; b < 4; ++b) {
      if (!seen[b]) {
        error = lines.expectedAt(headerLine, std::string("a row for base ") + "ACGT"[b] +
                                                 " in matrix " + shown(read.back().label()));
        return false;
      }
    }
    std::string what;
    if (!countsFromValues(values, parameters.sites, read.back(), what)) {
      error = lines.expectedAt(headerLine, what + " in matrix " + shown(read.back().label()));
      return false;
    }
    nameUnnamed(read.back(), motifs.size() + read.size() - 1);
    open = false;
    return true;
  };

  std::string line;
  while (lines.next(line)) {
    const std::string_view text = trim(line);
    if (text.empty()) continue;
    if (text.front() == '>') {
      if (!finish()) return false;
      const std::string_view header = trim(text.substr(1));
      size_t split = 0;
      while (split < header.size() && !isBlank(header[split])) ++split;
      CountMotif motif;
      motif.id = std::string(header.substr(0, split));
      motif.name = std::string(trim(header.substr(split)));
      read.push_back(std::move(motif));
      values = ValueRows{};
      seen = {};
      headerLine = lines.number();
      open = true;
      continue;
    }
    if (!open) return fail(error, lines.expected("a header line beginning with '>'"));
    const int row = baseRow(text.front());
    if (row < 0 || (text.size() > 1 && !isBlank(text[1]) && text[1] != '[')) {
      return fail(error, lines.expected("a count row beginning with A, C, G or T"));
    }
    if (seen[static_cast<size_t>(row)]) {
      return fail(error, lines.expected(std::string("one row for base ") + "ACGT"[row]));
    }
    std::string_view counts = trim(text.substr(1));
    if (!counts.empty() && counts.front() == '[') {
      if (counts.back() != ']') return fail(error, lines.expected("a ']' closing the counts"));
      counts = counts.substr(1, counts.size() - 2);
    }
    const auto words = splitBlanks(counts);
    std::vector<double>& target = values[static_cast<size_t>(row)];
    int bad = numbersOf(words, 0, target);
    if (bad >= 0) return fail(error, lines.expected("a count, not " + shown(words[bad])));
    bad = badCount(target);
    if (bad >= 0) return fail(error, lines.expected(countExpected(words[bad])));
    for (size_t b = 0; b < 4; ++b) {
      if (seen[b] && values[b].size() != target.size()) {
        return fail(error, lines.expected(std::to_string(values[b].size()) + " counts, not " +
                                          std::to_string(target.size())));
      }
    }
    seen[static_cast<size_t>(row)] = true;
  }
  if (lines.failed()) return fail(error, lines.tooLong());
  if (!finish()) return false;
  if (read.empty()) return fail(error, lines.expectedAt(1, "a header line beginning with '>'"));
  for (auto& motif : read) motifs.push_back(std::move(motif));
  return true;
}

bool readPfm(std::istream& in, std::string_view fileName, std::string_view stem,
             const ReadParameters& parameters, std::vector<CountMotif>& motifs,
             std::string& error) {
  NumberedLines lines(in, fileName);
  std::vector<std::vector<double>> rows;
  std::vector<int> rowBase;  // base letter in front of a row, -1 when none
  std::vector<int> rowLine;
  std::string line;
  std::vector<double> numbers;
  while (lines.next(line)) {
    const auto words = splitBlanks(line);
    if (words.empty()) continue;
    size_t first = 0;
    int base = -1;
    if (words[0].size() == 1 && baseRow(words[0][0]) >= 0) {
      base = baseRow(words[0][0]);
      first = 1;
    }
    int bad = numbersOf(words, first, numbers);
    if (bad >= 0) return fail(error, lines.expected("a count, not " + shown(words[bad])));
    bad = badCount(numbers);
    if (bad >= 0) return fail(error, lines.expected(countExpected(words[first + bad])));
    rows.push_back(numbers);
    rowBase.push_back(base);
    rowLine.push_back(lines.number());
  }
  if (lines.failed()) return fail(error, lines.tooLong());
  ValueRows values;
  const bool asRows = rows.size() == 4 && rows[0].size() == rows[1].size() &&
                      rows[0].size() == rows[2].size() && rows[0].size() == rows[3].size() &&
                      !rows[0].empty();
  if (asRows) {
    for (size_t r = 0; r < 4; ++r) {
      const size_t b = rowBase[r] >= 0 ? static_cast<size_t>(rowBase[r]) : r;
      if (!values[b].empty()) {
        return fail(error,
                    lines.expectedAt(rowLine[r], std::string("one row for base ") + "ACGT"[b]));
      }
      values[b] = rows[r];
    }
  } else {
    if (rows.empty()) return fail(error, lines.expectedAt(1, "four rows of counts"));
    for (size_t r = 0; r < rows.size(); ++r) {
      if (rows[r].size() != 4 || rowBase[r] >= 0) {
        return fail(error, lines.expectedAt(rowLine[r],
                                            "four rows of counts, or lines of four "
                                            "counts (A C G T)"));
      }
      for (size_t b = 0; b < 4; ++b) values[b].push_back(rows[r][b]);
    }
  }
  CountMotif motif;
  motif.id = std::string(stem);
  std::string what;
  if (!countsFromValues(values, parameters.sites, motif, what)) {
    return fail(error, lines.expectedAt(rowLine[0], what));
  }
  nameUnnamed(motif, motifs.size());
  motifs.push_back(std::move(motif));
  return true;
}

bool readMeme(std::istream& in, std::string_view fileName, const ReadParameters& parameters,
              std::vector<CountMotif>& motifs, std::string& error) {
  NumberedLines lines(in, fileName);
  std::vector<CountMotif> read;
  bool awaitingMatrix = false;
  int motifLine = 0;
  std::string line;
  std::vector<double> numbers;
  while (lines.next(line)) {
    const std::string_view text = trim(line);
    if (text.starts_with("ALPHABET")) {
      std::string_view alphabet = trim(text.substr(8));
      if (!alphabet.empty() && alphabet.front() == '=') alphabet = trim(alphabet.substr(1));
      if (alphabet != "ACGT") return fail(error, lines.expected("the alphabet ACGT"));
      continue;
    }
    if (text.starts_with("MOTIF") && (text.size() == 5 || isBlank(text[5]))) {
      if (awaitingMatrix) {
        return fail(error, lines.expectedAt(motifLine, "a letter-probability matrix for motif " +
                                                           shown(read.back().label())));
      }
      const auto words = splitBlanks(text);
      if (words.size() < 2) return fail(error, lines.expected("a motif identifier after MOTIF"));
      CountMotif motif;
      motif.id = std::string(words[1]);
      if (words.size() > 2) {
        const std::string_view rest = trim(text.substr(words[2].data() - text.data()));
        motif.name = std::string(rest);
      }
      read.push_back(std::move(motif));
      awaitingMatrix = true;
      motifLine = lines.number();
      continue;
    }
    if (!text.starts_with("letter-probability matrix")) continue;
    if (!awaitingMatrix) return fail(error, lines.expected("a MOTIF line before the matrix"));
    // "alength= 4 w= 12 nsites= 20 E= 0": the values after w= and nsites=.
    const auto words = splitBlanks(text);
    int64_t width = -1;
    int64_t sites = parameters.sites;
    for (size_t i = 0; i + 1 < words.size(); ++i) {
      int64_t value = 0;
      if (words[i] == "alength=" && (!parseInteger(words[i + 1], value) || value != 4)) {
        return fail(error, lines.expected("alength= 4"));
      }
      if (words[i] == "w=") {
        if (!parseInteger(words[i + 1], width) || width < 0) {
          return fail(error, lines.expected("a width after w="));
        }
      }
      if (words[i] == "nsites=") {
        double n = 0;
        if (!parseNumber(words[i + 1], n) || n < 0 || n > static_cast<double>(kMaxCount)) {
          return fail(error, lines.expected("a site count after nsites="));
        }
        if (std::llround(n) > 0) sites = std::llround(n);
      }
    }
    ValueRows values;
    for (int64_t row = 0; width < 0 || row < width; ++row) {
      if (!lines.next(line)) {
        if (lines.failed()) return fail(error, lines.tooLong());
        if (width < 0) break;
        return fail(error, lines.expectedAt(lines.number() + 1, rowOf(row, width)));
      }
      const auto cells = splitBlanks(line);
      if (width < 0 && (cells.size() != 4 || numbersOf(cells, 0, numbers) >= 0)) break;
      if (cells.size() != 4) return fail(error, lines.expected(rowOf(row, width)));
      const int bad = numbersOf(cells, 0, numbers);
      if (bad >= 0) return fail(error, lines.expected("a probability, not " + shown(cells[bad])));
      for (size_t b = 0; b < 4; ++b) values[b].push_back(numbers[b]);
    }
    if (!countsFromProbabilities(values, sites, read.back())) {
      return fail(error, lines.expected("probabilities from 0 to 1"));
    }
    nameUnnamed(read.back(), motifs.size() + read.size() - 1);
    awaitingMatrix = false;
  }
  if (lines.failed()) return fail(error, lines.tooLong());
  if (awaitingMatrix) {
    return fail(error, lines.expectedAt(motifLine, "a letter-probability matrix for motif " +
                                                       shown(read.back().label())));
  }
  if (read.empty()) return fail(error, lines.expectedAt(1, "a MOTIF line"));
  for (auto& motif : read) motifs.push_back(std::move(motif));
  return true;
}

bool readTransfac(std::istream& in, std::string_view fileName, const ReadParameters& parameters,
                  std::vector<CountMotif>& motifs, std::string& error) {
  NumberedLines lines(in, fileName);
  std::vector<CountMotif> read;
  std::string accession, identifier, name;
  ValueRows values;
  std::array<int, 4> columnOf = {};  // column of A, C, G, T in the P0 line
  bool haveMatrix = false;
  bool inMatrix = false;
  bool anyField = false;
  int startLine = 0;
  auto finish = [&]() -> bool {
    if (!anyField) return true;
    if (!haveMatrix) {
      error = lines.expectedAt(startLine, "a P0 matrix in this entry");
      return false;
    }
    CountMotif motif;
    motif.id = !accession.empty() ? accession : identifier;
    motif.name = !name.empty() ? name : (!accession.empty() ? identifier : std::string());
    std::string what;
    if (!countsFromValues(values, parameters.sites, motif, what)) {
      error = lines.expectedAt(startLine, what);
      return false;
    }
    nameUnnamed(motif, motifs.size() + read.size());
    read.push_back(std::move(motif));
    accession.clear();
    identifier.clear();
    name.clear();
    values = ValueRows{};
    haveMatrix = inMatrix = anyField = false;
    return true;
  };

  std::string line;
  std::vector<double> numbers;
  while (lines.next(line)) {
    const std::string_view text = trim(line);
    if (text.empty()) continue;
    const auto words = splitBlanks(text);
    const std::string_view key = words[0];
    const std::string_view value = trim(text.substr(key.size()));
    int64_t position = 0;
    if (inMatrix && parseInteger(key, position)) {
      if (position != static_cast<int64_t>(values[0].size()) + 1) {
        return fail(error, lines.expected("matrix row " + std::to_string(values[0].size() + 1)));
      }
      if (words.size() < 5) return fail(error, lines.expected("four counts after the row number"));
      for (size_t b = 0; b < 4; ++b) {
        const std::string_view cell = words[1 + static_cast<size_t>(columnOf[b])];
        double v = 0;
        if (!parseNumber(cell, v))
          return fail(error, lines.expected("a count, not " + shown(cell)));
        if (v < 0 || v > static_cast<double>(kMaxCount)) {
          return fail(error, lines.expected(countExpected(cell)));
        }
        values[b].push_back(v);
      }
      continue;
    }
    inMatrix = false;
    if (key == "//") {
      if (!finish()) return false;
      continue;
    }
    // Only the fields of a motif open an entry; a file header (VV, XX) does not.
    const bool motifField = key == "AC" || key == "ID" || key == "NA" || key == "P0" || key == "PO";
    if (!motifField) continue;
    if (!anyField) startLine = lines.number();
    anyField = true;
    if (key == "AC") {
      accession = std::string(value);
    } else if (key == "ID") {
      identifier = std::string(value);
    } else if (key == "NA") {
      name = std::string(value);
    } else if (key == "P0" || key == "PO") {
      if (haveMatrix) return fail(error, lines.expected("one matrix before '//'"));
      columnOf = {-1, -1, -1, -1};
      for (size_t i = 1; i < words.size() && i <= 4; ++i) {
        const int b = words[i].size() == 1 ? baseRow(words[i][0]) : -1;
        if (b >= 0) columnOf[static_cast<size_t>(b)] = static_cast<int>(i - 1);
      }
      if (std::find(columnOf.begin(), columnOf.end(), -1) != columnOf.end()) {
        return fail(error, lines.expected("the four bases A, C, G, T after P0"));
      }
      haveMatrix = inMatrix = true;
    }
  }
  if (lines.failed()) return fail(error, lines.tooLong());
  if (!finish()) return false;
  if (read.empty()) return fail(error, lines.expectedAt(1, "a TRANSFAC entry with a P0 matrix"));
  for (auto& motif : read) motifs.push_back(std::move(motif));
  return true;
}

bool readHomer(std::istream& in, std::string_view fileName, const ReadParameters& parameters,
               std::vector<CountMotif>& motifs, std::string& error) {
  NumberedLines lines(in, fileName);
  std::vector<CountMotif> read;
  ValueRows values;
  int headerLine = 0;
  auto finish = [&]() -> bool {
    if (read.empty()) return true;
    if (values[0].empty()) {
      error = lines.expectedAt(headerLine, "rows of four probabilities after the header");
      return false;
    }
    countsFromProbabilities(values, parameters.sites, read.back());
    nameUnnamed(read.back(), motifs.size() + read.size() - 1);
    values = ValueRows{};
    return true;
  };
  std::string line;
  std::vector<double> numbers;
  while (lines.next(line)) {
    const std::string_view text = trim(line);
    if (text.empty()) continue;
    if (text.front() == '>') {
      if (!finish()) return false;
      // ">consensus<TAB>name<TAB>score...": the name is the second field.
      const std::string_view header = text.substr(1);
      const size_t tab = header.find('\t');
      CountMotif motif;
      if (tab == std::string_view::npos) {
        motif.name = std::string(trim(header));
      } else {
        const std::string_view rest = header.substr(tab + 1);
        motif.name = std::string(trim(rest.substr(0, rest.find('\t'))));
        if (motif.name.empty()) motif.name = std::string(trim(header.substr(0, tab)));
      }
      read.push_back(std::move(motif));
      headerLine = lines.number();
      continue;
    }
    if (read.empty()) return fail(error, lines.expected("a header line beginning with '>'"));
    const auto cells = splitBlanks(text);
    if (cells.size() != 4) return fail(error, lines.expected("four probabilities (A C G T)"));
    const int bad = numbersOf(cells, 0, numbers);
    if (bad >= 0) return fail(error, lines.expected("a probability, not " + shown(cells[bad])));
    for (double v : numbers) {
      if (v < 0 || v > 1.0 + 1e-6) return fail(error, lines.expected("probabilities from 0 to 1"));
    }
    for (size_t b = 0; b < 4; ++b) values[b].push_back(numbers[b]);
  }
  if (lines.failed()) return fail(error, lines.tooLong());
  if (!finish()) return false;
  if (read.empty()) return fail(error, lines.expectedAt(1, "a header line beginning with '>'"));
  for (auto& motif : read) motifs.push_back(std::move(motif));
  return true;
}

bool readAce(std::istream& in, std::string_view fileName, std::string_view stem,
             std::vector<CountMotif>& motifs, std::string& error) {
  NumberedLines lines(in, fileName);
  CountMotif motif;
  motif.name = std::string(stem.substr(0, stem.find('.')));
  std::string line;
  if (lines.next(line)) {
    bool first = true;
    while (lines.next(line)) {
      if (line.find('*') != std::string::npos) break;
      if (first) {
        for (auto& row : motif.counts) row.assign(line.size(), 0);
        first = false;
      } else if (line.size() != static_cast<size_t>(motif.width())) {
        return fail(error, lines.expected("a site of " + std::to_string(motif.width()) +
                                          " characters like the first"));
      }
      for (size_t i = 0; i < line.size(); ++i) {
        const LetterCode mask = symbolMask(line[i]);
        if (mask & 8) ++motif.counts[0][i];
        if (mask & 2) ++motif.counts[1][i];
        if (mask & 4) ++motif.counts[2][i];
        if (mask & 1) ++motif.counts[3][i];
      }
      ++motif.sites;
    }
  }
  if (lines.failed()) return fail(error, lines.tooLong());
  nameUnnamed(motif, motifs.size());
  motifs.push_back(std::move(motif));
  return true;
}

namespace {

std::vector<std::string> folderFiles(const std::string& folder, std::string_view suffix) {
  std::vector<std::string> names;
  std::error_code ec;
  std::filesystem::directory_iterator it(folder, ec);
  if (ec) return names;
  for (; it != std::filesystem::directory_iterator(); it.increment(ec)) {
    if (ec) break;
    const std::string name = it->path().filename().string();
    std::error_code typeError;
    if (name.size() > suffix.size() && name.ends_with(suffix) && it->is_regular_file(typeError) &&
        !typeError) {
      names.push_back(name);
    }
  }
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace

bool readMotifFolder(const std::string& folder, MotifFormat format,
                     const ReadParameters& parameters, std::vector<CountMotif>& motifs,
                     std::string& error) {
  const std::string_view suffix = format == MotifFormat::Ace ? ".ace" : ".pfm";
  const std::vector<std::string> names = folderFiles(folder, suffix);
  if (names.empty()) {
    return fail(error, folder + ": expected a folder of " + std::string(suffix) + " files");
  }
  std::vector<CountMotif> read;
  for (const std::string& name : names) {
    const std::string path = folder + "/" + name;
    std::ifstream in(path, std::ios::binary);
    if (!in.is_open()) return fail(error, path + ": expected a readable file");
    const bool ok = format == MotifFormat::Ace
                        ? readAce(in, path, name, read, error)
                        : readPfm(in, path, fileStem(name), parameters, read, error);
    if (!ok) return false;
  }
  for (auto& motif : read) motifs.push_back(std::move(motif));
  return true;
}

MotifFormat detectFolderFormat(const std::string& folder) {
  if (!folderFiles(folder, ".ace").empty()) return MotifFormat::Ace;
  if (!folderFiles(folder, ".pfm").empty()) return MotifFormat::Pfm;
  return MotifFormat::Unknown;
}

MotifFormat detectFileFormat(std::istream& in) {
  // The first non-empty lines (at most 40, each cut at 4096 characters) decide.
  std::vector<std::string> first;
  std::string piece;
  while (first.size() < 40 && readLinePiece(in, piece, 4096)) {
    if (!trim(piece).empty()) first.push_back(piece);
  }
  if (first.empty()) return MotifFormat::Unknown;
  const std::string_view head = trim(first[0]);
  const auto headWords = splitBlanks(head);
  if (head.starts_with("MEME version")) return MotifFormat::Meme;
  if (head.front() == '>') {
    if (first.size() < 2) return MotifFormat::Unknown;
    const auto words = splitBlanks(first[1]);
    double v = 0;
    if (baseRow(words[0][0]) >= 0 && (words[0].size() == 1 || words[0][1] == '[')) {
      return MotifFormat::Jaspar;
    }
    if (words.size() == 4 && parseNumber(words[0], v)) return MotifFormat::Homer;
    return MotifFormat::Unknown;
  }
  static constexpr std::array<std::string_view, 9> kTransfacKeys = {"AC", "ID", "NA", "XX", "VV",
                                                                    "P0", "PO", "DE", "//"};
  if (std::find(kTransfacKeys.begin(), kTransfacKeys.end(), headWords[0]) != kTransfacKeys.end()) {
    return MotifFormat::Transfac;
  }
  if (head.front() == '$' || head.front() == '#') return MotifFormat::Se;
  bool numeric = true;
  std::vector<double> numbers;
  for (const std::string& text : first) {
    const auto words = splitBlanks(text);
    const size_t from = words[0].size() == 1 && baseRow(words[0][0]) >= 0 ? 1 : 0;
    if (numbersOf(words, from, numbers) >= 0 || numbers.empty()) numeric = false;
  }
  if (numeric) return MotifFormat::Pfm;
  for (size_t i = 1; i < first.size(); ++i) {
    if (first[i].find('=') != std::string::npos) return MotifFormat::Noa;
  }
  for (const std::string& text : first) {
    const auto words = splitBlanks(text);
    if (words.size() >= 4 && (words[2].front() == '@' || words[2].front() == '%')) {
      return MotifFormat::Se;
    }
  }
  return MotifFormat::Unknown;
}

}  // namespace tav
