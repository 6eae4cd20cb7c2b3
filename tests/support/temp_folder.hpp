#pragma once

#include <string>
#include <vector>

namespace helvanta::testing {

// A fresh folder for one test, removed with everything in it afterwards.
class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  // The folder with a trailing separator, as ProgramFolder() gives it.
  const std::string& Path() const { return path_; }
  // A file or folder in it by its relative name.
  std::string File(const std::string& name) const { return path_ + name; }

  // Throws std::runtime_error when the file cannot be written.
  void WriteFile(const std::string& name, const std::string& bytes) const;
  // Empty when the file does not exist.
  std::string ReadFile(const std::string& name) const;
  bool Exists(const std::string& name) const;
  // Names of everything in the folder.
  std::vector<std::string> Entries() const;

 private:
  std::string path_;
};

}  // namespace helvanta::testing
