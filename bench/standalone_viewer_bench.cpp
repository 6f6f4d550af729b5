// Goals: the load into both viewers within 2.5 times the viewer's plain load
// into one; a pick (press to figures shown) within 1.5 times one redraw of
// that viewer; a pan step with its view stored within 1.5 times one without.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <unistd.h>

#include "common/edition.h"
#include "editor/frm_editor.h"
#include "platform/forms/forms.h"
#include "platform/viewer/drawing_viewer.h"
#include "standalone/drawing_link.h"
#include "standalone/frm_main.h"
#include "standalone/frm_view.h"
#include "standalone/standalone_editor.h"
#include "storage/program_state.h"
#include "storage/project_db.h"
#include "storage/system_db.h"

using namespace korvalo;

namespace {

std::string Fixture(const std::string& name) {
  const char* root = std::getenv("KORVALO_FIXTURES");
  return std::string(root && *root ? root : KORVALO_FIXTURES_DIR) + "/drawings/" + name;
}

// 20,000 texts in a grid, every fifth a bearing with its distance.
const std::string& TextsPath() {
  static const std::string path = [] {
    // One file per process: runs in other worktrees write and remove their own.
    const std::string p =
        (std::filesystem::temp_directory_path() / ("korvalo-pick-bench-" + std::to_string(::getpid()) + ".dxf"))
            .string();
    std::ofstream out(p);
    out << "0\nSECTION\n2\nTABLES\n0\nTABLE\n2\nLAYER\n70\n1\n0\nLAYER\n2\n0\n70\n0\n62\n7\n6\nCONTINUOUS\n"
           "0\nENDTAB\n0\nENDSEC\n0\nSECTION\n2\nENTITIES\n";
    for (int i = 0; i < 20000; ++i) {
      const double x = (i % 200) * 40.0, y = (i / 200) * 10.0;
      const std::string text = i % 5 == 0 ? "N 45%%D30'15\" E 100.00" : "LOT " + std::to_string(i);
      out << "0\nTEXT\n5\n" << std::hex << (0x100 + i) << std::dec << "\n100\nAcDbEntity\n8\n0\n100\nAcDbText\n10\n"
          << x << "\n20\n" << y << "\n30\n0\n40\n2\n1\n" << text << "\n50\n0\n100\nAcDbText\n";
    }
    out << "0\nENDSEC\n0\nEOF\n";
    return p;
  }();
  return path;
}

// The standalone windows with the drawing link, the editor loaded.
struct Windows {
  Windows() {
    ResetProgramState();
    SetEdition(Edition::Standalone);
    Program().CourseLimit = 50;
    UseShippedArcPositions(Program().ProjectSettings);
    editor = std::make_unique<editor::FrmEditor>(50);
    link = std::make_unique<standalone::DrawingLink>(*editor);
    main = std::make_unique<standalone::FrmMain>(*editor, *link);
    link->Attach(*main);
    policy = std::make_unique<standalone::StandaloneEditor>(*editor, *main, *link);
    editor::StartupServices startup;
    startup.loadRecentProjects = [this] { main->Load(); };
    editor->SetStartupServices(std::move(startup));
    editor->Load();
    editor->Show();
    editor->ArrangeArcFields();
  }
  ~Windows() {
    policy.reset();
    main.reset();
    link.reset();
    editor.reset();
  }
  std::unique_ptr<editor::FrmEditor> editor;
  std::unique_ptr<standalone::DrawingLink> link;
  std::unique_ptr<standalone::FrmMain> main;
  std::unique_ptr<standalone::StandaloneEditor> policy;
};

void BM_LoadDrawingIntoBothViewers(benchmark::State& state) {
  Windows w;
  Program().DrawingPath = Fixture("example_r2000.dwg");
  for (auto _ : state) benchmark::DoNotOptimize(w.link->LoadDrawing(true));
}
BENCHMARK(BM_LoadDrawingIntoBothViewers)->Unit(benchmark::kMillisecond);

void BM_BaselinePlainLoadIntoOneViewer(benchmark::State& state) {
  forms::Form form("frmBench");
  viewer::DrawingViewer viewer(form, "Dbcocx1");
  viewer.Move(0, 0, 10875, 7470);
  for (auto _ : state) {
    // A viewer holding the file would share its drawing: closed first, every
    // load reads the file, as the window's load does once.
    viewer.ViewerCloseDrawing();
    std::string path = Fixture("example_r2000.dwg");
    viewer.ViewerLoadFile(path, 0, "");
  }
}
BENCHMARK(BM_BaselinePlainLoadIntoOneViewer)->Unit(benchmark::kMillisecond);

void BM_PickOnTwentyThousandTexts(benchmark::State& state) {
  Windows w;
  Program().DrawingPath = TextsPath();
  w.link->LoadDrawing(true);
  w.policy->EnableProjectUI(true);
  w.editor->EnableCourseControls(true);
  w.editor->txtParcel.SetVisible(true);
  w.editor->SetEditing(true);
  viewer::DrawingViewer& v = w.main->frmView.Dbcocx1;
  for (auto _ : state) {
    state.PauseTiming();
    w.editor->ClearEditor();
    w.editor->SetEditing(true);
    w.editor->txtBearingLine(0).SetFocus();
    state.ResumeTiming();
    // The last row's first text: a bearing and its distance.
    v.OnViewerMouseDown(1, 1.0, 99 * 10.0 + 1.0);
  }
}
BENCHMARK(BM_PickOnTwentyThousandTexts)->Unit(benchmark::kMillisecond);

void BM_BaselineOneRedraw(benchmark::State& state) {
  Windows w;
  Program().DrawingPath = TextsPath();
  w.link->LoadDrawing(true);
  viewer::DrawingViewer& v = w.main->frmView.Dbcocx1;
  for (auto _ : state) {
    v.ViewerRedraw();
    benchmark::DoNotOptimize(v.ViewerPicture());
  }
}
BENCHMARK(BM_BaselineOneRedraw)->Unit(benchmark::kMillisecond);

// A standalone project on the pick drawing, current, its drawing shown: the
// views go into its settings row.
struct OpenProject {
  explicit OpenProject(Windows& w) {
    folder = (std::filesystem::temp_directory_path() / ("korvalo-pan-bench-" + std::to_string(::getpid()))).string();
    std::filesystem::create_directories(folder);
    Program().ProgramFolder = folder;
    BuildSystemDatabase(FileBesideProgram("KorvaloPro.zrq"), Edition::Standalone);
    if (!OpenSystemDatabase() || !CreateProjectDatabase(folder + "/", "Pan", TextsPath())) std::abort();
    Program().ProjectPath = folder + "/Pan.kvx";
    if (!w.link->LoadProjectSettings()) std::abort();
    Program().DrawingPath = TextsPath();
    w.link->LoadDrawing(true);
  }
  ~OpenProject() {
    Program().SystemDb.reset();
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
  }
  std::string folder;
};

void BM_PanStepWithViewStored(benchmark::State& state) {
  Windows w;
  OpenProject project(w);
  viewer::DrawingViewer& v = w.main->frmView.Dbcocx1;
  v.OnViewerMouseDown(2, 100.0, 100.0);
  double dx = 0.5;
  for (auto _ : state) {
    v.OnViewerMouseMove(100.0 + dx, 100.0);
    dx = -dx;
  }
  // The turn ends: the last view is written once.
  forms::DoEvents();
}
BENCHMARK(BM_PanStepWithViewStored)->Unit(benchmark::kMicrosecond);

void BM_BaselinePanStepAlone(benchmark::State& state) {
  Windows w;
  OpenProject project(w);
  viewer::DrawingViewer& v = w.main->frmView.Dbcocx1;
  v.OnViewerViewChanged = nullptr;
  double x0, y0, x1, y1, z, s;
  double dx = 0.5;
  for (auto _ : state) {
    v.ViewerGetView(x0, y0, x1, y1, z, s);
    v.ViewerSetCenter((x0 + x1) / 2 - dx, (y0 + y1) / 2);
    dx = -dx;
  }
}
BENCHMARK(BM_BaselinePanStepAlone)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  forms::Application app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  std::remove(TextsPath().c_str());
  return 0;
}
