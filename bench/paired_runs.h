#pragma once

// What the benchmarks that weigh a piece of work against its baseline share:
// the two run in turns (which goes first alternates, so neither always finds
// the caches warmed by the other), and each figure is a median of the turns.

#include <algorithm>
#include <cstddef>
#include <utility>
#include <vector>

namespace korvalo::bench {

// The middle one of the values (the mean of the two middle ones); 0 for none.
inline double Median(std::vector<double> values) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  const std::size_t middle = values.size() / 2;
  return values.size() % 2 == 1 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

// Runs the measured work and its baseline once each, the measured work first
// on every other call (`measuredFirst` carries the turn between calls);
// returns their results, the measured work's first.
template <class Measured, class Baseline>
auto InTurns(bool& measuredFirst, Measured measured, Baseline baseline) {
  measuredFirst = !measuredFirst;
  if (measuredFirst) {
    auto m = measured();
    auto b = baseline();
    return std::pair{m, b};
  }
  auto b = baseline();
  auto m = measured();
  return std::pair{m, b};
}

}  // namespace korvalo::bench
