#include "storage/project_settings.h"

#include <filesystem>
#include <limits>

#include "common/utf8.h"
#include "storage/first_row.h"
#include "storage/messages.h"
#include "storage/program_state.h"

namespace korvalo {

std::string ResolveDrawingPath(std::string_view stored, std::string_view programFolder) {
  if (stored.size() < 2 || stored[0] != '.' || (stored[1] != '\\' && stored[1] != '/')) {
    return std::string(stored);
  }
  std::string path(programFolder);
  if (path.empty() || path.back() != '/') path += '/';
  path += utf8::ReplaceAll(stored.substr(2), "\\", "/");
  return path;
}

bool ArcPositionsSound(const ProjectSettings& settings) {
  if (settings.BearingPos != 1) return false;
  bool seen[5] = {false, false, false, false, false};
  for (int p : {settings.ArcPos, settings.ChordPos, settings.RadiusPos}) {
    if (p < 2 || p > 4 || seen[p]) return false;
    seen[p] = true;
  }
  return true;
}

void UseShippedArcPositions(ProjectSettings& settings) {
  settings.BearingPos = 1;
  settings.ArcPos = 2;
  settings.ChordPos = 3;
  settings.RadiusPos = 4;
}

namespace {

// Reads one field into `out`; a missing, empty or unreadable field leaves
// the default in place.
// The engine's number for a field whose value does not fit its use.
constexpr int kUnreadableField = 3349;

std::string FieldProblem(const char* name) {
  return std::string("The field ") + name + " is empty or does not hold a number.";
}

class RowReader {
 public:
  explicit RowReader(dao::Recordset& rs) : rs_(rs) {}

  // True when the field held a number that fits.
  bool Int(const char* name, int& out) {
    if (auto v = Read(name)) {
      try {
        std::int64_t n = dao::AsLong(*v);
        if (n >= std::numeric_limits<int>::min() && n <= std::numeric_limits<int>::max()) {
          out = static_cast<int>(n);
          return true;
        }
      } catch (const dao::DaoError&) {
      }
    }
    return false;
  }
  // The number of decimals: missing, empty or unreadable, it makes the whole
  // row unreadable rather than let a default of 0 round every figure to
  // whole units.
  void RequiredInt(const char* name, int& out) {
    if (!Int(name, out)) throw dao::DaoError(kUnreadableField, FieldProblem(name));
  }
  void Double(const char* name, double& out) {
    if (auto v = Read(name)) {
      try {
        out = dao::AsDouble(*v);
      } catch (const dao::DaoError&) {
      }
    }
  }
  void Bool(const char* name, bool& out) {
    if (auto v = Read(name)) {
      try {
        out = dao::AsBool(*v);
      } catch (const dao::DaoError&) {
      }
    }
  }
  void Text(const char* name, std::string& out) {
    if (auto v = Read(name)) {
      try {
        out = dao::AsText(*v);
      } catch (const dao::DaoError&) {
      }
    }
  }

 private:
  std::optional<dao::Value> Read(const char* name) {
    if (!rs_.HasField(name)) return std::nullopt;
    dao::Value v = rs_.Get(name);
    if (dao::IsNull(v)) return std::nullopt;
    if (auto s = std::get_if<std::string>(&v); s && s->empty()) return std::nullopt;
    return v;
  }
  dao::Recordset& rs_;
};

std::string TrimBlanks(const std::string& s) {
  auto first = s.find_first_not_of(' ');
  if (first == std::string::npos) return {};
  auto last = s.find_last_not_of(' ');
  return s.substr(first, last - first + 1);
}

}  // namespace

bool LoadProjectSettings() {
  ProgramState& program = Program();
  ProjectSettings s;
  std::string drawing;
  int warnD = 0, warnM = 0, warnS = 0, tanD = 0, tanM = 0, tanS = 0;
  try {
    dao::Database db = dao::Database::Open(program.ProjectPath);
    dao::Recordset rs = db.OpenRecordset("tblSetting");
    rs.MoveFirst();
    RowReader row(rs);
    row.Int("txtArc", s.ArcPos);
    row.Int("txtRadius", s.RadiusPos);
    row.Int("txtChord", s.ChordPos);
    row.Int("txtBearing", s.BearingPos);
    row.Text("AutoCADFile", drawing);
    row.Double("ClosureTolerance", s.ClosureTolerance);
    row.Bool("UnitFeet", s.UnitFeet);
    row.Bool("SquareX", s.SquareX);
    row.Bool("Minimize", s.Minimize);
    row.RequiredInt("ErrDecimal", s.ErrDecimal);
    row.Bool("AddAreaCheck", s.AddAreaCheck);
    row.Bool("AutoInvert", s.AutoInvert);
    row.Bool("TangentCheck", s.TangentCheck);
    row.Int("WarningRanged", warnD);
    row.Int("WarningRangem", warnM);
    row.Int("WarningRanges", warnS);
    row.Int("TangentToleranced", tanD);
    row.Int("TangentTolerancem", tanM);
    row.Int("TangentTolerances", tanS);
    row.Bool("ToolTipOn", s.ToolTipOn);
    row.Bool("Bearing", s.Bearing);
    std::string degree;
    row.Text("DegreeSymbol", degree);
    degree = TrimBlanks(degree);
    if (!degree.empty()) s.DegreeSymbol = degree;
  } catch (const dao::DaoError& e) {
    Notify("The settings of the project " + program.ProjectPath +
               " cannot be read, so the project was not opened.\n" + e.what(),
           MessageIcon::Warning);
    return false;
  }
  s.WarningRange = warnD + warnM / 60.0 + warnS / 3600.0;
  s.TangentTolerance = tanD + tanM / 60.0 + tanS / 3600.0;

  std::string drawingPath = ResolveDrawingPath(drawing, program.ProgramFolder);
  if (!drawingPath.empty()) {
    std::error_code ec;
    if (!std::filesystem::exists(drawingPath, ec)) {
      Notify("Can't open the associated drawing: " + drawingPath +
             ". The default drawing will be opened. Please relocate the drawing.");
      drawingPath = FileBesideProgram("default.dwg");
    }
  }
  if (!ArcPositionsSound(s)) {
    UseShippedArcPositions(s);
    Notify(kUnsoundArcPositionsMessage, MessageIcon::Warning);
  }
  program.ProjectSettings = s;
  program.DrawingPath = drawingPath;
  return true;
}

bool SetProjectSetting(int index, const dao::Value& value) {
  try {
    dao::Database db = dao::Database::Open(Program().ProjectPath);
    detail::WriteFirstRow(db, "tblSetting", index, value);
    return true;
  } catch (const dao::DaoError&) {
    Notify(kGeneralErrorMessage);
    return false;
  }
}

namespace {
bool& SwitchMember(ProjectSettings& s, ProjectSwitch which) {
  switch (which) {
    case ProjectSwitch::VerifyAreaInCurves: return s.AddAreaCheck;
    case ProjectSwitch::AutoInvert: return s.AutoInvert;
    case ProjectSwitch::VerifyTangentialCurves: return s.TangentCheck;
    case ProjectSwitch::MinimizeDuringGrab: break;
  }
  return s.Minimize;
}
}  // namespace

bool ApplyProjectSwitch(ProjectSwitch which, bool on) {
  if (!SetProjectSetting(static_cast<int>(which), on)) return false;
  SwitchMember(Program().ProjectSettings, which) = on;
  return true;
}

bool ProjectSwitchState(ProjectSwitch which) { return SwitchMember(Program().ProjectSettings, which); }

}  // namespace korvalo
