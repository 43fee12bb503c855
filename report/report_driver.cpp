#include "report_driver.h"

#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "capacities.h"
#include "closest_match.h"
#include "command_line.h"
#include "console.h"
#include "fasta.h"
#include "motif_card.h"
#include "noa_reader.h"
#include "output_files.h"
#include "page.h"
#include "reference_readers.h"
#include "report_data.h"
#include "se_file.h"

namespace tav {

namespace {

enum Option {
  kNet,
  kOut,
  kSe,
  kFasta,
  kSimvale,
  kConservation,
  kRefFile,
  kRefFolder,
  kTitle,
  kCalibration,
  kNames
};

OptionTable optionTable() {
  OptionTable table;
  table.entries = {
      textOption("-net ", true, kMaxFileName),
      textOption("-out ", true, kMaxFileName),
      textOption("-se ", false, kMaxFileName),
      textOption("-fasta ", false, kMaxFileName),
      textOption("-simvale ", false, kMaxFileName),
      textOption("-conservation ", false, kMaxFileName),
      textOption("-reffile ", false, kMaxFileName),
      textOption("-reffolder ", false, kMaxFileName),
      textOption("-title ", false, kMaxTypeText, "Tavrin report"),
      textOption("-calibration ", false, kMaxFileName),
      textOption("-names ", false, kMaxFileName),
  };
  return table;
}

void printUsage(std::ostream& out) {
  printLines(out,
             {
                 "",
                 "Command line parameters are not provided properly. Please see below.",
                 "NOTE: Quote a value that holds blanks, as usual in the shell.",
                 "",
                 "---",
                 "     Tavrin-report writes one self-contained HTML page of a run: the",
                 "     network of element pairs, the pair table, a card per motif with its",
                 "     logo, closest known matrix and conservation.",
                 "---",
                 "",
                 "Usage: Tavrin-report -net [string] -out [string] -se [string] -fasta [string]",
                 "                     -simvale [string] -conservation [string] -reffile [string]",
                 "                     -reffolder [string] -title [string] -calibration [string]",
                 "                     -names [string]",
                 "",
                 "-net: The -out value of the Tavrin run: BASE.sif, BASE.1.noa, BASE.1.eda,",
                 "  BASE.2.eda and BASE.3.eda are read.",
                 "",
                 "-out: The HTML file to write.",
                 "",
                 "-se: The SE file of the run: number of genes of each motif (needs -fasta).",
                 "",
                 "-fasta: The sequences the motifs were found in: sites and logos of the",
                 "  nucleotide motifs (both strands for 5' motifs).",
                 "",
                 "-simvale: The Simvale report: closest known matrix of each motif.",
                 "",
                 "-conservation: A VantorN or VantorP output file.",
                 "",
                 "-reffile: Reference matrices in JASPAR format (logo of the closest matrix).",
                 "",
                 "-reffolder: A folder of reference matrices in ACE format.",
                 "",
                 "-title: The page title.",
                 "  DEFAULT: Tavrin report",
                 "",
                 "-calibration: A tab-separated table of pair FDRs (element_a, element_b,",
                 "  score, null_mean_count, real_count, fdr). The pair table is then",
                 "  ranked by FDR.",
                 "",
                 "-names: A tab-separated table of element names: element, name and an",
                 "  optional description (lines starting with # are skipped). The names",
                 "  show in the pair table, the network and the cards.",
                 "",
             });
}

// A fixed date when SOURCE_DATE_EPOCH is set, so repeated builds of the same
// page are identical; the current time otherwise.
std::string reportDate() {
  std::time_t when = std::time(nullptr);
  if (const char* epoch = std::getenv("SOURCE_DATE_EPOCH")) {
    char* end = nullptr;
    const long long value = std::strtoll(epoch, &end, 10);
    if (end != epoch && *end == '\0' && value >= 0) when = static_cast<std::time_t>(value);
  }
  std::tm utc{};
  gmtime_r(&when, &utc);
  char text[64];
  std::strftime(text, sizeof text, "%Y-%m-%d %H:%M UTC", &utc);
  return text;
}

struct ReportInputs {
  ReportNetwork network;
  std::vector<SequenceRecord> forward;
  std::vector<SequenceRecord> bothStrands;
  bool haveSequences = false;
  std::vector<GeneRecord> genes;
  std::vector<std::string> seTable;
  bool haveSe = false;
  std::vector<MotifMatrix> references;
  bool haveReferences = false;
  std::vector<ClosestMatchRow> closest;
  bool haveClosest = false;
  std::vector<NamedValue> conservation;
  bool haveConservation = false;
  NameTable names;
};

// Prints the error line and returns false on the first unreadable input.
bool readInputs(const OptionValues& values, ReportInputs& inputs, std::ostream& out) {
  auto fail = [&](const std::string& error) {
    line(out, error);
    return false;
  };
  line(out, "Reading the network...");
  std::string error = readNetwork(values.text[kNet], inputs.network);
  if (!error.empty()) return fail(error);
  line(out, inputs.network.pairs.size(), " pairs and ", inputs.network.elements.size(),
       " elements were read.");

  if (const std::string& path = values.text[kCalibration]; !path.empty()) {
    error = readCalibration(path, inputs.network.pairs);
    if (!error.empty()) return fail(error);
  }
  if (const std::string& path = values.text[kFasta]; !path.empty()) {
    line(out, "Reading the sequences...");
    std::ifstream in(path, std::ios::binary);
    if (!in.is_open()) return fail("ERROR: " + path + " was not found. Program aborted");
    const int count =
        readFasta(in, inputs.forward, SequenceAlphabet::Nucleotide, kMotifSequenceLimit, out);
    if (count == 0) {
      return fail("ERROR: " + path + " does not seem to be a FASTA file or contain sequences." +
                  " Program aborted");
    }
    inputs.bothStrands = inputs.forward;
    buildReverseComplements(inputs.bothStrands);
    indexSequences(inputs.forward, SequenceAlphabet::Nucleotide);
    indexSequences(inputs.bothStrands, SequenceAlphabet::Nucleotide);
    inputs.haveSequences = true;
    line(out, count, " sequences were read.");
  }
  if (const std::string& path = values.text[kSe]; !path.empty()) {
    if (!inputs.haveSequences) {
      return fail("ERROR: -se " + path + " needs -fasta (the genes of the run). Program aborted");
    }
    std::ifstream in(path, std::ios::binary);
    if (!in.is_open()) return fail("ERROR: " + path + " was not found. Program aborted");
    inputs.genes.resize(inputs.forward.size());
    for (size_t i = 0; i < inputs.forward.size(); ++i)
      inputs.genes[i].name = inputs.forward[i].name;
    const int count = readSeFile(in, inputs.genes, static_cast<int>(inputs.genes.size()),
                                 inputs.seTable, std::string());
    if (count < 0) return fail(seReadErrorMessage(count, path));
    inputs.haveSe = true;
  }
  if (const std::string& folder = values.text[kRefFolder]; !folder.empty()) {
    std::error_code ignored;
    if (!std::filesystem::is_directory(folder, ignored)) {
      return fail("ERROR: " + folder + " is not a folder. Program aborted");
    }
    bool tooMany = false;
    readAceFolder(folder, inputs.references, &tooMany);
    if (tooMany) return fail("ERROR: " + folder + " holds too many matrices. Program aborted");
    inputs.haveReferences = true;
  }
  if (const std::string& path = values.text[kRefFile]; !path.empty()) {
    std::ifstream in(path, std::ios::binary);
    if (!in.is_open()) return fail("ERROR: " + path + " was not found. Program aborted");
    bool tooMany = false;
    const int count =
        readJasparFile(in, inputs.references, static_cast<int>(inputs.references.size()), &tooMany);
    if (tooMany) return fail("ERROR: " + path + " holds too many matrices. Program aborted");
    inputs.references.resize(static_cast<size_t>(count));
    inputs.haveReferences = true;
  }
  if (const std::string& path = values.text[kSimvale]; !path.empty()) {
    error = readSimvaleReport(path, inputs.closest);
    if (!error.empty()) return fail(error);
    inputs.haveClosest = true;
  }
  if (const std::string& path = values.text[kConservation]; !path.empty()) {
    error = readConservation(path, inputs.conservation);
    if (!error.empty()) return fail(error);
    inputs.haveConservation = true;
  }
  if (const std::string& path = values.text[kNames]; !path.empty()) {
    error = readNames(path, inputs.names);
    if (!error.empty()) return fail(error);
    line(out, inputs.names.entries.size(), " element names were read.");
  }
  return true;
}

// Without a Simvale report the closest matrices are found here, with
// Simvale's default cutoff and strand rule.
void findClosest(ReportInputs& inputs) {
  for (const char* type : {"5'MOTIF", "3'MOTIF"}) {
    std::vector<MotifEntry> queries;
    for (const ReportElement& element : inputs.network.elements) {
      if (element.type != type) continue;
      MotifEntry entry;
      entry.text = element.name;
      stripBlanks(entry.text);
      if (parseMotifMasks(entry.text, kShortMotifCapacity, symbolMask, entry.matrix.masks) !=
          MotifStatus::Ok) {
        continue;
      }
      entry.matrix.length = static_cast<int32_t>(entry.matrix.masks.size());
      buildCounts(entry.matrix);
      queries.push_back(std::move(entry));
    }
    findClosestMatches(queries, static_cast<int>(queries.size()), inputs.references,
                       static_cast<int>(inputs.references.size()), 0.70,
                       std::string(type) == "5'MOTIF");
    for (const MotifEntry& entry : queries) {
      inputs.closest.push_back(
          {entry.text, entry.matrix.hasClosest ? entry.matrix.closestName : "",
           entry.matrix.hasClosest ? formatReal(entry.matrix.closestScore) : ""});
    }
  }
  inputs.haveClosest = true;
}

nlohmann::ordered_json logoJson(const std::vector<LogoColumn>& logo) {
  auto columns = nlohmann::ordered_json::array();
  for (const LogoColumn& column : logo) {
    auto letters = nlohmann::ordered_json::array();
    for (const LogoLetter& letter : column.letters) {
      // Three decimals are plenty for a drawing and keep the page small.
      letters.push_back({std::string(1, letter.letter), std::round(letter.height * 1000) / 1000});
    }
    columns.push_back(std::move(letters));
  }
  return columns;
}

nlohmann::ordered_json cardJson(const MotifCard& card) {
  nlohmann::ordered_json j;
  j["name"] = card.name;
  j["type"] = card.type;
  j["valid"] = card.valid;
  j["logo"] = logoJson(card.logo);
  j["fromSites"] = card.logoFromSites;
  if (!card.counts[0].empty()) {
    // Rows A, C, G, T: the order of the MEME download.
    j["counts"] = {card.counts[3], card.counts[1], card.counts[2], card.counts[0]};
  }
  if (card.sites >= 0) {
    j["sites"] = card.sites;
    j["sequences"] = card.sequences;
  }
  if (card.genes >= 0) j["genes"] = card.genes;
  if (card.hasClosest) {
    nlohmann::ordered_json closest;
    closest["name"] = card.closestName;
    closest["score"] = card.closestScore;
    if (card.closestMatrixFound) {
      closest["logo"] = logoJson(card.closestLogo);
      closest["start"] = card.closestStart;
      closest["strand"] = card.closestReverse ? "-" : "+";
    }
    j["closest"] = std::move(closest);
  }
  if (card.hasConservation) j["conservation"] = card.conservation;
  return j;
}

nlohmann::ordered_json pageData(const OptionValues& values, const ReportInputs& inputs) {
  nlohmann::ordered_json data;
  data["title"] = values.text[kTitle];
  data["date"] = reportDate();
  auto files = nlohmann::ordered_json::array();
  const std::string& base = values.text[kNet];
  for (const char* suffix : {".sif", ".1.noa", ".1.eda", ".2.eda", ".3.eda"}) {
    files.push_back({{"option", "-net"}, {"path", base + suffix}});
  }
  const std::vector<std::pair<const char*, Option>> optional = {{"-se", kSe},
                                                                {"-fasta", kFasta},
                                                                {"-simvale", kSimvale},
                                                                {"-conservation", kConservation},
                                                                {"-reffile", kRefFile},
                                                                {"-reffolder", kRefFolder},
                                                                {"-calibration", kCalibration},
                                                                {"-names", kNames}};
  for (const auto& [option, index] : optional) {
    if (!values.text[index].empty()) {
      files.push_back({{"option", option}, {"path", values.text[index]}});
    }
  }
  data["files"] = std::move(files);
  data["robustnessHeader"] = inputs.network.robustnessHeader;
  data["hasFdr"] = !values.text[kCalibration].empty();
  data["hasSequences"] = inputs.haveSequences;
  data["hasSe"] = inputs.haveSe;

  auto elements = nlohmann::ordered_json::array();
  // Names only of the network's elements: a whole entry list may be given.
  auto names = nlohmann::ordered_json::object();
  for (const ReportElement& element : inputs.network.elements) {
    elements.push_back({element.name, element.type});
    if (const ElementName* known = inputs.names.find(element.name)) {
      names[element.name] = {known->name, known->description};
    }
  }
  data["elements"] = std::move(elements);
  data["names"] = std::move(names);
  auto pairs = nlohmann::ordered_json::array();
  for (const ReportPair& pair : inputs.network.pairs) {
    nlohmann::ordered_json p = {pair.first, pair.second, pair.score, pair.robustness, pair.zScore};
    if (!pair.fdr.empty()) p.push_back(pair.fdr);
    pairs.push_back(std::move(p));
  }
  data["pairs"] = std::move(pairs);

  MotifSources sources;
  if (inputs.haveSequences) {
    sources.forward = &inputs.forward;
    sources.bothStrands = &inputs.bothStrands;
  }
  if (inputs.haveSe) {
    sources.genes = &inputs.genes;
    sources.seTable = &inputs.seTable;
  }
  if (inputs.haveReferences) sources.references = &inputs.references;
  if (inputs.haveClosest) sources.closest = &inputs.closest;
  if (inputs.haveConservation) sources.conservation = &inputs.conservation;
  // A card is a logo; elements without one (domains, accessions typed as
  // motifs) go into one table instead.
  auto motifs = nlohmann::ordered_json::array();
  auto others = nlohmann::ordered_json::array();
  for (const ReportElement& element : inputs.network.elements) {
    if (isMotifType(element.type)) {
      MotifCard card = describeMotif(element, sources);
      if (card.valid) {
        motifs.push_back(cardJson(card));
        continue;
      }
    }
    others.push_back({element.name, element.type});
  }
  data["motifs"] = std::move(motifs);
  data["others"] = std::move(others);
  return data;
}

// Written beside the target and renamed over it, so a failed run never
// leaves a half-written page.
bool writePage(const std::string& path, const std::string& page, std::ostream& out) {
  const std::string temporary = path + ".part";
  {
    std::ofstream file(temporary, std::ios::binary | std::ios::trunc);
    if (file.is_open()) file.write(page.data(), static_cast<std::streamsize>(page.size()));
    if (!file.is_open() || !finishOutput(file)) {
      std::error_code ignored;
      std::filesystem::remove(temporary, ignored);
      printWriteFailure(out, path);
      return false;
    }
  }
  std::error_code error;
  std::filesystem::rename(temporary, path, error);
  if (error) {
    std::filesystem::remove(temporary, error);
    printWriteFailure(out, path);
    return false;
  }
  return true;
}

}  // namespace

int runReport(int argc, const char* const* argv, std::ostream& out) {
  const std::string commandLine = echoArguments(argc, argv);
  printBanner(out, "***************************** Tavrin-report *****************************",
              {"One HTML page of a Tavrin run: network, pairs, motif logos, known matrices",
               "and conservation. This program is provided as a part of the Tavrin package."});
  line(out);
  line(out, "Received command line: ", commandLine);
  OptionValues values;
  if (parseArgumentList(optionTable(), argc, argv, values) == 0) {
    printUsage(out);
    return 1;
  }
  const std::string& pagePath = values.text[kOut];
  line(out);

  std::vector<NamedPath> inputPaths;
  for (const char* suffix : {".sif", ".1.noa", ".1.eda", ".2.eda", ".3.eda"}) {
    inputPaths.push_back({"-net", values.text[kNet] + suffix});
  }
  for (const auto& [option, index] :
       std::vector<std::pair<const char*, Option>>{{"-se", kSe},
                                                   {"-fasta", kFasta},
                                                   {"-simvale", kSimvale},
                                                   {"-conservation", kConservation},
                                                   {"-reffile", kRefFile},
                                                   {"-calibration", kCalibration},
                                                   {"-names", kNames}}) {
    if (!values.text[index].empty()) inputPaths.push_back({option, values.text[index]});
  }
  if (!checkOutputsAgainstInputs({{"-out", pagePath}}, inputPaths, out)) return 1;

  ReportInputs inputs;
  if (!readInputs(values, inputs, out)) return 1;
  if (inputs.haveReferences && !inputs.haveClosest) findClosest(inputs);

  line(out, "Writing the report...");
  const std::string page = renderPage(jsonForScript(pageData(values, inputs)));
  if (!writePage(pagePath, page, out)) return 1;
  line(out, "Report written to ", pagePath);
  line(out, "Job finished successfully.");
  return 0;
}

}  // namespace tav
