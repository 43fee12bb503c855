// Writers of the formats the converter gives: JASPAR (what Simvale -reffile
// reads), ACE folders (what Simvale -reffolder reads), MEME minimal text,
// TRANSFAC and one count-matrix (pfm) file a motif. Output appears only when
// complete: a file or folder is written under a temporary name and renamed.
#pragma once

#include <string>
#include <vector>

#include "format_readers.h"
#include "motif_collection.h"

namespace tav {

std::string writeJaspar(const std::vector<CountMotif>& motifs);
std::string writeMeme(const std::vector<CountMotif>& motifs);
std::string writeTransfac(const std::vector<CountMotif>& motifs);

struct OutputFile {
  std::string name;  // file name inside the output folder
  std::string content;
};

// Files for the folder formats, named after each motif (characters other
// than letters, digits, '_', '-' and '+' become '_'; a repeated name gets
// "_2", "_3", ...).
std::vector<OutputFile> writePfmFiles(const std::vector<CountMotif>& motifs);
// One site line per site: a column shows its A, C, G and T counts in that
// order, then '-' (which counts for nothing) where its sum falls short of the
// largest. Returns false with `error` when a collection needs more than
// kMaxAceCharacters characters.
inline constexpr size_t kMaxAceCharacters = size_t{1} << 28;
bool writeAceFiles(const std::vector<CountMotif>& motifs, std::vector<OutputFile>& files,
                   std::string& error);

// Writes `content` to `path.partial` and renames it to `path`. Returns false
// with `error` (and leaves nothing) when that fails.
bool commitFile(const std::string& path, const std::string& content, std::string& error);
// Writes the files into `path.partial/` and renames the folder to `path`,
// which must not exist or be an empty folder.
bool commitFolder(const std::string& path, const std::vector<OutputFile>& files,
                  std::string& error);

}  // namespace tav
