// Character-level text helpers for UTF-8 path text.
//
// Positions count characters, never bytes, and start at 1 as in the path
// functions. A byte that does not begin a valid UTF-8 sequence counts as one
// character of its own and comes back unchanged (it is carried as U+DC80 +
// byte, the way surrogate escaping does), so names that are not UTF-8 survive
// every split and join byte for byte.
#pragma once

#include <cstddef>
#include <string>

namespace tarnivo {

// UTF-8 <=> code points; Encode(Decode(s)) == s for every byte string.
std::u32string Decode(const std::string& text);
std::string Encode(const std::u32string& chars);

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

}  // namespace tarnivo
