// The one switch between the nucleotide and the protein conservation scorer:
// which letter code reads sequences and motifs, how many letters a decoy
// position is shuffled over, and the program's name.
#pragma once

#include <string_view>

#include "fasta.h"
#include "motif.h"

namespace tav {

enum class ConservationAlphabet { Nucleotide, Protein };

// Letters a position code is shuffled over: 4 (T, C, G, A) or 20 amino acids.
inline int alphabetSize(ConservationAlphabet alphabet) {
  return alphabet == ConservationAlphabet::Nucleotide ? 4 : 20;
}

// Letter code of sequence letters and motif symbols.
inline MaskFunction alphabetMask(ConservationAlphabet alphabet) {
  return alphabet == ConservationAlphabet::Nucleotide ? &symbolMask : &proteinSymbolMask;
}

inline SequenceAlphabet sequenceAlphabet(ConservationAlphabet alphabet) {
  return alphabet == ConservationAlphabet::Nucleotide ? SequenceAlphabet::Nucleotide
                                                      : SequenceAlphabet::Protein;
}

inline std::string_view programName(ConservationAlphabet alphabet) {
  return alphabet == ConservationAlphabet::Nucleotide ? "VantorN" : "VantorP";
}

}  // namespace tav
