// UTF-8 <=> UTF-16 at the Win32 boundary, and the name rules that Windows
// applies to the last component of a path.
//
// Conversion is lossless for every name Windows can hold: a lone surrogate in
// a UTF-16 name becomes its three-byte generalised UTF-8 form and comes back
// unchanged. A byte that is not UTF-8 at all (none comes from Windows) turns
// into U+FFFD.
//
// Free of windows.h, so that the test driver and the dialog can share it.
#pragma once

#include <string>

namespace tarnivo::win32 {

std::wstring Widen(const std::string& utf8);  // "Ä.doc" => L"Ä.doc"
std::string Narrow(const std::wstring& utf16);

// The UTF-16 offset of character `chars` (counted as the core counts them)
// in `utf8`; past the end gives the whole length.
//   Utf16Offset("a😀b", 2) => 3
int Utf16Offset(const std::string& utf8, int chars);

// The text after the last backslash or slash: "C:\Dir\a.txt" => "a.txt".
std::string LastComponent(const std::string& path);

// A name that Windows takes for a device whatever the folder: CON, PRN, AUX,
// NUL, COM1-9, LPT1-9 (also with the superscript digits 1, 2, 3), CONIN$,
// CONOUT$, in any case, with or without an extension and trailing blanks.
//   "con" => true, "Nul.txt" => true, "LPT1 .doc" => true, "console" => false
bool IsReservedDeviceName(const std::string& name);

// Windows strips trailing dots and spaces from a name, so a file named so
// would be another file: "a." => true, "a " => true, "." => false, ".." => false.
bool EndsInDotOrSpace(const std::string& name);

// A name with a character that Windows never stores (< > " | and control
// characters) or, unless `patterns`, the wildcards * and ?.
bool HasInvalidNameChar(const std::string& name, bool patterns);

}  // namespace tarnivo::win32
