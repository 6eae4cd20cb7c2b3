#pragma once

#include <string>

namespace helvanta {

// The id this copy of Helvanta gives a broker and Home Assistant unless ClientId names
// one: made at random on first use and kept in a file beside the default output folder,
// which the service and the window each may write. Renaming the machine changes nothing,
// and two copies never share it by default.
struct TKeptId {
  std::string id;  // "helvanta-" and 16 hexadecimal digits
  std::string path;
  bool kept = false;  // false: the file could not be written, the id holds for this run
};

TKeptId KeptId();

}  // namespace helvanta
