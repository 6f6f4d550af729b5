// Opening a project of 2,500, 10,000 and 20,000 parcels in the editor,
// beside the same file read directly with SQLite, in the same run (a step
// that grows faster than the parcels shows as a ratio that climbs with the
// size):
// - BM_OpenProject_Editor: the Review model's opening of the project (the
//   parcel list filled in name order, its first parcel loaded, computed and
//   drawn) in an editor window already loaded.
// - BM_OpenProject_RawSqlite: open the file and step
//   "SELECT Parcel FROM tblParcel ORDER BY Parcel", keeping each name.
//   BM_OpenProjectRatio/<parcels> reports editor / raw (goal within 3).
// - BM_PeakMemory: the peak resident memory of a child process holding the
//   editor with the project of 10,000 parcels open, beside a child showing a bare Qt window
//   (counters in KiB, and their ratio).
#include <benchmark/benchmark.h>
#include <sqlite3.h>
#include <unistd.h>

#include <QApplication>
#include <QPushButton>
#include <QWidget>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "common/edition.h"
#include "common/utf8.h"
#include "editor/frm_editor.h"
#include "platform/dao/dao.h"
#include "platform/forms/forms.h"
#include "storage/program_state.h"
#include "storage/schema.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kSizes[] = {2500, 10000, 20000};
// The project the memory is measured with.
constexpr int kPeakParcels = 10000;

double Seconds(Clock::time_point from, Clock::time_point to) {
  return std::chrono::duration<double>(to - from).count();
}

// A project file of that many squares (4 courses each), written once.
std::string MakeProject(const std::string& folder, int parcels) {
  using korvalo::dao::Database;
  using korvalo::dao::Value;
  const std::string path = folder + "/big.kvx";
  Database db = Database::Create(path);
  db.CreateTable(korvalo::schema::ParcelTable());
  db.CreateIndex("tblParcel", korvalo::schema::kParcelIndex, "Parcel", true);
  db.CreateTable(korvalo::schema::MeasurementsTable(korvalo::Edition::A2004));
  db.CreateIndex("tblMeasurements", korvalo::schema::kCoursesIndex, "ParcelID", false);
  korvalo::dao::Transaction tx(db);
  const std::string degree(korvalo::utf8::kDegree);
  const std::string directions[] = {"N0" + degree + "E", "N90" + degree + "E", "S0" + degree + "E",
                                    "S90" + degree + "W"};
  for (std::int64_t id = 1; id <= parcels; ++id) {
    db.Execute("INSERT INTO tblParcel (ParcelID, Parcel, Closure, Area) VALUES (?, ?, 0, 10000)",
               {Value{id}, Value{"Lot " + std::to_string(id)}});
    for (std::int64_t row = 0; row < 4; ++row) {
      db.Execute("INSERT INTO tblMeasurements (ParcelID, RowNo, RowType, Length, Direction) VALUES (?, ?, 1, 100, ?)",
                 {Value{id}, Value{row}, Value{directions[row]}});
    }
  }
  tx.Commit();
  return path;
}

struct Fixture {
  explicit Fixture(int parcels) : parcels(parcels) {
    std::string pattern = (std::filesystem::temp_directory_path() / "korvalo-open-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) std::abort();
    folder = pattern;
    path = MakeProject(folder, parcels);
  }
  ~Fixture() { std::filesystem::remove_all(folder); }
  int parcels;
  std::string folder;
  std::string path;
};

// The project of that many parcels, written at its first use.
Fixture& Project(int parcels) {
  static std::map<int, std::unique_ptr<Fixture>> fixtures;
  std::unique_ptr<Fixture>& fixture = fixtures[parcels];
  if (!fixture) fixture = std::make_unique<Fixture>(parcels);
  return *fixture;
}

std::unique_ptr<korvalo::editor::FrmEditor> LoadedEditor() {
  auto editor = std::make_unique<korvalo::editor::FrmEditor>(korvalo::CourseLimitFor(korvalo::Edition::A2004));
  editor->Load();
  return editor;
}

double OpenInEditor(korvalo::editor::FrmEditor& editor, const std::string& path, int parcels) {
  korvalo::Program().ProjectPath = path;
  const auto t0 = Clock::now();
  editor.optmodel_Click(1);
  QApplication::processEvents();
  const auto t1 = Clock::now();
  if (editor.cbxParcel.ListCount() != parcels) std::abort();
  return Seconds(t0, t1);
}

double ReadRaw(const std::string& path, int parcels) {
  const auto t0 = Clock::now();
  sqlite3* db = nullptr;
  if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) std::abort();
  sqlite3_stmt* stmt = nullptr;
  sqlite3_prepare_v2(db, "SELECT Parcel FROM tblParcel ORDER BY Parcel", -1, &stmt, nullptr);
  std::vector<std::string> names;
  while (sqlite3_step(stmt) == SQLITE_ROW) {
    names.emplace_back(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0)));
  }
  sqlite3_finalize(stmt);
  sqlite3_close(db);
  const auto t1 = Clock::now();
  if (names.size() != static_cast<std::size_t>(parcels)) std::abort();
  return Seconds(t0, t1);
}

