#pragma once

#include <cstdio>
#include <regex>
#include <string>
#include <utility>
#include <vector>

// What poppler's tools read from a PDF file: the text laid out, the words
// with their boxes (points from the page's top-left corner), the images.
namespace pdf_text {

inline std::string Run(const std::string& command) {
  std::string out;
  FILE* pipe = ::popen(command.c_str(), "r");
  if (pipe == nullptr) return out;
  char buffer[4096];
  std::size_t n = 0;
  while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) out.append(buffer, n);
  ::pclose(pipe);
  return out;
}

inline std::string Quote(const std::string& path) { return "'" + path + "'"; }

// pdftotext -layout of the whole file, or of one page (from 1).
inline std::string Layout(const std::string& pdf, int page = 0) {
  std::string range = page > 0 ? " -f " + std::to_string(page) + " -l " + std::to_string(page) : "";
  return Run("pdftotext -layout" + range + " " + Quote(pdf) + " -");
}

struct Word {
  int page = 0;  // from 1
  double xMin = 0, yMin = 0, xMax = 0, yMax = 0;
  std::string text;
};

// The text of an XML-escaped word.
inline std::string Unescape(std::string s) {
  const std::pair<const char*, const char*> entities[] = {
      {"&quot;", "\""}, {"&apos;", "'"}, {"&lt;", "<"}, {"&gt;", ">"}, {"&amp;", "&"}};
  for (const auto& [from, to] : entities) {
    for (std::size_t at = s.find(from); at != std::string::npos; at = s.find(from, at + 1)) {
      s.replace(at, std::string(from).size(), to);
    }
  }
  return s;
}

inline std::vector<Word> Words(const std::string& pdf) {
  const std::string html = Run("pdftotext -bbox " + Quote(pdf) + " -");
  std::vector<Word> words;
  int page = 0;
  static const std::regex wordRe(
      R"re(<word xMin="([0-9.]+)" yMin="([0-9.]+)" xMax="([0-9.]+)" yMax="([0-9.]+)">([^<]*)</word>)re");
  std::size_t pos = 0;
  while (pos < html.size()) {
    const std::size_t eol = html.find('\n', pos);
    const std::string line = html.substr(pos, eol == std::string::npos ? std::string::npos : eol - pos);
    pos = eol == std::string::npos ? html.size() : eol + 1;
    if (line.find("<page ") != std::string::npos) ++page;
    std::smatch m;
    if (std::regex_search(line, m, wordRe)) {
      words.push_back({page, std::stod(m[1]), std::stod(m[2]), std::stod(m[3]), std::stod(m[4]), Unescape(m[5])});
    }
  }
  return words;
}

// The first word with that text, or a word with page 0 when none.
inline Word Find(const std::vector<Word>& words, const std::string& text, int nth = 0) {
  for (const Word& w : words) {
    if (w.text == text && nth-- == 0) return w;
  }
  return {};
}

inline int Pages(const std::string& pdf) {
  const std::string info = Run("pdfinfo " + Quote(pdf) + " 2>/dev/null");
  const std::size_t at = info.find("Pages:");
  return at == std::string::npos ? 0 : std::stoi(info.substr(at + 6));
}

// Lines of pdfimages -list after its two heading lines.
inline std::vector<std::string> Images(const std::string& pdf) {
  const std::string list = Run("pdfimages -list " + Quote(pdf) + " 2>/dev/null");
  std::vector<std::string> rows;
  std::size_t pos = 0;
  int n = 0;
  while (pos < list.size()) {
    const std::size_t eol = list.find('\n', pos);
    const std::string line = list.substr(pos, eol == std::string::npos ? std::string::npos : eol - pos);
    pos = eol == std::string::npos ? list.size() : eol + 1;
    if (n++ >= 2 && !line.empty()) rows.push_back(line);
  }
  return rows;
}

}  // namespace pdf_text
