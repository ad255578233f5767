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
