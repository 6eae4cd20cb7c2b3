#include "service/packaged_unit.hpp"

#include <gtest/gtest.h>

#include <sstream>
#include <vector>

#include "service/service_installer.hpp"
#include "support/file_bytes.hpp"

namespace helvanta::testing {
namespace {

// The unit's lines but those naming the program, its logs and its documentation.
std::vector<std::string> SandboxLines(const std::string& unit) {
  std::vector<std::string> lines;
  std::istringstream in(unit);
  for (std::string line; std::getline(in, line);) {
    bool placed = false;
    for (const char* key : {"Documentation=", "ExecStart=", "ReadWritePaths=", "StateDirectory="}) {
      placed = placed || line.starts_with(key);
    }
    if (!placed) lines.push_back(line);
  }
  return lines;
}

TEST(PackagedUnitTest, IsTheShippedFileAndSandboxesAsTheInstalledUnitDoes) {
  const std::string packaged = PackagedServiceUnitText();
  // Regenerate with: build/default/tools/service_unit/helvanta-service-unit >debian/helvanta.HelvantaService.service
  EXPECT_EQ(ReadBytes(HELVANTA_SOURCE_DIR "/debian/helvanta.HelvantaService.service"), packaged);
  EXPECT_EQ(SandboxLines(packaged),
            SandboxLines(ServiceUnitText({"/opt/helvanta/helvanta", "/opt/helvanta/", "/srv/logs", true})));
  for (const char* line : {"\nExecStart=\"/usr/bin/helvanta\" -service\n", "\nStateDirectory=helvanta\n",
                           "\nReadWritePaths=\"-/var/lib/helvanta/Data\"\n", "\nDocumentation=man:helvanta(1)\n"}) {
    EXPECT_NE(packaged.find(line), std::string::npos) << line << packaged;
  }
}

}  // namespace
}  // namespace helvanta::testing
