#include <cstdio>
#include <string>
#include <vector>

#include "app/startup.hpp"
#include "app/window_program.hpp"
#include "config/web_settings.hpp"

namespace helvanta {

// Windows builds have no window: the service's web page shows the values instead, at
// the address the settings give it.
int StartWindowProgram(char** /*argv*/) {
  std::vector<TReplacedSetting> replaced;
  const TWebSettings web = LoadWebSettings(replaced);
  const std::string page = "http://" + web.Listen.Text() + "/";
  if (web.Enabled) {
    std::fprintf(stderr, "%s: this build has no window; start it with -service and open %s in a browser.\n",
                 kApplicationTitleText, page.c_str());
  } else {
    std::fprintf(stderr,
                 "%s: this build has no window; start it with -service after adding a [Web] section to "
                 "Helvanta.ini, and open %s in a browser.\n",
                 kApplicationTitleText, page.c_str());
  }
  return 1;
}

}  // namespace helvanta
