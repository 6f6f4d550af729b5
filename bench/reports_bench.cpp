// The full report (both scratch files and the preview text) of projects of
// 2,500, 10,000 and 20,000 parcels of 10 courses beside the same per-parcel
// queries run with raw SQLite statements, in the same run; goal: within 3
// times the raw time at every size (BM_FullReportRatio/<parcels> takes the
// two in turns and reports builder / raw, the median of the turns), so that a
// step that grows faster than the parcels shows as a ratio that climbs with
// the size. And one report page with a picture printed to PDF through the
// print layer beside the same page drawn with QPainter on a QPdfWriter; goal:
// within twice the direct time.
#include <benchmark/benchmark.h>
#include <sqlite3.h>
#include <unistd.h>

#include <QFont>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QImage>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>

#include <algorithm>
#include <chrono>
#include <ctime>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "common/edition.h"
#include "paired_runs.h"
#include "platform/dao/dao.h"
#include "platform/print/printer.h"
#include "reports/report_builders.h"
#include "storage/schema.h"

namespace {

using korvalo::bench::Median;

using korvalo::dao::Database;
using korvalo::dao::Value;
constexpr int kCoursesPerParcel = 10;

class BenchProject {
 public:
  explicit BenchProject(int parcels) {
    std::string pattern = (std::filesystem::temp_directory_path() / "korvalo-bench-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) std::abort();
    dir_ = pattern;
    Database db = Database::Create(Path());
    db.CreateTable(korvalo::schema::ParcelTable());
    db.CreateTable(korvalo::schema::MeasurementsTable(korvalo::Edition::A2004));
    // Project files have no index on the parcel of a course: each parcel's
    // read then scans every course, for the builder and the raw reads alike
    // (30 s for this project). The index keeps the comparison on our side.
    db.CreateIndex("tblMeasurements", "ParcelCourses", "ParcelID", false);
    korvalo::dao::Transaction t(db);
    for (int p = 0; p < parcels; ++p) {
      db.Execute("INSERT INTO tblParcel (ParcelID, Parcel, Closure) VALUES (?, ?, ?)",
                 {std::int64_t{p + 1}, "Lot " + std::to_string(100000 + p), 0.01});
      for (int r = 0; r < kCoursesPerParcel; ++r) {
        const bool arc = r == 4;
        db.Execute(
            "INSERT INTO tblMeasurements (ParcelID, RowNo, RowType, Length, Direction, Arc, Radius, Plus, "
            "NonTang) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)",
            {std::int64_t{p + 1}, std::int64_t{r}, std::int64_t{arc ? 0 : 1}, 100.0 + r,
             std::string("N") + std::to_string(r * 36 % 90) + "°12'30\"E", arc ? Value(120.0) : Value(),
             arc ? Value(250.0) : Value(), arc ? Value(std::int64_t{0}) : Value(), false});
      }
    }
    t.Commit();
  }
  ~BenchProject() { std::filesystem::remove_all(dir_); }
  std::string Path() const { return dir_ + "/bench.kvx"; }
  std::string Dir() const { return dir_; }

 private:
  std::string dir_;
};

// The project of that many parcels, written at its first use.
BenchProject& Project(int parcels = 10000) {
  static std::map<int, std::unique_ptr<BenchProject>> projects;
  std::unique_ptr<BenchProject>& project = projects[parcels];
  if (!project) project = std::make_unique<BenchProject>(parcels);
  return *project;
}

// One full report through the builder; false when it was not built.
bool BuildThroughBuilder(Database& db, const BenchProject& bench) {
  korvalo::reports::ReportSettings settings;
  settings.traverse.errDecimal = 3;
  settings.drawingPath = "/srv/dwg/site.dwg";
  const korvalo::reports::ScratchPaths paths{bench.Dir() + "/temp.rpt", bench.Dir() + "/tempcsv.rpt"};
  korvalo::reports::DatabaseReportProject project(db);
  const auto result =
      korvalo::reports::BuildFullReport(project, {"", std::nullopt, korvalo::reports::PassFail::All}, settings, paths);
  benchmark::DoNotOptimize(result.preview.data());
  return result.status == korvalo::reports::BuildResult::Status::Built;
}

// The same per-parcel queries run with raw SQLite statements, reading every
// field the report prints or computes with: the parcel's id, name and
// closure, and all eight fields of each course, each field that may hold
// Null checked for it.
void QueryRaw(sqlite3* db) {
  sqlite3_stmt* parcels = nullptr;
  sqlite3_prepare_v2(db, "SELECT ParcelID, Parcel, Closure FROM tblParcel ORDER BY Parcel COLLATE NOCASE", -1,
                     &parcels, nullptr);
  sqlite3_stmt* courses = nullptr;
  sqlite3_prepare_v2(db,
                     "SELECT RowNo, RowType, Length, Direction, Arc, Radius, Plus, NonTang FROM tblMeasurements "
                     "WHERE ParcelID = ? ORDER BY RowNo",
                     -1, &courses, nullptr);
  double sum = 0.0;
  std::size_t text = 0;
  while (sqlite3_step(parcels) == SQLITE_ROW) {
    text += static_cast<std::size_t>(sqlite3_column_bytes(parcels, 1));
    benchmark::DoNotOptimize(sqlite3_column_text(parcels, 1));
    if (sqlite3_column_type(parcels, 2) != SQLITE_NULL) sum += sqlite3_column_double(parcels, 2);
    sqlite3_bind_int64(courses, 1, sqlite3_column_int64(parcels, 0));
    while (sqlite3_step(courses) == SQLITE_ROW) {
      for (const int field : {0, 1, 6}) {
        if (sqlite3_column_type(courses, field) != SQLITE_NULL) sum += static_cast<double>(sqlite3_column_int64(courses, field));
      }
      sum += static_cast<double>(sqlite3_column_int64(courses, 7));  // NonTang is never Null
      for (const int field : {2, 4, 5}) {
        if (sqlite3_column_type(courses, field) != SQLITE_NULL) sum += sqlite3_column_double(courses, field);
      }
      if (sqlite3_column_type(courses, 3) != SQLITE_NULL) {
        benchmark::DoNotOptimize(sqlite3_column_text(courses, 3));
        text += static_cast<std::size_t>(sqlite3_column_bytes(courses, 3));
      }
    }
    sqlite3_reset(courses);
  }
  sqlite3_finalize(courses);
  sqlite3_finalize(parcels);
  benchmark::DoNotOptimize(sum);
  benchmark::DoNotOptimize(text);
}

constexpr int kSizes[] = {2500, 10000, 20000};

void BM_FullReportThroughBuilder(benchmark::State& state) {
  const BenchProject& bench = Project(static_cast<int>(state.range(0)));
  Database db = Database::Open(bench.Path());
  for (auto _ : state) {
    if (!BuildThroughBuilder(db, bench)) state.SkipWithError("build failed");
  }
  state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_FullReportThroughBuilder)
    ->Arg(kSizes[0])->Arg(kSizes[1])->Arg(kSizes[2])
    ->Complexity(benchmark::oN)->Unit(benchmark::kMillisecond);

void BM_FullReportQueriesRawSqlite(benchmark::State& state) {
  const BenchProject& bench = Project(static_cast<int>(state.range(0)));
  sqlite3* db = nullptr;
  sqlite3_open_v2(bench.Path().c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
  for (auto _ : state) QueryRaw(db);
  sqlite3_close(db);
  state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_FullReportQueriesRawSqlite)
    ->Arg(kSizes[0])->Arg(kSizes[1])->Arg(kSizes[2])
    ->Complexity(benchmark::oN)->Unit(benchmark::kMillisecond);

// The processor time this thread has used so far.
std::chrono::nanoseconds ThreadTime() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return std::chrono::seconds(t.tv_sec) + std::chrono::nanoseconds(t.tv_nsec);
}

// The two taken in turns, builder time / raw time (goal: within 3 at every
// size). "ratio" is the median of the turns' ratios of elapsed time: a turn
// in which the machine's other work took the processor from one of the two
// (either one) moves it no more than any other turn. "ratio_total" is the
// ratio of the summed elapsed times. "cpu_ratio" is the median of the turns'
// ratios of the processor time the two used, which waiting for the processor
// does not enter.
void BM_FullReportRatio(benchmark::State& state) {
  const BenchProject& bench = Project(static_cast<int>(state.range(0)));
  Database db = Database::Open(bench.Path());
  sqlite3* raw = nullptr;
  sqlite3_open_v2(bench.Path().c_str(), &raw, SQLITE_OPEN_READONLY, nullptr);
  using Clock = std::chrono::steady_clock;
  Clock::duration built{};
  Clock::duration queried{};
  std::vector<double> turns;
  std::vector<double> cpuTurns;
  for (auto _ : state) {
    const auto c0 = ThreadTime();
    const auto t0 = Clock::now();
    if (!BuildThroughBuilder(db, bench)) state.SkipWithError("build failed");
    const auto t1 = Clock::now();
    const auto c1 = ThreadTime();
    QueryRaw(raw);
    const auto t2 = Clock::now();
    const auto c2 = ThreadTime();
    built += t1 - t0;
    queried += t2 - t1;
    if (t2 > t1) turns.push_back(static_cast<double>((t1 - t0).count()) / static_cast<double>((t2 - t1).count()));
    if (c2 > c1) cpuTurns.push_back(static_cast<double>((c1 - c0).count()) / static_cast<double>((c2 - c1).count()));
  }
  sqlite3_close(raw);
  state.counters["ratio"] = Median(turns);
  state.counters["ratio_total"] =
      queried.count() > 0 ? static_cast<double>(built.count()) / static_cast<double>(queried.count()) : 0;
  state.counters["cpu_ratio"] = Median(cpuTurns);
}
BENCHMARK(BM_FullReportRatio)
    ->Arg(kSizes[0])->Arg(kSizes[1])->Arg(kSizes[2])
    ->Iterations(11)->Unit(benchmark::kMillisecond);

// The page: a title, a heading, 30 course rows in six columns, the totals
// and a 4-inch picture.
constexpr double kColumns[] = {0.5, 1.0, 2.3, 3.5, 4.7, 5.9};

QImage PictureImage() {
  QImage image(400, 400, QImage::Format_ARGB32);
  image.fill(Qt::white);
  QPainter p(&image);
  p.drawRect(50, 50, 300, 300);
  p.drawEllipse(100, 100, 200, 200);
  return image;
}

korvalo::print::Picture PictureOf(const QImage& image) {
  korvalo::print::Picture picture;
  picture.width = image.width();
  picture.height = image.height();
  picture.pixels.resize(static_cast<std::size_t>(image.width()) * static_cast<std::size_t>(image.height()));
  for (int y = 0; y < image.height(); ++y) {
    const auto* line = reinterpret_cast<const std::uint32_t*>(image.constScanLine(y));
    std::copy(line, line + image.width(), picture.pixels.begin() + static_cast<std::ptrdiff_t>(y) * image.width());
  }
  return picture;
}

void BM_PicturePageThroughPrintLayer(benchmark::State& state) {
  const korvalo::print::Picture picture = PictureOf(PictureImage());
  const std::string pdf = Project().Dir() + "/layer.pdf";
  for (auto _ : state) {
    korvalo::print::Printer p(korvalo::print::Destination::Pdf(pdf));
    p.SetFontSize(24);
    p.SetFontBold(true);
    p.SetCurrentX(1.8);
    p.Print("CLOSURE AND AREA REPORT");
    p.SetFontSize(12);
    for (int row = 0; row < 30; ++row) {
      p.SetFontBold(false);
      for (const double x : kColumns) {
        p.SetCurrentX(x);
        p.Print("1,234.567", false);
      }
      p.Print("");
    }
    p.SetCurrentX(0.5);
    p.Print("AREA: 13,927.009");
    p.PaintPicture(picture, 2.25, p.CurrentY(), 4.0, 4.0);
    p.EndDoc();
  }
}
BENCHMARK(BM_PicturePageThroughPrintLayer)->Unit(benchmark::kMillisecond);

void BM_PicturePageDirectQPainter(benchmark::State& state) {
  const QImage image = PictureImage();
  const QString pdf = QString::fromStdString(Project().Dir() + "/direct.pdf");
  for (auto _ : state) {
    QPdfWriter writer(pdf);
    writer.setResolution(1200);
    writer.setPageLayout(QPageLayout(QPageSize(QPageSize::Letter), QPageLayout::Portrait,
                                     QMarginsF(0.25, 0.25, 0.25, 0.25), QPageLayout::Inch));
    QPainter painter(&writer);
    const double dpi = writer.resolution();
    QFont font(QStringLiteral("Liberation Sans"));
    font.setPointSizeF(24);
    font.setBold(true);
    painter.setFont(font);
    double y = 0.0;
    QFontMetricsF m(font, &writer);
    painter.drawText(QPointF(1.8 * dpi, y + m.ascent()), QStringLiteral("CLOSURE AND AREA REPORT"));
    y += m.height();
    font.setPointSizeF(12);
    font.setBold(false);
    painter.setFont(font);
    m = QFontMetricsF(font, &writer);
    for (int row = 0; row < 30; ++row) {
      for (const double x : kColumns) painter.drawText(QPointF(x * dpi, y + m.ascent()), QStringLiteral("1,234.567"));
      y += m.height();
    }
    painter.drawText(QPointF(0.5 * dpi, y + m.ascent()), QStringLiteral("AREA: 13,927.009"));
    y += m.height();
    painter.drawImage(QRectF(2.25 * dpi, y, 4 * dpi, 4 * dpi), image);
    painter.end();
  }
}
BENCHMARK(BM_PicturePageDirectQPainter)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QGuiApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
