// Bytes at the edges of each encoding; the whole code page goes through deck_import_fuzz.
#include <gtest/gtest.h>

#include "deck/messages.h"
#include "deck/text_encoding.h"

namespace pelmo::deck {
namespace {

TEST(Cp932, StepsOverBytesThatAreNoCharacterAndShowsEachAsOneReplacement) {
  // 0x80, 0xA0, 0xFD-0xFF; a lead byte at the end, before a non-trail byte or 0x7F: one byte
  // long; an unassigned pair: two. Between them 猫 and the IBM duplicate of 纊.
  EXPECT_EQ(Cp932ToUtf8("\x80\xA0\xFD\xFE\xFF\x82 \x82\x7F\x85\x40\x94\x4C\xFA\x5C\x82"),
            "\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD \uFFFD\x7F\uFFFD猫纊\uFFFD");
}

TEST(Utf8, DecodesStrictlyAndEncodesBack) {
  // Each length at its edges; then overlong forms, a surrogate, beyond U+10FFFF, no lead byte
  // (F8, a continuation byte), cut short and a continuation missing: invalid, one byte long.
  // clang-format off
  const std::pair<std::string, char32_t> kUtf8[] = {
      {"A", U'A'}, {"\xC2\x80", 0x80}, {"\xDF\xBF", 0x7FF}, {"\xE0\xA0\x80", 0x800},
      {"\xE0\xA4\x80", 0x900}, {"\xEF\xBF\xBD", 0xFFFD}, {"\xF0\x90\x80\x80", 0x10000},
      {"\xF4\x8F\xBF\xBF", 0x10FFFF}, {"\xC0\x80", 0}, {"\xC1\xBF", 0}, {"\xE0\x9F\xBF", 0},
      {"\xF0\x8F\xBF\xBF", 0}, {"\xED\xA0\x80", 0}, {"\xF4\x90\x80\x80", 0},
      {"\xF8\x90\x80\x80", 0}, {"\x80\x90\x80\x80", 0}, {"\xE7\x8C", 0}, {"\xE7\x61\xAB", 0}};
  // clang-format on
  for (const auto& [bytes, codePoint] : kUtf8) {
    const DecodedChar c = DecodeUtf8At("x" + bytes, 1);
    EXPECT_EQ(c.codePoint.value_or(0), codePoint) << ::testing::PrintToString(bytes);
    EXPECT_EQ(c.length, codePoint ? bytes.size() : 1u) << ::testing::PrintToString(bytes);
    EXPECT_EQ(FirstInvalidUtf8("ok" + bytes), codePoint ? std::nullopt : std::optional<size_t>(2));
    std::string encoded;
    AppendUtf8(codePoint, encoded);
    EXPECT_EQ(encoded == bytes, codePoint != 0);
  }
  EXPECT_EQ(SanitizeUtf8("a\xFF\xE7\x8C\xAB"), "a\uFFFD\xE7\x8C\xAB");
  // RFC 4648's examples, and bytes whose six-bit groups are the last two digits and zero.
  EXPECT_EQ(Base64("") + Base64("f") + Base64("fo") + Base64("foo") + Base64("foobar"),
            "Zg==Zm8=Zm9vZm9vYmFy");
  EXPECT_EQ(Base64(std::string("\xFB\xFF\x00", 3)), "+/8A");
  EXPECT_EQ(Quoted("a\r\n\tb\x01\x7F c"), "“a<CR><LF><TAB>b<0x01><0x7F> c”");
}

}  // namespace
}  // namespace pelmo::deck
