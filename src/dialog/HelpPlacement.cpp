#include "dialog/HelpPlacement.h"

#include <algorithm>

namespace tarnivo {
namespace {

int Clamp(int value, int low, int high) { return std::max(low, std::min(value, high)); }

}  // namespace

ScreenRect PlaceHelpWindow(const ScreenRect& work, const ScreenRect& dialog,
                           const ScreenRect& buttons, int width, int height, int min_width,
                           int gap) {
  width = std::min(width, work.w);
  height = std::min(height, work.h);
  const int right_room = work.Right() - (dialog.Right() + gap);
  const int left_room = dialog.x - gap - work.x;
  const int below_room = work.Bottom() - (dialog.Bottom() + gap);
  const int above_room = dialog.y - gap - work.y;
  const int beside_y = Clamp(dialog.y, work.y, work.Bottom() - height);
  const int under_x = Clamp(dialog.x, work.x, work.Right() - width);

  // 1. At full size, covering nothing.
  if (right_room >= width) return {dialog.Right() + gap, beside_y, width, height};
  if (left_room >= width) return {dialog.x - gap - width, beside_y, width, height};
  if (below_room >= height) return {under_x, dialog.Bottom() + gap, width, height};
  if (above_room >= height) return {under_x, dialog.y - gap - height, width, height};

  // 2. Narrowed beside the dialog, still covering nothing.
  const int side_room = std::max(right_room, left_room);
  if (side_room >= min_width) {
    const int x = right_room >= left_room ? dialog.Right() + gap : dialog.x - gap - side_room;
    return {x, beside_y, side_room, height};
  }

  // 3. Over the dialog from its roomier side, clear of its buttons.
  const int x = right_room >= left_room ? work.Right() - width : work.x;
  const int room_above = buttons.y - gap - work.y;
  const int room_below = work.Bottom() - (buttons.Bottom() + gap);
  if (room_above >= room_below) {
    const int h = std::min(height, room_above);
    return {x, buttons.y - gap - h, width, h};
  }
  return {x, buttons.Bottom() + gap, width, std::min(height, room_below)};
}

}  // namespace tarnivo
