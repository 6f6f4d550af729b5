// An 80-course parcel grabbed from picked drawing text: the pick from a
// scripted CAD program, the tokens and the grab steps filling every row of
// the real editor, computed once at the end; against the same 160 values set
// into the same editor's boxes directly with computing held off and one
// computation after. Both clear the grid first.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <cstdlib>
#include <string>
#include <vector>

#include "cadlink/mod_link.h"
#include "common/edition.h"
#include "editor/frm_editor.h"
#include "platform/cad/testing.h"
#include "platform/forms/forms.h"
#include "storage/program_state.h"

namespace {

using namespace korvalo;

constexpr int kRows = 80;

// Course k of the parcel: alternating quadrants, so that the figure is a
// zigzag of 80 distinct courses.
std::string Direction(int k, const std::string& degree) {
  const int deg = 10 + (k * 7) % 80;
  const char* ends[] = {"NE", "SE", "SW", "NW"};
  const std::string q = ends[k % 4];
  return std::string(1, q[0]) + std::to_string(deg) + degree + "30'15\"" + q[1];
}
std::string Distance(int k) { return std::to_string(100 + k) + ".25"; }

void PrepareSettings() {
  ProjectSettings& settings = Program().ProjectSettings;
  settings.BearingPos = 1;
  settings.ArcPos = 2;
  settings.ChordPos = 3;
  settings.RadiusPos = 4;
  settings.ErrDecimal = 2;
  settings.ClosureTolerance = 1e6;
  settings.Bearing = true;
  settings.DegreeSymbol = "%%D";
  settings.Minimize = false;
  settings.AutoInvert = false;
  Program().DrawingPath = "/surveys/Lots.dwg";
}

// The editor in the Grab model, its rows usable.
void PrepareEditor(editor::FrmEditor& window, cadlink::ModLink& link) {
  window.SetLinkServices(&link);
  window.Load();
  cadlink::EnableProjectUI(window, true);
  window.optmodel(0).SetValue(true);
  window.ClearEditor();
  window.EnableCourseControls(true);
  QApplication::processEvents();
}

void BM_GrabEightyCourses(benchmark::State& state) {
  PrepareSettings();
  cad::testing::FakeCad cad;
  cad.SetDrawings({Program().DrawingPath});
  std::vector<cad::testing::FakeEntity> texts;
  for (int k = 0; k < kRows; ++k) texts.push_back({"AcDbText", Direction(k, "%%d") + " " + Distance(k)});
  cad.ScriptSelection(texts);
  editor::FrmEditor window(kRows);
  cadlink::ModLink link(window, cad);
  PrepareEditor(window, link);
  for (auto _ : state) {
    window.ClearEditor();
    cad.ClearLog();
    link.GrabCourseField(editor::GrabField::LineBearing, 0);
  }
  if (window.txtDistanceLine(kRows - 1).Text() != Distance(kRows - 1)) state.SkipWithError("grab incomplete");
  benchmark::DoNotOptimize(window.lblArea.Caption());
}
BENCHMARK(BM_GrabEightyCourses)->Unit(benchmark::kMillisecond);

void BM_SetEightyCoursesDirectly(benchmark::State& state) {
  PrepareSettings();
  std::vector<std::string> directions;
  std::vector<std::string> distances;
  for (int k = 0; k < kRows; ++k) {
    directions.push_back(Direction(k, "\u00B0"));
    distances.push_back(Distance(k));
  }
  editor::FrmEditor window(kRows);
  cadlink::ModLink link(window);
  PrepareEditor(window, link);
  for (auto _ : state) {
    window.ClearEditor();
    window.CalcEnabled = false;
    for (int k = 0; k < kRows; ++k) {
      window.txtBearingLine(k).SetText(directions[static_cast<std::size_t>(k)]);
      window.txtDistanceLine(k).SetText(distances[static_cast<std::size_t>(k)]);
    }
    window.CalcEnabled = true;
    window.CalculateAndDraw();
  }
  benchmark::DoNotOptimize(window.lblArea.Caption());
}
BENCHMARK(BM_SetEightyCoursesDirectly)->Unit(benchmark::kMillisecond);

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
