#include "paths/PathText.h"

#include "platform/Desktop.h"
#include "text/Text.h"

namespace tarnivo {
namespace {

constexpr std::size_t kWindow = 200;

// Position (from 1) of the first backslash, 0 when there is none.
std::size_t FirstBackslash(const std::u32string& text) {
  const std::size_t at = text.find(U'\\');
  return at == std::u32string::npos ? 0 : at + 1;
}

// Mid() on decoded text.
std::u32string MidChars(const std::u32string& text, std::size_t start, std::size_t count) {
  if (start == 0 || start > text.size()) return {};
  return text.substr(start - 1, count);
}

}  // namespace

std::string FilePath(const std::string& path) {
  const std::u32string chars = Decode(path);
  std::u32string work = chars;
  std::size_t last = 0;
  // Each backslash found becomes a space, which keeps positions aligned with
  // `path`; the text after it is cut to the window.
  for (std::size_t p = FirstBackslash(work); p != 0; p = FirstBackslash(work)) {
    last = p;
    work = work.substr(0, p - 1) + U' ' + MidChars(work, p + 1, kWindow);
  }
  return Encode(chars.substr(0, last));
}

std::string FileTitle(const std::string& path) {
  const std::size_t at = path.rfind('\\');
  return at == std::string::npos ? path : path.substr(at + 1);
}

std::string KorteFileName(Desktop& desktop, const std::string& path, int label_width) {
  const std::u32string chars = Decode(path);
  const std::u32string head = chars.substr(0, 3);
  std::u32string tail = MidChars(chars, 4, kWindow);
  std::u32string dots;
  while (desktop.MeasureTextWidth(Encode(head + dots + tail)) >= label_width) {
    const std::size_t p = FirstBackslash(tail);
    if (p == 0) break;
    dots = U"...\\";
    tail = MidChars(tail, p + 1, kWindow);
  }
  return Encode(head + dots + tail);
}

}  // namespace tarnivo
