#include "history/file_header.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "history/history_store.hpp"
#include "support/file_bytes.hpp"
#include "support/history_fixtures.hpp"
#include "support/temp_folder.hpp"

namespace helvanta {
namespace {

using testing::TempFolder;

// What the header and the size can tell, and what they must leave to SQLite: a file
// short of its pages while a write-ahead log holds them is whole.
TEST(DatabaseFileDamage, ReadsTheHeaderAndTheSizeOnly) {
  struct Case {
    const char* name;
    std::function<void(const std::string& path)> spoil;
    const char* damage;  // the start of the reason, or nullptr for none
  };
  const auto cut = [](std::uintmax_t bytes) {
    return [bytes](const std::string& path) { std::filesystem::resize_file(path, bytes); };
  };
  const auto overwrite = [](std::size_t at, std::string bytes) {
    return [at, bytes](const std::string& path) {
      std::string file = testing::ReadBytes(path);
      file.replace(at, bytes.size(), bytes);
      testing::WriteBytes(path, file);
    };
  };
  const std::vector<Case> cases{
      {"whole", [](const std::string&) {}, nullptr},
      {"missing", [](const std::string& path) { std::filesystem::remove(path); }, nullptr},
      {"empty", cut(0), nullptr},
      {"shorter than the header", cut(50), "shorter than its header"},
      {"another file", [](const std::string& path) { testing::WriteBytes(path, testing::BinaryGarbage()); },
       "not an SQLite database"},
      {"page size damaged", overwrite(16, std::string("\x03\x00", 2)), "its header is damaged"},
      {"cut short", cut(4096 * 3), "cut short"},
      {"cut short, its pages in the log",
       [&cut](const std::string& path) {
         cut(4096 * 3)(path);
         testing::WriteBytes(path + "-wal", "pages");
       },
       nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TempFolder folder;
    const std::string path = folder.File("h.sqlite");
    std::vector<THistoryRow> rows;
    for (int m = 0; m < 1440; ++m) rows.push_back(testing::FullRow(m));
    ASSERT_EQ(THistoryStore().Write(path, rows).fault, THistoryFault::kNone);
    c.spoil(path);
    const std::optional<std::string> damage = DatabaseFileDamage(path);
    if (c.damage == nullptr) {
      EXPECT_FALSE(damage.has_value()) << *damage;
    } else {
      ASSERT_TRUE(damage.has_value());
      EXPECT_TRUE(damage->starts_with(c.damage)) << *damage;
    }
  }
}

}  // namespace
}  // namespace helvanta
