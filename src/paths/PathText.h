// Pure text functions that split and shorten a resolved path for the dialog.
// Positions count characters, so a path is never cut inside a character.
#pragma once

#include <string>

namespace tarnivo {

class Desktop;

// The path up to and including its last backslash; "" when there is none.
// After each backslash found only the next 200 characters are searched, so a
// backslash more than 200 characters beyond the previous one is not reached.
//   FilePath("C:\Dir\File.txt") => "C:\Dir\"     FilePath("C:\a.txt") => "C:\"
//   FilePath("a.txt") => ""
std::string FilePath(const std::string& path);

// The text after the last backslash; the whole text when there is none.
//   FileTitle("C:\Dir\File.txt") => "File.txt"   FileTitle("C:\Dir\") => ""
std::string FileTitle(const std::string& path);

// The form of `path` shown in the source label: the drive root, then as many
// trailing folders and the name as fit in `label_width` twips (a measured width
// equal to the label's does not fit), with "...\" standing for the folders
// dropped. The name itself is never dropped, and only the first 200
// characters after the root are ever shown.
//   "C:\Very\Long\Chain\File.txt" => "C:\...\Chain\File.txt"
std::string KorteFileName(Desktop& desktop, const std::string& path, int label_width);

}  // namespace tarnivo
