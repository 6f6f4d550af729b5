#pragma once

// Reading an ASCII DXF file as group code and value pairs, one line each,
// lines ended by LF, CR LF or CR alone (as GDAL reads them). Inside the
// drawing reader only.

#include <charconv>
#include <cstddef>
#include <cstdint>
#include <string_view>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace korvalo::viewer {

class DxfPairs {
 public:
  explicit DxfPairs(std::string_view content)
      : at_(content.data()), end_(content.data() + content.size()), blockStart_(at_), blockEnd_(at_) {}

  // False at the end of the content or on a code that is not a number
  // (unless codes are read as GDAL reads them, ReadCodesAsGdal).
  bool Next(int& code, std::string_view& value) {
    std::string_view codeLine, valueLine;
    if (!Line(codeLine) || !Line(valueLine)) return false;
    if (!ParseInt(codeLine, code)) {
      if (!bad_) badLine_ = line_ - 1;
      bad_ = true;
      if (!asGdal_) return false;
      code = GdalCode(codeLine);
    }
    value = valueLine;
    codeLine_ = codeLine;
    return true;
  }
  // The code line of the last pair read, as written.
  std::string_view CodeLine() const { return codeLine_; }
  // Reads on past a code that is not a number, taking it as GDAL does (its
  // leading digits, 0 without any), so that what GDAL will make of a
  // damaged file can still be counted; Bad() and BadLine() still tell it.
  void ReadCodesAsGdal() { asGdal_ = true; }
  // The lines read so far.
  long LinesRead() const { return line_; }
  // Whether a code that is not a number was read (reading stopped there,
  // unless codes are read as GDAL reads them), and its 1-based line.
  bool Bad() const { return bad_; }
  long BadLine() const { return badLine_; }

  // A code as GDAL reads it (the C library's atoi): blanks, a sign and the
  // digits that follow, whatever comes after them; 0 without digits; a
  // number too large for an int wraps as atoi's long does when cut to int.
  static int GdalCode(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r'))) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    long long n = 0;
    bool saturated = false;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
      if (n > (0x7FFFFFFFFFFFFFFFLL - 9) / 10) saturated = true;
      if (!saturated) n = n * 10 + (text[i] - '0');
    }
    if (saturated) return negative ? 0 : -1;  // LONG_MIN and LONG_MAX cut to int
    return static_cast<int>(negative ? -n : n);
  }

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
    if (at_ == end_) return false;
    const char* const start = at_;
    const char* stop = LineEnd();
    line = std::string_view(start, static_cast<std::size_t>(stop - start));
    if (stop != end_) {
      const bool crlf = *stop == '\r' && stop + 1 != end_ && stop[1] == '\n';
      stop += crlf ? 2 : 1;
    }
    at_ = stop;
    ++line_;
    return true;
  }

  // The first CR or LF from at_ on, end_ when none. The line ends of a block
  // of 64 bytes are found at once, as bits: lines are a few characters long,
  // and a byte at a time costs a mispredicted branch at every line's end.
  const char* LineEnd() {
    if (at_ >= blockEnd_) Block(at_);
    for (;;) {
      // A line that began in a block before takes every end of this one.
      const auto offset = at_ > blockStart_ ? static_cast<unsigned>(at_ - blockStart_) : 0u;
      const std::uint64_t ends = offset < 64 ? ends_ & (~std::uint64_t{0} << offset) : 0;
      if (ends != 0) return blockStart_ + __builtin_ctzll(ends);
      if (blockEnd_ == end_) return end_;
      Block(blockEnd_);
    }
  }

  // Reads the line ends of the (up to) 64 bytes from `from`.
  void Block(const char* from) {
    blockStart_ = from;
    const auto left = static_cast<std::size_t>(end_ - from);
    const std::size_t n = left < 64 ? left : 64;
    blockEnd_ = from + n;
    ends_ = 0;
#if defined(__SSE2__)
    if (n == 64) {
      const __m128i lf = _mm_set1_epi8('\n'), cr = _mm_set1_epi8('\r');
      for (int part = 0; part < 4; ++part) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(from + 16 * part));
        const __m128i hit = _mm_or_si128(_mm_cmpeq_epi8(bytes, lf), _mm_cmpeq_epi8(bytes, cr));
        const auto bits = static_cast<std::uint32_t>(_mm_movemask_epi8(hit)) & 0xFFFFu;
        ends_ |= static_cast<std::uint64_t>(bits) << (16 * part);
      }
      return;
    }
#endif
    for (std::size_t i = 0; i < n; ++i)
      ends_ |= static_cast<std::uint64_t>(from[i] == '\n' || from[i] == '\r') << i;
  }

  const char* at_;
  const char* end_;
  const char* blockStart_;  // the block whose line ends ends_ holds
  const char* blockEnd_;
  std::uint64_t ends_ = 0;  // bit i: byte blockStart_[i] is a CR or LF
  long line_ = 0;
  bool bad_ = false;
  std::string_view codeLine_;
  long badLine_ = 0;
  bool asGdal_ = false;
};

}  // namespace korvalo::viewer
