#include "platform/dao/text_order.h"

#include <sqlite3.h>
#include <unicode/coll.h>
#include <unicode/locid.h>
#include <unicode/normalizer2.h>
#include <unicode/stringpiece.h>
#include <unicode/unistr.h>

#include <memory>

namespace korvalo::dao::detail {
namespace {

bool IsAscii(std::string_view text) {
  for (char c : text) {
    if (static_cast<unsigned char>(c) >= 0x80) return false;
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
  if (IsAscii(text)) {
    std::string out(text);
    for (char& c : out) {
      if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return out;
  }
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

int CompareText(std::string_view a, std::string_view b) {
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

void RegisterTextRules(sqlite3* db, bool withCollation) {
  sqlite3_create_function_v2(db, "korvalo_fold", 1, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr, FoldFunction,
                             nullptr, nullptr, nullptr);
  if (withCollation) sqlite3_create_collation_v2(db, "NOCASE", SQLITE_UTF8, nullptr, CollateCallback, nullptr);
}

}  // namespace korvalo::dao::detail
