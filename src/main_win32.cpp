// Program entry on Windows (-municode, GUI subsystem).
#include "dialog/win32/Program.h"

int wmain() { return tarnivo::win32::RunProgram(); }
