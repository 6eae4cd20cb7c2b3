#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>

#include "config/file_access.hpp"
#include "support/file_bytes.hpp"
#include "support/running_as_root.hpp"
#include "support/temp_folder.hpp"

namespace helvanta {
namespace {

using testing::ReadBytes;
using testing::RunningAsRoot;
using testing::TempFolder;
using testing::WriteBytes;

TEST(ReadFileBytes, TellsMissingFromUnreadable) {
  TempFolder folder;
  const std::string file = folder.File("a.ini");
  WriteBytes(file, std::string("x\0y\r\n", 5));
  const FileBytes content = ReadFileBytes(file);
  EXPECT_EQ(content.status, FileReadStatus::kOk);
  EXPECT_EQ(content.bytes, std::string("x\0y\r\n", 5));

  EXPECT_EQ(ReadFileBytes(folder.File("none.ini")).status, FileReadStatus::kMissing);
  EXPECT_EQ(ReadFileBytes(file + "/below").status, FileReadStatus::kMissing);

  std::filesystem::create_directory(folder.File("dir.ini"));
  EXPECT_EQ(ReadFileBytes(folder.File("dir.ini")).status, FileReadStatus::kFailed);

#ifndef _WIN32
  // A named pipe without a writer must not block the reader; Windows has none in folders.
  ASSERT_EQ(::mkfifo(folder.File("pipe.ini").c_str(), 0600), 0);
  EXPECT_EQ(ReadFileBytes(folder.File("pipe.ini")).status, FileReadStatus::kFailed);
#endif

  // A file over 1 MiB is refused instead of being read; 1 MiB itself is read.
  WriteBytes(folder.File("huge.ini"), "");
  ASSERT_EQ(::truncate(folder.File("huge.ini").c_str(), static_cast<off_t>(kMaxConfigFileSize) + 1), 0);
  EXPECT_EQ(ReadFileBytes(folder.File("huge.ini")).status, FileReadStatus::kTooLarge);
  ASSERT_EQ(::truncate(folder.File("huge.ini").c_str(), static_cast<off_t>(kMaxConfigFileSize)), 0);
  EXPECT_EQ(ReadFileBytes(folder.File("huge.ini")).bytes.size(), kMaxConfigFileSize);
}

TEST(RegularFileExists, OnlyForRegularFiles) {
  TempFolder folder;
  WriteBytes(folder.File("a"), "");
  std::filesystem::create_directory(folder.File("d"));
  EXPECT_TRUE(RegularFileExists(folder.File("a")));
  EXPECT_FALSE(RegularFileExists(folder.File("d")));
  EXPECT_FALSE(RegularFileExists(folder.File("missing")));
}

TEST(ReplaceFileContent, ReplacesWholeFilesAndLeavesNoTempFiles) {
  TempFolder folder;
  const std::string file = folder.File("a.ini");
  ASSERT_TRUE(ReplaceFileContent(file, "new\n"));
  EXPECT_EQ(ReadBytes(file), "new\n");
  ASSERT_TRUE(ReplaceFileContent(file, std::string("\0\xff\r", 3)));
  EXPECT_EQ(ReadBytes(file), std::string("\0\xff\r", 3));
  EXPECT_EQ(folder.Entries(), std::vector<std::string>{"a.ini"});
}

TEST(ReplaceFileContent, RefusesWhatCannotBeReplacedAndKeepsTheOldFile) {
  TempFolder folder;
  const std::string file = folder.File("a.ini");
  const std::string old = "[Window]\r\nTop=5\r\n\xfe";
  WriteBytes(file, old);

  // Read-only file: refused even for root, who could otherwise rename over it.
  ASSERT_EQ(::chmod(file.c_str(), 0444), 0);
  EXPECT_FALSE(ReplaceFileContent(file, "other"));
  EXPECT_EQ(ReadBytes(file), old);
  ASSERT_EQ(::chmod(file.c_str(), 0644), 0);

  // A folder in place of the file, and a path below a regular file.
  std::filesystem::create_directory(folder.File("dir.ini"));
  EXPECT_FALSE(ReplaceFileContent(folder.File("dir.ini"), "other"));
  EXPECT_TRUE(std::filesystem::is_directory(folder.File("dir.ini")));
  EXPECT_FALSE(ReplaceFileContent(file + "/Helvanta.ini", "other"));
  EXPECT_EQ(ReadBytes(file), old);

  std::vector<std::string> entries = folder.Entries();
  std::sort(entries.begin(), entries.end());
  EXPECT_EQ(entries, (std::vector<std::string>{"a.ini", "dir.ini"}));
}

TEST(ReplaceFileContent, RefusesAReadOnlyFolder) {
  if (RunningAsRoot()) GTEST_SKIP() << "root writes into read-only folders; covered by the path-below-a-file case";
  TempFolder folder;
  const std::string file = folder.File("a.ini");
  WriteBytes(file, "old");
  ASSERT_EQ(::chmod(folder.Path().c_str(), 0555), 0);
  EXPECT_FALSE(ReplaceFileContent(file, "new"));
  EXPECT_FALSE(ReplaceFileContent(folder.File("b.ini"), "new"));
  ASSERT_EQ(::chmod(folder.Path().c_str(), 0755), 0);
  EXPECT_EQ(ReadBytes(file), "old");
  EXPECT_EQ(folder.Entries(), std::vector<std::string>{"a.ini"});
}

}  // namespace
}  // namespace helvanta
