#include "platform/dao/text_order.h"

#include <sqlite3.h>
#include <unicode/coll.h>
#include <unicode/locid.h>
#include <unicode/normalizer2.h>
#include <unicode/stringpiece.h>
#include <unicode/unistr.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include "common/utf8.h"

namespace korvalo::dao::detail {
namespace {

// Eight bytes at a time: a sort asks this twice on every comparison.
bool IsAscii(std::string_view text) {
  constexpr std::uint64_t kHighBits = 0x8080808080808080ULL;
  std::size_t i = 0;
  for (; i + 8 <= text.size(); i += 8) {
    std::uint64_t word = 0;
    std::memcpy(&word, text.data() + i, 8);
    if ((word & kHighBits) != 0) return false;
  }
  for (; i < text.size(); ++i) {
    if (static_cast<unsigned char>(text[i]) >= 0x80) return false;
  }
  return true;
}

// The locale's dictionary order at the strength that tells letters and
// accents apart but not letter case. One collator a thread: ICU collators are
// not shared between threads.
const icu::Collator* Dictionary() {
  thread_local std::unique_ptr<icu::Collator> collator = [] {
    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<icu::Collator> c(icu::Collator::createInstance(icu::Locale("en", "US"), status));
    if (U_FAILURE(status) || !c) {
      status = U_ZERO_ERROR;
      c.reset(icu::Collator::createInstance(icu::Locale::getRoot(), status));
    }
    if (c) c->setStrength(icu::Collator::SECONDARY);
    return c;
  }();
  return collator.get();
}

int Sign(int v) { return (v > 0) - (v < 0); }

// The dictionary's order of plain ASCII texts, without ICU on every
// comparison. In the dictionary each ASCII character is either ignored
// altogether (most control characters) or one collation element of its own
// primary weight and the common secondary weight, and no two of them join
// into one element; letter case is a tertiary difference. At our strength
// two ASCII texts therefore compare as the sequences of their characters'
// ranks, ignored ones left out. The table holds each character's rank (0:
// ignored). It is built from the dictionary itself and used only when the
// dictionary agrees with it on every text of two ASCII characters; otherwise
// every comparison goes through ICU.
struct AsciiRanks {
  bool usable = false;
  std::array<std::uint8_t, 128> rank{};
};

char FoldAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// The length of the bytes two texts begin with alike, eight at a time.
std::size_t CommonPrefix(std::string_view a, std::string_view b) {
  const std::size_t n = std::min(a.size(), b.size());
  std::size_t k = 0;
  for (; k + 8 <= n; k += 8) {
    std::uint64_t wa = 0;
    std::uint64_t wb = 0;
    std::memcpy(&wa, a.data() + k, 8);
    std::memcpy(&wb, b.data() + k, 8);
    if (wa != wb) break;
  }
  while (k < n && a[k] == b[k]) ++k;
  return k;
}

int CompareAsciiRanks(const AsciiRanks& table, std::string_view a, std::string_view b) {
  // Bytes alike rank alike: the comparison starts after them, in both texts.
  std::size_t i = CommonPrefix(a, b);
  std::size_t j = i;
  for (;;) {
    while (i < a.size() && table.rank[static_cast<unsigned char>(a[i])] == 0) ++i;
    while (j < b.size() && table.rank[static_cast<unsigned char>(b[j])] == 0) ++j;
    if (i == a.size() || j == b.size()) break;
    const int d = table.rank[static_cast<unsigned char>(a[i])] - table.rank[static_cast<unsigned char>(b[j])];
    if (d != 0) return Sign(d);
    ++i;
    ++j;
  }
  if (i < a.size()) return 1;
  if (j < b.size()) return -1;
  return 0;
}

// Compares the fold keys of two ASCII texts (A to Z lowered) byte by byte.
int CompareAsciiFolded(std::string_view a, std::string_view b) {
  const std::size_t n = std::min(a.size(), b.size());
  for (std::size_t k = 0; k < n; ++k) {
    const auto ca = static_cast<unsigned char>(FoldAscii(a[k]));
    const auto cb = static_cast<unsigned char>(FoldAscii(b[k]));
    if (ca != cb) return ca < cb ? -1 : 1;
  }
  return Sign(static_cast<int>(a.size() > b.size()) - static_cast<int>(a.size() < b.size()));
}

}  // namespace

int CompareTextThroughDictionary(std::string_view a, std::string_view b) {
  const std::string ka = FoldKey(a);
  const std::string kb = FoldKey(b);
  if (ka == kb) return 0;
  if (const icu::Collator* dictionary = Dictionary()) {
    UErrorCode status = U_ZERO_ERROR;
    const int order = dictionary->compareUTF8(icu::StringPiece(ka.data(), static_cast<int32_t>(ka.size())),
                                              icu::StringPiece(kb.data(), static_cast<int32_t>(kb.size())),
                                              status);
    if (U_SUCCESS(status) && order != 0) return Sign(order);
  }
  return Sign(ka.compare(kb));
}

namespace {

AsciiRanks BuildAsciiRanks() {
  AsciiRanks table;
  const icu::Collator* dictionary = Dictionary();
  if (dictionary == nullptr) return table;
  UErrorCode status = U_ZERO_ERROR;
  std::unique_ptr<icu::Collator> primary(dictionary->clone());
  if (!primary) return table;
  primary->setStrength(icu::Collator::PRIMARY);
  const icu::UnicodeString empty;
  // Each character once (lower case), ignored ones apart; a character the
  // dictionary weighs below the primary level (an accent of its own) rules
  // the table out.
  std::vector<char> weighed;
  for (int c = 0; c < 128; ++c) {
    if (c >= 'A' && c <= 'Z') continue;
    const icu::UnicodeString text(static_cast<char16_t>(c));
    const bool ignored = dictionary->compare(text, empty, status) == UCOL_EQUAL;
    const bool hasPrimary = primary->compare(text, empty, status) != UCOL_EQUAL;
    if (U_FAILURE(status)) return table;
    if (ignored) continue;
    if (!hasPrimary) return table;
    weighed.push_back(static_cast<char>(c));
  }
  std::stable_sort(weighed.begin(), weighed.end(), [&](char x, char y) {
    return CompareTextThroughDictionary(std::string_view(&x, 1), std::string_view(&y, 1)) < 0;
  });
  int rank = 0;
  for (std::size_t k = 0; k < weighed.size(); ++k) {
    const bool same = k > 0 && dictionary->compare(icu::UnicodeString(static_cast<char16_t>(weighed[k - 1])),
                                                   icu::UnicodeString(static_cast<char16_t>(weighed[k])),
                                                   status) == UCOL_EQUAL;
    if (!same) ++rank;
    if (rank > 255 || U_FAILURE(status)) return table;
    table.rank[static_cast<unsigned char>(weighed[k])] = static_cast<std::uint8_t>(rank);
  }
  for (char c = 'A'; c <= 'Z'; ++c) table.rank[static_cast<unsigned char>(c)] = table.rank[static_cast<unsigned char>(FoldAscii(c))];

  // The check: every text of one or two ASCII characters (and the empty
  // text), in the table's order, must be in the dictionary's order too, with
  // the same ties.
  std::vector<std::string> texts{std::string()};
  for (int c = 0; c < 128; ++c) texts.emplace_back(1, static_cast<char>(c));
  for (int c = 0; c < 128; ++c) {
    for (int d = 0; d < 128; ++d) texts.push_back({static_cast<char>(c), static_cast<char>(d)});
  }
  auto tableOrder = [&](const std::string& x, const std::string& y) {
    const int order = CompareAsciiRanks(table, x, y);
    return order != 0 ? order : CompareAsciiFolded(x, y);
  };
  std::sort(texts.begin(), texts.end(), [&](const std::string& x, const std::string& y) { return tableOrder(x, y) < 0; });
  for (std::size_t k = 1; k < texts.size(); ++k) {
    if (CompareTextThroughDictionary(texts[k - 1], texts[k]) != tableOrder(texts[k - 1], texts[k])) return table;
  }
  table.usable = true;
  return table;
}

// Built once a thread, as the dictionary is.
const AsciiRanks& Ranks() {
  thread_local const AsciiRanks table = BuildAsciiRanks();
  return table;
}

int CollateCallback(void*, int na, const void* a, int nb, const void* b) {
  return CompareText(std::string_view(static_cast<const char*>(a), static_cast<std::size_t>(na)),
                     std::string_view(static_cast<const char*>(b), static_cast<std::size_t>(nb)));
}

void FoldFunction(sqlite3_context* ctx, int, sqlite3_value** argv) {
  if (sqlite3_value_type(argv[0]) == SQLITE_NULL) {
    sqlite3_result_null(ctx);
    return;
  }
  auto text = reinterpret_cast<const char*>(sqlite3_value_text(argv[0]));
  const int bytes = sqlite3_value_bytes(argv[0]);
  if (text == nullptr) {
    sqlite3_result_error_nomem(ctx);
    return;
  }
  std::string key = FoldKey(std::string_view(text, static_cast<std::size_t>(bytes)));
  sqlite3_result_text(ctx, key.data(), static_cast<int>(key.size()), SQLITE_TRANSIENT);
}

}  // namespace

std::string FoldKey(std::string_view text) {
  if (IsAscii(text)) return utf8::AsciiLower(text);
  icu::UnicodeString folded =
      icu::UnicodeString::fromUTF8(icu::StringPiece(text.data(), static_cast<int32_t>(text.size())));
  folded.foldCase();
  UErrorCode status = U_ZERO_ERROR;
  const icu::Normalizer2* nfc = icu::Normalizer2::getNFCInstance(status);
  if (U_SUCCESS(status) && nfc != nullptr) {
    icu::UnicodeString composed = nfc->normalize(folded, status);
    if (U_SUCCESS(status)) folded = composed;
  }
  std::string out;
  folded.toUTF8String(out);
  return out;
}

bool AsciiTableInUse() { return Ranks().usable; }

int CompareText(std::string_view a, std::string_view b) {
  if (IsAscii(a) && IsAscii(b)) {
    const AsciiRanks& table = Ranks();
    if (table.usable) {
      // The dictionary's order, and the fold keys' bytes where it cannot
      // tell the texts apart (texts of one fold key are equal: their ranks
      // are equal as well).
      const int order = CompareAsciiRanks(table, a, b);
      return order != 0 ? order : CompareAsciiFolded(a, b);
    }
  }
  return CompareTextThroughDictionary(a, b);
}

void RegisterTextRules(sqlite3* db, bool withCollation) {
  sqlite3_create_function_v2(db, "korvalo_fold", 1, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr, FoldFunction,
                             nullptr, nullptr, nullptr);
  if (withCollation) sqlite3_create_collation_v2(db, "NOCASE", SQLITE_UTF8, nullptr, CollateCallback, nullptr);
}

}  // namespace korvalo::dao::detail
