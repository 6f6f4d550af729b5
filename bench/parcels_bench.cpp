// Saving and loading an 80-course parcel through parcel storage, beside the
// same statements run directly with SQLite. Each side opens the project,
// works in one transaction and closes it again, as every parcel operation
// does. Storage should stay within three times the raw time.
//
// The editor window's own save and load of the same parcel run beside them
// (BM_*_Editor): the save reads the grid, runs the save checks and stores;
// the load reads the parcel and fills the grid's controls, then computes the
// figures. Their baselines are the raw SQLite benchmarks of the same run.
#include <benchmark/benchmark.h>
#include <sqlite3.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "editor/frm_editor.h"
#include "platform/dao/dao.h"
#include "platform/forms/forms.h"
#include "storage/parcel_save.h"
#include "storage/program_state.h"
#include "storage/schema.h"

namespace {

using korvalo::ParcelId;
using korvalo::ParcelToSave;
using korvalo::dao::Database;
constexpr int kCourses = 80;
const std::string kDirection = "N12\u00B034'56\"W";
const std::string kBearing = "N45\u00B030'15\"E";

class BenchProject {
 public:
  BenchProject() {
    std::string pattern = (std::filesystem::temp_directory_path() / "korvalo-parcels-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) std::abort();
    dir_ = pattern;
    Database db = Database::Create(Path());
    db.CreateTable(korvalo::schema::ParcelTable());
    db.CreateIndex("tblParcel", korvalo::schema::kParcelIndex, "Parcel", true);
    db.CreateTable(korvalo::schema::MeasurementsTable(korvalo::Edition::A2004));
  }
  ~BenchProject() { std::filesystem::remove_all(dir_); }
  std::string Path() const { return dir_ + "/bench.kvx"; }
  korvalo::ParcelStoreContext Context() const { return {Path(), 3, kCourses, korvalo::Edition::A2004}; }

 private:
  std::string dir_;
};

// Lines and arcs in turn.
ParcelToSave Parcel(const std::string& name) {
  ParcelToSave p;
  p.name = name;
  for (int k = 0; k < kCourses; ++k) {
    const std::string length = std::to_string(100.25 + k);
    p.rows.push_back(k % 2 == 0 ? korvalo::geometry::CourseRow::Arc(kDirection, "50.5", length, "200",
                                                                    korvalo::geometry::SegmentSign::Plus)
                                : korvalo::geometry::CourseRow::Line(kDirection, length));
  }
  p.nonTangFlags.assign(kCourses, false);
  p.figures = {12345.678, 0.012, kBearing, 0.00001, 12000.0};
  return p;
}

void BM_SaveNewParcel_Store(benchmark::State& state) {
  BenchProject project;
  ParcelToSave p = Parcel("");
  int n = 0;
  for (auto _ : state) {
    p.name = "Lot " + std::to_string(n++);
    if (!korvalo::SaveNewParcel(project.Context(), p)) state.SkipWithError("not saved");
  }
}
BENCHMARK(BM_SaveNewParcel_Store);

void BM_UpdateParcel_Store(benchmark::State& state) {
  BenchProject project;
  const ParcelToSave p = Parcel("Lot 1");
  const auto id = korvalo::SaveNewParcel(project.Context(), p);
  if (!id) return state.SkipWithError("not saved");
  for (auto _ : state) {
    if (!korvalo::SaveExistingParcel(project.Context(), *id, p, false)) state.SkipWithError("not saved");
  }
}
BENCHMARK(BM_UpdateParcel_Store);

void BM_LoadParcel_Store(benchmark::State& state) {
  BenchProject project;
  const auto id = korvalo::SaveNewParcel(project.Context(), Parcel("Lot 1"));
  if (!id) return state.SkipWithError("not saved");
  for (auto _ : state) {
    const korvalo::LoadedParcel loaded = korvalo::LoadParcel(project.Context(), *id);
    if (loaded.rows.size() != kCourses) state.SkipWithError("not loaded");
    benchmark::DoNotOptimize(loaded);
  }
}
BENCHMARK(BM_LoadParcel_Store);

// The editor window over the bench project, its grid holding Parcel()'s
// courses. Every box a check might show is answered and counted.
class BenchEditor {
 public:
  explicit BenchEditor(const BenchProject& project) {
    using namespace korvalo;
    Program().ProjectPath = project.Path();
    Program().CourseLimit = kCourses;
    ProjectSettings& s = Program().ProjectSettings;
    s.Bearing = true;
    s.ErrDecimal = 3;
    s.ClosureTolerance = 1e9;
    s.TangentCheck = false;
    s.TangentTolerance = 0.01;
    s.WarningRange = 5.0;
    previous_ = forms::SetPromptHandler([this](const forms::Prompt&) {
      ++prompts;
      return forms::PromptAnswer{forms::vbYes, {}, nullptr};
    });
    window = std::make_unique<editor::FrmEditor>(kCourses);
    window->Load();
    window->CalcEnabled = false;
    const ParcelToSave p = Parcel("");
    for (int k = 0; k < kCourses; ++k) {
      const korvalo::geometry::CourseRow& row = p.rows[static_cast<std::size_t>(k)];
      if (row.kind == korvalo::geometry::CourseKind::Line) {
        window->txtBearingLine(k).SetText(row.direction);
        window->txtDistanceLine(k).SetText(row.distance);
      } else {
        window->ToggleLineCurve(k);
        window->txtBearingArc(k).SetText(row.direction);
        window->txtArc(k).SetText("104.72");
        window->txtChord(k).SetText("100");
        window->txtRadius(k).SetText("100");
        window->chksign(2 * k).SetValue(forms::vbChecked);
        window->chksign(2 * k + 1).SetValue(forms::vbUnchecked);
      }
    }
    window->CalcEnabled = true;
    window->CalculateAndDraw();
  }
  ~BenchEditor() {
    window.reset();
    korvalo::forms::SetPromptHandler(previous_);
  }

