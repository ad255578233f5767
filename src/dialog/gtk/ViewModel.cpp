#include "dialog/gtk/ViewModel.h"

#include <cmath>

#include "text/Text.h"

namespace tarnivo::view {
namespace {

constexpr int kTwipsPerInch = 1440;
constexpr int kMaxGrowth = 4;

std::string WithoutAccessMarks(const std::string& caption) {
  std::string plain;
  for (std::size_t i = 0; i < caption.size(); ++i) {
    if (caption[i] == '&' && i + 1 < caption.size()) ++i;
    plain += caption[i];
  }
  return plain;
}

// The control's left and top in the client area.
int Left(const ControlRow& row) {
  return row.left + (row.in_frame ? Control(ControlId::fraDrive).left : 0);
}
int Top(const ControlRow& row) {
  return row.top + (row.in_frame ? Control(ControlId::fraDrive).top : 0);
}

}  // namespace

Rect ControlRect(const ControlRow& row, int dpi) {
  const int left = Left(row);
  const int top = Top(row);
  const int x = Pixels(left, dpi);
  const int y = Pixels(top, dpi);
  return {x, y, Pixels(left + row.width, dpi) - x, Pixels(top + row.height, dpi) - y};
}

Rect ClientRect(int dpi) { return {0, 0, Pixels(kClientWidth, dpi), Pixels(kClientHeight, dpi)}; }

int PixelsToTwips(double pixels, int dpi) {
  return static_cast<int>(std::lround(pixels * kTwipsPerInch / dpi));
}

PixelNeed WidthNeed(const ControlRow& row, int pixels) {
  return {Left(row), Left(row) + row.width, pixels};
}

PixelNeed HeightNeed(const ControlRow& row, int pixels) {
  return {Top(row), Top(row) + row.height, pixels};
}

int FitDpi(int dpi, std::span<const PixelNeed> needs) {
  for (int fit = dpi; fit < kMaxGrowth * dpi; ++fit) {
    bool fits = true;
    for (const PixelNeed& need : needs) {
      fits = fits && Pixels(need.to, fit) - Pixels(need.from, fit) >= need.pixels;
    }
    if (fits) return fit;
  }
  return kMaxGrowth * dpi;
}

std::string MnemonicCaption(std::string_view caption) {
  std::string mnemonic;
  for (std::size_t i = 0; i < caption.size(); ++i) {
    if (caption[i] == '&' && i + 1 < caption.size()) {
      ++i;
      if (caption[i] != '&') mnemonic += '_';
    }
    if (caption[i] == '_') mnemonic += '_';
    mnemonic += caption[i];
  }
  return mnemonic;
}

int NextLineStartingWith(int count, int after, const std::string& key,
                         const std::function<std::string_view(int)>& text) {
  if (key.empty() || count <= 0) return -1;
  const std::string first = tarnivo::Left(key, 1);
  for (int step = 1; step <= count; ++step) {
    const int i = ((after < 0 ? -1 : after) + step + count) % count;
    if (EqualsIgnoreCase(tarnivo::Left(std::string(text(i).substr(0, 8)), 1), first)) return i;
  }
  return -1;
}

int NextLineStartingWith(const std::vector<std::string>& texts, int after, const std::string& key) {
  return NextLineStartingWith(static_cast<int>(texts.size()), after, key, [&texts](int i) {
    return std::string_view(texts[static_cast<std::size_t>(i)]);
  });
}

std::string MessageLines(const std::string& text) {
  std::string lines;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\r') {
      lines += text[i];
    } else if (i + 1 >= text.size() || text[i + 1] != '\n') {
      lines += '\n';
    }
  }
  return lines;
}

std::string MessageClipboardText(const std::string& title, const std::string& text,
                                 const std::vector<std::string>& buttons) {
  const std::string rule = "---------------------------\n";
  std::string clip = rule + title + "\n" + rule + MessageLines(text) + "\n" + rule;
  for (const std::string& button : buttons) clip += WithoutAccessMarks(button) + "   ";
  return clip + "\n" + rule;
}

}  // namespace tarnivo::view
