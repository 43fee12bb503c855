// Readers of the reference position weight matrices Simvale compares motifs
// with: a folder of ACE files (one aligned site set per file) and a JASPAR
// file of count matrices. Both fill count matrices named in closestName.
#pragma once

#include <istream>
#include <string>
#include <string_view>
#include <vector>

#include "capacities.h"
#include "motif.h"

namespace tav {

// The regular files of `folder` whose names end in ".ace", sorted by name
// (byte order) so that results never depend on the file system's order.
// A folder that cannot be listed gives none.
std::vector<std::string> listAceFiles(const std::string& folder);

// Reads every listed ACE file of `folder` into `references` from index 0
// (the vector is resized to the count). Returns the number of matrices read.
// At most `capacity` matrices are stored; `*tooMany` (when given) is set when
// the folder holds more.
int readAceFolder(const std::string& folder, std::vector<MotifMatrix>& references,
                  bool* tooMany = nullptr, int capacity = kMaxMotifs);

// One ACE file: the title line is skipped, then each site line (up to a line
// holding an asterisk) adds one count per base its characters allow. Each
// site line sets the width; the rows grow to the widest line, so shorter
// rows never lose or misplace counts. The name is `entryName` up to its first
// full stop.
void readAceFile(std::istream& in, MotifMatrix& slot, std::string_view entryName);

// Reads a JASPAR file, appending its matrices to `references` after the
// first `count` entries. Returns the new number of matrices (at most
// `capacity`; `*tooMany` is set when the file holds more).
int readJasparFile(std::istream& in, std::vector<MotifMatrix>& references, int count,
                   bool* tooMany = nullptr, int capacity = kMaxMotifs);

}  // namespace tav
