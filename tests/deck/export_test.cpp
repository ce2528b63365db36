// Worked examples of export: the CSV it writes, the cards it names as not coming back, and the
// size past which it writes nothing because import would not read it. The fuzz target checks the
// round trip itself on any bytes.
#include <gtest/gtest.h>

#include "deck/export.h"
#include "deck/files.h"
#include "tests/support/deck_file.h"

namespace pelmo::deck {
namespace {

// "CSV after the byte-order mark|N: reason|..." for the cards named.
std::string Export(const std::string& deck) {
  ExportResult result;
  std::string error;
  EXPECT_TRUE(ExportDeck(deck, false, result, error)) << error;
  EXPECT_EQ(result.csv.rfind("\xEF\xBB\xBF", 0), 0u);
  std::string out = result.csv.substr(3);
  for (const CardProblem& p : result.problems) {
    out += "|" + std::to_string(p.card) + ": " + p.reason;
  }
  return out;
}

TEST(Export, WritesEachCardAndNamesOnlyThoseThatWouldNotComeBack) {
  // Ⅸ 偆 砡 are FA 52, FA 78, FB 78 here; import once wrote them as 87 5C, ED 5C, EE 5C, whose
  // backslash the escapes then read with the n or the backslash after it.
  // clang-format off
  const std::pair<std::string, std::string> kDecks[] = {
      {"w1,p,a\tb\tc\\nd\te\tf\r\n", "w1,p,\"a\tb\tc\r\nd\te\tf\"\r\n"},
      {"w,p,\xFA\x52n\r\n", "w,p,\xE2\x85\xA8n\r\n"},
      {"w,p,\xFA\x78\\\r\n", "w,p,\xE5\x81\x86\\\r\n"},
      {"w,p,\xFB\x78n\r\n", "w,p,\xE7\xA0\xA1n\r\n"},
      // The card after a record of two lines is still card 2, and card 3 has nothing to show.
      {"a,k,x\\ny\r\nb,k\x07,z\r\n,\r\nc\r\n",
       "a,k,\"x\r\ny\"\r\nb,k\x07,z\r\n,,\r\nc,,\r\n|2: import would refuse it: pronunciation: "
       "the control character U+0007, which the viewer cannot show|3: import would leave it "
       "out: a card that shows nothing is no record for it"},
      {"a,k,\x80\r\n", "a,k,\xEF\xBF\xBD\r\n|1: meaning: the byte 0x80 is no code page 932 text, "
                       "which UTF-8 cannot carry"}};
  // clang-format on
  for (const auto& [deck, expected] : kDecks) {
    EXPECT_EQ(Export(deck), expected) << deck;
  }
}

// The cards as the viewer shows them, in place of whatever the list held.
TEST(ReadCards, GivesTheDecksCardsAlone) {
  std::vector<Card> cards(2);
  std::string error;
  ASSERT_TRUE(ReadCards("w,p,a\\nb\r\nshort\r\n\r\nunread,x,y\r\n", cards, error));
  EXPECT_EQ(cards, (std::vector<Card>{{"w", "p", "a\r\nb"}, {"short", "", ""}}));
}

TEST(Export, WritesNoCsvLargerThanImportReads) {
  // "cat,k,猫" is 14 bytes of CSV with its byte-order mark and line end.
  const std::string deck = "cat,k,\x94\x4C\r\n";
  ExportResult result;
  std::string error;
  EXPECT_FALSE(ExportDeck(deck, false, result, error, 13));
  EXPECT_EQ(error, "its CSV would be more than 13 bytes, which import does not read");
  EXPECT_EQ(result.csv, "");
  EXPECT_FALSE(ExportDeck(std::string(1 << 20, 'a') + "\r\n", false, result, error, 1 << 20));
  EXPECT_EQ(error, "its CSV would be more than 1 MiB, which import does not read");
  ASSERT_TRUE(ExportDeck(deck, false, result, error, 14)) << error;
  // Import reads exactly as much, and no more.
  pelmo::testing::DeckFile file(result.csv, "words.csv");
  std::string csv;
  EXPECT_FALSE(ReadInputFile(file.name(), csv, error, 13));
  EXPECT_TRUE(ReadInputFile(file.name(), csv, error, 14)) << error;
}

}  // namespace
}  // namespace pelmo::deck
