#pragma once

#include <string>

namespace helvanta::testing {

// Writes the file anew; throws std::runtime_error when it cannot.
void WriteBytes(const std::string& path, const std::string& bytes);
// The whole file; empty when it does not exist.
std::string ReadBytes(const std::string& path);
// Bytes of every value from 0 to 255, a few times over, with no recognisable structure.
std::string BinaryGarbage();

}  // namespace helvanta::testing
