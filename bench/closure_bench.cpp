// The closure of a parcel of 10, 80 (the editor's rows), 320 and 1,280
// courses (the reports compute a longer stored parcel whole) against the bare
// trigonometry of its traverse (a sine/cosine pair summed per course), in the
// same run: the goal is within 3x at every size. Both report their growth
// (BigO); a step that grows faster than the courses shows as a closure time
// per course that climbs with the size.
#include <benchmark/benchmark.h>

#include <cmath>
#include <string>
#include <vector>

#include "common/utf8.h"
#include "geometry/traverse.h"

namespace {

using korvalo::geometry::CourseRow;
using korvalo::geometry::SegmentSign;

// n courses, every fourth an arc, with bearings in all four quadrants.
std::vector<CourseRow> Parcel(int n) {
  const std::string deg(korvalo::utf8::kDegree);
  const char* quadrants[] = {"NE", "SE", "SW", "NW"};
  std::vector<CourseRow> rows;
  for (int k = 0; k < n; ++k) {
    const char* q = quadrants[k % 4];
    const std::string direction = std::string(1, q[0]) + std::to_string(10 + k % 70) + deg +
                                  std::to_string(k % 60) + "'" + std::to_string((7 * k) % 60) +
                                  "\"" + std::string(1, q[1]);
    const std::string distance = std::to_string(100 + k % 100) + "." + std::to_string(k % 100);
    if (k % 4 == 3) {
      rows.push_back(CourseRow::Arc(direction, "105.25", distance, "250.5",
                                    k % 8 == 3 ? SegmentSign::Plus : SegmentSign::Minus));
    } else {
      rows.push_back(CourseRow::Line(direction, distance));
    }
  }
  return rows;
}

void CourseCounts(benchmark::internal::Benchmark* b) {
  for (const int n : {10, 80, 320, 1280}) b->Arg(n);
  b->Complexity(benchmark::oN);
}

void BM_Closure(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  const std::vector<CourseRow> rows = Parcel(n);
  korvalo::geometry::TraverseSettings settings;
  // The reports lift the editor's row limit for a longer stored parcel.
  settings.courseLimit = n;
  for (auto _ : state) {
    auto result = korvalo::geometry::ComputeClosure(rows, settings);
    benchmark::DoNotOptimize(result);
  }
  state.SetComplexityN(n);
}
BENCHMARK(BM_Closure)->Apply(CourseCounts);

void BM_BaselineSinCos(benchmark::State& state) {
  const std::size_t n = static_cast<std::size_t>(state.range(0));
  std::vector<double> angles(n);
  std::vector<double> lengths(n);
  for (std::size_t k = 0; k < n; ++k) {
    angles[k] = (10.0 + static_cast<double>(k % 80) * 4.37) * 3.14159265358979 / 180.0;
    lengths[k] = 100.0 + static_cast<double>(k % 100);
  }
  for (auto _ : state) {
    benchmark::DoNotOptimize(angles.data());
    double x = 0.0;
    double y = 0.0;
    for (std::size_t k = 0; k < n; ++k) {
      x += lengths[k] * std::cos(angles[k]);
      y += lengths[k] * std::sin(angles[k]);
    }
    benchmark::DoNotOptimize(x);
    benchmark::DoNotOptimize(y);
  }
  state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_BaselineSinCos)->Apply(CourseCounts);

}  // namespace

BENCHMARK_MAIN();
