#pragma once

#include <string>
#include <string_view>

namespace helvanta {

// Whole-file access for the settings and language files.

enum class FileReadStatus { kOk, kMissing, kFailed, kTooLarge };

struct FileBytes {
  FileReadStatus status = FileReadStatus::kMissing;
  std::string bytes;
};

// Settings, language and template files larger than this are refused as unreadable: a
// wrong path or a runaway file must neither exhaust memory nor stall the tick (each
// record reads the template again).
inline constexpr std::size_t kMaxConfigFileSize = 1024u * 1024u;

// The content of a regular file. Anything that is not a regular file (a folder, a device,
// a pipe) or cannot be read gives kFailed, a file over kMaxConfigFileSize kTooLarge; a
// path that does not exist gives kMissing.
FileBytes ReadFileBytes(const std::string& path);

// True when `path` names an existing regular file (following symbolic links).
bool RegularFileExists(const std::string& path);

// True when `path` names an existing folder in which this process may create files.
bool FolderWritable(const std::string& path);

// Replaces the file's content with `bytes`: written to a new file in the same folder and
// renamed over the old one, so readers and failures never see a half file. A read-only
// file (no write permission bit at all, or not writable for this process) is refused.
// False when anything failed; the old file is then left as it was.
bool ReplaceFileContent(const std::string& path, std::string_view bytes);

}  // namespace helvanta
