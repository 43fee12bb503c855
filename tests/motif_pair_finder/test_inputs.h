// Small random inputs for the motif pair finder tests, and the plain
// computations (presence by the window-by-window rule, scores by
// pairMutualInformation) that the fast paths must reproduce exactly.
#pragma once

#include <random>
#include <string>
#include <vector>

#include "fasta.h"
#include "interactions.h"
#include "motif.h"
#include "motif_model.h"
#include "records.h"

namespace tav::testing {

// Records of the given letters (N as code 15); reverse codes in strand
// mode; indexed for the fast occurrence test.
inline std::vector<SequenceRecord> recordsOf(const std::vector<std::string>& sequences,
                                             bool strandMode) {
  std::vector<SequenceRecord> records;
  for (size_t i = 0; i < sequences.size(); ++i) {
    SequenceRecord r;
    r.name = std::to_string(i + 1);
    r.name.insert(r.name.begin(), 'g');
    for (char c : sequences[i]) r.codes.push_back(c == 'N' ? LetterCode{15} : symbolMask(c));
    r.length = static_cast<int32_t>(r.codes.size());
    records.push_back(std::move(r));
  }
  if (strandMode) buildReverseComplements(records);
  indexSequences(records, SequenceAlphabet::MotifFinderNucleotide);
  return records;
}

// Random records of T, C, G, A and, at rate nRate, N.
inline std::vector<SequenceRecord> randomRecords(std::mt19937& rng, int count, int minLength,
                                                 int maxLength, double nRate, bool strandMode) {
  std::uniform_int_distribution<int> length(minLength, maxLength);
  std::uniform_int_distribution<int> letter(0, 3);
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  std::vector<std::string> sequences(static_cast<size_t>(count));
  for (std::string& text : sequences) {
    for (int p = length(rng); p > 0; --p) text += unit(rng) < nRate ? 'N' : "TCGA"[letter(rng)];
  }
  return recordsOf(sequences, strandMode);
}

// `edges` random pairs over `count` records; repeated pairs and self-pairs
// appear as after a shuffle of the interactions.
inline std::vector<InteractionPair> randomList(std::mt19937& rng, int count, int edges) {
  std::uniform_int_distribution<int32_t> node(0, count - 1);
  std::vector<InteractionPair> list;
  for (int e = 0; e < edges; ++e) list.push_back(InteractionPair{node(rng), node(rng)});
  return list;
}

// Interaction rows of `records` made equal to the list (for the stages that
// build their own list from the rows).
inline void connectRecords(std::vector<SequenceRecord>& records,
                           const std::vector<InteractionPair>& list) {
  rebuildInteractionRows(records, static_cast<int>(records.size()), list,
                         static_cast<int>(list.size()));
}

inline MaskMotif motifOf(const std::string& text) {
  MaskMotif motif;
  parseMotifMasks(text, 100, symbolMask, motif.sets);
  return motif;
}

}  // namespace tav::testing
