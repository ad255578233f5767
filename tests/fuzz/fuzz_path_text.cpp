// Path text and ToCase on arbitrary bytes: no crash, every result made of the
// input's characters, and never a character cut in two.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "paths/Intake.h"
#include "paths/PathText.h"
#include "platform/Desktop.h"
#include "text/Text.h"

namespace {

using namespace tarnivo;

// Measures 100 twips a character; everything else is never called.
class MeasuringDesktop final : public Desktop {
 public:
  std::string CommandLine() override { return {}; }
  MessageBoxResult ShowMessage(const std::string&, MessageBoxStyle) override {
    return MessageBoxResult::Ok;
  }
  void ShowHelp(WindowHandle, const std::string&, int, int) override {}
  int MeasureTextWidth(const std::string& text) override {
    return static_cast<int>(CharCount(text)) * 100;
  }
  [[noreturn]] void Terminate() override { std::abort(); }
};

void Check(bool ok) {
  if (!ok) std::abort();
}

bool StartsWith(const std::u32string& text, const std::u32string& prefix) {
  return text.compare(0, prefix.size(), prefix) == 0;
}

bool EndsWith(const std::u32string& text, const std::u32string& suffix) {
  return text.size() >= suffix.size() &&
         text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

// A result is whole characters of the input: decoding it gives exactly the
// characters that were there, and it re-encodes to itself.
void CheckWhole(const std::string& result) { Check(Encode(Decode(result)) == result); }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string input(reinterpret_cast<const char*>(data), size);
  const std::u32string chars = Decode(input);
  Check(Encode(chars) == input);

  const std::string path = FilePath(input);
  CheckWhole(path);
  Check(StartsWith(chars, Decode(path)));
  Check(path.empty() || path.back() == '\\');

  const std::string title = FileTitle(input);
  CheckWhole(title);
  Check(EndsWith(chars, Decode(title)));
  Check(title.find('\\') == std::string::npos);

  static MeasuringDesktop desktop;
  const std::string shown = KorteFileName(desktop, input, 3135);
  CheckWhole(shown);
  const std::u32string shown_chars = Decode(shown);
  const std::u32string head = chars.substr(0, 3);
  Check(StartsWith(shown_chars, head));
  // After the root: a piece of the input, perhaps behind "...\".
  const std::u32string rest = shown_chars.substr(head.size());
  const auto is_piece = [&](const std::u32string& piece) {
    return piece.size() <= 200 && (piece.empty() || chars.find(piece, 3) != std::u32string::npos);
  };
  Check(is_piece(rest) || (StartsWith(rest, U"...\\") && is_piece(rest.substr(4))));

  const std::string cased = ToCase(input);
  CheckWhole(cased);
  Check(Decode(cased).size() <= chars.size());

  const std::string source = SourceFromCommandLine(input);
  Check(input.find(source) != std::string::npos);
  return 0;
}
