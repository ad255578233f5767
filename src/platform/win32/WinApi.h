// windows.h for the Win32 files only, without the macros that would rename
// the platform interface's operations (CopyFile, DeleteFile, ...).
#pragma once

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#undef CopyFile
#undef DeleteFile
#undef MoveFile
#undef GetCurrentDirectory
#undef SetCurrentDirectory
#undef GetCommandLine
#undef DrawText

#include <string>

#include "platform/PlatformError.h"

namespace tarnivo::win32 {

// Throws PlatformError naming `what` and a Win32 error. Callers read
// GetLastError() before building `what`, which may allocate and so change it.
[[noreturn]] inline void Fail(const std::string& what, DWORD error) {
  throw PlatformError(what + " (Win32 error " + std::to_string(error) + ")");
}

}  // namespace tarnivo::win32
