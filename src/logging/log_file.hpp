#pragma once

#include <string>
#include <string_view>

namespace helvanta {

// Appends to the file at path in one write: header + record when this call creates
// the file, record alone when it exists already. On any failure the file is left as
// it was (a file created here is removed again) and false is returned.
bool AppendToDailyFile(const std::string& path, std::string_view header, std::string_view record);

}  // namespace helvanta
