#include "se_file.h"

#include <unordered_map>

#include "capacities.h"
#include "console.h"
#include "line_reader.h"

namespace tav {

namespace {

// Skips white space and takes one character; false at the end of the stream.
bool readStatusCharacter(std::istream& in, char& status) {
  if (in.rdbuf() == nullptr || !in.good()) return false;
  for (;;) {
    const int c = takeChar(in);
    if (c == std::char_traits<char>::eof()) return false;
    if (c != ' ' && c != '\t' && c != '\n' && c != '\r' && c != '\f' && c != '\v') {
      status = static_cast<char>(c);
      return true;
    }
  }
}

bool tooLong(const std::string& field) { return field.size() > static_cast<size_t>(kMaxWord); }

}  // namespace

int readSeFile(std::istream& in, std::vector<GeneRecord>& genes, int n,
               std::vector<std::string>& seTable, const std::string& methodFilter) {
  n = std::min(n, static_cast<int>(genes.size()));
  // First index of each name, so look-ups answer like a scan in table order.
  std::unordered_map<std::string, int> geneIndex;
  geneIndex.reserve(static_cast<size_t>(n));
  for (int i = 0; i < n; ++i) geneIndex.emplace(genes[static_cast<size_t>(i)].name, i);
  std::unordered_map<std::string, int> elementIndex;
  for (size_t i = 0; i < seTable.size(); ++i) elementIndex.emplace(seTable[i], static_cast<int>(i));

  std::string gene;
  std::string method;
  std::string element;
  char status = 0;
  while (readWord(in, gene, kMaxWord)) {
    if (gene[0] == '$' || gene[0] == '#') {
      skipRestOfLine(in);
      continue;
    }
    auto g = tooLong(gene) ? geneIndex.end() : geneIndex.find(gene);
    if (g == geneIndex.end()) {
      skipRestOfLine(in);
      continue;
    }
    // A line cut short by the end of the file makes no association.
    if (!readWord(in, method, kMaxWord)) break;
    if (tooLong(method)) return kSeFieldTooLong;
    if (!readWord(in, element, kMaxWord)) break;
    if (tooLong(element)) return kSeFieldTooLong;
    // Only the first character of the status counts; the rest of its word is
    // left to be read as the next first field.
    if (!readStatusCharacter(in, status)) break;
    if (!methodFilter.empty() && method != methodFilter) continue;
    if (status != 'T') continue;
    auto e = elementIndex.find(element);
    int index = 0;
    if (e != elementIndex.end()) {
      index = e->second;
    } else {
      if (static_cast<int>(seTable.size()) >= kMaxElements) return kSeTooManyElements;
      index = static_cast<int>(seTable.size());
      seTable.push_back(element);
      elementIndex.emplace(element, index);
    }
    genes[static_cast<size_t>(g->second)].setElement(index);
  }
  return static_cast<int>(seTable.size());
}

std::string seReadErrorMessage(int code, std::string_view fileName) {
  std::string message;
  if (code == kSeTooManyElements) {
    message.append("ERROR: ").append(fileName).append(" contains more than ");
    message.append(std::to_string(kMaxElements)).append(" sequence elements. Program aborted.");
  } else if (code == kSeFieldTooLong) {
    message.append("ERROR: ").append(fileName).append(" contains a field longer than ");
    message.append(std::to_string(kMaxWord)).append(" characters. Program aborted.");
  }
  return message;
}

void writeSeFile(std::ostream& out, const std::vector<SeOutputPair>& pairs,
                 const std::vector<SequenceRecord>& records, bool strandMode) {
  const char mark = strandMode ? '@' : '%';
  out << "$\tMOTIF1\tMOTIF2\t\tMI\n";
  for (const SeOutputPair& pair : pairs) {
    out << "#\t" << pair.first << '\t' << pair.second << "\t\t"
        << formatReal(pair.mutualInformation) << '\n';
  }
  out << "$Gene\tMethod\tMotif\tStatus\n";
  auto present = [](const std::vector<uint8_t>& flags, size_t i) {
    return i < flags.size() && flags[i] != 0;
  };
  for (const SeOutputPair& pair : pairs) {
    for (size_t i = 0; i < records.size(); ++i) {
      if (present(pair.firstPresent, i)) {
        out << records[i].name << "\tTavrinSE_N\t" << mark << pair.first << "\tT\n";
      }
      if (present(pair.secondPresent, i)) {
        out << records[i].name << "\tTavrinSE_N\t" << mark << pair.second << "\tT\n";
      }
    }
  }
}

}  // namespace tav
