#include "motifs_driver.h"

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "capacities.h"
#include "command_line.h"
#include "console.h"
#include "fasta.h"
#include "format_readers.h"
#include "format_writers.h"
#include "motif_strings.h"
#include "output_files.h"

namespace tav {

namespace {

enum Option { kIn, kTo, kOut, kFrom, kFasta, kType, kSites };

OptionTable optionTable() {
  OptionTable table;
  table.entries = {
      textOption("-in ", true, kMaxFileName),
      textOption("-to ", true, kMaxTypeText),
      textOption("-out ", true, kMaxFileName),
      textOption("-from ", false, kMaxTypeText),
      textOption("-fasta ", false, kMaxFileName),
      textOption("-type ", false, kMaxTypeText, "5'MOTIF"),
      integerOption("-sites ", kDefaultSites),
  };
  return table;
}

void printProgramBanner(std::ostream& out) {
  printBanner(out, "****************************** Tavrin-motifs ******************************",
              {"Converts motif collections between the formats of motif tools and the",
               "motif strings of the Tavrin package.",
               "This program is provided as a part of the Tavrin package."});
}

void printUsage(std::ostream& out) {
  printLines(out, {
                      "",
                      "Command line parameters are not provided properly. Please see below.",
                      "NOTE: Quote a value that holds blanks, as usual in the shell.",
                      "",
                      "---",
                      "     Tavrin-motifs converts a collection of motifs from one format",
                      "     into another.",
                      "---",
                      "",
                      "Usage: Tavrin-motifs -in [string] -to [string] -out [string] -from [string]",
                      "                     -fasta [string] -type [string] -sites [integer]",
                      "",
                      "-in: The input file, or a folder of .ace or .pfm files.",
                      "",
                      "-to: The output format: jaspar, ace, meme, transfac or pfm. ace and pfm",
                      "  write a folder with one file a motif.",
                      "",
                      "-out: The output file (jaspar, meme, transfac) or new folder (ace, pfm).",
                      "",
                      "-from: The input format: jaspar, pfm, meme, transfac, homer, ace, noa (a",
                      "  node attribute file such as *.1.noa) or se (an SE file).",
                      "  DEFAULT: told from the content of the input",
                      "",
                      "-fasta: Sequences in which the sites of motif strings (noa, se) are",
                      "  counted. Without it, each allowed base of a position gets an equal share",
                      "  of -sites.",
                      "",
                      "-type: The type of the motif strings read from a noa or se input;",
                      "  5'MOTIF motifs count their sites on both strands.",
                      "  DEFAULT: 5'MOTIF",
                      "",
                      "-sites: The site count that turns probabilities (HOMER, and MEME without",
                      "  nsites) and motif strings into counts.",
                      "  DEFAULT: 100",
                      "",
                  });
}

bool isOutputFormat(MotifFormat format) {
  return format == MotifFormat::Jaspar || format == MotifFormat::Ace ||
         format == MotifFormat::Meme || format == MotifFormat::Transfac ||
         format == MotifFormat::Pfm;
}

bool isStringFormat(MotifFormat format) {
  return format == MotifFormat::Noa || format == MotifFormat::Se;
}

void printError(std::ostream& out, const std::string& message) {
  line(out, "ERROR: ", message, ". Program aborted");
}

// Reads a file or folder of matrices in a known matrix format.
bool readMatrices(const std::string& path, MotifFormat format, const ReadParameters& parameters,
                  std::vector<CountMotif>& motifs, std::string& error) {
  if (format == MotifFormat::Ace ||
      (format == MotifFormat::Pfm && std::filesystem::is_directory(path))) {
    return readMotifFolder(path, format, parameters, motifs, error);
  }
  std::ifstream in(path, std::ios::binary);
  switch (format) {
    case MotifFormat::Jaspar:
      return readJaspar(in, path, parameters, motifs, error);
    case MotifFormat::Pfm:
      return readPfm(in, path, fileStem(path), parameters, motifs, error);
    case MotifFormat::Meme:
      return readMeme(in, path, parameters, motifs, error);
    case MotifFormat::Transfac:
      return readTransfac(in, path, parameters, motifs, error);
    case MotifFormat::Homer:
      return readHomer(in, path, parameters, motifs, error);
    default:
      error = path + ": expected a matrix format";
      return false;
  }
}

bool writeOutput(const std::string& path, MotifFormat format, const std::vector<CountMotif>& motifs,
                 std::string& error) {
  switch (format) {
    case MotifFormat::Jaspar:
      return commitFile(path, writeJaspar(motifs), error);
    case MotifFormat::Meme:
      return commitFile(path, writeMeme(motifs), error);
    case MotifFormat::Transfac:
      return commitFile(path, writeTransfac(motifs), error);
    case MotifFormat::Pfm:
      return commitFolder(path, writePfmFiles(motifs), error);
    case MotifFormat::Ace: {
      std::vector<OutputFile> files;
      return writeAceFiles(motifs, files, error) && commitFolder(path, files, error);
    }
    default:
      return false;
  }
}

}  // namespace

int runMotifConverter(int argc, const char* const* argv, std::ostream& out) {
  const std::string commandLine = echoArguments(argc, argv);
  printProgramBanner(out);
  line(out);
  line(out, "Received command line: ", commandLine);

  OptionValues values;
  if (parseArgumentList(optionTable(), argc, argv, values) == 0) {
    printUsage(out);
    return 1;
  }
  const std::string& inPath = values.text[kIn];
  const std::string& outPath = values.text[kOut];
  const std::string& fastaPath = values.text[kFasta];
  const std::string& type = values.text[kType];
  const MotifFormat to = formatFromName(values.text[kTo]);
  MotifFormat from = formatFromName(values.text[kFrom]);
  ReadParameters parameters;
  parameters.sites = values.integer[kSites];

  if (!isOutputFormat(to)) {
    printError(out, "-to " + values.text[kTo] +
                        " is not a format to write: expected jaspar, ace, "
                        "meme, transfac or pfm");
    return 1;
  }
  if (!values.text[kFrom].empty() && from == MotifFormat::Unknown) {
    printError(out, "-from " + values.text[kFrom] +
                        " is not a format to read: expected jaspar, "
                        "pfm, meme, transfac, homer, ace, noa or se");
    return 1;
  }
  if (parameters.sites < 1) {
    printError(out, "-sites must be 1 or more");
    return 1;
  }
  std::error_code ec;
  const bool inFolder = std::filesystem::is_directory(inPath, ec);
  if (!std::filesystem::exists(inPath, ec)) {
    line(out, "ERROR: ", inPath, " was not found. Program aborted");
    return 1;
  }
  bool detected = false;
  if (from == MotifFormat::Unknown) {
    if (inFolder) {
      from = detectFolderFormat(inPath);
    } else {
      std::ifstream in(inPath, std::ios::binary);
      from = detectFileFormat(in);
    }
    if (from == MotifFormat::Unknown) {
      printError(out, "The format of " + inPath + " could not be told: expected one of " +
                          (inFolder ? "ace or pfm (a folder)"
                                    : "jaspar, pfm, meme, transfac, homer, noa or se") +
                          "; give it with -from");
      return 1;
    }
    detected = true;
  }
  const bool strings = isStringFormat(from);

  line(out);
  line(out, "Inferred parameters:");
  line(out, "Input: ", inPath, " (", formatName(from), detected ? ", told from the content)" : ")");
  line(out, "Output: ", outPath, " (", formatName(to), ")");
  line(out, "Site count for probabilities and motif strings: ", parameters.sites);
  if (strings) {
    line(out, "Type of the motif strings: ", type);
    line(out, "Sequences for the sites of motif strings: ",
         fastaPath.empty() ? std::string("none (counts from the strings)") : fastaPath);
  }
  line(out);

  std::vector<NamedPath> inputs = {{"-in", inPath}};
  if (!fastaPath.empty()) inputs.push_back({"-fasta", fastaPath});
  if (!checkOutputsAgainstInputs({{"-out", outPath}}, inputs, out)) return 1;

  line(out, "Reading the motifs...");
  std::vector<CountMotif> motifs;
  std::string error;
  if (strings) {
    std::vector<MotifString> texts;
    bool ok = true;
    if (from == MotifFormat::Noa) {
      std::ifstream in(inPath, std::ios::binary);
      ok = readNoaStrings(in, inPath, type, texts, error);
    } else {
      ok = readSeStrings(inPath, type, texts, error);
    }
    if (!ok) {
      printError(out, error);
      return 1;
    }
    line(out, static_cast<long long>(texts.size()), " motif strings of type ", type, " were read.");
    std::vector<SequenceRecord> sequences;
    if (!fastaPath.empty()) {
      std::ifstream fasta(fastaPath, std::ios::binary);
      if (!fasta.is_open()) {
        line(out, "ERROR: ", fastaPath, " was not found. Program aborted");
        return 1;
      }
      line(out, "Reading the sequences...");
      const int n =
          readFasta(fasta, sequences, SequenceAlphabet::Nucleotide, kMotifSequenceLimit, out);
      // 5' motifs are found on both strands, read in the motif's orientation.
      if (type == "5'MOTIF") buildReverseComplements(sequences);
      indexSequences(sequences, SequenceAlphabet::Nucleotide);
      line(out, n, " sequences were read.");
      line(out, "Counting the sites of the motifs...");
    }
    for (const MotifString& text : texts) {
      bool withoutSites = false;
      motifs.push_back(motifFromString(text, parameters.sites,
                                       fastaPath.empty() ? nullptr : &sequences, &withoutSites));
      if (withoutSites) {
        line(out, "WARNING: ", text.text, " has no site in ", fastaPath,
             "; it is written from the motif string.");
      }
    }
  } else if (!readMatrices(inPath, from, parameters, motifs, error)) {
    printError(out, error);
    return 1;
  }
  if (motifs.empty()) {
    printError(out, inPath + " holds no motif to convert");
    return 1;
  }
  line(out, static_cast<long long>(motifs.size()), " motifs were read.");
  line(out);
  line(out, "Writing the output...");
  if (!writeOutput(outPath, to, motifs, error)) {
    printError(out, error);
    return 1;
  }
  line(out, static_cast<long long>(motifs.size()), " motifs were written to ", outPath, ".");
  line(out);
  line(out, "Job finished successfully.");
  return 0;
}

}  // namespace tav
