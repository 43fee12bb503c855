// Readers of the matrix formats the converter takes: JASPAR, count matrices
// (pfm), MEME minimal text, TRANSFAC, HOMER and ACE site files, and the
// detection of a format from a file's content. Every reader stops at the
// first problem with one message "file:line: expected ...".
#pragma once

#include <cstdint>
#include <istream>
#include <string>
#include <string_view>
#include <vector>

#include "motif_collection.h"

namespace tav {

enum class MotifFormat { Unknown, Jaspar, Pfm, Meme, Transfac, Homer, Ace, Noa, Se };

// "jaspar", "pfm", ...; Unknown for any other text.
MotifFormat formatFromName(std::string_view name);
std::string_view formatName(MotifFormat format);

// Longest line any reader accepts (a matrix of 10^5 columns fits).
inline constexpr size_t kMaxMatrixLine = size_t{1} << 23;

struct ReadParameters {
  int64_t sites =
      kDefaultSites;  // turns probabilities into counts where a file gives no site count
};

// Each appends the file's matrices to `motifs` and returns true, or returns
// false with the message in `error` (nothing appended then). `fileName` names
// the file in messages; `stem` (pfm, ace) names the matrix.
bool readJaspar(std::istream& in, std::string_view fileName, const ReadParameters& parameters,
                std::vector<CountMotif>& motifs, std::string& error);
bool readPfm(std::istream& in, std::string_view fileName, std::string_view stem,
             const ReadParameters& parameters, std::vector<CountMotif>& motifs, std::string& error);
bool readMeme(std::istream& in, std::string_view fileName, const ReadParameters& parameters,
              std::vector<CountMotif>& motifs, std::string& error);
bool readTransfac(std::istream& in, std::string_view fileName, const ReadParameters& parameters,
                  std::vector<CountMotif>& motifs, std::string& error);
bool readHomer(std::istream& in, std::string_view fileName, const ReadParameters& parameters,
               std::vector<CountMotif>& motifs, std::string& error);
// One ACE file: title line, then one aligned site a line up to a line with an
// asterisk; every character is a column (A, C, G, T, U count, N and '.' count
// for every base, anything else for none).
bool readAce(std::istream& in, std::string_view fileName, std::string_view stem,
             std::vector<CountMotif>& motifs, std::string& error);

// Every "*.ace" (Ace) or "*.pfm" (Pfm) file of a folder, in name order.
bool readMotifFolder(const std::string& folder, MotifFormat format,
                     const ReadParameters& parameters, std::vector<CountMotif>& motifs,
                     std::string& error);

// The format of a file from its first lines; Unknown when it cannot tell.
MotifFormat detectFileFormat(std::istream& in);
// Ace or Pfm for a folder holding such files, Unknown otherwise.
MotifFormat detectFolderFormat(const std::string& folder);

// The file name without folder and without its last extension.
std::string fileStem(std::string_view path);

}  // namespace tav
