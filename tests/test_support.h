// Scratch folders and in-process driver runs for the programs' driver tests:
// inputs are written into a fresh temporary folder, the driver runs on an
// argument list and its console is captured.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace tav::testing {

class ScratchDir : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (std::filesystem::temp_directory_path() / "tavrin_test_XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    dir_ = pattern;
  }
  void TearDown() override {
    std::error_code ignored;
    std::filesystem::remove_all(dir_, ignored);
  }

  std::string path(const std::string& name) const { return (dir_ / name).string(); }
  void put(const std::string& name, const std::string& text) const {
    std::ofstream(dir_ / name, std::ios::binary) << text;
  }
  std::string get(const std::string& name) const {
    std::ifstream in(dir_ / name, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
  }
  // Makes `name` a link to /dev/full, where every write fails.
  void linkToFull(const std::string& name) const {
    std::filesystem::create_symlink("/dev/full", dir_ / name);
  }

  // Runs `driver(argc, argv, out)` with the program name first; returns the
  // exit status and leaves the console in `console`.
  template <typename Driver>
  static int runDriver(Driver driver, std::vector<std::string> args, std::string& console) {
    args.insert(args.begin(), "program");
    std::vector<const char*> argv;
    for (const std::string& a : args) argv.push_back(a.c_str());
    std::ostringstream out;
    const int status = driver(static_cast<int>(argv.size()), argv.data(), out);
    console = out.str();
    return status;
  }

  std::filesystem::path dir_;
};

// True if `text` ends with `tail`.
inline bool endsWith(const std::string& text, const std::string& tail) {
  return text.size() >= tail.size() &&
         text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

}  // namespace tav::testing
