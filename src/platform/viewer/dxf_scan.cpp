#include "platform/viewer/dxf_scan.h"

#include <algorithm>
#include <map>
#include <vector>

#include "platform/viewer/dxf_pairs.h"

namespace korvalo::viewer {
namespace {

// The points a curve is made of once made linear: about one every four
// degrees of a full circle.
constexpr double kCurvePoints = 100;
// A spline's points between two of its control or fit points.
constexpr double kSplinePointsPerVertex = 10;

double Capped(double v) { return std::min(v, kScanCeiling); }

// A count as GDAL reads it (atoi): blanks, a sign and the digits that
// follow, whatever comes after them; 0 without digits.
double LeadingCount(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  double n = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) n = Capped(n * 10 + (text[i] - '0'));
  return negative ? -n : n;
}

// A block's name as GDAL keeps it: its value line up to the first NUL byte
// and at most 256 bytes long, so that names GDAL takes for one are one here.
std::string GdalName(std::string_view value) {
  constexpr std::size_t kGdalValueLength = 256;
  value = value.substr(0, value.find('\0'));
  return std::string(value.substr(0, kGdalValueLength));
}

struct Insert {
  std::string block;
  double copies = 1;  // rows times columns
};

// What one block (or the ENTITIES section) holds before its inserts are
// expanded.
struct Content {
  double entities = 0;
  double points = 0;
  std::vector<Insert> inserts;
};

// One entity record being read.
struct Record {
  std::string type;
  // Group 2 of an INSERT or a DIMENSION: the last one given, as GDAL takes
  // it. An INSERT without one inserts the block named "" as GDAL does.
  std::string block;
  bool named = false;
  double columns = 1, rows = 1;
  double vertices = 0;  // groups 10 and 11
  double bulges = 0;    // groups 42: arcs between polyline vertices
  // A spline's lines: whether it has control points (10), the code lines of
  // its fit points (11, 21, 31), the value line of its degree (71) and the
  // code lines of its knot and control point counts (72, 73).
  bool controlPoints = false;
  std::vector<std::string_view> fitCodes;
  std::string_view degree;
  bool hasDegree = false;
  std::vector<std::string_view> countCodes;
};

// Group codes of coordinates: x, y and z of up to nine points.
bool IsCoordinate(int code) {
  return (code >= 10 && code <= 18) || (code >= 20 && code <= 28) || (code >= 30 && code <= 37);
}

// Whether a value reads whole as a decimal number (a sign, digits with at
// most one point, an exponent), blanks around it allowed. Read a character
// at a time: every coordinate of the file passes here.
bool IsNumber(std::string_view value) {
  value = DxfPairs::Trim(value);
  std::size_t i = 0;
  const auto digits = [&] {
    const std::size_t from = i;
    while (i < value.size() && value[i] >= '0' && value[i] <= '9') ++i;
    return i - from;
  };
  const auto sign = [&] {
    if (i < value.size() && (value[i] == '+' || value[i] == '-')) ++i;
  };
  sign();
  std::size_t mantissa = digits();
  if (i < value.size() && value[i] == '.') {
    ++i;
    mantissa += digits();
  }
  if (mantissa == 0) return false;
  if (i < value.size() && (value[i] == 'e' || value[i] == 'E')) {
    ++i;
    sign();
    if (digits() == 0) return false;
  }
  return i == value.size();
}

// A spline given by fit points only, read by GDAL as the polyline through
// them: the fit points become the control points of a spline of degree 1
// (whose knots GDAL computes when none are given), and the counts that no
// longer hold become comments.
void ShapeFitSpline(const Record& r, const char* base, std::vector<DxfLineEdit>& edits) {
  if (r.type != "SPLINE" || r.controlPoints || r.fitCodes.size() < 4 || !r.hasDegree) return;
  auto edit = [&](std::string_view line, std::string text) {
    edits.push_back({static_cast<std::size_t>(line.data() - base), line.size(), std::move(text)});
  };
  for (const std::string_view code : r.fitCodes) {
    int n = 0;
    DxfPairs::ParseInt(code, n);
    edit(code, std::to_string(n - 1));
  }
  edit(r.degree, "1");
  for (const std::string_view code : r.countCodes) edit(code, "999");
}

bool Is(const std::string& type, std::string_view word) { return type == word; }

// Adds a finished record to the content it belongs to.
void AddRecord(const Record& r, Content& to) {
  if (r.type.empty() || Is(r.type, "SEQEND")) return;
  if (Is(r.type, "VERTEX")) {
    // A vertex of the polyline before it.
    to.points = Capped(to.points + 1 + r.bulges * kCurvePoints);
    return;
  }
  double points = std::max(r.vertices, 1.0) + r.bulges * kCurvePoints;
  if (Is(r.type, "ARC") || Is(r.type, "CIRCLE") || Is(r.type, "ELLIPSE")) points = kCurvePoints;
  if (Is(r.type, "SPLINE")) points = r.vertices * kSplinePointsPerVertex;
  to.entities = Capped(to.entities + 1);
  to.points = Capped(to.points + points);
  if (Is(r.type, "INSERT") || (Is(r.type, "DIMENSION") && r.named)) {
    const double copies = Is(r.type, "INSERT") ? Capped(std::max(r.columns, 1.0) * std::max(r.rows, 1.0)) : 1.0;
    to.inserts.push_back({r.block, copies});
  }
}

struct Totals {
  double entities = 0, points = 0;
};

// Every block's content with its inserts expanded, depth first without
// recursion (a chain of blocks can be as long as the file allows). An insert
// of a block that is being expanded (a block inserting itself, at any depth)
// and of a block that does not exist adds nothing.
class Expansion {
 public:
  explicit Expansion(const std::map<std::string, Content, std::less<>>& blocks) : blocks_(blocks) {}

