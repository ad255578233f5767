// Where the help window goes, the same on both systems: beside the dialog
// where it covers nothing, else where the dialog's buttons stay visible.
#pragma once

namespace tarnivo {

// A rectangle on the screen, in pixels.
struct ScreenRect {
  int x = 0, y = 0, w = 0, h = 0;
  int Right() const { return x + w; }
  int Bottom() const { return y + h; }
  bool operator==(const ScreenRect&) const = default;
};

// The help window's place and size, for a wanted size of `width` by
// `height` in the work area `work`, next to `dialog` (its outer frame)
// whose button row is `buttons`; `gap` apart, `min_width` the narrowest
// that the help text still reads well at. In this order:
//   1. right of, left of, below or above the dialog at full size;
//   2. right or left of it, on the roomier side, narrowed to the room there
//      (when that is at least `min_width`) and no taller than the work area;
//   3. over the dialog but clear of its buttons: above them, or below them
//      when there is more room there, no taller than that room.
// On 1024x768 with the dialog centred, case 2 puts a 480x460 window right
// of it, about 370 pixels wide.
ScreenRect PlaceHelpWindow(const ScreenRect& work, const ScreenRect& dialog,
                           const ScreenRect& buttons, int width, int height, int min_width,
                           int gap);

}  // namespace tarnivo