  std::unique_ptr<korvalo::editor::FrmEditor> window;
  int prompts = 0;

 private:
  korvalo::forms::PromptHandler previous_;
};

void BM_SaveNewParcel_Editor(benchmark::State& state) {
  BenchProject project;
  BenchEditor editor(project);
  int n = 0;
  for (auto _ : state) {
    editor.window->txtParcel.SetText("Lot " + std::to_string(n++));
    if (!editor.window->SaveNewParcel()) state.SkipWithError("not saved");
  }
  if (editor.prompts) state.SkipWithError("the save asked something");
}
BENCHMARK(BM_SaveNewParcel_Editor);

void BM_LoadParcel_Editor(benchmark::State& state) {
  BenchProject project;
  BenchEditor editor(project);
  editor.window->txtParcel.SetText("Lot 1");
  if (!editor.window->SaveNewParcel()) return state.SkipWithError("not saved");
  editor.window->Parcel_Bound();
  editor.window->SetEditing(false);
  editor.window->cbxParcel.SetListIndex(0);
  if (editor.window->CurrentParcelID == 0) return state.SkipWithError("not selected");
  for (auto _ : state) {
    editor.window->Show_Detail();
    if (editor.window->txtBearingLine(kCourses - 1).Text().empty()) state.SkipWithError("not loaded");
  }
  if (editor.prompts) state.SkipWithError("the load asked something");
}
BENCHMARK(BM_LoadParcel_Editor);

// The raw side: one connection per operation, prepared statements.
class Raw {
 public:
  explicit Raw(const std::string& path) {
    sqlite3_open_v2(path.c_str(), &db_, SQLITE_OPEN_READWRITE, nullptr);
    sqlite3_busy_timeout(db_, 2000);
  }
  ~Raw() {
    for (sqlite3_stmt* s : statements_) sqlite3_finalize(s);
    sqlite3_close(db_);
  }
  sqlite3_stmt* Prepare(const char* sql) {
    sqlite3_stmt* s = nullptr;
    sqlite3_prepare_v2(db_, sql, -1, &s, nullptr);
    statements_.push_back(s);
    return s;
  }
  void Exec(const char* sql) { sqlite3_exec(db_, sql, nullptr, nullptr, nullptr); }
  sqlite3* Db() const { return db_; }

  void WriteCourses(sqlite3_int64 id) {
    sqlite3_stmt* course = Prepare(
        "INSERT INTO tblMeasurements (ParcelID, RowNo, RowType, Length, Direction, Arc, Radius, Plus, NonTang) "
        "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)");
    for (int k = 0; k < kCourses; ++k) {
      sqlite3_bind_int64(course, 1, id);
      sqlite3_bind_int(course, 2, k);
      sqlite3_bind_int(course, 3, k % 2);
      sqlite3_bind_double(course, 4, 100.25 + k);
      sqlite3_bind_text(course, 5, kDirection.c_str(), -1, SQLITE_STATIC);
      if (k % 2 == 0) {
        sqlite3_bind_double(course, 6, 50.5);
        sqlite3_bind_double(course, 7, 200.0);
        sqlite3_bind_int(course, 8, 0);
      } else {
        for (int c = 6; c <= 8; ++c) sqlite3_bind_null(course, c);
      }
      sqlite3_bind_int(course, 9, 0);
      sqlite3_step(course);
      sqlite3_reset(course);
    }
  }

