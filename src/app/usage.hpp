#pragma once

#include <string>

namespace helvanta {

// What --help prints: how to start each mode, the switches, the files the program keeps
// in its folder and where events go.
std::string UsageText(const std::string& programFolder);

// What --version prints: name, version and build.
std::string VersionText();

}  // namespace helvanta
