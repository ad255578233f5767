#include "dialog/fltk/ViewModel.h"

#include <algorithm>

#include "text/Text.h"

namespace tarnivo::view {
namespace {

std::string WithoutAccessMarks(const std::string& caption) {
  std::string plain;
  for (std::size_t i = 0; i < caption.size(); ++i) {
    if (caption[i] == '&' && i + 1 < caption.size()) ++i;
    plain += caption[i];
  }
  return plain;
}

}  // namespace

Rect ControlRect(const ControlRow& row, int dpi) {
  int left = row.left;
  int top = row.top;
  if (row.in_frame) {
    const ControlRow& frame = Control(ControlId::fraDrive);
    left += frame.left;
    top += frame.top;
  }
  const int x = Pixels(left, dpi);
  const int y = Pixels(top, dpi);
  return {x, y, Pixels(left + row.width, dpi) - x, Pixels(top + row.height, dpi) - y};
}

Rect ClientRect(int dpi) { return {0, 0, Pixels(kClientWidth, dpi), Pixels(kClientHeight, dpi)}; }

int ByteOffset(const std::string& text, int chars) {
  if (chars <= 0) return 0;
  return static_cast<int>(Left(text, static_cast<std::size_t>(chars)).size());
}

int NextLineStartingWith(const std::vector<std::string>& texts, int after, const std::string& key) {
  const int n = static_cast<int>(texts.size());
  if (key.empty() || n == 0) return -1;
  const std::string first = Left(key, 1);
  for (int step = 1; step <= n; ++step) {
    const int i = ((after < 0 ? -1 : after) + step + n) % n;
    if (EqualsIgnoreCase(Left(texts[static_cast<std::size_t>(i)], 1), first)) return i;
  }
  return -1;
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
