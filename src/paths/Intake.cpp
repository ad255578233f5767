#include "paths/Intake.h"

#include <cstdlib>

#include "platform/PlatformServices.h"
#include "text/Text.h"

namespace tarnivo {
namespace {

// The spelling through which a name stored in the working directory is
// entered and shown: ToCase's where the platform finds that very entry
// through it, else the stored name itself. ToCase's spelling may name
// another entry or none: " Notes" trims to "Notes", "ıx" capitalises to
// "Ix", which matches "IX", and on Linux "plain.txt" and "Plain.txt" can be
// two files.
std::string Spelling(FileSystem& files, const std::string& stored) {
  const std::string cased = ToCase(stored);
  if (cased == stored) return stored;
  return files.DirectoryLookup(cased, kLookupAll) == stored ? cased : stored;
}

}  // namespace

std::string SourceFromCommandLine(const std::string& command_line) {
  if (!command_line.empty() && command_line.front() == '"') {
    const std::size_t close = command_line.find('"', 1);
    return command_line.substr(1, close == std::string::npos ? std::string::npos : close - 1);
  }
  return command_line.substr(0, command_line.find(' '));
}

std::string ToCase(const std::string& name) {
  const std::string trimmed = TrimSpaces(name);
  if (trimmed != ToLower(trimmed) && trimmed != ToUpper(trimmed)) return trimmed;
  std::u32string chars = Decode(trimmed);
  for (std::size_t i = 0; i < chars.size(); ++i) {
    chars[i] = i == 0 ? UpperChar(chars[i]) : LowerChar(chars[i]);
  }
  return Encode(chars);
}

void FileFout(Desktop& desktop) {
  try {
    desktop.ShowMessage("File not found !!", MessageBoxStyle::OkExclamation);
  } catch (const PlatformError&) {
    // The program ends all the same.
  }
  desktop.Terminate();
  std::abort();  // not reached: Terminate does not return
}

std::string InitDir(const PlatformServices& platform, const std::string& path) {
  FileSystem& files = platform.files;
  try {
    // Only a drive-rooted path: "C:AB" or "Db\F.TXT" would be looked up
    // from some drive's working directory, not where the line points.
    if (Mid(path, 2, 2) != ":\\") throw PlatformError("not drive-rooted: " + path);
    files.ChangeDrive(Left(path, 2));
    files.ChangeDirectory(ToUpper(Left(path, 3)));
    if (CharCount(path) == 3) FileFout(platform.desktop);

    // Every component, the file name included, is now followed by a backslash.
    std::string rest = Mid(path, 4) + "\\";
    std::string stored;
    for (;;) {
      const std::size_t p = rest.find('\\');
      const std::string component = rest.substr(0, p);
      // The lookup would match '*' and '?' as a pattern, take '/' as a
      // separator and "D:" as another drive's working directory, and so
      // resolve to some other file than the one named.
      if (component.find_first_of("*?/:") != std::string::npos) {
        throw PlatformError("not a plain name: " + component);
      }
      stored = files.DirectoryLookup(component, kLookupAll);
      if (stored.empty()) throw PlatformError("not found: " + component);
      rest = rest.substr(p + 1);
      if (rest.find('\\') == std::string::npos) break;
      files.ChangeDirectory(Spelling(files, stored));
    }

    const std::string cur = files.CurrentDirectory();
    const char* separator = CharCount(cur) == 3 ? "" : "\\";
    return cur + separator + Spelling(files, stored);
  } catch (const PlatformError&) {
    FileFout(platform.desktop);
  }
}

}  // namespace tarnivo
