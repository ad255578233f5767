// Linux names in drive form. A Linux name may hold \ : * ? " < > |, which a
// drive-form path cannot: each of them stands in drive form as the private-use
// character U+F000 plus its code (':' is U+F03A, '\' is U+F05C, ...), and is
// given back on the way to the file system. The dialog on Linux shows and
// takes names as they are on disk, so it maps at its boundary too.
//
// The mapping is one to one on the names it shows. A Linux name that already
// holds one of the eight private-use characters has no drive form (it would
// read back as another name): like a name with a control character, it is
// not listed and cannot be named. So two Linux names never share a drive
// form, and a name read from a folder and written back unchanged gives the
// same Linux name.
//
// Only those eight characters are touched; '/' is never part of a name. A
// name that is not UTF-8 passes through byte for byte (the eight are ASCII,
// which never occurs inside a multi-byte sequence).
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tarnivo::posix {

// Linux name => drive-form name; none when the name holds one of the eight
// private-use characters itself.
//   "notes 10:30.txt" => "notes 10\uF03A30.txt"   "a\b" => "a\uF05Cb"
//   "x\uF03Ay"        => none
std::optional<std::string> DriveName(std::string_view linux_name);

// Drive-form text => Linux text: each of the eight private-use characters
// back to its ASCII character, everything else unchanged. Applied to a whole
// path it keeps the separators, so it also gives the text the dialog shows.
//   "C:\2024\uF03A Q1\x" => "C:\2024: Q1\x"
std::string LinuxName(std::string_view drive_text);

// A name typed in the dialog => drive form: each of the eight ASCII
// characters to its private-use character ('/' stays, and the core refuses
// it). A typed private-use character stays, and so names the ASCII one.
//   "what?.txt" => "what\uF03F.txt"
std::string TypedName(std::string_view typed);

// A folder typed in the dialog => drive form: a drive path ("C:\2024: Q1")
// or network path ("\\nas\docs\a|b") has each component below its drive or
// share mapped as TypedName does, '\' and '/' staying separators; a Linux
// path or URL ("/srv/x", "smb://nas/docs") is native text and stays as typed.
std::string TypedPath(std::string_view typed);

}  // namespace tarnivo::posix
