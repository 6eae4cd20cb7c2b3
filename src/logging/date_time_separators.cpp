#include "logging/date_time_separators.hpp"

namespace helvanta {

char SeparatorOfFormat(std::string_view format, char fallback) {
  std::size_t i = 0;
  while (i < format.size()) {
    if (format[i] != '%') return format[i];
    ++i;
    // Flags, field width and the E/O modifiers belong to the conversion.
    while (i < format.size() && std::string_view("_-0^#EO123456789").find(format[i]) != std::string_view::npos) ++i;
    ++i;
  }
  return fallback;
}

}  // namespace helvanta