void BM_OpenProject_Editor(benchmark::State& state) {
  const Fixture& project = Project(static_cast<int>(state.range(0)));
  auto editor = LoadedEditor();
  for (auto _ : state) state.SetIterationTime(OpenInEditor(*editor, project.path, project.parcels));
  state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_OpenProject_Editor)
    ->Arg(kSizes[0])->Arg(kSizes[1])->Arg(kSizes[2])
    ->Complexity(benchmark::oN)->UseManualTime()->Unit(benchmark::kMillisecond);

void BM_OpenProject_RawSqlite(benchmark::State& state) {
  const Fixture& project = Project(static_cast<int>(state.range(0)));
  for (auto _ : state) state.SetIterationTime(ReadRaw(project.path, project.parcels));
  state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_OpenProject_RawSqlite)
    ->Arg(kSizes[0])->Arg(kSizes[1])->Arg(kSizes[2])
    ->Complexity(benchmark::oN)->UseManualTime()->Unit(benchmark::kMillisecond);

void BM_OpenProjectRatio(benchmark::State& state) {
  const Fixture& project = Project(static_cast<int>(state.range(0)));
  auto editor = LoadedEditor();
  double opened = 0;
  double raw = 0;
  for (auto _ : state) {
    opened += OpenInEditor(*editor, project.path, project.parcels);
    raw += ReadRaw(project.path, project.parcels);
  }
  state.counters["ratio"] = raw > 0 ? opened / raw : 0;
}
BENCHMARK(BM_OpenProjectRatio)
    ->Arg(kSizes[0])->Arg(kSizes[1])->Arg(kSizes[2])
    ->Iterations(10)->Unit(benchmark::kMillisecond);

// This program run again with the arguments: the peak resident set it
// reports (VmHWM, KiB), or -1.
long ChildPeakKib(const std::string& arguments) {
  const std::string self = std::filesystem::read_symlink("/proc/self/exe").string();
  FILE* pipe = ::popen(("'" + self + "' " + arguments + " 2>/dev/null").c_str(), "r");
  if (pipe == nullptr) return -1;
  long kib = -1;
  if (std::fscanf(pipe, "%ld", &kib) != 1) kib = -1;
  return ::pclose(pipe) == 0 ? kib : -1;
}

// The peak resident set of this process so far, in KiB.
long OwnPeakKib() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("VmHWM:", 0) == 0) return std::stol(line.substr(6));
  }
  return -1;
}

void BM_PeakMemory(benchmark::State& state) {
  const std::string path = Project(kPeakParcels).path;
  long editor = 0;
  long bare = 0;
  for (auto _ : state) {
    editor = ChildPeakKib("--hold-project '" + path + "'");
    bare = ChildPeakKib("--bare-window");
  }
  state.counters["editor_KiB"] = static_cast<double>(editor);
  state.counters["bare_qt_KiB"] = static_cast<double>(bare);
  state.counters["ratio"] = bare > 0 ? static_cast<double>(editor) / static_cast<double>(bare) : 0;
}
BENCHMARK(BM_PeakMemory)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  korvalo::SetEdition(korvalo::Edition::A2004);
  korvalo::forms::Application app(argc, argv);
  const std::string mode = argc > 1 ? argv[1] : "";
  if (mode == "--hold-project" && argc > 2) {
    // The editor shown with the project open, as the program holds it.
    auto editor = LoadedEditor();
    editor->Show();
    OpenInEditor(*editor, argv[2], kPeakParcels);
    for (int i = 0; i < 10; ++i) QApplication::processEvents();
    std::printf("%ld\n", OwnPeakKib());
    return 0;
  }
  if (mode == "--bare-window") {
    QWidget window;
    window.resize(457, 544);
    auto* button = new QPushButton(QStringLiteral("OK"), &window);
    button->move(10, 10);
    window.show();
    for (int i = 0; i < 10; ++i) QApplication::processEvents();
    std::printf("%ld\n", OwnPeakKib());
    return 0;
  }
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
