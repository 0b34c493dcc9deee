// Small helpers for the test programs. QM_BIN_DIR (build/bin) and QM_SOURCE_DIR
// are defined for every program that links this library.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace qm::test {

// A fresh folder under the system's temporary folder, removed with its content
// when the object goes out of scope.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::filesystem::path& path() const { return path_; }
  std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

 private:
  std::filesystem::path path_;
};

std::string ReadFile(const std::filesystem::path& path);
void WriteFile(const std::filesystem::path& path, const std::string& bytes);

struct ProcessResult {
  int exit_code = -1;  // -1 when the program could not be started or was killed
  std::string out;     // standard output
  std::string err;     // standard error
};

// Runs a program (looked up on PATH when it has no "/") with the given
// arguments and standard input, and waits for it.
ProcessResult RunProcess(const std::vector<std::string>& argv, const std::string& input = "");

// The path of a program built into build/bin.
std::filesystem::path BinPath(const std::string& name);

}  // namespace qm::test
