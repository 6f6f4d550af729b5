// The editor window's load (the 80-row grid built from row 0, the window
// shown, the rows placed) against the same window built directly in Qt
// Widgets, both shown offscreen in the same run. Each is timed from
// construction until the shown window's events are handled; tearing down is
// not timed. BM_EditorToQtRatio reports the ratio of the two.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QWidget>
#include <chrono>
#include <cstdlib>
#include <memory>
#include <type_traits>
#include <utility>

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

// The editor window as it shows at load, built directly in Qt Widgets: the
// same menus, the same visible controls at the same places and sizes with
// the same captions (twips / 15), the course rows that fall inside the grid
// area (line rows at 400 twips a row, the arc frames of rows 1 on at 800, as
// the load leaves them). Hidden controls are not built.
namespace replica {

constexpr int kTwips = 15;
int Px(int twips) { return twips / kTwips; }

template <class W>
W* Put(QWidget* parent, int left, int top, int width, int height, const QString& caption = {}) {
  auto* w = new W(parent);
  w->setGeometry(Px(left), Px(top), Px(width), Px(height));
  if constexpr (std::is_base_of_v<QAbstractButton, W> || std::is_same_v<W, QLabel>) {
    if (!caption.isEmpty()) w->setText(caption);
  }
  return w;
}

void Menus(QMenuBar* bar) {
  const auto add = [](QMenu* menu, std::initializer_list<const char*> items) {
    for (const char* item : items) {
      if (QString(item) == "-") {
        menu->addSeparator();
      } else {
        menu->addAction(QString::fromUtf8(item));
      }
    }
  };
  QMenu* file = bar->addMenu("&File");
  add(file, {"&New", "&Open", "-"});
  QMenu* link = file->addMenu("Auto CAD link");
  add(link, {"&Relocate CAD file", "Current CAD file path"});
  add(file, {"-", "No recent projects", "-", "E&xit"});
  add(bar->addMenu("&Edit"), {"&Save parcel", "&Cancel parcel", "Edit mode", "&Delete parcel", "&Insert parcel", "-",
                              "Delete course", "Insert before", "Insert after", "Flip bearing", "-", "Change to curve",
                              "-", "Restore all to North"});
  add(bar->addMenu("&View"), {"Full picture", "Minimize window", "Refresh"});
  add(bar->addMenu("O&ptions"), {"Project options", "Verify area in curves", "Auto invert",
                                 "Verify tangential curves", "Minimize during grab"});
  add(bar->addMenu("&Report"), {"Full report", "Summary report", "Picture report"});
  QMenu* help = bar->addMenu("&Help");
  add(help, {"Help"});
  add(help->addMenu("&Training videos"), {"&Quick start video", "Configuration video"});
  add(help, {"About Korvalo", "FAQ online", "Email support", "Email comments", "Korvalo website"});
}

void CourseLabel(QWidget* parent, int left, int top, const char* caption) {
  auto* label = Put<QLabel>(parent, left, top, 195, 255, caption);
  QFont font = label->font();
  font.setPointSizeF(9.75);
  label->setFont(font);
  QPalette palette = label->palette();
  palette.setColor(QPalette::WindowText, Qt::blue);
  label->setPalette(palette);
}

std::unique_ptr<QWidget> Build() {
  auto window = std::make_unique<QWidget>();
  window->setWindowTitle("Korvalo");
  auto* bar = new QMenuBar(window.get());
  Menus(bar);
  const int menuH = bar->sizeHint().height();
  window->resize(Px(6855) - 8, Px(8160) - 31);
  bar->setGeometry(0, 0, window->width(), menuH);
  auto* client = new QWidget(window.get());
  client->setGeometry(0, menuH, window->width(), window->height() - menuH);

  auto* modes = Put<QGroupBox>(client, 120, 60, 2655, 255);
  auto* grab = Put<QRadioButton>(modes, 120, 0, 1215, 255, "&Grab model");
  grab->setEnabled(false);
  auto* review = Put<QRadioButton>(modes, 1320, 0, 1335, 255, "&Review model");
  review->setEnabled(false);
  review->setChecked(true);
  Put<QLabel>(client, 120, 360, 660, 255, "Previous:");
  Put<QLineEdit>(client, 840, 360, 1935, 285)->setReadOnly(true);
  Put<QPushButton>(client, 2880, 360, 975, 285, "Zoom ->");
  auto* picture = Put<QLabel>(client, 3960, 0, 2655, 2655);
  picture->setAutoFillBackground(true);
  picture->setToolTip("Double click to zoom");

  auto* frame1 = Put<QGroupBox>(client, 120, 600, 3855, 1335);
  frame1->setEnabled(false);
  Put<QLabel>(frame1, 120, 240, 555, 255, "Parcel:");
  Put<QComboBox>(frame1, 720, 200, 2220, 315)->setEditable(true);
  Put<QPushButton>(frame1, 3120, 200, 330, 315, "&<");
  Put<QPushButton>(frame1, 3480, 200, 330, 315, "&>");
  const std::pair<const char*, std::pair<int, int>> buttons[] = {
      {"&Edit", {120, 600}}, {"&New", {1440, 600}}, {"&Auto", {2760, 600}},
      {"&Save", {120, 960}}, {"&Delete", {1440, 960}}, {"&Cancel", {2760, 960}}};
  for (const auto& [caption, at] : buttons) Put<QPushButton>(frame1, at.first, at.second, 975, 300, caption);

  auto* frame3 = Put<QGroupBox>(client, 120, 1800, 3855, 855);
  frame3->setEnabled(false);
  Put<QLabel>(frame3, 120, 180, 600, 255, "Closure:");
  Put<QLabel>(frame3, 2160, 180, 450, 255, "Area:");
  Put<QLabel>(frame3, 120, 480, 600, 255, "Bearing:");
  Put<QLabel>(frame3, 1920, 480, 705, 255, "Precision:");
  for (const auto& at : {std::pair{720, 180}, std::pair{2640, 180}, std::pair{720, 480}, std::pair{2640, 480}}) {
    auto* result = Put<QLabel>(frame3, at.first, at.second, 1095, 255, "0");
    result->setAutoFillBackground(true);
  }

  const int gridHeight = 8160 - 2655 - 800;
  auto* base = Put<QGroupBox>(client, 120, 2640, 6495, gridHeight);
  base->setEnabled(false);
  Put<QScrollBar>(base, 6120, 0, 375, gridHeight);
  for (int k = 0; 400 * k < gridHeight; ++k) {
    Put<QPushButton>(base, 0, 400 * k + 100, 340, 285, k == 0 ? QString(" 1") : QString::number(k + 1));
    auto* line = Put<QGroupBox>(base, 360, 400 * k, 5775, 400);
    CourseLabel(line, 120, 100, "B");
    Put<QLineEdit>(line, 360, 100, 1455, 285);
    CourseLabel(line, 2520, 100, "D");
    Put<QLineEdit>(line, 2760, 100, 1455, 285);
    Put<QPushButton>(line, 4680, 100, 735, 255, "N<-->S");
  }
  for (int k = 1; 800 * k < gridHeight; ++k) {
    auto* arc = Put<QGroupBox>(base, 360, 800 * k, 5775, 800);
    CourseLabel(arc, 120, 120, "B");
    Put<QLineEdit>(arc, 360, 120, 1440, 285);
    CourseLabel(arc, 1920, 120, "A");
    Put<QLineEdit>(arc, 2160, 120, 1455, 285);
    CourseLabel(arc, 3720, 120, "C");
    Put<QLineEdit>(arc, 3960, 120, 1455, 285);
    CourseLabel(arc, 120, 450, "R");
    Put<QLineEdit>(arc, 360, 460, 1455, 285);
    Put<QCheckBox>(arc, 2400, 480, 615, 255, "+");
    Put<QCheckBox>(arc, 3240, 480, 615, 255, "-");
    Put<QPushButton>(arc, 4680, 480, 735, 280, "N<-->S");
  }
  window->move(0, 0);
  window->show();
  return window;
}

}  // namespace replica

double ShowQtWindow() {
  QApplication::processEvents();
  const auto t0 = Clock::now();
  std::unique_ptr<QWidget> window = replica::Build();
  QApplication::processEvents();
  const auto t1 = Clock::now();
  window.reset();
  return Seconds(t0, t1);
}

void BM_EditorLoad(benchmark::State& state) {
  for (auto _ : state) state.SetIterationTime(LoadEditor());
}
BENCHMARK(BM_EditorLoad)->UseManualTime()->Unit(benchmark::kMillisecond);

void BM_QtWindow(benchmark::State& state) {
  for (auto _ : state) state.SetIterationTime(ShowQtWindow());
}
BENCHMARK(BM_QtWindow)->UseManualTime()->Unit(benchmark::kMillisecond);

// The forms layer's own cost: goal within 1.5.
void BM_EditorToQtRatio(benchmark::State& state) {
  double editor = 0;
  double qt = 0;
  for (auto _ : state) {
    editor += LoadEditor();
    qt += ShowQtWindow();
  }
  state.counters["ratio"] = qt > 0 ? editor / qt : 0;
}
BENCHMARK(BM_EditorToQtRatio)->Iterations(20)->Unit(benchmark::kMillisecond);

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
