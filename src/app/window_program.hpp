#pragma once

namespace helvanta {

// Window mode of helvanta. The window lives in a second executable, helvanta-window
// (beside the real executable, or in libexec/helvanta when installed, where a missing one
// names its package), so that helvanta itself loads no Qt: this replaces the
// process with it, passing the same arguments. Returns only when that fails (or the
// build has no window), with exit code 1 after one line on standard error.
int StartWindowProgram(char** argv);

}  // namespace helvanta
