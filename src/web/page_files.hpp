#pragma once

#include <string_view>
#include <vector>

namespace helvanta {

// One file of the page, compiled into the program.
struct TPageFile {
  std::string_view path;  // "/index.html", "/app.js", "/style.css"
  std::string_view body;
};

const std::vector<TPageFile>& PageFiles();

}  // namespace helvanta
