// What the FLTK view works out without FLTK: pixel rectangles from the
// control table, typed-letter jumps, and the texts of a message box. Kept apart from the widgets so
// that it can be tested without a display.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "dialog/ControlTable.h"
#include "dialog/DirListModel.h"

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
Rect ControlRect(const ControlRow& row, int dpi = 96);

// The client area in pixels at `dpi`: {0, 0, 246, 286}; at 192 {0, 0, 492, 572}.
Rect ClientRect(int dpi = 96);

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
