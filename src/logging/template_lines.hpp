#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace helvanta {

// Cuts a template's text into lines: CR LF, a lone CR and a lone LF each end a line,
// a line end at the very end adds no empty line, and a NUL ends the text.
std::vector<std::string> SplitTemplateLines(std::string_view text);

// The same lines as views into text, for files too large to copy line by line.
std::vector<std::string_view> SplitTemplateLineViews(std::string_view text);

}  // namespace helvanta
