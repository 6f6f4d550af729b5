#include <deque>
#include <string>
#include <vector>

#include "common/edition.h"
#include "common/numbers.h"
#include "editor/frm_editor.h"
#include "editor/grid_layout.h"
#include "geometry/drawing.h"

// The editor window: the closure figures and the preview drawing.
namespace korvalo::editor {

using namespace forms;

namespace {

int WholeTwips(double value) { return static_cast<int>(RoundHalfEven(value, 0)); }

// The picture box's surface as the parcel drawing sees it.
class PictureCanvas : public geometry::ParcelCanvas {
 public:
  explicit PictureCanvas(PictureBox& picture) : picture_(picture), canvas_(picture.Drawing()) {}
  void Clear() override { canvas_.Clear(); }
  void Line(double x1, double y1, double x2, double y2, int colour) override {
    canvas_.Line(x1, y1, x2, y2, static_cast<Colour>(colour));
  }
  void Arc(double cx, double cy, double radius, int colour, double startRad,
           double endRad) override {
    canvas_.Arc(cx, cy, radius, startRad, endRad, static_cast<Colour>(colour));
  }
  void Rectangle(double x1, double y1, double x2, double y2) override {
    canvas_.Rectangle(x1, y1, x2, y2, picture_.ForeColor());
  }

 private:
  PictureBox& picture_;
  Canvas& canvas_;
};

}  // namespace

void FrmEditor::CalculateAndDraw() {
  if (!CalcEnabled) return;
  cmdZoom.SetEnabled(true);
  // The rows are read once for the drawing and the figures.
  const std::vector<geometry::CourseRow> rows = CourseRows();
  const geometry::TraverseSettings settings = CurrentTraverseSettings();
  DrawRows(rows, settings);

  const geometry::ClosureResult result = geometry::ComputeClosure(rows, settings);
  Result.LastRow = result.lastRow;
  if (!result.HasCourses()) {
    // The total distance and the closure colour stay as they were.
    Result.Area = 0.0;
    Result.Closure = 0.0;
    Result.ClosureBearing.clear();
    Result.PrecisionRatio = 0.0;
    lblArea.SetCaption("0");
    lblClosure.SetCaption("0");
    lblDirection.SetCaption("");
    lblPrecision.SetCaption("");
    return;
  }
  // Survey coordinates again: the drawing left picture coordinates.
  Coord = result.coord;
  Result.Area = result.area;
  Result.Closure = result.closure;
  Result.ClosureBearing = result.closureBearing;
  if (result.totalDistance) Result.TotalDistance = *result.totalDistance;
  Result.PrecisionRatio = result.precisionRatio;
  lblArea.SetCaption(result.areaText);
  lblClosure.SetCaption(result.closureText);
  lblDirection.SetCaption(result.directionText);
  lblPrecision.SetCaption(result.precisionText);
  if (result.closureColour) lblClosure.SetForeColor(static_cast<Colour>(*result.closureColour));
}

void FrmEditor::Drawing() { DrawRows(CourseRows(), CurrentTraverseSettings()); }

void FrmEditor::DrawRows(const std::vector<geometry::CourseRow>& rows,
                         const geometry::TraverseSettings& settings) {
  PictureCanvas canvas(picParcel);
  const geometry::DrawingResult drawn =
      geometry::DrawParcel(rows, settings, picParcel.Width(), picParcel.Height(), canvas);
  Result.LastRow = drawn.lastRow;
  if (drawn.coord) Coord = *drawn.coord;
  if (drawn.totalDistance) Result.TotalDistance = *drawn.totalDistance;
  PlaceLabels(drawn.labels);
}

void FrmEditor::PlaceLabels(const std::vector<geometry::CourseLabel>& labels) {
  for (int k = 0; k < courseLimit_; ++k) {
    Label& label = lblLineNo(k);
    const std::size_t i = static_cast<std::size_t>(k);
    if (i < labels.size() && labels[i].visible) {
      label.Move(WholeTwips(labels[i].left), WholeTwips(labels[i].top));
      label.SetVisible(true);
    } else {
      label.SetVisible(false);
    }
  }
}

// ---------------------------------------------------------------------------

std::string CourseLimitNoticeText() {
  // The linked edition's capacity: only its grab steps reach the notice.
  return "This version limit is " + std::to_string(CourseLimitFor(Edition::A2004)) + " courses.";
}

void CourseLimitNotice(std::deque<std::string>& pickedTexts) {
  const std::size_t n = pickedTexts.size();
  if (n > 0) MsgBox(CourseLimitNoticeText(), vbOKOnly);
  for (std::size_t i = 0; i < n; ++i) pickedTexts.pop_front();
}

}  // namespace korvalo::editor
