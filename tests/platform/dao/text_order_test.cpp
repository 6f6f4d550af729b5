// The order of text: plain ASCII texts compared through the table of ranks
// get the dictionary's answer, case, spaces, punctuation, digits and control
// characters included; texts with other letters go through the dictionary.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "platform/dao/text_order.h"

namespace korvalo::dao::detail {
namespace {

using namespace std::string_literals;

int Sign(int v) { return (v > 0) - (v < 0); }

// A sort by CompareText and one through the dictionary give one list.
void ExpectOneSortedList(const std::vector<std::string>& texts) {
  std::vector<std::string> byTable = texts;
  std::vector<std::string> byDictionary = texts;
  std::stable_sort(byTable.begin(), byTable.end(), [](const auto& x, const auto& y) { return CompareText(x, y) < 0; });
  std::stable_sort(byDictionary.begin(), byDictionary.end(),
                   [](const auto& x, const auto& y) { return CompareTextThroughDictionary(x, y) < 0; });
  EXPECT_EQ(byTable, byDictionary);
}

TEST(TextOrder, AsciiTextsCompareAsTheDictionaryDoes) {
  ASSERT_TRUE(AsciiTableInUse()) << "the dictionary refused the ASCII table: every comparison goes through ICU";
  struct Case {
    std::string a, b;
    int order;
  };
  const Case cases[] = {
      {"Lot 1", "LOT 1", 0},          {"lot 10", "Lot 2", -1},       {"Lot 2", "lot 10", 1},
      {"Lot", "Lot 1", -1},           {"", "a", -1},                 {"", "", 0},
      {"a b", "ab", -1},              {"a-b", "ab", -1},             {"a_b", "a-b", -1},
      {"a1", "ab", -1},               {"Z", "a_", 1},                {"it's", "its", -1},
      {"a\tb", "a b", -1},            {"a\x01" "b", "ab", -1},       {"ab\x01", "AB", 1},
      {"\x7f", "", 1},                {"lot #3", "lot 3", -1},       {"Lot (A)", "Lot A", -1},
      {std::string("a\0b", 3), "ab", -1},
      // Long beginnings alike, the difference after them.
      {"Subdivision Lot 10", "subdivision lot 9", -1}, {"Subdivision Lot 10", "Subdivision Lot 10a", -1},
      {"Subdivision\x01 Lot", "Subdivision Lot", -1},  {"Subdivision Lot-", "SUBDIVISION LOT", 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("\"" + c.a + "\" / \"" + c.b + "\"");
    EXPECT_EQ(Sign(CompareTextThroughDictionary(c.a, c.b)), c.order);
    EXPECT_EQ(CompareText(c.a, c.b), c.order);
    EXPECT_EQ(CompareText(c.b, c.a), -c.order);
  }
}

// Random texts of every ASCII character, weighted to what names hold.
TEST(TextOrder, RandomAsciiTextsGetTheDictionarysAnswer) {
  std::mt19937 random(20240309);
  const std::string common = "aAbBzZlLoOtT0129 -_.,'#/()&";
  auto text = [&] {
    std::string t;
    const int length = static_cast<int>(random() % 9);
    for (int i = 0; i < length; ++i) {
      t += random() % 4 == 0 ? static_cast<char>(random() % 128) : common[random() % common.size()];
    }
    return t;
  };
  std::vector<std::string> texts;
  for (int i = 0; i < 3000; ++i) texts.push_back(text());
  int compared = 0;
  for (std::size_t i = 0; i < texts.size(); ++i) {
    for (std::size_t j : {i, (i + 1) % texts.size(), (i * 7919) % texts.size(), (i * 104729 + 13) % texts.size()}) {
      const int expected = Sign(CompareTextThroughDictionary(texts[i], texts[j]));
      ASSERT_EQ(CompareText(texts[i], texts[j]), expected) << "\"" << texts[i] << "\" / \"" << texts[j] << "\"";
      ++compared;
    }
  }
  ExpectOneSortedList(texts);
  EXPECT_EQ(compared, 12000);
}

// ASCII and other texts in one list keep one order: the pairs the table
// answers and the pairs the dictionary answers agree.
TEST(TextOrder, MixedListsKeepOneOrder) {
  std::vector<std::string> names = {"Zed",     "Äpfel", "apple", "edam",  "Éclair", "Ölberg", "Oak",
                                    "lot 10",  "Lot 2", "LOT 2a", "straße", "strasse", "Ærø",  "ae",
                                    "lot-10",  "Lot_2", "été",    "ete",    "Ete",     "öl",   "ol"};
  ExpectOneSortedList(names);
  for (std::size_t i = 0; i < names.size(); ++i) {
    for (std::size_t j = 0; j < names.size(); ++j) {
      EXPECT_EQ(CompareText(names[i], names[j]), Sign(CompareTextThroughDictionary(names[i], names[j])))
          << names[i] << " / " << names[j];
    }
  }
}

}  // namespace
}  // namespace korvalo::dao::detail
