#include "network_output.h"

#include <algorithm>

#include "console.h"

namespace tav {

namespace {

bool hasTypeMark(std::string_view name) {
  return !name.empty() && (name[0] == '%' || name[0] == '@' || name[0] == '~');
}

const char* typeLabel(std::string_view name) {
  if (name.empty()) return "OTHER";
  switch (name[0]) {
    case '%':
      return "3'MOTIF";
    case '@':
      return "5'MOTIF";
    case '~':
      return "PMOTIF";
    default:
      return "OTHER";
  }
}

const std::string& nameOf(const std::vector<std::string>& seTable, int element) {
  static const std::string unknown;
  if (element < 0 || element >= static_cast<int>(seTable.size())) return unknown;
  return seTable[static_cast<size_t>(element)];
}

// "A (TavrinSE) B = " for an edge attribute line.
void writeEdgeKey(std::ostream& out, const std::vector<std::string>& seTable, const PairRecord& p) {
  writeName(out, nameOf(seTable, p.first));
  out << " (TavrinSE) ";
  writeName(out, nameOf(seTable, p.second));
  out << " = ";
}

}  // namespace

void writeName(std::ostream& out, std::string_view storedName) {
  out << (hasTypeMark(storedName) ? storedName.substr(1) : storedName);
}

bool elementInKeptPair(const std::vector<PairRecord>& pairs, int element) {
  return std::any_of(pairs.begin(), pairs.end(), [element](const PairRecord& p) {
    return !p.removed && (p.first == element || p.second == element);
  });
}

int writeNetwork(std::ostream& out, const std::vector<std::string>& seTable,
                 const std::vector<PairRecord>& pairs) {
  int written = 0;
  for (const PairRecord& p : pairs) {
    if (p.removed) continue;
    writeName(out, nameOf(seTable, p.first));
    out << " TavrinSE ";
    writeName(out, nameOf(seTable, p.second));
    out << '\n';
    ++written;
  }
  return written;
}

int writeElementTypes(std::ostream& out, const std::vector<std::string>& seTable, int elementCount,
                      const std::vector<PairRecord>& pairs) {
  out << "SequenceElementType (class=java.lang.String)\n";
  // One pass over the pairs instead of one per element.
  std::vector<bool> kept(static_cast<size_t>(std::max(elementCount, 0)), false);
  for (const PairRecord& p : pairs) {
    if (p.removed) continue;
    for (int e : {p.first, p.second}) {
      if (e >= 0 && e < elementCount) kept[static_cast<size_t>(e)] = true;
    }
  }
  int written = 0;
  for (int i = 0; i < elementCount; ++i) {
    if (!kept[static_cast<size_t>(i)]) continue;
    const std::string& name = nameOf(seTable, i);
    writeName(out, name);
    out << " = " << typeLabel(name) << '\n';
    ++written;
  }
  return written;
}

int writeScores(std::ostream& out, const std::vector<std::string>& seTable,
                const std::vector<PairRecord>& pairs) {
  out << "MI (class=Double)\n";
  int written = 0;
  for (const PairRecord& p : pairs) {
    if (p.removed) continue;
    writeEdgeKey(out, seTable, p);
    out << formatReal(p.score) << '\n';
    ++written;
  }
  return written;
}

int writeRobustness(std::ostream& out, const std::vector<std::string>& seTable,
                    const std::vector<PairRecord>& pairs, int trials) {
  out << "Robustness_per_" << trials << " (class=Integer)\n";
  int written = 0;
  for (const PairRecord& p : pairs) {
    if (p.removed) continue;
    writeEdgeKey(out, seTable, p);
    out << p.robustCount << '\n';
    ++written;
  }
  return written;
}

int writeZScores(std::ostream& out, const std::vector<std::string>& seTable,
                 const std::vector<PairRecord>& pairs) {
  out << "Z_score (class=Double)\n";
  int written = 0;
  for (const PairRecord& p : pairs) {
    if (p.removed) continue;
    writeEdgeKey(out, seTable, p);
    const SlotStats* stats = p.slotIfAny(0);
    out << formatReal(stats != nullptr ? stats->zScore : 0.0) << '\n';
    ++written;
  }
  return written;
}

}  // namespace tav
