// What the Linux view works out without its toolkit: pixel rectangles from
// the control table, the scale at which the desktop's font fits them,
// captions as mnemonics, typed-letter jumps, and the texts of a message box.
// Kept apart from the widgets so that it can be tested without a display.
#pragma once

#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "dialog/ControlTable.h"

namespace tarnivo::view {

inline constexpr int kBaseDpi = 96;
// A line of the directory list, in twips: 16 pixels at 96 dpi.
inline constexpr int kDirLineTwips = 240;

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

// `pixels` at 96 dpi at `dpi`, rounded to nearest (halves away from 0):
//   ScalePixels(11, 144) => 17, ScalePixels(-3, 144) => -5.
constexpr int ScalePixels(int pixels, int dpi) {
  const int magnitude = ((pixels < 0 ? -pixels : pixels) * dpi + kBaseDpi / 2) / kBaseDpi;
  return pixels < 0 ? -magnitude : magnitude;
}

// A width in pixels at `dpi` as twips, so that the core measures texts
// against the control table's widths at any scale:
//   PixelsToTwips(209, 96) => 3135, PixelsToTwips(418, 192) => 3135.
int PixelsToTwips(double pixels, int dpi);

// What a widget needs to show its text uncut: at least `pixels` between the
// twips edges `from` and `to` (a control's left and right, or top and bottom).
struct PixelNeed {
  int from = 0, to = 0;
  int pixels = 0;
};

// The needs of a control's width and height: {left, right, width} and
// {top, bottom, height}, in the frame's coordinates for a control in it.
PixelNeed WidthNeed(const ControlRow& row, int pixels);
PixelNeed HeightNeed(const ControlRow& row, int pixels);

// The smallest dpi from `dpi` up at which every need has its pixels: the
// dialog grows with the desktop's font as dialog units do, where the font
// would not fit the twips. At most four times `dpi`.
//   FitDpi(96, {}) => 96;  FitDpi(96, {WidthNeed(optNetwork, 76)}) => 113
int FitDpi(int dpi, std::span<const PixelNeed> needs);

// A caption with '&' marking its access key as a toolkit mnemonic with '_':
//   "&Copy" => "_Copy", "a && b" => "a & b", "snake_case" => "snake__case".
std::string MnemonicCaption(std::string_view caption);

// The first of `count` lines (from `after` + 1 on, wrapping round) whose
// text, as `text` gives it, begins with `key`, ignoring letter case; `after`
// -1 starts at the top. -1 when none does. Typing a letter in the drive or
// directory list jumps there.
int NextLineStartingWith(int count, int after, const std::string& key,
                         const std::function<std::string_view(int)>& text);
int NextLineStartingWith(const std::vector<std::string>& texts, int after, const std::string& key);

// A message as a box shows it: each carriage return, alone or before a line
// feed, becomes one line break.
std::string MessageLines(const std::string& text);

// What Ctrl+C in a message box puts on the clipboard: title, text and the
// buttons, between dashed rules, as desktop message boxes do.
std::string MessageClipboardText(const std::string& title, const std::string& text,
                                 const std::vector<std::string>& buttons);

}  // namespace tarnivo::view
