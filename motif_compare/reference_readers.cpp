#include "reference_readers.h"

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <limits>
#include <system_error>

#include "command_line.h"
#include "fasta.h"
#include "line_reader.h"

namespace tav {

namespace {

bool endsWithAce(const std::string& name) {
  constexpr std::string_view kSuffix = ".ace";
  return name.size() >= kSuffix.size() &&
         std::string_view(name).substr(name.size() - kSuffix.size()) == kSuffix;
}

// Makes every count row at least `width` cells long (new cells count 0).
void ensureWidth(MotifMatrix& matrix, int width) {
  for (auto& row : matrix.counts) {
    if (static_cast<int>(row.size()) < width) row.resize(width, 0);
  }
}

// Adds `times` to the cells of column `column` whose base the mask allows;
// counts saturate instead of wrapping around.
void addMask(MotifMatrix& matrix, int column, LetterCode mask, int64_t times) {
  for (int b = 0; b < 4; ++b) {
    if ((mask & (1u << b)) == 0) continue;
    int32_t& cell = matrix.counts[b][column];
    const int64_t sum = static_cast<int64_t>(cell) + times;
    cell = static_cast<int32_t>(std::min<int64_t>(sum, std::numeric_limits<int32_t>::max()));
  }
}

}  // namespace

std::vector<std::string> listAceFiles(const std::string& folder) {
  std::vector<std::string> names;
  std::error_code ec;
  std::filesystem::directory_iterator it(folder, ec);
  if (ec) return names;
  const std::filesystem::directory_iterator end;
  while (it != end) {
    const std::string name = it->path().filename().string();
    std::error_code typeError;
    if (endsWithAce(name) && it->is_regular_file(typeError) && !typeError) names.push_back(name);
    it.increment(ec);
    if (ec) break;
  }
  std::sort(names.begin(), names.end());
  return names;
}

int readAceFolder(const std::string& folder, std::vector<MotifMatrix>& references, bool* tooMany,
                  int capacity) {
  if (tooMany != nullptr) *tooMany = false;
  std::vector<std::string> names = listAceFiles(folder);
  if (static_cast<int>(names.size()) > capacity) {
    if (tooMany != nullptr) *tooMany = true;
    names.resize(std::max(capacity, 0));
  }
  references.clear();
  references.resize(names.size());
  for (size_t i = 0; i < names.size(); ++i) {
    std::ifstream in(folder + "/" + names[i], std::ios::binary);
    // A listed file that cannot be read still counts, as a matrix without sites.
    readAceFile(in, references[i], names[i]);
  }
  return static_cast<int>(names.size());
}

void readAceFile(std::istream& in, MotifMatrix& slot, std::string_view entryName) {
  slot = MotifMatrix{};
  slot.closestName = std::string(entryName.substr(0, entryName.find('.')));
  std::string line;
  if (!readLinePiece(in, line, kTableLinePiece)) return;  // title
  while (readLinePiece(in, line, kTableLinePiece)) {
    if (line.find('*') != std::string::npos) break;
    const int width = static_cast<int>(line.size());
    slot.length = width;
    slot.columns = width;
    ensureWidth(slot, width);
    for (int i = 0; i < width; ++i) addMask(slot, i, symbolMask(line[i]), 1);
  }
}

int readJasparFile(std::istream& in, std::vector<MotifMatrix>& references, int count,
                   bool* tooMany, int capacity) {
  if (tooMany != nullptr) *tooMany = false;
  references.resize(std::max(count, 0));
  MotifMatrix* current = nullptr;
  std::string line;
  while (readLinePiece(in, line, kTableLinePiece)) {
    if (!line.empty() && line[0] == '>') {
      if (count >= capacity) {
        if (tooMany != nullptr) *tooMany = true;
        break;
      }
      references.emplace_back();
      current = &references.back();
      const size_t blank = line.find(' ');
      if (blank != std::string::npos) current->closestName = line.substr(blank + 1);
      ++count;
      continue;
    }
    const size_t open = line.find('[');
    if (current == nullptr || open == std::string::npos) continue;
    const size_t close = line.find(']', open + 1);
    const std::string_view inside =
        std::string_view(line).substr(open + 1, close == std::string::npos ? std::string::npos
                                                                           : close - open - 1);
    // Counts are separated by blanks only: a tab stays inside a count, whose
    // value is then read from its leading digits.
    std::vector<int32_t> values;
    size_t pos = 0;
    while (pos < inside.size()) {
      if (inside[pos] == ' ') {
        ++pos;
        continue;
      }
      size_t end = inside.find(' ', pos);
      if (end == std::string_view::npos) end = inside.size();
      values.push_back(parseLeadingInteger(inside.substr(pos, end - pos)));
      pos = end;
    }
    const int width = static_cast<int>(values.size());
    current->length = width;
    current->columns = width;
    ensureWidth(*current, width);
    const LetterCode mask = symbolMask(line[0]);
    for (int i = 0; i < width; ++i) {
      if (values[i] > 0) addMask(*current, i, mask, values[i]);
    }
  }
  return count;
}

}  // namespace tav
