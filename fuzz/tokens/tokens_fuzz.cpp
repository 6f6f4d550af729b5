// Picked drawing text through the tokeniser. The first byte chooses the
// degree code, the rest is the text. Checks that no character is lost or
// invented: the tokens joined equal the cleaned text without its blanks,
// no token holds a blank, and a recognised bearing lies inside the text.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "common/utf8.h"
#include "geometry/tokens.h"

namespace {

void Check(bool ok, const char* what, std::string_view text) {
  if (ok) return;
  std::fprintf(stderr, "Token check failed: %s\nText: %.*s\n", what,
               static_cast<int>(text.size()), text.data());
  std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace korvalo;
  if (size == 0) return 0;
  static const char* const kDegreeCodes[] = {"%%D", "deg", "w", ""};
  geometry::TokenSettings settings;
  settings.degreeSymbol = kDegreeCodes[data[0] % 4];
  const std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);

  std::vector<std::string> tokens;
  geometry::AppendTextTokens(text, settings, tokens);
  const std::string cleaned = geometry::CleanPickedText(text);

  std::string joined;
  for (const std::string& token : tokens) {
    Check(token.find(' ') == std::string::npos, "a token holds a blank", text);
    joined += token;
  }
  Check(joined == utf8::RemoveBlanks(cleaned), "tokens differ from the cleaned text", text);
  Check(!tokens.empty() || cleaned.find(' ') != std::string::npos,
        "a text without blanks gave no token", text);

  geometry::PatternSpan span;
  if (geometry::FindBearingPattern(span, cleaned, settings.degreeSymbol)) {
    const auto length = static_cast<long>(utf8::Length(cleaned));
    Check(span.start >= 1 && span.start < span.end && span.end <= length,
          "a bearing outside the text", text);
  }
  return 0;
}
