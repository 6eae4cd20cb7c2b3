#include "config/file_locations.hpp"

#include <gtest/gtest.h>

namespace helvanta {
namespace {

const TInstalledFolders kUsr{"/usr/bin", "/usr/libexec", "/usr/share", "/etc", "/var"};

TEST(FileLocationsTest, OwnFolderKeepsEverythingBesideTheExecutableAndInstalledSplitsByMode) {
  constexpr auto kSystem = TProgramMode::kSystem;
  constexpr auto kWindow = TProgramMode::kWindow;
  const struct {
    TLocationInputs inputs;
    bool installed;
    std::string settings, source, output;
  } cases[] = {
      // A build tree or unpacked folder, whatever the mode and the environment.
      {{"/home/u/helvanta/", kWindow, "/home/u/.cfg", "/home/u/.dat", "/home/u"},
       false,
       "/home/u/helvanta/Helvanta.ini",
       "",
       "/home/u/helvanta/Data"},
      {{"/usr/local/bin/", kSystem, "", "", "/root"}, false, "/usr/local/bin/Helvanta.ini", "", "/usr/local/bin/Data"},
      // Installed: the service and the tools read the box's settings, also as a user.
      {{"/usr/bin/", kSystem, "/home/u/.cfg", "", "/home/u"},
       true,
       "/etc/helvanta/Helvanta.ini",
       "",
       "/var/lib/helvanta/Data"},
      // The window, as helvanta or as helvanta-window itself, uses the user's XDG folders.
      {{"/usr/bin/", kWindow, "", "", "/home/u"},
       true,
       "/home/u/.config/helvanta/Helvanta.ini",
       "/etc/helvanta/Helvanta.ini",
       "/home/u/.local/share/helvanta/Data"},
      {{"/usr/libexec/helvanta/", kWindow, "/home/u/.cfg", "/home/u/.dat/", "/home/u"},
       true,
       "/home/u/.cfg/helvanta/Helvanta.ini",
       "/etc/helvanta/Helvanta.ini",
       "/home/u/.dat/helvanta/Data"},
      // Relative XDG folders are ignored; without a home the window reads the box's file.
      {{"/usr/bin/", kWindow, "cfg", "dat", "/home/u"},
       true,
       "/home/u/.config/helvanta/Helvanta.ini",
       "/etc/helvanta/Helvanta.ini",
       "/home/u/.local/share/helvanta/Data"},
      {{"/usr/bin/", kWindow, "", "", ""}, true, "/etc/helvanta/Helvanta.ini", "", "/var/lib/helvanta/Data"},
  };
  for (const auto& c : cases) {
    const TFileLocations files = ChooseFileLocations(c.inputs, kUsr);
    const std::string where = c.inputs.executableFolder + " mode " + std::to_string(static_cast<int>(c.inputs.mode));
    EXPECT_EQ(files.installed, c.installed) << where;
    EXPECT_EQ(files.settingsFile, c.settings) << where;
    EXPECT_EQ(files.settingsSource, c.source) << where;
    EXPECT_EQ(files.outputFolder, c.output) << where;
    const std::string shared = c.installed ? "/usr/share/helvanta/" : c.inputs.executableFolder;
    EXPECT_EQ(files.templateFile, shared + "Template.csv") << where;
    EXPECT_EQ(files.languageFile, shared + "Helvanta.lng") << where;
    EXPECT_EQ(files.windowProgram,
              (c.installed ? "/usr/libexec/helvanta/" : c.inputs.executableFolder) + "helvanta-window")
        << where;
  }
}

}  // namespace
}  // namespace helvanta
