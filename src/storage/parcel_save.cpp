#include "storage/parcel_save.h"

#include <algorithm>

#include "common/numbers.h"
#include "common/utf8.h"
#include "storage/messages.h"
#include "storage/program_state.h"

namespace korvalo {
namespace {

using geometry::CourseKind;
using geometry::CourseRow;

// The fields of the row are all filled for its kind.
bool Complete(const CourseRow& row) {
  if (row.direction.empty() || row.distance.empty()) return false;
  return row.kind == CourseKind::Line || (!row.arcLength.empty() && !row.radius.empty());
}

// Plus of an arc row: 0 when "+" is ticked, else 1 when "-" is, else 2.
int PlusOf(const CourseRow& row) {
  if (row.plusBox == geometry::kTicked) return 0;
  if (row.minusBox == geometry::kTicked) return 1;
  return 2;
}

std::string ErrorText(const dao::DaoError& e) {
  return "Error " + std::to_string(e.Number()) + ": " + e.what();
}

void ReportNotSaved(const dao::DaoError& e) {
  Notify("The parcel could not be saved.\n" + ErrorText(e) + "\nNothing was changed in the project.",
         MessageIcon::Critical);
}

// What is refused before the project is touched: a name too long for the
// file or holding a control character, or a course value that is no number.
std::optional<std::vector<StoredCourse>> Prepare(const ParcelStoreContext& context, const ParcelToSave& parcel,
                                                 bool withNonTang) {
  if (utf8::Length(StoredParcelName(parcel.name)) > static_cast<std::size_t>(kParcelNameLimit)) {
    Notify("The parcel name is longer than " + std::to_string(kParcelNameLimit) +
           " characters. Please shorten it, then save again.");
    return std::nullopt;
  }
  // A tab or a line break pasted into the name would break the lines of
  // every report that prints it.
  for (const char32_t c : utf8::Decode(parcel.name)) {
    if (c < 0x20 || (c >= 0x7F && c <= 0x9F)) {
      Notify("The parcel name holds a tab, a line break or another control character. Please remove it, then "
             "save again.");
      return std::nullopt;
    }
  }
  std::string problem;
  auto courses = CoursesToStore(parcel.rows, parcel.nonTangFlags, context.courseLimit, withNonTang, &problem);
  if (!courses) Notify(problem + " The parcel was not saved.");
  return courses;
}

dao::Value BearingValue(const std::string& bearing) {
  // A parcel without a computed closure direction stores none.
  return bearing.empty() ? dao::kNull : dao::Value{bearing};
}

}  // namespace

ParcelStoreContext CurrentParcelContext() {
  const ProgramState& p = Program();
  return {p.ProjectPath, p.ProjectSettings.ErrDecimal, p.CourseLimit, CurrentEdition()};
}

ParcelFigures FiguresOf(const geometry::ClosureResult& r) {
  return {r.area, r.closure, r.closureBearing, r.precisionRatio, r.totalDistance.value_or(0.0)};
}

std::string StoredParcelName(std::string_view typed) {
  const std::size_t start = typed.find_first_not_of(' ');
  const std::string_view trimmed = start == std::string_view::npos ? std::string_view{} : typed.substr(start);
  const std::size_t length = utf8::Length(trimmed);
  if (length < 6) return std::string(6 - length, ' ') + std::string(trimmed);
  return std::string(typed);
}

std::optional<std::vector<StoredCourse>> CoursesToStore(const std::vector<CourseRow>& rows,
                                                        const std::vector<bool>& nonTangFlags, int courseLimit,
                                                        bool withNonTang, std::string* problem) {
  std::vector<StoredCourse> courses;
  const int limit = std::min(static_cast<int>(rows.size()), courseLimit);
  for (int k = 0; k < limit; ++k) {
    const CourseRow& row = rows[static_cast<std::size_t>(k)];
    if (!Complete(row)) continue;
    const bool arc = row.kind == CourseKind::Arc;
    StoredCourse c;
    c.RowNo = k;
    c.RowType = arc ? kRowTypeArc : kRowTypeLine;
    c.Direction = row.direction;
    bool numbers = ReadNumberTo(row.distance, c.Length);
    if (arc) {
      double a = 0.0;
      double r = 0.0;
      numbers = numbers && ReadNumberTo(row.arcLength, a) && ReadNumberTo(row.radius, r);
      c.Arc = a;
      c.Radius = r;
      c.Plus = PlusOf(row);
      c.NonTang = withNonTang && static_cast<std::size_t>(k) < nonTangFlags.size() &&
                  nonTangFlags[static_cast<std::size_t>(k)];
    }
    if (!numbers) {
      if (problem != nullptr) {
        *problem = "Course #" + std::to_string(k + 1) + " holds a length, arc or radius that is not a number.";
      }
      return std::nullopt;
    }
    courses.push_back(std::move(c));
  }
  return courses;
}

void WriteMeasurements(dao::Database& db, ParcelId parcelId, const std::vector<StoredCourse>& courses) {
  dao::Recordset rs = db.OpenRecordset("tblMeasurements");
  const bool nonTang = rs.HasField("NonTang");
  for (const StoredCourse& c : courses) {
    rs.AddNew();
    rs.Set("ParcelID", dao::Value{parcelId});
    rs.Set("RowNo", std::int64_t{c.RowNo});
    rs.Set("RowType", std::int64_t{c.RowType});
    rs.Set("Length", c.Length);
    rs.Set("Direction", c.Direction);
    if (!c.IsLine()) {
      rs.Set("Arc", c.Arc ? dao::Value{*c.Arc} : dao::kNull);
      rs.Set("Radius", c.Radius ? dao::Value{*c.Radius} : dao::kNull);
      rs.Set("Plus", c.Plus ? dao::Value{std::int64_t{*c.Plus}} : dao::kNull);
    }
    if (nonTang) rs.Set("NonTang", c.NonTang);
    rs.Update();
  }
}

std::optional<ParcelId> SaveNewParcel(const ParcelStoreContext& context, const ParcelToSave& parcel) {
  // A new parcel's courses carry no non-tangent marks.
  const auto courses = Prepare(context, parcel, false);
  if (!courses) return std::nullopt;
  try {
    dao::Database db = dao::Database::Open(context.projectPath);
    dao::Transaction tx(db);
    dao::Recordset rs = db.OpenRecordset("tblParcel");
    rs.AddNew();
    rs.Set("Parcel", StoredParcelName(parcel.name));
    rs.Set("Area", RoundHalfEven(parcel.figures.Area, context.errDecimal));
    rs.Set("Closure", RoundHalfEven(parcel.figures.Closure, context.errDecimal));
    rs.Set("ClosureBearing", BearingValue(parcel.figures.ClosureBearing));
    rs.Set("PrecisionRatio", parcel.figures.PrecisionRatio);
    try {
      rs.Update();
    } catch (const dao::DaoError& e) {
      if (e.Number() != dao::err::kDuplicateKey) throw;
      Notify("The lot " + parcel.name + " already exists. Please rename the parcel before saving again.");
      return std::nullopt;
    }
    rs.SetBookmark(rs.LastModified());
    const ParcelId id = dao::AsLong(rs.Get("ParcelID"));
    rs.Close();
    WriteMeasurements(db, id, *courses);
    tx.Commit();
    return id;
  } catch (const dao::DaoError& e) {
    ReportNotSaved(e);
    return std::nullopt;
  }
}

bool SaveExistingParcel(const ParcelStoreContext& context, ParcelId currentParcelId, const ParcelToSave& parcel,
                        bool rename) {
  const bool linked = context.edition != Edition::Standalone;
  const auto courses = Prepare(context, parcel, linked);
  if (!courses) return false;
  const ParcelFigures& f = parcel.figures;
  double ratio = f.TotalDistance != 0.0 ? f.Closure / f.TotalDistance : 1.0;
  if (rename) ratio = RoundHalfEven(ratio, 6);
  try {
    dao::Database db = dao::Database::Open(context.projectPath);
    dao::Transaction tx(db);
    dao::Recordset rs = db.OpenRecordset("select * FROM tblParcel where ParcelID = ?", dao::RecordsetType::Dynaset,
                                         {dao::Value{currentParcelId}});
    if (rs.Eof()) {
      Notify("The parcel is no longer stored in the project (it may have been deleted meanwhile). Nothing was "
             "saved.");
      return false;
    }
    rs.Edit();
    rs.Set("Area", RoundHalfEven(f.Area, context.errDecimal));
    rs.Set("Closure", RoundHalfEven(f.Closure, context.errDecimal));
    rs.Set("ClosureBearing", BearingValue(f.ClosureBearing));
    rs.Set("PrecisionRatio", ratio);
    if (rename) rs.Set("Parcel", StoredParcelName(parcel.name));
    try {
      rs.Update();
    } catch (const dao::DaoError& e) {
      if (!rename || e.Number() != dao::err::kDuplicateKey) throw;
      Notify("The lot " + parcel.name + " already exists. Please rename the parcel then try to save again.");
      return false;
    }
    rs.Close();
    db.Execute("DELETE * FROM tblMeasurements where ParcelID = ?", {dao::Value{currentParcelId}});
    WriteMeasurements(db, currentParcelId, *courses);
    tx.Commit();
    return true;
  } catch (const dao::DaoError& e) {
    ReportNotSaved(e);
    return false;
  }
}

namespace {

// The innermost hold of this thread.
thread_local ProjectReads* innermostReads = nullptr;

}  // namespace

ProjectReads::ProjectReads(const std::string& projectPath) : outer_(innermostReads), path_(projectPath) {
  try {
    db_ = dao::Database::Open(projectPath);
  } catch (const dao::DaoError&) {
    // Not held: the calls open the file themselves and tell what is wrong.
  }
  innermostReads = this;
}

ProjectReads::~ProjectReads() { innermostReads = outer_; }

dao::Database ProjectReads::Open(const std::string& projectPath) {
  for (ProjectReads* reads = innermostReads; reads != nullptr; reads = reads->outer_) {
    if (reads->path_ == projectPath && reads->db_.IsOpen()) return reads->db_;
  }
  return dao::Database::Open(projectPath);
}

std::vector<ParcelListEntry> ParcelList(const std::string& projectPath) {
  try {
    dao::Database db = ProjectReads::Open(projectPath);
    return ListParcels(db);
  } catch (const dao::DaoError&) {
    return {};
  }
}

LoadedParcel LoadParcel(const ParcelStoreContext& context, ParcelId parcelId) {
  LoadedParcel loaded;
  try {
    dao::Database db = ProjectReads::Open(context.projectPath);
    const std::vector<StoredCourse> courses = ReadCourses(db, parcelId);
    if (courses.empty()) {
      Notify("There are no matching entries in the database.");
      loaded.status = LoadStatus::NoCourses;
      return loaded;
    }
    if (static_cast<int>(courses.size()) > context.courseLimit) {
      Notify("This parcel has " + std::to_string(courses.size()) + " courses, more than the " +
             std::to_string(context.courseLimit) + " the editor holds, so it cannot be shown.");
      loaded.status = LoadStatus::TooManyCourses;
      return loaded;
    }
    for (const StoredCourse& c : courses) loaded.rows.push_back(ToCourseRow(c));
    dao::Recordset rs = db.OpenRecordset("select * FROM tblParcel where ParcelID = ?", dao::RecordsetType::Snapshot,
                                         {dao::Value{parcelId}});
    if (!rs.Eof()) {
      const dao::Value area = rs.Get("Area");
      const dao::Value closure = rs.Get("Closure");
      loaded.areaText = dao::IsNull(area) ? std::string() : NumberText(dao::AsDouble(area));
      loaded.closureText = dao::IsNull(closure) ? std::string() : NumberText(dao::AsDouble(closure));
    }
    loaded.status = LoadStatus::Loaded;
  } catch (const dao::DaoError& e) {
    Notify("The parcel could not be read.\n" + ErrorText(e), MessageIcon::Critical);
    loaded = LoadedParcel{};
  }
  return loaded;
}

}  // namespace korvalo
