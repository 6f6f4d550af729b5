// The editor window's load (the 80-row grid built from row 0, the window
// shown, the rows placed) against a bare Qt window with one button, both
// shown offscreen in the same run. Each is timed from construction until the
// shown window's events are handled; tearing down is not timed.
// BM_EditorToBareRatio reports the ratio of the two.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QPushButton>
#include <QWidget>
#include <chrono>
#include <cstdlib>
#include <memory>

#include "cadlink/mod_link.h"
#include "common/edition.h"
#include "editor/frm_editor.h"
#include "platform/forms/forms.h"

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point from, Clock::time_point to) {
  return std::chrono::duration<double>(to - from).count();
}

double LoadEditor() {
  using namespace korvalo;
  QApplication::processEvents();
  const auto t0 = Clock::now();
  auto window = std::make_unique<editor::FrmEditor>(CourseLimitFor(Edition::A2004));
  cadlink::ModLink link(*window);
  window->SetLinkServices(&link);
  window->Load();
  QApplication::processEvents();
  const auto t1 = Clock::now();
  benchmark::DoNotOptimize(window->cmdNo(79).Top());
  window.reset();
  return Seconds(t0, t1);
}

double ShowBareWindow() {
  QApplication::processEvents();
  const auto t0 = Clock::now();
  auto window = std::make_unique<QWidget>();
  window->resize(457, 544);
  auto* button = new QPushButton(QStringLiteral("OK"), window.get());
  button->move(10, 10);
  window->show();
  QApplication::processEvents();
  const auto t1 = Clock::now();
  window.reset();
  return Seconds(t0, t1);
}

void BM_EditorLoad(benchmark::State& state) {
  for (auto _ : state) state.SetIterationTime(LoadEditor());
}
BENCHMARK(BM_EditorLoad)->UseManualTime()->Unit(benchmark::kMillisecond);

void BM_BareQtWindow(benchmark::State& state) {
  for (auto _ : state) state.SetIterationTime(ShowBareWindow());
}
BENCHMARK(BM_BareQtWindow)->UseManualTime()->Unit(benchmark::kMillisecond);

void BM_EditorToBareRatio(benchmark::State& state) {
  double editor = 0;
  double bare = 0;
  for (auto _ : state) {
    editor += LoadEditor();
    bare += ShowBareWindow();
  }
  state.counters["ratio"] = bare > 0 ? editor / bare : 0;
}
BENCHMARK(BM_EditorToBareRatio)->Iterations(20)->Unit(benchmark::kMillisecond);

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
