#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "history/history_row.hpp"

namespace helvanta {

// Reads CSV records back through the template's record pattern: every placeholder the
// logger fills ("%date%", "%time%", "%1%" ... "%32%") becomes a field, right-aligned in
// at least 12 characters; everything else must be there exactly as in the pattern.
class TRecordParser {
 public:
  explicit TRecordParser(std::string_view pattern);

  // Whether the pattern dates its records (has "%date%" and "%time%").
  bool Dated() const;
  // Fills row, a row as newly made, from a record line; false when the line does not match
  // the pattern in every part (row is then of no use), so that no value is ever guessed.
  // The row carries the record's local time as if it were UTC (offset 0): only the lines
  // around it tell which hour a time of the repeated autumn hour is in (PlaceInTimeZone).
  // Filled in place, as a row is large and a file has a row a minute.
  bool Parse(std::string_view line, THistoryRow& row) const;

 private:
  enum class Kind { kLiteral, kDate, kTime, kRow };
  struct Token {
    Kind kind = Kind::kLiteral;
    std::string literal;
    int row = -1;
  };
  std::vector<Token> tokens_;
  bool dated_ = false;
};

}  // namespace helvanta
