#pragma once

#include <string>
#include <vector>

#include "config/file_locations.hpp"

namespace helvanta {

// The window's own files in an installed copy, made on its first start: the settings
// file from the box's (readable by the user only, as it may hold the MQTT password) and
// the default output folder. Does nothing where files.settingsSource is empty. Returns
// one line per file that could not be made.
std::vector<std::string> PrepareUserFiles(const TFileLocations& files);

}  // namespace helvanta
