#include <time.h>

#include "mqtt/mqtt_payloads.hpp"

namespace helvanta {

int LocalUtcOffsetMinutes(const DateTime& t) {
  tm local{};
  local.tm_year = t.year - 1900;
  local.tm_mon = t.month - 1;
  local.tm_mday = t.day;
  local.tm_hour = t.hour;
  local.tm_min = t.minute;
  local.tm_sec = t.second;
  local.tm_isdst = -1;  // the zone's rules decide, as for any wall-clock reading
  if (mktime(&local) == static_cast<time_t>(-1)) return 0;
  return static_cast<int>(local.tm_gmtoff / 60);
}

}  // namespace helvanta
