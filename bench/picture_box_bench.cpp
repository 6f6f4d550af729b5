// Drawing a parcel-sized figure in a picture box and reading its kept image:
// a clear, 50 courses zig-zagging up and down (half of them running up to
// the right) and the border, through the forms layer, against the same
// strokes drawn with one QPainter on a QImage and read back, offscreen in
// the same run. The plain painter takes Qt's general path for thin lines
// (one pixel span at a time for lines running up to the right); the picture
// box clips to its image, which gives the same pixels by the direct path.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "platform/forms/forms.h"

namespace {

using namespace korvalo::forms;

constexpr int kCourses = 50;
constexpr int kSideTwips = 2655;  // 177 pixels, 173 inside the border

struct Segment {
  double x1, y1, x2, y2;
};

// The figure in twips of the inner area.
std::vector<Segment> Figure() {
  std::vector<Segment> out;
  double x = 200, y = 1500;
  for (int k = 0; k < kCourses; ++k) {
    const double nx = k % 2 ? x - 1270 : x + 1290;
    const double ny = k % 2 ? y + 1310 : y - 1290;
    out.push_back({x, y, nx, ny});
    x = nx;
    y = ny;
  }
  return out;
}

class PictureForm : public Form {
 public:
  PictureForm() : Form("frmPicture") {
    Move(0, 0, 4000, 4000);
    pic.Move(120, 120, kSideTwips, kSideTwips);
    pic.SetBackColor(vbWhite);
  }
  PictureBox pic{*this, "picParcel"};
};

void BM_PictureBoxFigure(benchmark::State& state) {
  PictureForm f;
  const std::vector<Segment> figure = Figure();
  Canvas& c = f.pic.Drawing();
  for (auto _ : state) {
    c.Clear();
    for (const Segment& s : figure) c.Line(s.x1, s.y1, s.x2, s.y2, vbBlack);
    c.Rectangle(15, 15, kSideTwips - 75, kSideTwips - 75, vbBlack);
    const PictureBox::Image image = f.pic.KeptImage();
    benchmark::DoNotOptimize(image.pixels.data());
  }
}
BENCHMARK(BM_PictureBoxFigure)->Unit(benchmark::kMicrosecond);

void BM_QtPainterFigure(benchmark::State& state) {
  const std::vector<Segment> figure = Figure();
  const int side = kSideTwips / 15 - 4;
  QImage image(side, side, QImage::Format_RGB32);
  for (auto _ : state) {
    image.fill(Qt::white);
    {
      QPainter p(&image);
      p.setPen(QPen(Qt::black, 1));
      for (const Segment& s : figure) {
        p.drawLine(QPointF(s.x1 / 15, s.y1 / 15), QPointF(s.x2 / 15, s.y2 / 15));
      }
      p.drawRect(QRectF(1, 1, side - 6, side - 6));
    }
    const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
    std::vector<std::uint32_t> pixels(static_cast<std::size_t>(side) * static_cast<std::size_t>(side));
    for (int y = 0; y < side; ++y) {
      const auto* line = reinterpret_cast<const std::uint32_t*>(argb.constScanLine(y));
      std::copy(line, line + side, pixels.begin() + static_cast<std::ptrdiff_t>(y) * side);
    }
    benchmark::DoNotOptimize(pixels.data());
  }
}
BENCHMARK(BM_QtPainterFigure)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  Application app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
