#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>

#include "config/file_access.hpp"
#include "support/file_bytes.hpp"
#include "support/temp_folder.hpp"

namespace helvanta {
namespace {

using testing::ReadBytes;
using testing::TempFolder;

mode_t ModeOf(const std::string& path) {
  struct stat st {};
  EXPECT_EQ(::stat(path.c_str(), &st), 0);
  return st.st_mode & 07777;
}

TEST(ReplaceFileContent, KeepsTheFilesModeAndLinks) {
  TempFolder folder;
  const std::string file = folder.File("a.ini");
  ASSERT_TRUE(ReplaceFileContent(file, "new\n"));
  ASSERT_EQ(::chmod(file.c_str(), 0640), 0);
  ASSERT_TRUE(ReplaceFileContent(file, std::string("\0\xff\r", 3)));
  EXPECT_EQ(ReadBytes(file), std::string("\0\xff\r", 3));
  EXPECT_EQ(ModeOf(file), 0640u) << "the file keeps its permissions";

  // A link stays a link; its target gets the content.
  const std::string link = folder.File("link.ini");
  std::filesystem::create_symlink(file, link);
  ASSERT_TRUE(ReplaceFileContent(link, "through link"));
  EXPECT_TRUE(std::filesystem::is_symlink(link));
  EXPECT_EQ(ReadBytes(file), "through link");

  std::vector<std::string> entries = folder.Entries();
  std::sort(entries.begin(), entries.end());
  EXPECT_EQ(entries, (std::vector<std::string>{"a.ini", "link.ini"}));
}

}  // namespace
}  // namespace helvanta
