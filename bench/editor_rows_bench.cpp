// Inserting and deleting a course at the top of a grid of 79 courses: the
// editor's row operations (every box of every later row set, the parcel
// recalculated once per operation) against the same text moves done directly
// on 80 rows of six Qt line edits, both offscreen in the same run.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QLineEdit>
#include <QWidget>
#include <array>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "cadlink/mod_link.h"
#include "common/edition.h"
#include "editor/frm_editor.h"
#include "platform/forms/forms.h"
#include "storage/program_state.h"

namespace {

constexpr int kRows = 80;

void BM_EditorInsertDeleteAtTop(benchmark::State& state) {
  using namespace korvalo;
  ProjectSettings& settings = Program().ProjectSettings;
  settings.BearingPos = 1;
  settings.ArcPos = 2;
  settings.ChordPos = 3;
  settings.RadiusPos = 4;
  settings.ErrDecimal = 2;
  editor::FrmEditor window(CourseLimitFor(Edition::A2004));
  cadlink::ModLink link(window);
  window.SetLinkServices(&link);
  window.Load();
  cadlink::EnableProjectUI(window, true);
  window.ClearEditor();
  window.EnableCourseControls(true);
  for (int k = 0; k < kRows - 1; ++k) {
    window.txtBearingLine(k).SetText(k % 2 ? "N45\xC2\xB0" "E" : "S44\xC2\xB0W");
    window.txtDistanceLine(k).SetText(std::to_string(100 + k));
  }
  QApplication::processEvents();
  for (auto _ : state) {
    window.Insert_Proc(0);
    window.Delete_Proc(0);
  }
  benchmark::DoNotOptimize(window.lblArea.Caption());
}
BENCHMARK(BM_EditorInsertDeleteAtTop)->Unit(benchmark::kMillisecond);

void BM_QtLineEditsShiftDownAndUp(benchmark::State& state) {
  QWidget window;
  std::vector<std::array<QLineEdit*, 6>> rows(kRows);
  for (int k = 0; k < kRows; ++k) {
    for (int f = 0; f < 6; ++f) rows[k][f] = new QLineEdit(&window);
  }
  for (int k = 0; k < kRows - 1; ++k) {
    rows[k][0]->setText(k % 2 ? QStringLiteral("N45\u00B0E") : QStringLiteral("S44\u00B0W"));
    rows[k][1]->setText(QString::number(100 + k));
  }
  window.show();
  QApplication::processEvents();
  for (auto _ : state) {
    for (int w = kRows - 1; w > 0; --w) {
      for (int f = 0; f < 6; ++f) rows[w][f]->setText(rows[w - 1][f]->text());
    }
    for (int f = 0; f < 6; ++f) rows[0][f]->setText(QString());
    for (int i = 0; i < kRows - 1; ++i) {
      for (int f = 0; f < 6; ++f) rows[i][f]->setText(rows[i + 1][f]->text());
    }
    for (int f = 0; f < 6; ++f) rows[kRows - 1][f]->setText(QString());
  }
  benchmark::DoNotOptimize(rows[0][0]->text());
}
BENCHMARK(BM_QtLineEditsShiftDownAndUp)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  korvalo::SetEdition(korvalo::Edition::A2004);
  korvalo::Program().CourseLimit = korvalo::CourseLimitFor(korvalo::Edition::A2004);
  korvalo::forms::Application app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
