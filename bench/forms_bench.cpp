// Building the editor-sized grid (20 control arrays of 80 elements) with the
// forms layer and showing it offscreen, against a bare Qt window with one
// button. BM_GridToBareRatio reports the ratio of the two.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QPushButton>
#include <QWidget>
#include <chrono>
#include <cstdlib>
#include <memory>

#include "platform/forms/forms.h"

namespace {

using namespace korvalo::forms;

constexpr int kRows = 80;

// Twenty arrays, kinds as in the editor's course grid.
class Grid : public Form {
 public:
  Grid() : Form("frmGrid") {
    Move(0, 0, 6855, 9000);
    frameBase.Move(120, 2640, 6495, 5000);
    pic.Move(3960, 0, 2655, 2655);
    DesignRowZero();
    for (int k = 1; k < kRows; ++k) {
      cmdNo.Load(k).SetVisible(true);
      Frame& line = frameLine.Load(k);
      line.SetVisible(true);
      line.SetTop(400 * k);
      Frame& arc = frameArc.Load(k);
      arc.SetVisible(true);
      arc.SetTop(800 * k);
      for (auto* a : {&lblB, &lblD}) Place(a->Load(k), line);
      for (auto* a : {&txtBearingLine, &txtDistanceLine}) Place(a->Load(k), line);
      Place(cmdLineInvert.Load(k), line);
      for (auto* a : {&lblArcB, &lblA, &lblC, &lblR}) Place(a->Load(k), arc);
      for (auto* a : {&txtBearingArc, &txtArc, &txtChord, &txtRadius}) Place(a->Load(k), arc);
      Place(chkPlus.Load(k), arc);
      Place(chkMinus.Load(k), arc);
      Place(cmdArcInvert.Load(k), arc);
      lblLineNo.Load(k);
    }
  }
  // Row 0 as the editor designs it: the loaded rows copy its sizes, so the
  // rows inside frameBase's area are the ones on screen.
  void DesignRowZero() {
    cmdNo(0).Move(0, 100, 340, 285);
    frameLine(0).Move(360, 0, 5775, 400);
    frameArc(0).Move(360, 0, 5775, 800);
    lblB(0).Move(120, 100, 195, 255);
    txtBearingLine(0).Move(360, 100, 1455, 285);
    lblD(0).Move(2520, 100, 195, 255);
    txtDistanceLine(0).Move(2760, 100, 1455, 285);
    cmdLineInvert(0).Move(4680, 100, 735, 255);
    lblArcB(0).Move(120, 120, 195, 255);
    txtBearingArc(0).Move(360, 120, 1440, 285);
    lblA(0).Move(1920, 120, 195, 255);
    txtArc(0).Move(2160, 120, 1455, 285);
    lblC(0).Move(3720, 120, 195, 255);
    txtChord(0).Move(3960, 120, 1455, 285);
    lblR(0).Move(120, 450, 195, 255);
    txtRadius(0).Move(360, 460, 1455, 285);
    chkPlus(0).Move(2400, 480, 615, 255);
    chkMinus(0).Move(3240, 480, 615, 255);
    cmdArcInvert(0).Move(4680, 480, 735, 280);
    lblLineNo(0).Move(0, 0, 135, 180);
  }
  template <class C>
  static void Place(C& c, Frame& f) {
    c.SetContainer(f);
    c.SetVisible(true);
  }

  Frame frameBase{*this, "frameBase"};
  PictureBox pic{*this, "picParcel"};
  ControlArray<CommandButton> cmdNo{frameBase, "cmdNo", " 1"};
  ControlArray<Frame> frameLine{frameBase, "frameLine"};
  ControlArray<Frame> frameArc{frameBase, "frameArc"};
  ControlArray<Label> lblB{frameLine(0), "lblB", "B"};
  ControlArray<Label> lblD{frameLine(0), "lblD", "D"};
  ControlArray<TextBox> txtBearingLine{frameLine(0), "txtBearingLine"};
  ControlArray<TextBox> txtDistanceLine{frameLine(0), "txtDistanceLine"};
  ControlArray<CommandButton> cmdLineInvert{frameLine(0), "cmdLineInvert", "N<-->S"};
  ControlArray<Label> lblArcB{frameArc(0), "lblArcB", "B"};
  ControlArray<Label> lblA{frameArc(0), "lblA", "A"};
  ControlArray<Label> lblC{frameArc(0), "lblC", "C"};
  ControlArray<Label> lblR{frameArc(0), "lblR", "R"};
  ControlArray<TextBox> txtBearingArc{frameArc(0), "txtBearingArc"};
  ControlArray<TextBox> txtArc{frameArc(0), "txtArc"};
  ControlArray<TextBox> txtChord{frameArc(0), "txtChord"};
  ControlArray<TextBox> txtRadius{frameArc(0), "txtRadius"};
  ControlArray<CheckBox> chkPlus{frameArc(0), "chkPlus", "+"};
  ControlArray<CheckBox> chkMinus{frameArc(0), "chkMinus", "-"};
  ControlArray<CommandButton> cmdArcInvert{frameArc(0), "cmdArcInvert", "N<-->S"};
  ControlArray<Label> lblLineNo{pic, "lblLineNo", "1"};
};

// Events left by the previous build (deferred deletes) are handled first,
// outside the timing.
void Settle() {
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  QCoreApplication::processEvents();
}

double BuildGrid() {
  Settle();
  const auto t0 = std::chrono::steady_clock::now();
  auto g = std::make_unique<Grid>();
  g->Show();
  QCoreApplication::processEvents();
  const auto t1 = std::chrono::steady_clock::now();
  g.reset();
  return std::chrono::duration<double>(t1 - t0).count();
}

double BuildBare() {
  Settle();
  const auto t0 = std::chrono::steady_clock::now();
  auto w = std::make_unique<QWidget>();
  w->resize(457, 600);
  auto* b = new QPushButton(QStringLiteral("OK"), w.get());
  b->move(10, 10);
  w->show();
  QCoreApplication::processEvents();
  const auto t1 = std::chrono::steady_clock::now();
  w.reset();
  return std::chrono::duration<double>(t1 - t0).count();
}

void BM_FormsGrid1600(benchmark::State& state) {
  for (auto _ : state) state.SetIterationTime(BuildGrid());
}
BENCHMARK(BM_FormsGrid1600)->UseManualTime()->Unit(benchmark::kMillisecond);

void BM_BareQtWindowOneButton(benchmark::State& state) {
  for (auto _ : state) state.SetIterationTime(BuildBare());
}
BENCHMARK(BM_BareQtWindowOneButton)->UseManualTime()->Unit(benchmark::kMillisecond);

void BM_GridToBareRatio(benchmark::State& state) {
  double grid = 0, bare = 0;
  for (auto _ : state) {
    grid += BuildGrid();
    bare += BuildBare();
  }
  const double n = static_cast<double>(state.iterations());
  state.counters["grid_ms"] = grid / n * 1000;
  state.counters["bare_ms"] = bare / n * 1000;
  state.counters["ratio"] = bare > 0 ? grid / bare : 0;
}
BENCHMARK(BM_GridToBareRatio)->Iterations(10)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  Application app(argc, argv);  // the program's event loop set-up
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
