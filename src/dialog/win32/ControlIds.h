// The dialog item ID of each control of the Win32 dialog, shared with the
// test driver that finds the controls by ID. OK and Cancel carry the IDs that
// the dialog manager gives Enter and Escape.
#pragma once

#include "dialog/ControlTable.h"

namespace tarnivo::win32 {

inline constexpr int kIdOk = 1;      // IDOK
inline constexpr int kIdCancel = 2;  // IDCANCEL
inline constexpr int kIdFirst = 1000;
inline constexpr int kIdProgress = 1100;  // the bar shown during a long copy

constexpr int ItemId(ControlId id) {
  if (id == ControlId::cmdOK) return kIdOk;
  if (id == ControlId::cmdCancel) return kIdCancel;
  return kIdFirst + static_cast<int>(id);
}

// Item data of a directory list entry: its depth and whether it is drawn
// as an open folder (the path to the current folder) or a closed one.
constexpr long DirItemData(int level, bool open) {
  return (static_cast<long>(level) << 1) | (open ? 1 : 0);
}
constexpr int DirItemLevel(long data) { return static_cast<int>(data >> 1); }
constexpr bool DirItemOpen(long data) { return (data & 1) != 0; }

}  // namespace tarnivo::win32
