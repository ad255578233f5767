// The directory list as both views show it: the folders that lead to the
// open one, each a level deeper and drawn open, the open folder last among
// them; then its subfolders, one level deeper still and drawn closed. A
// drive's root line is spelt as the drive list spells drives, "c:\"; a
// network folder's root line is its share, "\\server\share".
#pragma once

#include <string>
#include <vector>

namespace tarnivo {

struct DirLine {
  std::string text;   // what is shown: "c:\", "\\nas\share", "Backup"
  std::string path;   // the folder that opening the line makes current, drive form
  int depth = 0;      // indentation level
  bool open = false;  // a folder leading to the current one (open-folder icon)
  bool operator==(const DirLine&) const = default;
};

// The lines of a directory list at `folder` (drive form, as DialogState
// holds it), with `subfolders` of it below.
//   DirLines("D:\Backup", {"Old"}) =>
//     {"d:\" D:\ 0 open}, {"Backup" D:\Backup 1 open}, {"Old" D:\Backup\Old 2}
//   DirLines("\\nas\share\x", {}) => {"\\nas\share" \\nas\share 0 open}, {"x" ... 1 open}
//   DirLines("", {"x"}) => {}
std::vector<DirLine> DirLines(const std::string& folder,
                              const std::vector<std::string>& subfolders);

// The index of the open folder's own line (the last open one); -1 when
// there are no lines.
int CurrentDirLine(const std::vector<DirLine>& lines);

// What Enter does in the directory list with line `highlighted` (from 0; -1
// for none): a highlighted folder that is not the open one is opened, and
// on the open folder (or on no line) Enter presses OK, the default button.
enum class DirListEnter { OpenHighlighted, PressOK };
DirListEnter EnterInDirList(const std::vector<DirLine>& lines, int highlighted);

}  // namespace tarnivo