 private:
  sqlite3* db_ = nullptr;
  std::vector<sqlite3_stmt*> statements_;
};

void BindFigures(sqlite3_stmt* s) {
  sqlite3_bind_double(s, 1, 0.012);
  sqlite3_bind_double(s, 2, 12345.678);
  sqlite3_bind_text(s, 3, kBearing.c_str(), -1, SQLITE_STATIC);
  sqlite3_bind_double(s, 4, 0.00001);
}

void BM_SaveNewParcel_RawSqlite(benchmark::State& state) {
  BenchProject project;
  int n = 0;
  for (auto _ : state) {
    Raw raw(project.Path());
    raw.Exec("BEGIN IMMEDIATE");
    sqlite3_stmt* parcel = raw.Prepare(
        "INSERT INTO tblParcel (Closure, Area, ClosureBearing, PrecisionRatio, Parcel) VALUES (?, ?, ?, ?, ?)");
    BindFigures(parcel);
    const std::string name = "Lot " + std::to_string(n++);
    sqlite3_bind_text(parcel, 5, name.c_str(), -1, SQLITE_TRANSIENT);
    sqlite3_step(parcel);
    raw.WriteCourses(sqlite3_last_insert_rowid(raw.Db()));
    raw.Exec("COMMIT");
  }
}
BENCHMARK(BM_SaveNewParcel_RawSqlite);

void BM_UpdateParcel_RawSqlite(benchmark::State& state) {
  BenchProject project;
  const auto id = korvalo::SaveNewParcel(project.Context(), Parcel("Lot 1"));
  if (!id) return state.SkipWithError("not saved");
  for (auto _ : state) {
    Raw raw(project.Path());
    raw.Exec("BEGIN IMMEDIATE");
    sqlite3_stmt* find = raw.Prepare("SELECT rowid, * FROM tblParcel WHERE ParcelID = ?");
    sqlite3_bind_int64(find, 1, *id);
    sqlite3_step(find);
    sqlite3_stmt* update = raw.Prepare(
        "UPDATE tblParcel SET Closure = ?, Area = ?, ClosureBearing = ?, PrecisionRatio = ? WHERE rowid = ?");
    BindFigures(update);
    sqlite3_bind_int64(update, 5, sqlite3_column_int64(find, 0));
    sqlite3_step(update);
    sqlite3_stmt* erase = raw.Prepare("DELETE FROM tblMeasurements WHERE ParcelID = ?");
    sqlite3_bind_int64(erase, 1, *id);
    sqlite3_step(erase);
    raw.WriteCourses(*id);
    raw.Exec("COMMIT");
  }
}
BENCHMARK(BM_UpdateParcel_RawSqlite);

void BM_LoadParcel_RawSqlite(benchmark::State& state) {
  BenchProject project;
  const auto id = korvalo::SaveNewParcel(project.Context(), Parcel("Lot 1"));
  if (!id) return state.SkipWithError("not saved");
  for (auto _ : state) {
    Raw raw(project.Path());
    sqlite3_stmt* read = raw.Prepare("SELECT * FROM tblMeasurements WHERE ParcelID = ? ORDER BY RowNo");
    sqlite3_bind_int64(read, 1, *id);
    int rows = 0;
    while (sqlite3_step(read) == SQLITE_ROW) {
      for (int c = 0; c < sqlite3_column_count(read); ++c) {
        if (sqlite3_column_type(read, c) == SQLITE_TEXT) {
          benchmark::DoNotOptimize(std::string(reinterpret_cast<const char*>(sqlite3_column_text(read, c))));
        } else {
          benchmark::DoNotOptimize(sqlite3_column_double(read, c));
        }
      }
      ++rows;
    }
    sqlite3_stmt* figures = raw.Prepare("SELECT * FROM tblParcel WHERE ParcelID = ?");
    sqlite3_bind_int64(figures, 1, *id);
    if (sqlite3_step(figures) == SQLITE_ROW) benchmark::DoNotOptimize(sqlite3_column_double(figures, 3));
    if (rows != kCourses) state.SkipWithError("not loaded");
  }
}
BENCHMARK(BM_LoadParcel_RawSqlite);

}  // namespace

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  korvalo::SetEdition(korvalo::Edition::A2004);
  korvalo::forms::Application app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
