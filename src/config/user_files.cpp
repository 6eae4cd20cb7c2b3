#include "config/user_files.hpp"

#include <filesystem>
#include <system_error>

namespace helvanta {

namespace {

namespace fs = std::filesystem;

std::string Failure(const std::string& what, const fs::path& path, const std::error_code& error) {
  return "cannot " + what + " " + path.string() + ": " + error.message();
}

// The settings file copied from the box's unless the user has one; "" when done.
std::string MakeSettings(const fs::path& settings, const fs::path& source) {
  std::error_code error;
  if (fs::exists(settings, error)) return {};
  if (error) return Failure("read", settings, error);
  // Without the box's file the window starts on the defaults and saves a new one.
  if (!fs::exists(source, error)) return error ? Failure("read", source, error) : std::string();
  fs::create_directories(settings.parent_path(), error);
  if (error) return Failure("create", settings.parent_path(), error);
  fs::copy_file(source, settings, error);
  if (error) return Failure("make", settings, error);
  fs::permissions(settings, fs::perms::owner_read | fs::perms::owner_write, error);
  return error ? Failure("restrict", settings, error) : std::string();
}

}  // namespace

std::vector<std::string> PrepareUserFiles(const TFileLocations& files) {
  std::vector<std::string> failures;
  if (files.settingsSource.empty()) return failures;
  if (std::string failure = MakeSettings(files.settingsFile, files.settingsSource); !failure.empty()) {
    failures.push_back(std::move(failure));
  }
  std::error_code error;
  fs::create_directories(files.outputFolder, error);
  if (error) failures.push_back(Failure("create", files.outputFolder, error));
  return failures;
}

}  // namespace helvanta
