// The Windows program: intake, then the dialog until the program ends.
// Free of windows.h, for the program's entry point.
#pragma once

namespace tarnivo::win32 {

int RunProgram();

}  // namespace tarnivo::win32
