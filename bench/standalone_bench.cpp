// The standalone edition's editor window:
// - Delete_Proc of row 0 on a grid of 50 courses (the rows move up, the
//   colours with them, the focus kept) against the same text and sign moves
//   done on the same boxes with the calculation off;
// - loading the floating editor with its frame (grid built, menus, the
//   drawing window, both shown) against the same two windows, same controls,
//   built directly in Qt Widgets.
// All offscreen, in one run.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QPushButton>
#include <QScrollBar>
#include <cstdlib>
#include <memory>
#include <string>

#include "common/edition.h"
#include "editor/frm_editor.h"
#include "platform/forms/forms.h"
#include "standalone/frm_main.h"
#include "standalone/standalone_editor.h"
#include "standalone/standalone_state.h"
#include "storage/program_state.h"

namespace {

using namespace korvalo;

constexpr int kRows = 50;

// The three windows as the start-up makes them; they go away in reverse
// order, the policy and the frame first.
struct Windows {
  Windows() : editor(kRows), viewer(editor), main(editor, viewer), policy(editor, main, viewer) {
    editor::StartupServices startup;
    startup.loadRecentProjects = [this] {
      main.Load();
      policy.LoadRecentProjects();
    };
    editor.SetStartupServices(std::move(startup));
  }
  editor::FrmEditor editor;
  standalone::StandInViewer viewer;
  standalone::FrmMain main;
  standalone::StandaloneEditor policy;
};

// Row k gets the n-th course; neighbouring courses always differ, so every
// move of a text is a change.
void FillRow(editor::FrmEditor& e, int k, int n) {
  e.txtBearingLine(k).SetText(n % 2 ? "N45\xC2\xB0" "E" : "S44\xC2\xB0W");
  e.txtDistanceLine(k).SetText(std::to_string(100 + n));
}

// A loaded editor with every row holding a course and the focus on row 30's
// distance.
std::unique_ptr<Windows> FullGrid() {
  auto w = std::make_unique<Windows>();
  w->editor.Load();
  w->policy.EnableProjectUI(true);
  w->editor.ClearEditor();
  w->policy.EnableCourseControls(true);
  for (int k = 0; k < kRows; ++k) FillRow(w->editor, k, k);
  w->editor.txtDistanceLine(30).SetFocus();
  QApplication::processEvents();
  return w;
}

void BM_StandaloneDeleteRow0(benchmark::State& state) {
  auto w = FullGrid();
  editor::FrmEditor& e = w->editor;
  int n = kRows;
  for (auto _ : state) {
    w->policy.Delete_Proc(0);
    // The grid is full again for the next round, and the focus back.
    e.CalcEnabled = false;
    FillRow(e, kRows - 1, n++);
    e.CalcEnabled = true;
    w->policy.FocusRow = 31;
  }
  benchmark::DoNotOptimize(e.lblArea.Caption());
}
BENCHMARK(BM_StandaloneDeleteRow0)->Unit(benchmark::kMillisecond);

void BM_SameTextsCalculationOff(benchmark::State& state) {
  auto w = FullGrid();
  editor::FrmEditor& e = w->editor;
  forms::ControlArray<forms::TextBox>* boxes[] = {&e.txtBearingLine, &e.txtDistanceLine, &e.txtBearingArc,
                                                  &e.txtRadius,      &e.txtChord,        &e.txtArc};
  int n = kRows;
  for (auto _ : state) {
    e.CalcEnabled = false;
    for (int i = 0; i < kRows - 1; ++i) {
      for (auto* b : boxes) (*b)(i).SetText((*b)(i + 1).Text());
      e.chksign(2 * i).SetValue(e.chksign(2 * i + 2).Value());
      e.chksign(2 * i + 1).SetValue(e.chksign(2 * i + 3).Value());
    }
    for (auto* b : boxes) (*b)(kRows - 1).SetText("");
    FillRow(e, kRows - 1, n++);
    e.CalcEnabled = true;
  }
  benchmark::DoNotOptimize(e.lblArea.Caption());
}
BENCHMARK(BM_SameTextsCalculationOff)->Unit(benchmark::kMillisecond);

void BM_StandaloneLoad(benchmark::State& state) {
  for (auto _ : state) {
    auto w = std::make_unique<Windows>();
    w->editor.Load();
    QApplication::processEvents();
    benchmark::DoNotOptimize(w->editor.Visible());
  }
}
BENCHMARK(BM_StandaloneLoad)->Unit(benchmark::kMillisecond);

// The same two windows in Qt Widgets: a frame with its menu tree and an MDI
// area holding the drawing window, and the editor with its 50 rows.
void BuildEditor(QWidget& editor) {
  editor.resize(441, 383);
  auto* list = new QComboBox(&editor);
  list->setGeometry(0, 8, 148, 21);
  new QPushButton("<", &editor);
  new QPushButton(">", &editor);
  auto* frame1 = new QGroupBox(&editor);
  frame1->setGeometry(0, 32, 257, 89);
  new QLabel("Parcel:", frame1);
  new QLineEdit("Region", frame1);
  for (const char* caption : {"Zoom ->", "&Edit", "&New", "&Auto", "&Save/New", "&Delete", "&Cancel"}) {
    new QPushButton(caption, frame1);
  }
  auto* frame3 = new QGroupBox(&editor);
  frame3->setGeometry(0, 120, 257, 57);
  for (const char* caption : {"Closure:", "0", "Area:", "0", "Bearing:", "0", "Precision:", "0"}) {
    new QLabel(caption, frame3);
  }
  auto* picture = new QFrame(&editor);
  picture->setGeometry(256, 0, 177, 177);
  for (int k = 0; k < kRows; ++k) {
    auto* number = new QLabel(QString::number(k + 1), picture);
    number->hide();
  }
  auto* base = new QFrame(&editor);
  base->setGeometry(0, 176, 441, 177);
  new QScrollBar(Qt::Vertical, base);
  for (int k = 0; k < kRows; ++k) {
    auto* button = new QPushButton(QString::number(k + 1), base);
    button->move(0, 27 * k + 7);
    auto* line = new QFrame(base);
    line->setGeometry(24, 27 * k, 385, 27);
    new QLabel("B", line);
    new QLineEdit(line);
    new QLabel("D", line);
    new QLineEdit(line);
    new QPushButton("N<-->S", line);
    auto* arc = new QFrame(base);
    arc->setGeometry(24, 53 * k, 385, 53);
    for (const char* caption : {"B", "A", "C", "R"}) {
      new QLabel(caption, arc);
      new QLineEdit(arc);
    }
    new QCheckBox("+", arc);
    new QCheckBox("-", arc);
    new QPushButton("N<-->S", arc);
    if (k == 0) arc->hide();
  }
}

void BuildFrame(QMainWindow& frame) {
  const int items[] = {11, 14, 16, 5, 3, 2, 10};
  for (int m = 0; m < 7; ++m) {
    QMenu* menu = frame.menuBar()->addMenu(QString("Menu %1").arg(m));
    for (int i = 0; i < items[m]; ++i) menu->addAction(QString("Item %1").arg(i));
  }
  auto* area = new QMdiArea(&frame);
  frame.setCentralWidget(area);
  auto* view = area->addSubWindow(new QWidget);
  view->setWindowTitle("Korvalo");
  view->showMaximized();
}

void BM_QtWidgetsSameWindows(benchmark::State& state) {
  for (auto _ : state) {
    auto frame = std::make_unique<QMainWindow>();
    BuildFrame(*frame);
    frame->showMaximized();
    auto editor = std::make_unique<QWidget>(nullptr, Qt::Tool);
    BuildEditor(*editor);
    editor->show();
    editor->move(1, 89);
    QApplication::processEvents();
    benchmark::DoNotOptimize(editor->isVisible());
  }
}
BENCHMARK(BM_QtWidgetsSameWindows)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  SetEdition(Edition::Standalone);
  Program().CourseLimit = CourseLimitFor(Edition::Standalone);
  Program().FirstRun = false;
  Program().ProjectSettings.ErrDecimal = 2;
  forms::Application app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
