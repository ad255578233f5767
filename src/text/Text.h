// Character-level text helpers for UTF-8 path text, shared by the core and
// the platform layers.
//
// Positions count characters, never bytes, and start at 1 as in the path
// functions. A byte that does not begin a valid UTF-8 sequence counts as one
// character of its own and comes back unchanged (it is carried as U+DC80 +
// byte, the way surrogate escaping does), so names that are not UTF-8 survive
// every split and join byte for byte.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace tarnivo {

// What decoding makes of bytes that are not UTF-8.
enum class NonUtf8 {
  // Each byte that does not begin a valid sequence is one character,
  // U+DC80 + byte, which Encode turns back into that byte. An encoded
  // surrogate is not UTF-8: its three bytes are three such characters.
  //   "a\xFF" => {'a', U+DCFF}   "\xED\xA0\x80" => {U+DCED, U+DCA0, U+DC80}
  kEscape,
  // An encoded surrogate (how a lone surrogate of a UTF-16 name travels) is
  // that surrogate; any other byte that does not begin a valid sequence is
  // U+FFFD.
  //   "a\xFF" => {'a', U+FFFD}   "\xED\xA0\x80" => {U+D800}
  kReplace,
};

// The character that starts at byte `at` of `text`, with `at` moved past
// it; `at` must lie inside `text`.
//   DecodeNext("\xC3\x84x", at = 0) => U+00C4, at = 2
char32_t DecodeNext(std::string_view text, std::size_t& at, NonUtf8 mode = NonUtf8::kEscape);

// UTF-8 <=> code points; Encode(Decode(s)) == s for every byte string.
std::u32string Decode(std::string_view text, NonUtf8 mode = NonUtf8::kEscape);
std::string Encode(const std::u32string& chars);

// Appends the UTF-8 form of `c`, a surrogate too (three bytes), with no
// escape turned back: AppendUtf8(s, U+00C4) appends "\xC3\x84".
void AppendUtf8(std::string& out, char32_t c);

// The number of characters: CharCount("Ä.doc") => 5.
std::size_t CharCount(const std::string& text);

// Up to `count` characters from position `start` (from 1); "" when `start`
// lies beyond the end. Mid("C:\abc", 4, 2) => "ab".
std::string Mid(const std::string& text, std::size_t start,
                std::size_t count = std::u32string::npos);

// The first `count` characters: Left("C:\abc", 3) => "C:\".
std::string Left(const std::string& text, std::size_t count);

// Simple (one to one) Unicode case mappings; other characters are unchanged.
char32_t UpperChar(char32_t c);
char32_t LowerChar(char32_t c);
char32_t FoldChar(char32_t c);
std::string ToUpper(const std::string& text);  // "straße" => "STRAßE"
std::string ToLower(const std::string& text);  // "ÄBC" => "äbc"

// Without leading and trailing spaces (code 32 only): TrimSpaces(" a b ") => "a b".
std::string TrimSpaces(const std::string& text);

// Equal after simple case folding: EqualsIgnoreCase("Ärger", "äRGER") => true.
bool EqualsIgnoreCase(const std::string& a, const std::string& b);

// --- ASCII, for drive letters and escapes, in any character type.

// IsAsciiLetter('q') => true, IsAsciiLetter(L'1') => false, IsAsciiLetter(U'é') => false.
template <class Char>
constexpr bool IsAsciiLetter(Char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// UpperLetter('q') => 'Q', UpperLetter(L'é') => L'é': only a to z change.
template <class Char>
constexpr Char UpperLetter(Char c) {
  return c >= 'a' && c <= 'z' ? static_cast<Char>(c - 'a' + 'A') : c;
}

// No byte above 0x7F: IsAscii("a.txt") => true, IsAscii("é") => false.
bool IsAscii(std::string_view text);

// The value of a hexadecimal digit: '7' => 7, 'b' => 11, 'x' => -1.
int HexValue(char c);

// Each escape `lead` + two hex digits turned into that byte; a lead without
// them stays as it is.
//   UnescapeHex("a%20b%2", "%") => "a b%2"   UnescapeHex("x\x2fy", "\x") => "x/y"
std::string UnescapeHex(const std::string& text, const std::string& lead);

}  // namespace tarnivo
