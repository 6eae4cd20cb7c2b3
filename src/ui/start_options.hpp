#pragma once

namespace helvanta {

class TFormAbout;
class TFormMain;
class TFormSettings;

// Options of window mode that no user menu offers, for the benchmark and the
// documentation:
//   --connect             connects at start, as File > Connect would;
//   --screenshots=<dir>   connects, waits until every measurand has answered and the
//                         history has moved once, saves the main window, the settings
//                         dialog and the about box as PNG files into <dir> and closes.
// Without them nothing happens.
void ApplyStartOptions(TFormMain& formMain, TFormSettings& formSettings, TFormAbout& formAbout);

}  // namespace helvanta
