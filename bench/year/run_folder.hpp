#pragma once

#include <string>

namespace helvanta::year {

// A fresh folder under the temporary directory, removed with its content at the end.
class TRunFolder {
 public:
  TRunFolder();
  ~TRunFolder();
  TRunFolder(const TRunFolder&) = delete;
  TRunFolder& operator=(const TRunFolder&) = delete;

  std::string Path(const std::string& name) const { return path_ + "/" + name; }
  // With a trailing separator, as the program folder is given.
  std::string Folder() const { return path_ + "/"; }

 private:
  std::string path_;
};

}  // namespace helvanta::year
