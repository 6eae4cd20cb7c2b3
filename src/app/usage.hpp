#pragma once

#include <string>

#include "config/file_locations.hpp"

namespace helvanta {

// What --help prints: how to start each mode, the switches, the files the program uses
// (those of its system and window modes) and where events go.
std::string UsageText(const TFileLocations& system, const TFileLocations& window);

// What --version prints: name, version and build.
std::string VersionText();

}  // namespace helvanta
