// The closure of an 80-course parcel against the bare trigonometry of its
// traverse (80 sine/cosine pairs summed): the goal is within 3x.
#include <benchmark/benchmark.h>

#include <cmath>
#include <string>
#include <vector>

#include "common/utf8.h"
#include "geometry/traverse.h"

namespace {

using korvalo::geometry::CourseRow;
using korvalo::geometry::SegmentSign;

// 80 courses, every fourth an arc, with bearings in all four quadrants.
std::vector<CourseRow> Parcel() {
  const std::string deg(korvalo::utf8::kDegree);
  const char* quadrants[] = {"NE", "SE", "SW", "NW"};
  std::vector<CourseRow> rows;
  for (int k = 0; k < 80; ++k) {
    const char* q = quadrants[k % 4];
    const std::string direction = std::string(1, q[0]) + std::to_string(10 + k % 70) + deg +
                                  std::to_string(k % 60) + "'" + std::to_string((7 * k) % 60) +
                                  "\"" + std::string(1, q[1]);
    const std::string distance = std::to_string(100 + k) + "." + std::to_string(k % 100);
    if (k % 4 == 3) {
      rows.push_back(CourseRow::Arc(direction, "105.25", distance, "250.5",
                                    k % 8 == 3 ? SegmentSign::Plus : SegmentSign::Minus));
    } else {
      rows.push_back(CourseRow::Line(direction, distance));
    }
  }
  return rows;
}

void BM_Closure80(benchmark::State& state) {
  const std::vector<CourseRow> rows = Parcel();
  korvalo::geometry::TraverseSettings settings;
  for (auto _ : state) {
    auto result = korvalo::geometry::ComputeClosure(rows, settings);
    benchmark::DoNotOptimize(result);
  }
}
BENCHMARK(BM_Closure80);

void BM_Baseline80SinCos(benchmark::State& state) {
  std::vector<double> angles(80);
  std::vector<double> lengths(80);
  for (int k = 0; k < 80; ++k) {
    angles[static_cast<std::size_t>(k)] = (10.0 + k * 4.37) * 3.14159265358979 / 180.0;
    lengths[static_cast<std::size_t>(k)] = 100.0 + k;
  }
  for (auto _ : state) {
    benchmark::DoNotOptimize(angles.data());
    double x = 0.0;
    double y = 0.0;
    for (std::size_t k = 0; k < 80; ++k) {
      x += lengths[k] * std::cos(angles[k]);
      y += lengths[k] * std::sin(angles[k]);
    }
    benchmark::DoNotOptimize(x);
    benchmark::DoNotOptimize(y);
  }
}
BENCHMARK(BM_Baseline80SinCos);

}  // namespace

BENCHMARK_MAIN();
