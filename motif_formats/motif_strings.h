// The suite's own motifs as count matrices: motif strings from a node
// attribute file (the lines of one type) or an SE file (the elements whose
// type mark fits the type), each turned into counts either from the string
// itself or from its real sites in a set of sequences.
#pragma once

#include <istream>
#include <string>
#include <string_view>
#include <vector>

#include "motif_collection.h"
#include "records.h"

namespace tav {

struct MotifString {
  std::string text;               // the motif as written, without type mark
  std::vector<LetterCode> masks;  // one per position
};

// Node attribute file: the header line is skipped; every "motif = TYPE" line
// of the requested type gives one motif string. False with "file:line:
// expected ..." in `error` for a malformed motif string.
bool readNoaStrings(std::istream& in, std::string_view fileName, std::string_view type,
                    std::vector<MotifString>& strings, std::string& error);

// SE file: the elements of accepted associations ("T" status) whose type mark
// is '@' (type 5'MOTIF) or '%' (type 3'MOTIF), in order of first association.
bool readSeStrings(const std::string& path, std::string_view type,
                   std::vector<MotifString>& strings, std::string& error);

// The matrix of a motif string: its real sites when `sequences` is given and
// holds any (then `*withoutSites` stays false), otherwise an equal share of
// `sites` for every allowed base of each position. Id empty, name the text.
CountMotif motifFromString(const MotifString& motif, int64_t sites,
                           const std::vector<SequenceRecord>* sequences, bool* withoutSites);

}  // namespace tav