  Totals Of(const Content& top) {
    Totals sum{top.entities, top.points};
    for (const Insert& insert : top.inserts) Add(sum, insert, Expanded(insert.block));
    return sum;
  }

 private:
  enum class State { Open, Done };
  struct Frame {
    const std::string* name;
    const Content* content;
    std::size_t next = 0;
    Totals sum;
  };

  static void Add(Totals& sum, const Insert& insert, const Totals& block) {
    sum.entities = Capped(sum.entities + Capped(insert.copies * block.entities));
    sum.points = Capped(sum.points + Capped(insert.copies * block.points));
  }

  Totals Expanded(const std::string& name) {
    if (const auto done = totals_.find(name); done != totals_.end()) return done->second;
    const auto root = blocks_.find(name);
    if (root == blocks_.end()) return {};
    std::vector<Frame> stack;
    Open(stack, root->first, root->second);
    while (!stack.empty()) {
      Frame& f = stack.back();
      if (f.next == f.content->inserts.size()) {
        totals_[*f.name] = f.sum;
        state_[*f.name] = State::Done;
        const Totals finished = f.sum;
        stack.pop_back();
        if (!stack.empty()) {
          Frame& parent = stack.back();
          Add(parent.sum, parent.content->inserts[parent.next], finished);
          ++parent.next;
        }
        continue;
      }
      const Insert& insert = f.content->inserts[f.next];
      const auto child = blocks_.find(insert.block);
      const auto state = state_.find(insert.block);
      if (child == blocks_.end() || (state != state_.end() && state->second == State::Open)) {
        ++f.next;  // missing, or inserting itself
        continue;
      }
      if (state != state_.end()) {
        Add(f.sum, insert, totals_[insert.block]);
        ++f.next;
        continue;
      }
      Open(stack, child->first, child->second);
    }
    return totals_[name];
  }

  void Open(std::vector<Frame>& stack, const std::string& name, const Content& content) {
    state_[name] = State::Open;
    stack.push_back({&name, &content, 0, {content.entities, content.points}});
  }

  const std::map<std::string, Content, std::less<>>& blocks_;
  std::map<std::string, State, std::less<>> state_;
  std::map<std::string, Totals, std::less<>> totals_;
};

}  // namespace

