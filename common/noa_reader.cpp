#include "noa_reader.h"

#include <algorithm>

#include "capacities.h"
#include "line_reader.h"

namespace tav {

void stripBlanks(std::string& line) {
  line.erase(std::remove_if(line.begin(), line.end(), [](char c) { return c == ' ' || c == '\t'; }),
             line.end());
}

bool splitName(const std::string& line, std::string& name) {
  const size_t equals = line.find('=');
  if (equals == std::string::npos) {
    name.clear();
    return false;
  }
  name.assign(line, 0, equals);
  return true;
}

bool splitValue(const std::string& line, std::string& value) {
  value.clear();
  if (line.empty()) return false;
  // The '=' must stand before the last character, so the value is never empty.
  const size_t equals = line.find('=');
  if (equals == std::string::npos || equals + 1 >= line.size()) return false;
  value.assign(line, equals + 1, std::string::npos);
  return true;
}

void skipNoaHeader(std::istream& in) {
  std::string header;
  readLinePiece(in, header, kTableLinePiece);
}

bool nextNoaMotif(std::istream& in, std::string_view type, std::string& name) {
  std::string line;
  std::string value;
  while (readLinePiece(in, line, kTableLinePiece)) {
    stripBlanks(line);
    if (!splitName(line, name)) continue;
    if (!splitValue(line, value)) continue;
    if (value != type) continue;
    return true;
  }
  name.clear();
  return false;
}

NoaReadResult readNoaMotifs(std::istream& in, std::vector<MotifEntry>& entries, int start,
                            std::string_view type) {
  NoaReadResult result;
  result.next = start;
  skipNoaHeader(in);
  std::string name;
  while (nextNoaMotif(in, type, name)) {
    if (result.next >= kMaxMotifs) {
      result.tooMany = true;
      break;
    }
    MotifEntry entry;
    entry.text = name;
    const MotifStatus status =
        parseMotifMasks(entry.text, kShortMotifCapacity, symbolMask, entry.matrix.masks);
    if (status != MotifStatus::Ok) {
      result.status = status;
      result.badText = entry.text;
      break;
    }
    buildCounts(entry.matrix);
    if (static_cast<int>(entries.size()) <= result.next) entries.resize(result.next + 1);
    entries[result.next] = std::move(entry);
    ++result.next;
  }
  return result;
}

}  // namespace tav
