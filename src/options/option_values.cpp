#include "options/option_values.h"

#include <algorithm>
#include <cmath>

#include "common/numbers.h"
#include "common/utf8.h"
#include "geometry/direction.h"
#include "platform/dao/dao.h"
#include "storage/project_settings.h"
#include "storage/system_db.h"

namespace korvalo::options {

namespace {

// Positions of the settings rows' fields the dialog reads.
struct RowPositions {
  int arc, chord, radius, bearingPos;
  int unitFeet, squareX, tolerance, minimize, decimals, addAreaCheck, autoInvert, tangentCheck;
  int warningD, warningM, warningS, tangentD, tangentM, tangentS, toolTipOn;
  int bearing, degreeSymbol;
};

constexpr RowPositions kProjectRow = {0, 1, 2, 3, 5, 6, 4, 8, 9, 10, 11, 12, 13, 18, 19, 14, 16, 17, 15, 20, 21};
constexpr RowPositions kSystemRow = {0, 1, 2, 3, 4, 5, 13, 6, 12, 7, 8, 9, 10, 18, 19, 11, 16, 17, 15, 21, 22};

std::string Text(dao::Recordset& rs, int position) {
  dao::Value v = rs.Get(position);
  return dao::IsNull(v) ? std::string() : dao::AsText(v);
}

bool Flag(dao::Recordset& rs, int position) {
  dao::Value v = rs.Get(position);
  return !dao::IsNull(v) && dao::AsBool(v);
}

std::optional<long long> Whole(dao::Recordset& rs, int position) {
  dao::Value v = rs.Get(position);
  if (dao::IsNull(v)) return std::nullopt;
  try {
    return dao::AsLong(v);
  } catch (const dao::DaoError&) {
    return std::nullopt;
  }
}

ShownSettings ReadRow(dao::Recordset& rs, const RowPositions& at) {
  ShownSettings s;
  s.cells = CellsForPositions({Whole(rs, at.arc), Whole(rs, at.chord), Whole(rs, at.radius), Whole(rs, at.bearingPos)});
  s.unitFeet = Flag(rs, at.unitFeet);
  s.squareX = Flag(rs, at.squareX);
  s.tolerance = Text(rs, at.tolerance);
  s.minimize = Flag(rs, at.minimize);
  s.decimals = Text(rs, at.decimals);
  s.addAreaCheck = Flag(rs, at.addAreaCheck);
  s.autoInvert = Flag(rs, at.autoInvert);
  s.tangentCheck = Flag(rs, at.tangentCheck);
  s.warning = {Text(rs, at.warningD), Text(rs, at.warningM), Text(rs, at.warningS)};
  s.tangentTolerance = {Text(rs, at.tangentD), Text(rs, at.tangentM), Text(rs, at.tangentS)};
  s.toolTipOn = Flag(rs, at.toolTipOn);
  // Files of older versions lack these two fields; what the dialog shows
  // for them then stays.
  try {
    dao::Value v = rs.Get(at.bearing);
    if (!dao::IsNull(v)) s.bearing = dao::AsBool(v);
  } catch (const dao::DaoError&) {
  }
  try {
    dao::Value v = rs.Get(at.degreeSymbol);
    if (!dao::IsNull(v)) s.degreeSymbol = dao::AsText(v);
  } catch (const dao::DaoError&) {
  }
  // The drawing colours, by name: only the standalone edition's rows have
  // them, after the fields above.
  for (auto [name, out] : {std::pair{"BackColor", &s.backColor}, std::pair{"ForeColor", &s.foreColor}}) {
    if (!rs.HasField(name)) continue;
    try {
      dao::Value v = rs.Get(name);
      if (!dao::IsNull(v)) *out = static_cast<long>(dao::AsLong(v));
    } catch (const dao::DaoError&) {
    }
  }
  return s;
}

}  // namespace

std::array<std::string, 4> CellsForPositions(const std::array<std::optional<long long>, 4>& positions) {
  ProjectSettings order;
  int* const members[] = {&order.ArcPos, &order.ChordPos, &order.RadiusPos, &order.BearingPos};
  bool readable = true;
  for (std::size_t i = 0; i < positions.size(); ++i) {
    if (!positions[i] || *positions[i] < 1 || *positions[i] > 4) {
      readable = false;
      break;
    }
    *members[i] = static_cast<int>(*positions[i]);
  }
  std::array<std::string, 4> cells;
  if (!readable || !ArcPositionsSound(order)) {
    for (std::size_t i = 0; i < cells.size(); ++i) cells[i] = kShippedOrderCells[i];
    return cells;
  }
  for (std::size_t i = 0; i < positions.size(); ++i) {
    cells[static_cast<std::size_t>(*positions[i] - 1)] = kOrderCaptions[i];
  }
  return cells;
}

ShownSettings ReadProjectRow(const std::string& projectPath) {
  dao::Database db = dao::Database::Open(projectPath);
  dao::Recordset rs = db.OpenRecordset("tblSetting", dao::RecordsetType::Snapshot);
  rs.MoveFirst();
  return ReadRow(rs, kProjectRow);
}

ShownSettings ReadSystemRow() {
  dao::Database db = OpenSystemDatabaseByPath(false);
  dao::Recordset rs = db.OpenRecordset("tblSetting", dao::RecordsetType::Snapshot);
  rs.MoveFirst();
  return ReadRow(rs, kSystemRow);
}

int ForeColorOption(std::optional<long> code) {
  for (std::size_t i = 0; i < kForeColorCodes.size(); ++i) {
    if (code && *code == kForeColorCodes[i]) return static_cast<int>(i);
  }
  return 4;
}

int BackColorOption(std::optional<long> code) {
  return code && *code >= 0 && *code <= 3 ? static_cast<int>(*code) : 0;
}

void PositionsFromCells(const std::array<std::string, 4>& cells, StoredSettings& out) {
  for (std::size_t cell = 0; cell < cells.size(); ++cell) {
    for (std::size_t field = 0; field < kOrderCaptions.size(); ++field) {
      if (cells[cell] == kOrderCaptions[field]) out.positions[field] = static_cast<int>(cell) + 1;
    }
  }
}

std::optional<double> ToleranceFromText(std::string_view text) {
  double value = 0.0;
  if (!ReadNumberTo(geometry::NumericText(text), value) || !std::isfinite(value)) return std::nullopt;
  return value;
}

bool ToleranceTooLarge(std::string_view text) {
  // The digits and points left: with at most one point they are a number,
  // refused only for its size.
  const std::string number = geometry::NumericText(text);
  return std::count(number.begin(), number.end(), '.') <= 1 && !ToleranceFromText(text);
}

std::optional<int> WholeFromText(std::string_view text) {
  double value = 0.0;
  if (!ReadNumberTo(geometry::NumericText(text), value)) return std::nullopt;
  value = RoundHalfEven(value, 0);
  if (!(value >= 0.0 && value <= 32767.0)) return std::nullopt;
  return static_cast<int>(value);
}

bool DegreeSymbolAllowed(std::string_view symbol) {
  const std::size_t length = utf8::Length(symbol);
  if (length < 1 || length > 3) return false;
  // Control characters (a pasted line end among them) are no symbol.
  for (char32_t c : utf8::Decode(symbol)) {
    if (c < 0x20 || (c >= 0x7F && c <= 0x9F)) return false;
  }
  for (char c : symbol) {
    switch (c) {
      case ' ': case '\t': case '.': case '\'': case '"':
      case 'N': case 'n': case 'S': case 's': case 'E': case 'e': case 'W': case 'w':
        return false;
      default:
        if (c >= '0' && c <= '9') return false;
    }
  }
  return true;
}

namespace {

// The fields both rows share, by name.
void SetCommon(dao::Recordset& rs, const StoredSettings& v) {
  for (std::size_t i = 0; i < kOrderFields.size(); ++i) {
    rs.Set(kOrderFields[i], static_cast<std::int64_t>(v.positions[i]));
  }
  rs.Set("SquareX", v.squareX);
  rs.Set("Minimize", v.minimize);
  rs.Set("AddAreaCheck", v.addAreaCheck);
  rs.Set("AutoInvert", v.autoInvert);
  rs.Set("TangentCheck", v.tangentCheck);
  const char* const warning[] = {"WarningRanged", "WarningRangem", "WarningRanges"};
  const char* const tangent[] = {"TangentToleranced", "TangentTolerancem", "TangentTolerances"};
  for (std::size_t i = 0; i < 3; ++i) {
    rs.Set(warning[i], static_cast<std::int64_t>(v.warning[i]));
    rs.Set(tangent[i], static_cast<std::int64_t>(v.tangentTolerance[i]));
  }
  rs.Set("ToolTipOn", v.toolTipOn);
}

}  // namespace

ProjectWrite WriteProjectRow(const std::string& projectPath, const StoredSettings& values) {
  dao::Database db = dao::Database::Open(projectPath);
  dao::Recordset rs = db.OpenRecordset("tblSetting");
  rs.MoveFirst();
  rs.Edit();
  SetCommon(rs, values);
  rs.Set("UnitFeet", values.unitFeet);
  rs.Set("ClosureTolerance", values.tolerance);
  rs.Set("ErrDecimal", static_cast<std::int64_t>(values.decimals));
  ProjectWrite result;
  result.bearingStored = rs.HasField("Bearing");
  if (result.bearingStored) rs.Set("Bearing", values.bearing);
  result.degreeSymbolStored = rs.HasField("DegreeSymbol");
  if (result.degreeSymbolStored) rs.Set("DegreeSymbol", values.degreeSymbol);
  if (values.colours) {
    // Each colour the file can hold is stored; a missing one is told.
    const bool back = rs.HasField("BackColor");
    const bool fore = rs.HasField("ForeColor");
    if (back) rs.Set("BackColor", static_cast<std::int64_t>(values.backColor));
    if (fore) rs.Set("ForeColor", static_cast<std::int64_t>(values.foreColor));
    result.coloursStored = back && fore;
  }
  rs.Update();
  return result;
}

void WriteSystemRow(const StoredSettings& values) {
  dao::Database db = OpenSystemDatabaseByPath(false);
  dao::Recordset rs = db.OpenRecordset("tblSetting");
  rs.MoveFirst();
  rs.Edit();
  SetCommon(rs, values);
  rs.Set("unitfeet", values.unitFeet);
  rs.Set("Decimal", static_cast<std::int64_t>(values.decimals));
  rs.Set("Tolerance", values.tolerance);
  // A row that cannot take these keeps them as they are; the rest is stored.
  try {
    rs.Set("Bearing", values.bearing);
  } catch (const dao::DaoError&) {
  }
  try {
    rs.Set("DegreeSymbol", values.degreeSymbol);
  } catch (const dao::DaoError&) {
  }
  if (values.colours) {
    try {
      rs.Set("BackColor", static_cast<std::int64_t>(values.backColor));
      rs.Set("ForeColor", static_cast<std::int64_t>(values.foreColor));
    } catch (const dao::DaoError&) {
    }
  }
  rs.Update();
}

}  // namespace korvalo::options
