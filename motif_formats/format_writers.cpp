#include "format_writers.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <set>
#include <system_error>

namespace tav {

namespace {

namespace fs = std::filesystem;

// A name fit for a single field: blanks and control characters become '_'.
std::string word(const std::string& text) {
  std::string out = text;
  for (char& c : out) {
    if (static_cast<unsigned char>(c) <= ' ' || c == 127) c = '_';
  }
  return out;
}

// A name fit for the rest of a line: control characters become '_'.
std::string lineText(const std::string& text) {
  std::string out = text;
  for (char& c : out) {
    if (static_cast<unsigned char>(c) < ' ' || c == 127) c = '_';
  }
  return out;
}

std::string fileSafe(const std::string& text) {
  std::string out;
  for (char c : text) {
    const bool keep = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
                      c == '_' || c == '-' || c == '+';
    out.push_back(keep ? c : '_');
  }
  return out.empty() ? std::string("motif") : out.substr(0, 200);
}

// Distinct file names: the second "x" becomes "x_2", and so on.
std::vector<std::string> fileNames(const std::vector<CountMotif>& motifs, const char* suffix) {
  std::vector<std::string> names;
  std::set<std::string> used;
  for (const CountMotif& motif : motifs) {
    const std::string stem = fileSafe(motif.label());
    std::string name = stem + suffix;
    for (int n = 2; used.count(name) != 0; ++n) name = stem + "_" + std::to_string(n) + suffix;
    used.insert(name);
    names.push_back(name);
  }
  return names;
}

void appendInteger(std::string& out, int64_t value) { out.append(std::to_string(value)); }

void appendProbability(std::string& out, double value) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%.6f", value);
  out.append(buffer);
}

constexpr char kBases[] = "ACGT";

}  // namespace

std::string writeJaspar(const std::vector<CountMotif>& motifs) {
  std::string out;
  for (const CountMotif& motif : motifs) {
    // Simvale names a matrix by the text after the header's first blank.
    out.append(">").append(word(motif.id.empty() ? motif.label() : motif.id));
    out.append(" ").append(lineText(motif.label())).append("\n");
    for (size_t b = 0; b < 4; ++b) {
      out.push_back(kBases[b]);
      out.append("  [");
      for (int64_t count : motif.counts[b]) {
        out.push_back(' ');
        appendInteger(out, count);
      }
      out.append(" ]\n");
    }
  }
  return out;
}

std::string writeMeme(const std::vector<CountMotif>& motifs) {
  std::string out =
      "MEME version 4\n\nALPHABET= ACGT\n\nstrands: + -\n\n"
      "Background letter frequencies\nA 0.25 C 0.25 G 0.25 T 0.25\n";
  for (const CountMotif& motif : motifs) {
    out.append("\nMOTIF ").append(word(motif.id.empty() ? motif.label() : motif.id));
    if (!motif.id.empty() && !motif.name.empty()) out.append(" ").append(word(motif.name));
    out.append("\nletter-probability matrix: alength= 4 w= ");
    appendInteger(out, motif.width());
    out.append(" nsites= ");
    appendInteger(out, motif.sites);
    out.append(" E= 0\n");
    for (int i = 0; i < motif.width(); ++i) {
      for (int b = 0; b < 4; ++b) {
        out.append(b == 0 ? " " : "  ");
        appendProbability(out, countToProbability(motif, b, i));
      }
      out.append("\n");
    }
  }
  return out;
}

std::string writeTransfac(const std::vector<CountMotif>& motifs) {
  std::string out;
  for (const CountMotif& motif : motifs) {
    if (!motif.id.empty()) out.append("AC  ").append(word(motif.id)).append("\nXX\n");
    out.append("ID  ").append(word(motif.label())).append("\n");
    if (!motif.name.empty()) out.append("NA  ").append(lineText(motif.name)).append("\n");
    out.append("XX\nP0      A      C      G      T\n");
    for (int i = 0; i < motif.width(); ++i) {
      char row[16];
      std::snprintf(row, sizeof row, "%02d", i + 1);
      out.append(row);
      for (size_t b = 0; b < 4; ++b) {
        out.append("  ");
        appendInteger(out, motif.counts[b][static_cast<size_t>(i)]);
      }
      out.append("\n");
    }
    out.append("XX\n//\n");
  }
  return out;
}

