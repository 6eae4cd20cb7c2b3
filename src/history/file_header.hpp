#pragma once

#include <optional>
#include <string>

namespace helvanta {

// What is wrong with a history database as its first 100 bytes and its size tell it: not
// an SQLite file, a damaged header, or a file cut short of the pages its header counts
// (with no journal to complete it).
// Nothing when the file looks whole or does not exist yet (SQLite makes it). A few reads,
// however large the file: the rest of the damage shows where SQLite meets it.
std::optional<std::string> DatabaseFileDamage(const std::string& path);

}  // namespace helvanta
