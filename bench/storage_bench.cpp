// Writing and reading an 80-course parcel through the database layer, beside
// the same rows written and read with raw prepared SQLite statements. The
// layer should stay within twice the raw time.
//
// A write into a freshly opened project of 10,000 parcels, and the check of
// its pages the layer makes once a process before its first write into it
// (the raw baseline makes none).
#include <benchmark/benchmark.h>
#include <sqlite3.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "common/edition.h"
#include "platform/dao/dao.h"
#include "platform/dao/file_checks.h"
#include "platform/dao/text_order.h"
#include "storage/schema.h"

namespace {

using korvalo::dao::Database;
using korvalo::dao::Value;
constexpr int kCourses = 80;

class BenchFile {
 public:
  BenchFile() {
    std::string pattern = (std::filesystem::temp_directory_path() / "korvalo-bench-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) std::abort();
    dir_ = pattern;
    Database db = Database::Create(Path());
    db.CreateTable(korvalo::schema::ParcelTable());
    db.CreateIndex("tblParcel", korvalo::schema::kParcelIndex, "Parcel", true);
    db.CreateTable(korvalo::schema::MeasurementsTable(korvalo::Edition::A2004));
  }
  ~BenchFile() { std::filesystem::remove_all(dir_); }
  std::string Path() const { return dir_ + "/bench.kvx"; }

 private:
  std::string dir_;
};

std::int64_t WriteWithLayer(Database& db, int n) {
  korvalo::dao::Transaction tx(db);
  auto parcel = db.OpenRecordset("tblParcel");
  parcel.AddNew();
  parcel.Set("Parcel", "Lot " + std::to_string(n));
  parcel.Set("Closure", 0.01);
  parcel.Set("Area", 12345.67);
  parcel.Set("ClosureBearing", std::string("N45°30'15\"E"));
  parcel.Set("PrecisionRatio", 0.00001);
  parcel.Update();
  parcel.SetBookmark(parcel.LastModified());
  const Value id = parcel.Get("ParcelID");
  auto rows = db.OpenRecordset("tblMeasurements");
  for (int k = 0; k < kCourses; ++k) {
    rows.AddNew();
    rows.Set("ParcelID", id);
    rows.Set("RowNo", std::int64_t{k});
    rows.Set("RowType", std::int64_t{k % 2});
    rows.Set("Length", 100.25 + k);
    rows.Set("Direction", std::string("N12°34'56\"W"));
    if (k % 2 == 0) {
      rows.Set("Arc", 50.5);
      rows.Set("Radius", 200.0);
      rows.Set("Plus", std::int64_t{0});
      rows.Set("NonTang", false);
    }
    rows.Update();
  }
  tx.Commit();
  return korvalo::dao::AsLong(id);
}

void BM_WriteParcel_Layer(benchmark::State& state) {
  BenchFile file;
  Database db = Database::Open(file.Path());
  int n = 0;
  for (auto _ : state) benchmark::DoNotOptimize(WriteWithLayer(db, n++));
}
BENCHMARK(BM_WriteParcel_Layer);

struct Raw {
  explicit Raw(const std::string& path) {
    sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr);
    // The file's triggers keep the name keys with the layer's fold.
    korvalo::dao::detail::RegisterTextRules(db, true);
    sqlite3_prepare_v2(db,
                       "INSERT INTO tblParcel (Parcel, Closure, Area, ClosureBearing, PrecisionRatio) "
                       "VALUES (?, ?, ?, ?, ?)",
                       -1, &parcel, nullptr);
    sqlite3_prepare_v2(db,
                       "INSERT INTO tblMeasurements (ParcelID, RowNo, RowType, Length, Direction, Arc, Radius, "
                       "Plus, NonTang) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)",
                       -1, &course, nullptr);
    sqlite3_prepare_v2(db, "SELECT * FROM tblMeasurements WHERE ParcelID = ? ORDER BY RowNo", -1, &read, nullptr);
  }
  ~Raw() {
    sqlite3_finalize(parcel);
    sqlite3_finalize(course);
    sqlite3_finalize(read);
    sqlite3_close(db);
  }
  sqlite3* db = nullptr;
  sqlite3_stmt* parcel = nullptr;
  sqlite3_stmt* course = nullptr;
  sqlite3_stmt* read = nullptr;
};

void BM_WriteParcel_RawSqlite(benchmark::State& state) {
  BenchFile file;
  Raw raw(file.Path());
  int n = 0;
  const std::string bearing = "N45°30'15\"E";
  const std::string direction = "N12°34'56\"W";
  for (auto _ : state) {
    sqlite3_exec(raw.db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
    const std::string name = "Lot " + std::to_string(n++);
    sqlite3_bind_text(raw.parcel, 1, name.c_str(), -1, SQLITE_TRANSIENT);
    sqlite3_bind_double(raw.parcel, 2, 0.01);
    sqlite3_bind_double(raw.parcel, 3, 12345.67);
    sqlite3_bind_text(raw.parcel, 4, bearing.c_str(), -1, SQLITE_STATIC);
    sqlite3_bind_double(raw.parcel, 5, 0.00001);
    sqlite3_step(raw.parcel);
    sqlite3_reset(raw.parcel);
    const sqlite3_int64 id = sqlite3_last_insert_rowid(raw.db);
    for (int k = 0; k < kCourses; ++k) {
      sqlite3_bind_int64(raw.course, 1, id);
      sqlite3_bind_int(raw.course, 2, k);
      sqlite3_bind_int(raw.course, 3, k % 2);
      sqlite3_bind_double(raw.course, 4, 100.25 + k);
      sqlite3_bind_text(raw.course, 5, direction.c_str(), -1, SQLITE_STATIC);
      if (k % 2 == 0) {
        sqlite3_bind_double(raw.course, 6, 50.5);
        sqlite3_bind_double(raw.course, 7, 200.0);
        sqlite3_bind_int(raw.course, 8, 0);
      } else {
        for (int c = 6; c <= 8; ++c) sqlite3_bind_null(raw.course, c);
      }
      sqlite3_bind_int(raw.course, 9, 0);
      sqlite3_step(raw.course);
      sqlite3_reset(raw.course);
    }
    sqlite3_exec(raw.db, "COMMIT", nullptr, nullptr, nullptr);
    benchmark::DoNotOptimize(id);
  }
}
BENCHMARK(BM_WriteParcel_RawSqlite);

void BM_ReadParcel_Layer(benchmark::State& state) {
  BenchFile file;
  Database db = Database::Open(file.Path());
  const std::int64_t id = WriteWithLayer(db, 0);
  for (auto _ : state) {
    auto rs = db.OpenRecordset("select * FROM tblMeasurements where ParcelID = ? ORDER BY RowNo",
                               korvalo::dao::RecordsetType::Dynaset, {id});
    double sum = 0;
    for (; !rs.Eof(); rs.MoveNext()) {
      for (int f = 0; f < rs.FieldCount(); ++f) benchmark::DoNotOptimize(rs.Get(f));
      sum += korvalo::dao::AsDouble(rs.Get("Length"));
    }
    benchmark::DoNotOptimize(sum);
  }
}
BENCHMARK(BM_ReadParcel_Layer);

void BM_ReadParcel_RawSqlite(benchmark::State& state) {
  BenchFile file;
  std::int64_t id = 0;
  {
    Database db = Database::Open(file.Path());
    id = WriteWithLayer(db, 0);
  }
  Raw raw(file.Path());
  for (auto _ : state) {
    sqlite3_bind_int64(raw.read, 1, id);
    double sum = 0;
    while (sqlite3_step(raw.read) == SQLITE_ROW) {
      for (int c = 0; c < sqlite3_column_count(raw.read); ++c) {
        if (sqlite3_column_type(raw.read, c) == SQLITE_TEXT) {
          benchmark::DoNotOptimize(std::string(reinterpret_cast<const char*>(sqlite3_column_text(raw.read, c))));
        } else {
          benchmark::DoNotOptimize(sqlite3_column_double(raw.read, c));
        }
      }
      sum += sqlite3_column_double(raw.read, 3);
    }
    sqlite3_reset(raw.read);
    benchmark::DoNotOptimize(sum);
  }
}
BENCHMARK(BM_ReadParcel_RawSqlite);

// A project of 10,000 parcels of 80 courses, made once with raw SQLite.
class LargeFile {
 public:
  static const LargeFile& Get() {
    static LargeFile file;
    return file;
  }
  ~LargeFile() { std::filesystem::remove_all(std::filesystem::path(path_).parent_path()); }
  const std::string& Path() const { return path_; }

 private:
  LargeFile() {
    std::string pattern = (std::filesystem::temp_directory_path() / "korvalo-bench-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) std::abort();
    path_ = pattern + "/large.kvx";
    {
      Database db = Database::Create(path_);
      db.CreateTable(korvalo::schema::ParcelTable());
      db.CreateIndex("tblParcel", korvalo::schema::kParcelIndex, "Parcel", true);
      db.CreateTable(korvalo::schema::MeasurementsTable(korvalo::Edition::A2004));
      db.CreateIndex("tblMeasurements", korvalo::schema::kCoursesIndex, "ParcelID", false);
    }
    Raw raw(path_);
    sqlite3_exec(raw.db, "BEGIN", nullptr, nullptr, nullptr);
    const std::string direction = "N12°34'56\"W";
    for (int p = 0; p < 10000; ++p) {
      const std::string name = "Lot " + std::to_string(p);
      sqlite3_bind_text(raw.parcel, 1, name.c_str(), -1, SQLITE_TRANSIENT);
      for (int c = 2; c <= 5; ++c) sqlite3_bind_double(raw.parcel, c, 1.0);
      sqlite3_bind_text(raw.parcel, 4, direction.c_str(), -1, SQLITE_STATIC);
      sqlite3_step(raw.parcel);
      sqlite3_reset(raw.parcel);
      const sqlite3_int64 id = sqlite3_last_insert_rowid(raw.db);
      for (int k = 0; k < kCourses; ++k) {
        sqlite3_bind_int64(raw.course, 1, id);
        sqlite3_bind_int(raw.course, 2, k);
        sqlite3_bind_int(raw.course, 3, 1);
        sqlite3_bind_double(raw.course, 4, 100.25 + k);
        sqlite3_bind_text(raw.course, 5, direction.c_str(), -1, SQLITE_STATIC);
        for (int c = 6; c <= 8; ++c) sqlite3_bind_null(raw.course, c);
        sqlite3_bind_int(raw.course, 9, 0);
        sqlite3_step(raw.course);
        sqlite3_reset(raw.course);
      }
    }
    sqlite3_exec(raw.db, "COMMIT", nullptr, nullptr, nullptr);
  }
  std::string path_;
};

// The full check of the file (pages, indexes against their tables,
// constraints) the layer makes once a process before its first write into
// the file.
void BM_FullCheckLargeProject_Layer(benchmark::State& state) {
  const std::string& path = LargeFile::Get().Path();
  sqlite3* db = nullptr;
  sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
  korvalo::dao::detail::RegisterTextRules(db, true);
  for (auto _ : state) {
    int rc = SQLITE_OK;
    benchmark::DoNotOptimize(korvalo::dao::detail::IntegrityProblem(db, rc));
  }
  sqlite3_close(db);
}
BENCHMARK(BM_FullCheckLargeProject_Layer)->Unit(benchmark::kMillisecond);

void BM_FullCheckLargeProject_RawSqlite(benchmark::State& state) {
  const std::string& path = LargeFile::Get().Path();
  sqlite3* db = nullptr;
  sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
  korvalo::dao::detail::RegisterTextRules(db, true);
  for (auto _ : state) {
    sqlite3_stmt* stmt = nullptr;
    sqlite3_prepare_v2(db, "PRAGMA integrity_check(1)", -1, &stmt, nullptr);
    sqlite3_step(stmt);
    sqlite3_finalize(stmt);
  }
  sqlite3_close(db);
}
BENCHMARK(BM_FullCheckLargeProject_RawSqlite)->Unit(benchmark::kMillisecond);

// The check of the pages alone, which does not see an index that misses a
// row (the check before the first write was once this one).
void BM_PageCheckLargeProject(benchmark::State& state) {
  const std::string& path = LargeFile::Get().Path();
  sqlite3* db = nullptr;
  sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
  for (auto _ : state) {
    sqlite3_stmt* stmt = nullptr;
    sqlite3_prepare_v2(db, "PRAGMA quick_check(1)", -1, &stmt, nullptr);
    sqlite3_step(stmt);
    sqlite3_finalize(stmt);
  }
  sqlite3_close(db);
}
BENCHMARK(BM_PageCheckLargeProject)->Unit(benchmark::kMillisecond);

// Open, change one parcel's closure, close (the full check made before).
void BM_FirstWriteLargeProject_Layer(benchmark::State& state) {
  const std::string& path = LargeFile::Get().Path();
  for (auto _ : state) {
    Database db = Database::Open(path);
    benchmark::DoNotOptimize(
        db.Execute("UPDATE tblParcel SET Closure = ? WHERE ParcelID = ?", {0.02, std::int64_t{5000}}));
  }
}
BENCHMARK(BM_FirstWriteLargeProject_Layer)->Unit(benchmark::kMillisecond);

void BM_FirstWriteLargeProject_RawSqlite(benchmark::State& state) {
  const std::string& path = LargeFile::Get().Path();
  for (auto _ : state) {
    sqlite3* db = nullptr;
    sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr);
    korvalo::dao::detail::RegisterTextRules(db, true);
    sqlite3_stmt* stmt = nullptr;
    sqlite3_prepare_v2(db, "UPDATE tblParcel SET Closure = ? WHERE ParcelID = ?", -1, &stmt, nullptr);
    sqlite3_bind_double(stmt, 1, 0.02);
    sqlite3_bind_int64(stmt, 2, 5000);
    sqlite3_step(stmt);
    sqlite3_finalize(stmt);
    sqlite3_close(db);
  }
}
BENCHMARK(BM_FirstWriteLargeProject_RawSqlite)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
