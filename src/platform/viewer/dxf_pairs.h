#pragma once

// Reading an ASCII DXF file as group code and value pairs, one line each,
// lines ended by LF, CR LF or CR alone (as GDAL reads them). Inside the
// drawing reader only.

#include <charconv>
#include <cstddef>
#include <string_view>

namespace korvalo::viewer {

class DxfPairs {
 public:
  explicit DxfPairs(std::string_view content) : rest_(content) {}

  // False at the end of the content or on a code that is not a number.
  bool Next(int& code, std::string_view& value) {
    std::string_view codeLine, valueLine;
    if (!Line(codeLine) || !Line(valueLine)) return false;
    if (!ParseInt(codeLine, code)) {
      bad_ = true;
      return false;
    }
    value = valueLine;
    return true;
  }
  // The lines read so far.
  long LinesRead() const { return line_; }
  // Whether reading stopped at a code that is not a number.
  bool Bad() const { return bad_; }

  static bool ParseInt(std::string_view text, int& out) {
    text = Trim(text);
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    if (text.empty()) return false;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), out);
    return ec == std::errc() && end == text.data() + text.size();
  }

  static std::string_view Trim(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
    return text;
  }

  // A keyword value ("SECTION", "EOF"), blanks around it allowed.
  static bool IsKeyword(std::string_view value, std::string_view word) { return Trim(value) == word; }

 private:
  bool Line(std::string_view& line) {
    if (rest_.empty()) return false;
    // A byte at a time: lines are a few characters long, and a search for
    // either of two characters costs a call per character of the line.
    const char* const start = rest_.data();
    const char* const end = start + rest_.size();
    const char* at = start;
    while (at != end && *at != '\n' && *at != '\r') ++at;
    line = std::string_view(start, static_cast<std::size_t>(at - start));
    if (at != end) {
      const bool crlf = *at == '\r' && at + 1 != end && at[1] == '\n';
      at += crlf ? 2 : 1;
    }
    rest_.remove_prefix(static_cast<std::size_t>(at - start));
    ++line_;
    return true;
  }
  std::string_view rest_;
  long line_ = 0;
  bool bad_ = false;
};

}  // namespace korvalo::viewer