std::vector<OutputFile> writePfmFiles(const std::vector<CountMotif>& motifs) {
  std::vector<OutputFile> files;
  const std::vector<std::string> names = fileNames(motifs, ".pfm");
  for (size_t m = 0; m < motifs.size(); ++m) {
    OutputFile file{names[m], std::string()};
    for (size_t b = 0; b < 4; ++b) {
      bool first = true;
      for (int64_t count : motifs[m].counts[b]) {
        if (!first) file.content.push_back(' ');
        appendInteger(file.content, count);
        first = false;
      }
      file.content.push_back('\n');
    }
    files.push_back(std::move(file));
  }
  return files;
}

bool writeAceFiles(const std::vector<CountMotif>& motifs, std::vector<OutputFile>& files,
                   std::string& error) {
  files.clear();
  const std::vector<std::string> names = fileNames(motifs, ".ace");
  size_t total = 0;
  for (size_t m = 0; m < motifs.size(); ++m) {
    const CountMotif& motif = motifs[m];
    const size_t width = static_cast<size_t>(motif.width());
    const size_t sites = static_cast<size_t>(largestColumnSum(motif));
    total += (width + 1) * sites;
    if (total > kMaxAceCharacters) {
      error = "ace files of at most " + std::to_string(kMaxAceCharacters) +
              " characters in all; the counts of " + motif.label() + " are too large";
      return false;
    }
    OutputFile file{names[m], lineText(motif.label()) + "\n"};
    std::string sitesText((width + 1) * sites, '-');
    for (size_t s = 0; s < sites; ++s) sitesText[s * (width + 1) + width] = '\n';
    for (size_t i = 0; i < width; ++i) {
      size_t s = 0;
      for (size_t b = 0; b < 4; ++b) {
        for (int64_t k = 0; k < motif.counts[b][i]; ++k)
          sitesText[(s++) * (width + 1) + i] = kBases[b];
      }
    }
    file.content.append(sitesText);
    // Simvale stops at the first line holding an asterisk.
    file.content.append(std::string(std::max<size_t>(width, 1), '*')).append("\n");
    files.push_back(std::move(file));
  }
  return true;
}

bool commitFile(const std::string& path, const std::string& content, std::string& error) {
  const std::string partial = path + ".partial";
  {
    std::ofstream out(partial, std::ios::binary | std::ios::trunc);
    if (!out.is_open()) {
      error = path + " cannot be opened";
      return false;
    }
    out.write(content.data(), static_cast<std::streamsize>(content.size()));
    out.flush();
    if (!out) {
      out.close();
      std::error_code ignored;
      fs::remove(partial, ignored);
      error = path + " could not be written";
      return false;
    }
  }
  std::error_code ec;
  fs::rename(partial, path, ec);
  if (ec) {
    std::error_code ignored;
    fs::remove(partial, ignored);
    error = path + " could not be written";
    return false;
  }
  return true;
}

bool commitFolder(const std::string& path, const std::vector<OutputFile>& files,
                  std::string& error) {
  std::error_code ec;
  if (fs::exists(path, ec) && !(fs::is_directory(path, ec) && fs::is_empty(path, ec))) {
    error = path + " already exists; give a new folder name";
    return false;
  }
  const std::string partial = path + ".partial";
  fs::remove_all(partial, ec);
  if (!fs::create_directory(partial, ec) || ec) {
    error = path + " cannot be created";
    return false;
  }
  auto abandon = [&](const std::string& message) {
    std::error_code ignored;
    fs::remove_all(partial, ignored);
    error = message;
    return false;
  };
  for (const OutputFile& file : files) {
    std::ofstream out(partial + "/" + file.name, std::ios::binary | std::ios::trunc);
    out.write(file.content.data(), static_cast<std::streamsize>(file.content.size()));
    out.flush();
    if (!out) return abandon(path + "/" + file.name + " could not be written");
  }
  if (fs::is_directory(path, ec)) fs::remove(path, ec);
  fs::rename(partial, path, ec);
  if (ec) return abandon(path + " could not be written");
  return true;
}

}  // namespace tav
