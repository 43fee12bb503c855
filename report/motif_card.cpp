#include "motif_card.h"

#include <algorithm>

#include "capacities.h"
#include "fasta.h"
#include "motif_sites.h"
#include "noa_reader.h"
#include "similarity.h"

namespace tav {

namespace {

bool isNucleotideType(const std::string& type) { return type == "5'MOTIF" || type == "3'MOTIF"; }

std::array<std::vector<int32_t>, 4> countsFromMasks(const std::vector<LetterCode>& masks) {
  std::array<std::vector<int32_t>, 4> counts;
  for (size_t b = 0; b < 4; ++b) {
    counts[b].resize(masks.size());
    for (size_t i = 0; i < masks.size(); ++i) counts[b][i] = (masks[i] >> b) & 1U;
  }
  return counts;
}

// Column i becomes column L-1-i with bases complemented (T<->A, C<->G).
std::array<std::vector<int32_t>, 4> reverseComplementCounts(const MotifMatrix& matrix) {
  const size_t width = static_cast<size_t>(std::max(matrix.columns, 0));
  std::array<std::vector<int32_t>, 4> out;
  for (size_t b = 0; b < 4; ++b) {
    out[b].assign(width, 0);
    const std::vector<int32_t>& row = matrix.counts[3 - b];
    for (size_t i = 0; i < width; ++i) {
      if (i < row.size()) out[b][width - 1 - i] = row[i];
    }
  }
  return out;
}

void addClosestMatrix(const std::vector<LetterCode>& masks, const MotifSources& sources,
                      MotifCard& card) {
  if (sources.references == nullptr || !isNucleotideType(card.type)) return;
  const auto& references = *sources.references;
  const auto reference =
      std::find_if(references.begin(), references.end(),
                   [&](const MotifMatrix& m) { return m.closestName == card.closestName; });
  if (reference == references.end()) return;
  // The query as Simvale scores it: counts from the motif text.
  MotifMatrix query;
  query.masks = masks;
  query.length = static_cast<int32_t>(masks.size());
  buildCounts(query);
  const Alignment alignment = simvaleAlignment(query, *reference, card.type == "5'MOTIF");
  card.closestMatrixFound = true;
  card.closestReverse = alignment.reverse;
  if (alignment.reverse) {
    // Turned around, the reference faces the motif's own strand: motif column
    // i meets turned column i + (L2 - L1 - offset).
    card.closestLogo = logoFromCounts(reverseComplementCounts(*reference));
    card.closestStart = -(reference->columns - query.columns - alignment.offset);
  } else {
    card.closestLogo = logoFromCounts(reference->counts);
    card.closestStart = -alignment.offset;
  }
}

}  // namespace

bool isMotifType(const std::string& type) { return isNucleotideType(type) || type == "PMOTIF"; }

std::string markedName(const ReportElement& element) {
  if (element.type == "5'MOTIF") return "@" + element.name;
  if (element.type == "3'MOTIF") return "%" + element.name;
  if (element.type == "PMOTIF") return "~" + element.name;
  return element.name;
}

MotifCard describeMotif(const ReportElement& element, const MotifSources& sources) {
  MotifCard card;
  card.name = element.name;
  card.type = element.type;
  const bool nucleotide = isNucleotideType(element.type);
  // Simvale and the conservation scorers read motif texts with blanks removed.
  std::string text = element.name;
  stripBlanks(text);
  std::vector<LetterCode> masks;
  card.valid =
      parseMotifMasks(text, kShortMotifCapacity, nucleotide ? symbolMask : proteinSymbolMask,
                      masks) == MotifStatus::Ok &&
      !masks.empty() &&
      std::none_of(masks.begin(), masks.end(), [](LetterCode m) { return m == 0; });

  if (card.valid) {
    card.logo = logoFromMasks(masks, nucleotide ? kNucleotideLetters : kProteinLetters);
    if (nucleotide) card.counts = countsFromMasks(masks);
  }
  const auto* records = element.type == "5'MOTIF" ? sources.bothStrands : sources.forward;
  if (nucleotide && records != nullptr) {
    card.sites = 0;
    card.sequences = 0;
    if (card.valid) {
      SiteCounts sites = countMotifSites(masks, *records);
      card.sites = sites.sites;
      card.sequences = sites.sequences;
      if (sites.sites > 0) {
        card.counts = sites.counts;
        card.logo = logoFromCounts(sites.counts);
        card.logoFromSites = true;
      }
    }
  }
  if (sources.genes != nullptr && sources.seTable != nullptr) {
    const auto& table = *sources.seTable;
    const auto found = std::find(table.begin(), table.end(), markedName(element));
    card.genes = 0;
    if (found != table.end()) {
      const auto index = static_cast<int32_t>(found - table.begin());
      card.genes = static_cast<int32_t>(
          std::count_if(sources.genes->begin(), sources.genes->end(),
                        [&](const GeneRecord& gene) { return gene.hasElement(index); }));
    }
  }
  if (sources.closest != nullptr) {
    for (const ClosestMatchRow& row : *sources.closest) {
      if (row.motif != text) continue;
      if (!row.score.empty()) {
        card.hasClosest = true;
        card.closestName = row.match;
        card.closestScore = row.score;
        if (card.valid) addClosestMatrix(masks, sources, card);
      }
      break;
    }
  }
  if (sources.conservation != nullptr) {
    for (const NamedValue& value : *sources.conservation) {
      if (value.name == element.name || value.name == text) {
        card.hasConservation = true;
        card.conservation = value.value;
        break;
      }
    }
  }
  return card;
}

}  // namespace tav
