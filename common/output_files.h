// Safety of output files: an output path that names an input file would be
// emptied before the input is read, and a write that fails (full disk,
// revoked permission) must not end in a report of success.
#pragma once

#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace tav {

// True when both paths exist and are the same file (same device and inode).
bool sameFile(const std::string& a, const std::string& b);

struct NamedPath {
  std::string option;  // "-fasta", "-out", ...
  std::string path;
};

// Checks every output against every input. On the first clash writes
// "ERROR: The output file <out> (<outOption>) is the input file given with
// <inOption>. Program aborted" and returns false.
bool checkOutputsAgainstInputs(const std::vector<NamedPath>& outputs,
                               const std::vector<NamedPath>& inputs, std::ostream& out);

// Flushes and closes the stream; false when any write to it failed.
bool finishOutput(std::ostream& stream);

// "ERROR: <name> could not be written. Program aborted"
void printWriteFailure(std::ostream& out, std::string_view name);

}  // namespace tav
