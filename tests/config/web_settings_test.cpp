#include <gtest/gtest.h>

#include "config/web_settings.hpp"
#include "runtime/program_folder.hpp"
#include "support/file_bytes.hpp"
#include "support/temp_folder.hpp"

namespace helvanta {
namespace {

using testing::TempFolder;
using testing::WriteBytes;

TEST(WebSettingsTest, ListenTakesNumericAddressesWithAPort) {
  struct Case {
    std::string text;
    bool valid;
    std::string host;
    int port;
    bool loopback;
  };
  for (const Case& c : std::vector<Case>{
           {"127.0.0.1:8480", true, "127.0.0.1", 8480, true},
           {"127.1.2.3:1", true, "127.1.2.3", 1, true},
           {"localhost:65535", true, "localhost", 65535, true},
           {"[::1]:8480", true, "::1", 8480, true},
           {"0.0.0.0:80", true, "0.0.0.0", 80, false},
           {"192.168.1.20:8480", true, "192.168.1.20", 8480, false},
           {"[::]:8480", true, "::", 8480, false},
           {"[fe80::1]:8480", true, "fe80::1", 8480, false},
           {"127.0.0.1", false, "", 0, false},
           {"127.0.0.1:0", false, "", 0, false},
           {"127.0.0.1:65536", false, "", 0, false},
           {"127.0.0.1:+80", false, "", 0, false},
           {"127.0.0.01:80", false, "", 0, false},
           {"256.0.0.1:80", false, "", 0, false},
           {"1.2.3:80", false, "", 0, false},
           {"::1:8480", false, "", 0, false},
           {"example.org:80", false, "", 0, false},
           {":8480", false, "", 0, false},
       }) {
    const std::optional<TListenAddress> address = ParseListenAddress(c.text);
    ASSERT_EQ(address.has_value(), c.valid) << c.text;
    if (!address) continue;
    EXPECT_EQ(address->host, c.host);
    EXPECT_EQ(address->port, c.port);
    EXPECT_EQ(address->Text(), c.text);
    EXPECT_EQ(IsLoopbackHost(address->host), c.loopback) << c.text;
  }
}

TEST(WebSettingsTest, TheSectionTurnsThePageOnAndABadListenIsReplaced) {
  TempFolder folder;
  SetProgramFolder(folder.Path());
  struct Case {
    std::string ini;
    bool enabled;
    std::string listen;
    std::size_t replaced;
  };
  for (const Case& c : std::vector<Case>{
           {"[Data Logging]\r\nComPort=COM1\r\n", false, "127.0.0.1:8480", 0},
           {"[web]\r\n", true, "127.0.0.1:8480", 0},
           {"[Web]\r\nListen=\r\n", false, "127.0.0.1:8480", 0},
           {"[Web]\r\nListen=0.0.0.0:9000\r\nUser=a\r\nPassword=b\r\n", true, "0.0.0.0:9000", 0},
           {"[Web]\r\nListen=everywhere\r\n", true, "127.0.0.1:8480", 1},
       }) {
    WriteBytes(folder.File("Helvanta.ini"), c.ini);
    std::vector<TReplacedSetting> replaced;
    const TWebSettings settings = LoadWebSettings(replaced);
    EXPECT_EQ(settings.Enabled, c.enabled) << c.ini;
    EXPECT_EQ(settings.Listen.Text(), c.listen) << c.ini;
    ASSERT_EQ(replaced.size(), c.replaced) << c.ini;
    if (c.replaced != 0) {
      EXPECT_EQ(replaced[0].rejected, "everywhere");
    }
  }
}

}  // namespace
}  // namespace helvanta
