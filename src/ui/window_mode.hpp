#pragma once

namespace helvanta {

// Runs the desktop window until the main window closes: creates TFormMain, then the
// settings dialog and the about box, and runs Qt's loop. Returns the exit code (0).
int RunWindowMode(int argc, char** argv);

}  // namespace helvanta
