#pragma once

namespace helvanta {

class TFormAbout;
class TFormMain;
class TFormSettings;

// For the documentation: with the option --screenshots=<folder> the running program
// connects, lets a full pass of measurands come in, saves pictures of the main window,
// the settings dialog and the about box into the folder as PNG files and closes.
// Without the option it does nothing.
void StartScreenshotsIfAsked(TFormMain& formMain, TFormSettings& formSettings, TFormAbout& formAbout);

}  // namespace helvanta
