#include <gtest/gtest.h>

#include "text/Text.h"

namespace tarnivo {
namespace {

// Escaping keeps every byte string; replacing (the Win32 boundary) gives
// U+FFFD for what is not UTF-8 but keeps an encoded lone surrogate.
TEST(Text, DecodeEscapesOrReplacesWhatIsNotUtf8) {
  const std::u32string surrogate(1, char32_t{0xD800});
  const struct {
    std::string bytes;
    std::size_t chars;
    std::u32string replaced;
  } cases[] = {
      {"", 0, U""},
      {"C:\\Dir\\a.txt", 12, U"C:\\Dir\\a.txt"},
      {"Ärger.doc", 9, U"Ärger.doc"},
      {"\U0001F4C4.txt", 5, U"\U0001F4C4.txt"},  // a four-byte character
      {"\xC2\x80\xE0\xA0\x80\xF0\x90\x80\x80", 3, U"\u0080\u0800\U00010000"},  // least per length
      {"\xFF\xFE", 2, U"\uFFFD\uFFFD"},                           // stray bytes count one each
      {"a\xE2\x82", 3, U"a\uFFFD\uFFFD"},                         // a sequence cut short at the end
      {"\xC0\xAF", 2, U"\uFFFD\uFFFD"},                           // overlong '/'
      {"\xED\xA0\x80", 3, surrogate},                             // an encoded surrogate
      {"\xF4\x90\x80\x80", 4, U"\uFFFD\uFFFD\uFFFD\uFFFD"},       // beyond U+10FFFF
      {"\xC4hnlich\\\xE4.txt", 13, U"\uFFFDhnlich\\\uFFFD.txt"},  // Latin-1 bytes in a path
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.bytes);
    EXPECT_EQ(Encode(Decode(c.bytes)), c.bytes);
    EXPECT_EQ(CharCount(c.bytes), c.chars);
    EXPECT_TRUE(Decode(c.bytes, NonUtf8::kReplace) == c.replaced);
  }
}

TEST(Text, MidAndLeftCountCharactersNotBytes) {
  const std::string path = "C:\\Ärger\\öl.txt";
  EXPECT_EQ(Mid(path, 4, 5), "Ärger");
  EXPECT_EQ(Mid(path, 10), "öl.txt");
  EXPECT_EQ(Left(path, 4), "C:\\Ä");
  EXPECT_EQ(Mid(path, 0, 3), "");
  EXPECT_EQ(Mid(path, 17), "");
  EXPECT_EQ(Mid(std::string("a\xFF") + "b", 2, 1), "\xFF");  // a stray byte is one character
}

TEST(Text, CaseMappingFollowsUnicodeAndLeavesStrayBytes) {
  EXPECT_EQ(ToUpper("straße äσ"), "STRAßE ÄΣ");
  EXPECT_EQ(ToLower("ÄBC"), "äbc");
  EXPECT_EQ(ToUpper("\xE4\xFF"), "\xE4\xFF");  // Latin-1 bytes are no letters
  const struct {
    std::string a, b;
    bool equal;
  } cases[] = {
      {"REPORT.DOC", "report.doc", true},
      {"Ärger", "äRGER", true},
      {"σς", "ΣΣ", true},
      {"\xC4", "\xE4", false},  // stray bytes compare as bytes
      {"\xC4", "\xC4", true},
      {"abc", "ab", false},
      {"a", "b", false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(EqualsIgnoreCase(c.a, c.b), c.equal) << c.a << " / " << c.b;
  }
}

}  // namespace
}  // namespace tarnivo
