// The compressor against a decoder of its own: gzip unpacks every kind of input whole.
#include <gtest/gtest.h>

#include <filesystem>
#include <random>

#include "support/file_bytes.hpp"
#include "support/spawn_posix.hpp"
#include "support/temp_folder.hpp"
#include "text/gzip.hpp"

namespace helvanta {
namespace {

TEST(Gzip, GzipUnpacksEveryKindOfInputWhole) {
  testing::TempFolder folder;
  std::mt19937 random(7);
  std::string noise(100'000, '\0');
  for (char& c : noise) c = static_cast<char>(random());
  std::string farRepeat = noise.substr(0, 40'000);  // repeats at the window's edge and beyond
  farRepeat += farRepeat.substr(0, 33'000);
  std::string text;
  for (int i = 0; i < 5'000; ++i)
    text += "{\"minute\":" + std::to_string(i) + ",\"ac_power\":" + std::to_string(i % 97) + "},";
  const std::vector<std::pair<std::string, std::string>> cases{
      {"empty", ""},
      {"one byte", "x"},
      {"three bytes", "abc"},
      {"a run longer than a match", std::string(100'000, 'a')},
      {"noise", noise},
      {"far repeats", farRepeat},
      {"JSON-like text", text},
  };
  for (const auto& [name, input] : cases) {
    SCOPED_TRACE(name);
    const std::string packed = Gzip(input);
    testing::WriteBytes(folder.File("in.gz"), packed);
    const pid_t gunzip = testing::SpawnWithOutput({"gzip", "-dc", folder.File("in.gz")}, folder.File("out"));
    ASSERT_EQ(testing::WaitExit(gunzip), 0);
    EXPECT_EQ(testing::ReadBytes(folder.File("out")), input);
    if (name == "JSON-like text") {
      EXPECT_LT(packed.size(), input.size() / 4);
    }
  }
}

}  // namespace
}  // namespace helvanta
