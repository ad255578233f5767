// What the FLTK view works out without FLTK: pixel rectangles from the
// control table, the keyboard's tab stops, the directory list's lines, and
// the texts of a message box. Kept apart from the widgets so that it can be
// tested without a display.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "dialog/ControlTable.h"

namespace tarnivo::view {

struct Rect {
  int x = 0, y = 0, w = 0, h = 0;
  bool operator==(const Rect&) const = default;
};

// A control's place in window pixels at `dpi` (a control in the frame is
// moved by the frame's origin). Edges are converted, not sizes, so that
// controls that touch in twips touch in pixels at any scale.
//   ControlRect(cmdOK) => {8, 256, 73, 25}
//   ControlRect(cmdOK, 144) => {12, 384, 110, 37}
Rect ControlRect(const ControlSpec& row, int dpi = 96);

// The client area in pixels at `dpi`: {0, 0, 246, 286}; at 192 {0, 0, 492, 572}.
Rect ClientRect(int dpi = 96);

// The controls that Tab visits, in order: by tab index, skipping labels and
// the frame, and of each option group only the selected button (the first
// by tab index when none is selected). `selected` tells whether an option
// button is selected.
std::vector<ControlId> TabStops(const std::function<bool(ControlId)>& selected);

// The stop that Tab (forward) or Shift+Tab (backward) moves to from
// `current`; from a control that is not a stop, the first or last stop.
ControlId NextTabStop(const std::vector<ControlId>& stops, ControlId current, bool forward);

// The control that a label's access key gives the focus to: the next
// control by tab index that takes the focus. Label3 => txtFileName.
ControlId AccessTarget(ControlId label);

// One line of the directory list.
struct DirLine {
  std::string text;   // what is shown: "c:\", "\\nas\share", "Backup"
  std::string path;   // the folder it opens, in drive form
  int depth = 0;      // indentation level
  bool open = false;  // a folder leading to the current path (open-folder icon)
  bool operator==(const DirLine&) const = default;
};

// The lines of a directory list at `folder` (drive form, as the dialog state
// holds it): the folders that lead to it, each one level deeper, the last
// being the folder itself; then its subfolders one level deeper again.
//   DirLines("D:\Backup", {"Old"}) =>
//     {"d:\" D:\ 0 open}, {"Backup" D:\Backup 1 open}, {"Old" D:\Backup\Old 2}
//   DirLines("\\nas\share\x", {}) => {"\\nas\share" \\nas\share 0 open}, {"x" ... 1 open}
std::vector<DirLine> DirLines(const std::string& folder,
                              const std::vector<std::string>& subfolders);

// The index of `folder`'s own line in DirLines(folder, ...): the last open one.
std::size_t CurrentDirLine(const std::vector<DirLine>& lines);

// The byte offset of character position `chars` (from 0) in UTF-8 `text`,
// clamped to the text's end: ByteOffset("äb", 1) => 2, ByteOffset("ab", 9) => 2.
int ByteOffset(const std::string& text, int chars);

// The first line (from `after` + 1 on, wrapping round) whose text begins
// with `key`, ignoring letter case; `after` -1 starts at the top. -1 when
// none does. Typing a letter in the drive or directory list jumps there.
int NextLineStartingWith(const std::vector<std::string>& texts, int after, const std::string& key);

// A message as a box shows it: each carriage return, alone or before a line
// feed, becomes one line break.
std::string MessageLines(const std::string& text);

// What Ctrl+C in a message box puts on the clipboard: title, text and the
// buttons, between dashed rules, as desktop message boxes do.
std::string MessageClipboardText(const std::string& title, const std::string& text,
                                 const std::vector<std::string>& buttons);

}  // namespace tarnivo::view
