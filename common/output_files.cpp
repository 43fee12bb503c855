#include "output_files.h"

#include <sys/stat.h>

#include <fstream>

#include "console.h"

namespace tav {

bool sameFile(const std::string& a, const std::string& b) {
  struct stat sa {};
  struct stat sb {};
  if (::stat(a.c_str(), &sa) != 0 || ::stat(b.c_str(), &sb) != 0) return false;
  return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

bool checkOutputsAgainstInputs(const std::vector<NamedPath>& outputs,
                               const std::vector<NamedPath>& inputs, std::ostream& out) {
  for (const NamedPath& o : outputs) {
    for (const NamedPath& i : inputs) {
      if (sameFile(o.path, i.path)) {
        line(out, "ERROR: The output file ", o.path, " (", o.option,
             ") is the input file given with ", i.option, ". Program aborted");
        return false;
      }
    }
  }
  return true;
}

bool finishOutput(std::ostream& stream) {
  stream.flush();
  bool ok = static_cast<bool>(stream);
  if (auto* file = dynamic_cast<std::ofstream*>(&stream)) {
    if (file->is_open()) {
      file->close();
      ok = ok && !file->fail();
    }
  }
  return ok;
}

void printWriteFailure(std::ostream& out, std::string_view name) {
  line(out, "ERROR: ", name, " could not be written. Program aborted");
}

}  // namespace tav
