#include "config/kept_id.hpp"

#include <cstdint>
#include <cstdio>
#include <random>

#include "config/file_access.hpp"
#include "config/file_locations.hpp"
#include "config/mqtt_settings.hpp"
#include "runtime/program_folder.hpp"

namespace helvanta {

namespace {

std::string KeptIdPath() {
  const std::string data = CurrentFileLocations().outputFolder;
  // Windows takes either separator in a folder that the settings name.
  const std::size_t slash = data.find_last_of(kPathSeparator == '/' ? "/" : "/\\");
  return (slash == std::string::npos ? std::string() : data.substr(0, slash + 1)) + "Helvanta.id";
}

std::string NewId() {
  std::random_device device;
  const std::uint64_t bits = (static_cast<std::uint64_t>(device()) << 32) | device();
  char text[32];
  std::snprintf(text, sizeof text, "helvanta-%016llx", static_cast<unsigned long long>(bits));
  return text;
}

}  // namespace

TKeptId KeptId() {
  TKeptId kept{{}, KeptIdPath(), true};
  const FileBytes file = ReadFileBytes(kept.path);
  if (file.status == FileReadStatus::kOk) {
    kept.id = file.bytes.substr(0, file.bytes.find_first_of("\r\n"));
    if (IsValidMqttClientId(kept.id)) return kept;
  }
  kept.id = NewId();
  kept.kept = ReplaceFileContent(kept.path, kept.id + "\n");
  return kept;
}

}  // namespace helvanta
