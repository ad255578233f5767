// Source file intake: from the command line to the stored path of the file.
#pragma once

#include <string>

namespace tarnivo {

class Desktop;
struct PlatformServices;

// The source path in a command line. A line that begins with a double quote
// gives the text up to the next quote (or the end); any other line gives the
// text before its first space, untrimmed.
//   "C:\MYDOCU~1\A.DOC C:\B.DOC" => "C:\MYDOCU~1\A.DOC"
//   "\"C:\My Documents\A b.doc\" x" => "C:\My Documents\A b.doc"
std::string SourceFromCommandLine(const std::string& command_line);

// Resolves `path` component by component to its stored names, entering each
// folder on the way, and returns the full path: each folder as entered and
// the file's name, each its stored name passed through ToCase where a lookup
// of that spelling finds the stored entry itself, else the stored name (on
// Linux, "Plain.txt" may be another file beside "plain.txt").
// Leaves the file's drive current and its folder the working directory. Only
// a drive-rooted path ("C:\...") is taken, and a component holding '*', '?',
// '/' or ':' names no file. Any failure shows "File not found !!" and ends
// the program.
//   "C:\MYDOCU~1\REPORT.DOC" => "C:\My documents\Report.doc"  (folder stored as
//   "MY DOCUMENTS", file as "REPORT.DOC")
std::string InitDir(const PlatformServices& platform, const std::string& path);

// Trims spaces; a name in one letter case becomes capitalised, a mixed-case
// name is kept. "PROGRA~1" => "Progra~1", "readme.txt" => "Readme.txt",
// "Program Files" => "Program Files", "1998" => "1998".
std::string ToCase(const std::string& name);

// Shows "File not found !!" and ends the program.
[[noreturn]] void FileFout(Desktop& desktop);

}  // namespace tarnivo
