// The directory list's folder pictures: a closed folder and an open one,
// 16 by 16 pixels at 96 DPI, drawn `scale` times as large.
#pragma once

#include "platform/win32/WinApi.h"

namespace tarnivo::win32 {

inline constexpr int kFolderIconSize = 16;

void DrawFolderIcon(HDC dc, int x, int y, int scale, bool open);

}  // namespace tarnivo::win32
