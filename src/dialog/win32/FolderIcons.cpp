#include "dialog/win32/FolderIcons.h"

namespace tarnivo::win32 {
namespace {

// K outline, W highlight, Y face, D shade, '.' transparent.
constexpr const char* kClosed[kFolderIconSize] = {
    "................", "................", ".KKKKK..........", "KWWWWWK.........",
    "KWYYYYWKKKKKKK..", "KWYYYYYYYYYYYWK.", "KWYYYYYYYYYYYDK.", "KWYYYYYYYYYYYDK.",
    "KWYYYYYYYYYYYDK.", "KWYYYYYYYYYYYDK.", "KWYYYYYYYYYYYDK.", "KWYYYYYYYYYYYDK.",
    "KDDDDDDDDDDDDDK.", "KKKKKKKKKKKKKKK.", "................", "................",
};

constexpr const char* kOpen[kFolderIconSize] = {
    "................", "................", ".KKKKK..........", "KWWWWWK.........",
    "KWDDDDWKKKKKKK..", "KWDDDDDDDDDDDWK.", "KWDDKKKKKKKKKKKK", "KWDKWWWWWWWWWWWK",
    "KWDKWYYYYYYYYYK.", "KWKWYYYYYYYYYDK.", "KWKWYYYYYYYYYK..", "KKWYYYYYYYYYDK..",
    "KKWYYYYYYYYYK...", "KKKKKKKKKKKKK...", "................", "................",
};

COLORREF ColorOf(char c) {
  switch (c) {
    case 'K':
      return RGB(0, 0, 0);
    case 'W':
      return RGB(255, 255, 224);
    case 'Y':
      return RGB(255, 222, 96);
    case 'D':
      return RGB(192, 150, 32);
    default:
      return CLR_INVALID;
  }
}

}  // namespace

void DrawFolderIcon(HDC dc, int x, int y, int scale, bool open) {
  const char* const* rows = open ? kOpen : kClosed;
  for (int row = 0; row < kFolderIconSize; ++row) {
    // Runs of one colour are filled at once.
    int col = 0;
    while (col < kFolderIconSize) {
      const char c = rows[row][col];
      int end = col + 1;
      while (end < kFolderIconSize && rows[row][end] == c) ++end;
      const COLORREF color = ColorOf(c);
      if (color != CLR_INVALID) {
        SetBkColor(dc, color);
        const RECT r{x + col * scale, y + row * scale, x + end * scale, y + (row + 1) * scale};
        ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &r, nullptr, 0, nullptr);
      }
      col = end;
    }
  }
}

}  // namespace tarnivo::win32
