#include "cadlink/grab_steps.h"

#include <exception>
#include <iterator>
#include <utility>

#include "common/utf8.h"
#include "editor/course_grid.h"
#include "geometry/direction.h"
#include "storage/program_state.h"

namespace korvalo::cadlink {

using forms::MsgBox;
using forms::vbOKOnly;

namespace {

constexpr const char* kLineRefused =
    "Unable to determine text content to be an orientation or distance.  Some data may not be "
    "missing from the transfer.";
constexpr const char* kArcRefused =
    "Unable to determine text content to be an origentation or distance value.  Some data may be "
    "missing from the transfer.";

geometry::DirectionSettings CurrentDirectionSettings() {
  geometry::DirectionSettings settings;
  settings.bearing = Program().ProjectSettings.Bearing;
  settings.degreeSymbol = Program().ProjectSettings.DegreeSymbol;
  return settings;
}

// A step never stops on a failure of its own: the action is skipped and the
// step goes on.
template <class F>
void Quietly(F&& action) {
  try {
    action();
  } catch (const std::exception&) {
  }
}

void SetBox(forms::TextBox& box, const std::string& text) {
  Quietly([&] { box.SetText(text); });
}

// Whether the first and last characters are compass letters.
bool EndsAreCompassLetters(const std::string& text) {
  const std::u32string cps = utf8::Decode(text);
  if (cps.empty()) return false;
  const auto compass = [](char32_t c) { return c == U'E' || c == U'S' || c == U'W' || c == U'N'; };
  return compass(cps.front()) && compass(cps.back());
}

}  // namespace

GrabSteps::GrabSteps(editor::FrmEditor& editor, Picker pick) : editor_(editor), pick_(std::move(pick)) {}

// ---------------------------------------------------------------------------
// Entries.

void GrabSteps::RunChain(const std::function<void()>& chain) {
  // Values land without a computation each; whatever way the chain ends
  // (queue used up, a direction missing, the last row, a failure), the
  // editor computes again, once.
  struct ComputeAtEnd {
    editor::FrmEditor& editor;
    ~ComputeAtEnd() {
      editor.CalcEnabled = true;
      try {
        editor.CalculateAndDraw();
      } catch (const std::exception&) {
      }
    }
  } computeAtEnd{editor_};
  editor_.CalcEnabled = false;
  Quietly(chain);
}

void GrabSteps::GrabCourseField(editor::GrabField field, int row) {
  if (row < 0 || row >= editor_.CourseLimit()) return;
  Pick();
  // A failed pick has told the user; nothing is placed.
  if (!picked_) return;
  RunChain([&] {
    switch (field) {
      case editor::GrabField::LineBearing: GrabLineBearing(row); break;
      case editor::GrabField::Distance: GrabDistance(row); break;
      case editor::GrabField::ArcBearing: GrabArcBearing(row); break;
      case editor::GrabField::ArcLength: GrabArcLength(row); break;
      case editor::GrabField::Chord: GrabChord(row); break;
      case editor::GrabField::Radius: GrabRadius(row); break;
    }
  });
}

void GrabSteps::GrabParcelName() {
  Pick();
  if (!picked_) return;
  RunChain([&] {
    if (picked_->empty()) return;
    // A pick that starts with a direction keeps the name.
    if (!IsDirection(picked_->front())) {
      const std::string name = TakeToken(kTakeAny);
      SetBox(editor_.txtParcel, name);
      if (picked_->empty()) return;
    }
    GrabRow(0);
  });
}

// ---------------------------------------------------------------------------
// The queue.

void GrabSteps::Pick() {
  // The last pick's tokens go, whatever this pick brings.
  picked_.reset();
  std::optional<std::vector<std::string>> tokens = pick_ ? pick_() : std::nullopt;
  if (tokens) picked_.emplace(std::make_move_iterator(tokens->begin()), std::make_move_iterator(tokens->end()));
}

bool GrabSteps::IsDirection(const std::string& token) const {
  std::string copy = token;
  return geometry::IsValidDirection(copy, CurrentDirectionSettings());
}

bool GrabSteps::IsDirectionAmongValues(const std::string& token) const {
  if (!IsDirection(token)) return false;
  if (Program().ProjectSettings.Bearing) return true;
  // An azimuth may leave out its degrees, so "50'" and "45\"" read as
  // 0°50' and 0°0'45"; where a value belongs they are distances with a
  // foot or inch mark. There only a degree mark makes an azimuth.
  return NormalisedDirection(token).find(utf8::kDegree) != std::string::npos;
}

std::string GrabSteps::TakeToken(PickTokenKind kind) {
  if (!picked_) return "";
  const geometry::DirectionSettings settings = CurrentDirectionSettings();
  while (!picked_->empty()) {
    std::string token = std::move(picked_->front());
    picked_->pop_front();
    switch (kind) {
      case kTakeDirection:
        if (geometry::IsValidDirection(token, settings)) return token;
        break;
      case kTakeNumber:
        if (geometry::HasDigit(token)) return token;
        break;
      case kTakeAny:
        return token;
    }
  }
  return "";
}

void GrabSteps::PushBackToken(const std::string& token) {
  // An empty queue takes it as its only token: the next row starts with it.
  if (!picked_) picked_.emplace();
  picked_->push_front(token);
}

CourseGroupKind GrabSteps::ClassifyTokens() {
  if (picked_ && !picked_->empty()) {
    pendingNameWords_.clear();
    while (!picked_->empty() && !IsDirection(picked_->front())) {
      pendingNameWords_ += " " + TakeToken(kTakeAny);
    }
  }
  int values = 0;
  if (picked_) {
    for (std::size_t i = 1; i < picked_->size(); ++i) {
      const std::string& token = (*picked_)[i];
      if (IsDirectionAmongValues(token)) break;
      if (geometry::NumericText(token) != "0") ++values;
    }
  }
  if (values <= 1) return kGroupShort;
  if (values == 2) return kGroupLine;
  return kGroupCurve;
}

// ---------------------------------------------------------------------------
// The steps.

bool GrabSteps::Proceeds() const {
  return picked_ && !picked_->empty() && editor_.GrabMode();
}

std::string GrabSteps::NormalisedDirection(const std::string& token) const {
  std::string text = utf8::ReplaceAll(token, "\u00F8", utf8::kDegree);
  text = utf8::AsciiUpper(text);
  const std::string code = utf8::AsciiUpper(Program().ProjectSettings.DegreeSymbol);
  if (!code.empty()) text = utf8::ReplaceAll(text, code, utf8::kDegree);
  return text;
}

void GrabSteps::AddNameWords(int row) {
  // Words before a direction name the parcel only at row 0; elsewhere they
  // are dropped.
  if (pendingNameWords_.empty() || row != 0) return;
  SetBox(editor_.txtParcel, editor_.txtParcel.Text() + pendingNameWords_);
}

std::optional<std::string> GrabSteps::TakeRowDirection(int row, bool line) {
  pendingNameWords_.clear();
  const CourseGroupKind kind = ClassifyTokens();
  AddNameWords(row);
  // Three values or more make a curve row, exactly two a line row.
  if (kind == (line ? kGroupCurve : kGroupLine)) {
    if (editor_.frameLine(row).Visible() == line) Quietly([&] { editor_.ToggleLineCurve(row); });
    if (line) {
      GrabArcBearing(row);
    } else {
      GrabLineBearing(row);
    }
    return std::nullopt;
  }
  std::string token = TakeToken(kTakeDirection);
  if (token.empty()) return std::nullopt;
  token = NormalisedDirection(token);
  if (Program().ProjectSettings.Bearing && !EndsAreCompassLetters(token)) {
    MsgBox(line ? kLineRefused : kArcRefused, vbOKOnly);
    return std::string();
  }
  return token;
}

void GrabSteps::GrabLineBearing(int row) {
  if (!Proceeds()) return;
  const std::optional<std::string> direction = TakeRowDirection(row, true);
  if (!direction) return;
  if (!direction->empty()) SetBox(editor_.txtBearingLine(row), *direction);
  // A refused direction leaves the box; the distance still follows.
  if (picked_ && !picked_->empty()) GrabDistance(row);
}

void GrabSteps::GrabArcBearing(int row) {
  if (!Proceeds()) return;
  const std::optional<std::string> direction = TakeRowDirection(row, false);
  if (!direction) return;
  if (!direction->empty()) SetBox(editor_.txtBearingArc(row), *direction);
  // The arc values follow only a chord direction in its box.
  if (editor_.txtBearingArc(row).Text().empty()) return;
  const int p = editor_.ArcFieldPosition(editor::kArcBearingName);
  if (p >= 1 && p <= 3) StepFor(editor_.ArcFieldOrder()[static_cast<std::size_t>(p)], row);
}

bool GrabSteps::PlaceNumber(int row, forms::TextBox& box) {
  if (!Proceeds()) return false;
  const std::string token = TakeToken(kTakeNumber);
  if (IsDirectionAmongValues(token)) {
    HandBack(token, row);
    return false;
  }
  if (token.empty()) return false;
  SetBox(box, geometry::NumericText(token));
  return !box.Text().empty();
}

void GrabSteps::GrabDistance(int row) {
  if (PlaceNumber(row, editor_.txtDistanceLine(row))) EndOfRow(row, true);
}

void GrabSteps::GrabArcLength(int row) { GrabArcValue(row, editor::kArcLengthName, editor_.txtArc); }
void GrabSteps::GrabChord(int row) { GrabArcValue(row, editor::kChordName, editor_.txtChord); }
void GrabSteps::GrabRadius(int row) { GrabArcValue(row, editor::kRadiusName, editor_.txtRadius); }

void GrabSteps::GrabArcValue(int row, const char* name, forms::ControlArray<forms::TextBox>& boxes) {
  if (!PlaceNumber(row, boxes(row))) return;
  const int p = editor_.ArcFieldPosition(name);
  if (p >= 1 && p < 4) {
    StepFor(editor_.ArcFieldOrder()[static_cast<std::size_t>(p)], row);
  } else if (p == 4) {
    EndOfRow(row, false);
  }
}

void GrabSteps::HandBack(const std::string& token, int row) {
  PushBackToken(token);
  if (row < editor_.CourseLimit() - 1) {
    EnableRow(row + 1);
    GrabRow(row + 1);
  } else {
    editor::CourseLimitNotice(*picked_);
  }
}

void GrabSteps::EndOfRow(int row, bool distance) {
  if (picked_->empty() && Program().ProjectSettings.AutoInvert) Quietly([&] { editor_.AutoInverse(); });
  if (row >= editor_.CourseLimit() - 1) {
    editor::CourseLimitNotice(*picked_);
    return;
  }
  // After a distance the next row opens only for tokens still waiting.
  if (distance && picked_->empty()) return;
  EnableRow(row + 1);
  GrabRow(row + 1);
}

void GrabSteps::EnableRow(int row) {
  editor_.frameArc(row).SetEnabled(true);
  editor_.frameLine(row).SetEnabled(true);
  editor_.cmdNo(row).SetEnabled(true);
}

void GrabSteps::GrabRow(int row) {
  if (editor_.frameLine(row).Visible()) {
    GrabLineBearing(row);
  } else {
    GrabArcBearing(row);
  }
}

void GrabSteps::StepFor(const std::string& name, int row) {
  if (name == editor::kArcBearingName) {
    GrabArcBearing(row);
  } else if (name == editor::kArcLengthName) {
    GrabArcLength(row);
  } else if (name == editor::kChordName) {
    GrabChord(row);
  } else if (name == editor::kRadiusName) {
    GrabRadius(row);
  }
}

}  // namespace korvalo::cadlink
