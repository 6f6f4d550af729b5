#include "geometry/tokens.h"

#include "common/drawing_text.h"
#include "common/utf8.h"

namespace korvalo::geometry {
namespace {

constexpr char32_t kBlank = U' ';

// One symbol of the text as the bearing recogniser reads it.
struct Symbol {
  enum class Kind { Degree, Character } kind = Kind::Character;
  char32_t upper = 0;  // the character upper-cased (Character only)
  long position = 0;   // 1-based, first code point of the symbol
};

bool IsDigit(char32_t c) { return c >= U'0' && c <= U'9'; }

// Whether the degree code begins at index i of text (case-insensitive for
// ASCII letters).
bool CodeAt(const std::u32string& text, std::size_t i, const std::u32string& code) {
  if (code.empty() || i + code.size() > text.size()) return false;
  for (std::size_t k = 0; k < code.size(); ++k) {
    if (utf8::AsciiUpper(text[i + k]) != utf8::AsciiUpper(code[k])) return false;
  }
  return true;
}

std::vector<Symbol> ReadSymbols(const std::u32string& text, const std::u32string& degreeCode) {
  std::vector<Symbol> symbols;
  symbols.reserve(text.size());
  std::size_t i = 0;
  while (i < text.size()) {
    Symbol s;
    s.position = static_cast<long>(i) + 1;
    if (CodeAt(text, i, degreeCode)) {
      s.kind = Symbol::Kind::Degree;
      i += degreeCode.size();
    } else {
      const char32_t c = text[i];
      if (c == utf8::kDegreeSign || c == utf8::kOldDegreeSign) {
        s.kind = Symbol::Kind::Degree;
      } else {
        s.upper = utf8::AsciiUpper(c);
      }
      ++i;
    }
    symbols.push_back(s);
  }
  return symbols;
}

bool Is(const Symbol& s, char32_t c) { return s.kind == Symbol::Kind::Character && s.upper == c; }
bool IsDigit(const Symbol& s) { return s.kind == Symbol::Kind::Character && IsDigit(s.upper); }
bool IsBlank(const Symbol& s) { return Is(s, kBlank); }
bool IsDegree(const Symbol& s) { return s.kind == Symbol::Kind::Degree; }
bool IsNorthSouth(const Symbol& s) { return Is(s, U'N') || Is(s, U'S'); }

bool FindBearing(PatternSpan& span, const std::u32string& text, const std::u32string& degreeCode) {
  // States: -1 searching; 0 after N or S; 1 degrees; 2 after the degree
  // sign; 3 minutes; 4 after "'"; 5 seconds; 6 after the second mark.
  constexpr int kSearching = -1;
  int state = kSearching;
  for (const Symbol& s : ReadSymbols(text, degreeCode)) {
    switch (state) {
      case kSearching:
        if (IsNorthSouth(s)) {
          state = 0;
          span.start = s.position;
        }
        continue;
      case 0:
        if (IsDigit(s)) {
          state = 1;
        } else if (!(IsBlank(s) || IsNorthSouth(s))) {
          state = kSearching;
        }
        continue;
      case 1:
        if (IsDegree(s)) {
          state = 2;
          continue;
        }
        if (IsDigit(s) || IsBlank(s)) continue;
        break;
      case 2:
        if (IsDigit(s)) {
          state = 3;
          continue;
        }
        if (IsBlank(s)) continue;
        break;
      case 3:
        if (Is(s, U'\'')) {
          state = 4;
          continue;
        }
        if (IsDigit(s) || IsBlank(s)) continue;
        break;
      case 4:
        if (IsDigit(s)) {
          state = 5;
          continue;
        }
        if (IsBlank(s)) continue;
        break;
      case 5:
        if (Is(s, U'"')) {
          state = 6;
          continue;
        }
        if (IsDigit(s) || IsBlank(s)) continue;
        break;
      case 6:
        if (Is(s, U'E') || Is(s, U'W')) {
          span.end = s.position;
          return true;
        }
        if (IsBlank(s)) continue;
        break;
    }
    // States 1 to 6 with a symbol no row above took: an N or S restarts the
    // match keeping the earlier start; anything else drops it.
    state = IsNorthSouth(s) ? 0 : kSearching;
  }
  return false;
}

bool FindAzimuth(PatternSpan& span, const std::u32string& text, const std::u32string& degreeCode) {
  // States: -1 searching; 1 degree digits; 2 after the degree sign; 3 minute
  // digits; 4 after "'"; 5 second digits.
  constexpr int kSearching = -1;
  int state = kSearching;
  for (const Symbol& s : ReadSymbols(text, degreeCode)) {
    switch (state) {
      case kSearching:
        if (IsDigit(s)) {
          state = 1;
          span.start = s.position;
        }
        continue;
      case 1:
        if (IsDegree(s)) {
          state = 2;
          continue;
        }
        if (IsDigit(s)) continue;
        break;
      case 2:
      case 4:
        if (IsDigit(s)) {
          ++state;
          continue;
        }
        if (IsBlank(s)) continue;
        break;
      case 3:
        if (Is(s, U'\'')) {
          state = 4;
          continue;
        }
        if (IsDigit(s) || IsBlank(s)) continue;
        break;
      case 5:
        if (Is(s, U'"')) {
          span.end = s.position;
          return true;
        }
        if (IsDigit(s) || IsBlank(s)) continue;
        break;
    }
    // The symbol that broke the attempt is not read again.
    state = kSearching;
  }
  return false;
}

// A word as a token: turned round when the settings reverse directions and
// it is a valid direction.
std::string WordToken(std::u32string_view word, const TokenSettings& settings) {
  std::string token = utf8::Encode(word);
  if (!settings.reverseDirections) return token;
  const DirectionSettings directions{settings.bearing, settings.degreeSymbol};
  std::string probe = token;
  if (!IsValidDirection(probe, directions)) return token;
  return ReverseDirection(probe, directions);
}

void SplitWords(std::u32string_view text, std::vector<std::string>& tokens,
                const TokenSettings* settings = nullptr) {
  std::size_t i = 0;
  while (i < text.size()) {
    const std::size_t blank = text.find(kBlank, i);
    const std::size_t end = blank == std::u32string_view::npos ? text.size() : blank;
    if (end > i) {
      const std::u32string_view word = text.substr(i, end - i);
      tokens.push_back(settings ? WordToken(word, *settings) : utf8::Encode(word));
    }
    i = end + 1;
  }
}

std::u32string Clean(std::u32string s) {
  const std::size_t first = s.find_first_not_of(kBlank);
  if (first == std::u32string::npos) {
    s.clear();
  } else {
    s = s.substr(first, s.find_last_not_of(kBlank) - first + 1);
  }
  for (char32_t& c : s) {
    if (c == U'=') c = kBlank;
  }
  return s;
}

// The lines of a text whose codes were read: parted at a line break (LF, as
// a paragraph break "\P" of a multi-line text reads, CR or CR LF, as other
// drawings store a second line).
std::vector<std::u32string> Lines(const std::u32string& s) {
  std::vector<std::u32string> lines(1);
  for (std::size_t i = 0; i < s.size(); ++i) {
    const char32_t c = s[i];
    if (c == U'\n' || c == U'\r') {
      if (c == U'\r' && i + 1 < s.size() && s[i + 1] == U'\n') ++i;
      lines.emplace_back();
    } else {
      lines.back() += c;
    }
  }
  return lines;
}

// A picked text cleaned: its codes read as a multi-line text's (formatting
// codes dropped, "\U+XXXX" decoded; a degree code such as "%%d" stays for
// the grab steps), then each line on its own; the lines that clean to
// nothing are dropped, unless every one does.
std::vector<std::u32string> CleanLines(std::string_view text) {
  const std::u32string plain =
      utf8::Decode(drawing_text::Resolve(text, {.multiLine = true, .percentCodes = false}));
  std::vector<std::u32string> lines = Lines(plain);
  if (lines.size() == 1) return {Clean(std::move(lines.front()))};
  std::vector<std::u32string> kept;
  for (std::u32string& line : lines) {
    std::u32string cleaned = Clean(std::move(line));
    if (!cleaned.empty()) kept.push_back(std::move(cleaned));
  }
  if (kept.empty()) kept.emplace_back();
  return kept;
}

// Appends the tokens of one cleaned line.
void AppendLineTokens(const std::u32string& s, const TokenSettings& settings, std::vector<std::string>& tokens) {
  if (s.find(kBlank) == std::u32string::npos) {
    tokens.push_back(WordToken(s, settings));
    return;
  }
  PatternSpan span;
  const std::u32string code = utf8::Decode(settings.degreeSymbol);
  const bool found = settings.pattern == DirectionPattern::Azimuth ? FindAzimuth(span, s, code)
                                                                    : FindBearing(span, s, code);
  if (!found) {
    SplitWords(s, tokens, &settings);
    return;
  }
  const auto b = static_cast<std::size_t>(span.start - 1);
  const auto e = static_cast<std::size_t>(span.end - 1);
  const std::u32string_view view(s);
  SplitWords(view.substr(0, b), tokens, &settings);
  std::u32string direction(view.substr(b, e - b + 1));
  std::erase(direction, kBlank);
  std::string token = utf8::Encode(direction);
  if (settings.reverseDirections) {
    token = ReverseDirection(token, DirectionSettings{settings.bearing, settings.degreeSymbol});
  }
  tokens.push_back(token);
  SplitWords(view.substr(e + 1), tokens, &settings);
}

}  // namespace

bool FindBearingPattern(PatternSpan& span, std::string_view text, std::string_view degreeSymbol) {
  return FindBearing(span, utf8::Decode(text), utf8::Decode(degreeSymbol));
}

bool FindAzimuthPattern(PatternSpan& span, std::string_view text, std::string_view degreeSymbol) {
  return FindAzimuth(span, utf8::Decode(text), utf8::Decode(degreeSymbol));
}

TokenSettings ViewerTokenSettings(int button, const DirectionSettings& directions) {
  TokenSettings settings;
  settings.degreeSymbol = directions.degreeSymbol;
  settings.pattern = directions.bearing ? DirectionPattern::Bearing : DirectionPattern::Azimuth;
  settings.reverseDirections = button == 2;
  settings.bearing = directions.bearing;
  return settings;
}

std::vector<std::string> ViewerTextToTokens(std::string_view text, int button,
                                            const DirectionSettings& directions) {
  std::vector<std::string> tokens;
  AppendTextTokens(text, ViewerTokenSettings(button, directions), tokens);
  return tokens;
}

void SplitWords(std::string& text, std::vector<std::string>& tokens) {
  SplitWords(utf8::Decode(text), tokens);
  text.clear();
}

std::string CleanPickedText(std::string_view text) {
  std::u32string joined;
  for (const std::u32string& line : CleanLines(text)) {
    if (!joined.empty()) joined += kBlank;
    joined += line;
  }
  return utf8::Encode(joined);
}

void AppendTextTokens(std::string_view pickedText, const TokenSettings& settings,
                      std::vector<std::string>& tokens) {
  for (const std::u32string& line : CleanLines(pickedText)) AppendLineTokens(line, settings, tokens);
}

std::vector<std::string> TextsToTokens(const std::vector<std::string>& pickedTexts,
                                       const TokenSettings& settings) {
  std::vector<std::string> tokens;
  for (const std::string& text : pickedTexts) AppendTextTokens(text, settings, tokens);
  return tokens;
}

}  // namespace korvalo::geometry
