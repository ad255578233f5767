// The desktop's scale, for the FLTK view. The desktop states it as the X
// resource Xft.dpi (what GNOME and KDE set when the user scales the desktop,
// and what GTK and Qt programs read under X11); without one it is 96 dots
// per inch. The control table converts from twips at that resolution, and
// every other size of the view is given in pixels at 96 dpi and drawn
// through Px: fonts, icons, margins, line heights.
//
// The view scales itself rather than leaving it to the toolkit: FLTK 1.3
// cannot scale, and scaling a 96-dpi layout as a whole would round each
// widget's place and size on its own, so that at 1.5 neighbours overlap or
// part by a pixel. Converting the table's edges from twips keeps them
// touching, and text and icons are drawn at their own size, not enlarged.
#pragma once

#include <string_view>

namespace tarnivo::view {

inline constexpr int kBaseDpi = 96;

// The Xft.dpi of an X resource database text, as the RESOURCE_MANAGER
// property of the root window holds it (one "name:\tvalue" a line, the last
// line for a name winning), rounded to whole dots per inch. 0 when the text
// has none, or one that is not a number from 48 to 960: a broken value must
// not make the dialog larger than any screen, or too small to read.
//   XftDpi("Xft.antialias:\t1\nXft.dpi:\t144\n") => 144
//   XftDpi("Xft.dpi: 120.6") => 121      XftDpi("Xft.dpi:\t9999") => 0
//   XftDpi("Xft.dpi:\t96\nXft.dpi:\t192\n") => 192
int XftDpi(std::string_view resources);

// `pixels` at 96 dpi at `dpi`, rounded to nearest (halves away from 0):
//   ScalePixels(11, 144) => 17, ScalePixels(-3, 144) => -5.
constexpr int ScalePixels(int pixels, int dpi) {
  const int magnitude = ((pixels < 0 ? -pixels : pixels) * dpi + kBaseDpi / 2) / kBaseDpi;
  return pixels < 0 ? -magnitude : magnitude;
}

// The desktop's dpi: Xft.dpi of the display's resource database, else 96.
// The first call opens the display (FLTK's, which the dialog uses anyway),
// reads the database that the X server handed over when it connected (no
// request of its own), sets FLTK's own sizes (scroll bars) to the scale and
// keeps a toolkit that scales windows by itself from scaling them again.
// Later calls give the same value.
int DesktopDpi();

// `pixels` at 96 dpi on this desktop: Px(11) => 22 at 192 dpi.
int Px(int pixels);

// The width of a thin line on this desktop, in whole pixels so that it
// stays sharp: 1 up to 191 dpi, 2 from 192.
int LineWidth();

// A width in pixels on this desktop as twips, so that the core measures
// texts against the control table's widths at any scale:
// PixelsToTwips(209.0) => 3135 at 96 dpi, and also PixelsToTwips(418.0) at 192.
int PixelsToTwips(double pixels);

}  // namespace tarnivo::view