DxfScan ScanDxf(std::string_view whole) {
  DxfScan scan;
  std::string_view content = whole;
  if (content.rfind("\xEF\xBB\xBF", 0) == 0) content.remove_prefix(3);
  DxfPairs pairs(content);
  // A damaged code is counted past as GDAL reads it: the file is refused
  // for its damage, but a bomb behind a damaged line is told as a bomb.
  pairs.ReadCodesAsGdal();
  int code = 0;
  std::string_view value;
  enum class Section { None, Header, Blocks, Entities, Other } section = Section::None;
  bool sectionName = false;  // the next pair names the section
  std::string variable;      // the header variable being read
  std::map<std::string, Content, std::less<>> blocks;
  Content top;
  Content* block = nullptr;  // the block being read
  bool blockHeader = false;  // inside a BLOCK record, before its entities
  std::string blockName;     // its name: the last group 2 of the record
  Record record;
  const char* const base = whole.data();
  auto finish = [&] {
    Content* to = section == Section::Entities ? &top : block;
    if (to) AddRecord(record, *to);
    ShapeFitSpline(record, base, scan.edits);
    record = Record{};
  };
  bool any = false;
  while (pairs.Next(code, value)) {
    any = true;
    const std::string_view word = DxfPairs::Trim(value);
    if (sectionName) {
      sectionName = false;
      section = word == "HEADER"     ? Section::Header
                : word == "BLOCKS"   ? Section::Blocks
                : word == "ENTITIES" ? Section::Entities
                                     : Section::Other;
      continue;
    }
    if ((section == Section::Blocks || section == Section::Entities) && IsCoordinate(code) && !IsNumber(value))
      scan.edits.push_back({static_cast<std::size_t>(value.data() - base), value.size(), "nan"});
    if (code == 0) {
      if (section == Section::Blocks && blockHeader) {
        // The BLOCK record ends: its entities follow. A block of the same
        // name again is read into the same content (GDAL keeps one).
        block = &blocks[blockName];
        blockHeader = false;
      }
      if (section == Section::Blocks || section == Section::Entities) finish();
      if (word == "EOF") {
        scan.whole = true;
        break;
      }
      if (word == "SECTION") {
        sectionName = true;
        block = nullptr;
        continue;
      }
      if (word == "ENDSEC") {
        section = Section::None;
        block = nullptr;
        continue;
      }
      if (section == Section::Blocks) {
        if (word == "BLOCK") {
          blockHeader = true;
          blockName.clear();
          block = nullptr;
          continue;
        }
        if (word == "ENDBLK") {
          blockHeader = false;
          block = nullptr;
          continue;
        }
      }
      if (section == Section::Blocks || section == Section::Entities) record.type = std::string(word);
      continue;
    }
    switch (section) {
      case Section::Header:
        if (code == 9) {
          variable = std::string(word);
        } else if (variable == "$ACADVER" && code == 1) {
          scan.version = std::string(word);
        } else if (variable == "$DWGCODEPAGE" && code == 3) {
          scan.codepage = std::string(word);
        }
        break;
      case Section::Blocks:
        if (blockHeader) {
          // The last name of a BLOCK record is the block's, as GDAL takes
          // it; a record without one names the block "".
          if (code == 2) blockName = GdalName(value);
          break;
        }
        [[fallthrough]];
      case Section::Entities:
        if (record.type == "SPLINE") {
          if (code == 10) record.controlPoints = true;
          if (code == 11 || code == 21 || code == 31) record.fitCodes.push_back(pairs.CodeLine());
          if (code == 71) {
            record.degree = value;
            record.hasDegree = true;
          }
          if (code == 72 || code == 73) record.countCodes.push_back(pairs.CodeLine());
        }
        if (code == 10 || code == 11) {
          record.vertices += 1;
        } else if (code == 42) {
          record.bulges += 1;
        } else if (code == 2) {
          record.block = GdalName(value);
          record.named = true;
        } else if (Is(record.type, "INSERT") && (code == 70 || code == 71)) {
          (code == 70 ? record.columns : record.rows) = LeadingCount(value);
        }
        break;
      case Section::None:
      case Section::Other:
        break;
    }
  }
  if (section == Section::Blocks || section == Section::Entities) finish();
  // Text when it reads as pairs from its start; a damaged code makes it
  // not whole, whatever was read after it.
  scan.text = any && pairs.BadLine() != 1;
  if (pairs.Bad()) {
    scan.whole = false;
    scan.damagedLine = pairs.BadLine();
  }
  const Totals totals = Expansion(blocks).Of(top);
  scan.entities = totals.entities;
  scan.points = totals.points;
  return scan;
}

std::string EditedDxf(std::string_view content, const std::vector<DxfLineEdit>& edits) {
  std::vector<DxfLineEdit> sorted = edits;
  std::sort(sorted.begin(), sorted.end(), [](const DxfLineEdit& a, const DxfLineEdit& b) { return a.at < b.at; });
  std::string out;
  out.reserve(content.size() + 3 * sorted.size());
  std::size_t from = 0;
  for (const DxfLineEdit& e : sorted) {
    if (e.at < from || e.at + e.length > content.size()) continue;
    out.append(content.substr(from, e.at - from));
    out += e.text;
    from = e.at + e.length;
  }
  out.append(content.substr(from));
  return out;
}

std::string DxfTextEncoding(const DxfScan& scan) {
  // Versions are "AC" and four digits; AC1021 is AutoCAD 2007.
  const std::string& v = scan.version;
  if (v.size() == 6 && v.compare(0, 2, "AC") == 0 && v.compare(2, 4, "1021") >= 0 &&
      std::all_of(v.begin() + 2, v.end(), [](char c) { return c >= '0' && c <= '9'; }))
    return "UTF-8";
  // "ANSI_1252" is the Windows code page 1252, quotes, dashes and the euro
  // sign (0x80-0x9F) included, as "ANSI_1250" is code page 1250.
  std::string page(DxfPairs::Trim(scan.codepage));
  for (char& c : page) c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 32 : c);
  constexpr std::string_view kAnsi = "ANSI_";
  if (page.size() > kAnsi.size() && page.size() <= kAnsi.size() + 5 && page.compare(0, kAnsi.size(), kAnsi) == 0 &&
      std::all_of(page.begin() + kAnsi.size(), page.end(), [](char c) { return c >= '0' && c <= '9'; }))
    return "CP" + page.substr(kAnsi.size());
  return "";
}

}  // namespace korvalo::viewer
