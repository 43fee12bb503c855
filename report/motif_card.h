// What the report page shows for one motif of the network: its logo (from
// the real sites when sequences are given, otherwise from the motif text),
// where it occurs, its closest known matrix aligned to it, its conservation.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "logo.h"
#include "motif.h"
#include "records.h"
#include "report_data.h"

namespace tav {

// Everything a card may draw from; absent sources are null or empty.
struct MotifSources {
  const std::vector<SequenceRecord>* forward = nullptr;      // -fasta, given strand only
  const std::vector<SequenceRecord>* bothStrands = nullptr;  // the same with reverse codes
  const std::vector<GeneRecord>* genes = nullptr;            // -se associations
  const std::vector<std::string>* seTable = nullptr;
  const std::vector<MotifMatrix>* references = nullptr;   // -reffolder, then -reffile
  const std::vector<ClosestMatchRow>* closest = nullptr;  // Simvale report (or computed)
  const std::vector<NamedValue>* conservation = nullptr;
};

struct MotifCard {
  std::string name;  // as in the node file
  std::string type;
  bool valid = true;  // false when the text is not a motif (no logo)
  std::vector<LogoColumn> logo;
  bool logoFromSites = false;
  // Count rows T, C, G, A: the sites' bases, or one per allowed base when
  // there are no sites (nucleotide motifs only).
  std::array<std::vector<int32_t>, 4> counts;
  int32_t sites = -1;      // -1: no sequences given
  int32_t sequences = -1;  // records with a site
  int32_t genes = -1;      // -1: no SE file given
  bool hasClosest = false;
  std::string closestName;
  std::string closestScore;
  // The closest matrix's logo in the motif's own orientation (reverse
  // complemented when the best alignment was on the other strand), starting
  // at column `closestStart` of the motif (negative: before its first column).
  bool closestMatrixFound = false;
  std::vector<LogoColumn> closestLogo;
  int closestStart = 0;
  bool closestReverse = false;
  bool hasConservation = false;
  std::string conservation;
};

bool isMotifType(const std::string& type);

// The SE element name of a node: its type mark and the written name.
std::string markedName(const ReportElement& element);

MotifCard describeMotif(const ReportElement& element, const MotifSources& sources);

}  // namespace tav
