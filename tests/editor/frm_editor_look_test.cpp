// The editor window as a new user first sees it: every caption whole in the
// window's own font, the parcel buttons not covered by the results frame,
// the "Previous:" box read-only and out of the way of the start focus, and
// each edition's own menu captions.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "editor_fixture.h"

namespace korvalo::editor::test {
namespace {

using forms::Control;
using forms::testing::CaptionFit;

std::string NameOf(const Control& c) {
  return c.InArray() ? c.Name() + "(" + std::to_string(c.Index()) + ")" : c.Name();
}

class EditorLookTest : public EditorTest {};

TEST_F(EditorLookTest, EveryCaptionFitsItsControlInTheWindowsFont) {
  for (const Edition edition : {Edition::A2004, Edition::R14}) {
    SCOPED_TRACE(static_cast<int>(edition));
    LoadEditor(edition);
    int measured = 0;
    for (Control* c : forms::testing::ControlsOf(*editor)) {
      const std::optional<CaptionFit> fit = forms::testing::MeasureCaption(*c);
      if (!fit) continue;
      ++measured;
      EXPECT_LE(fit->textPx, fit->roomPx)
          << NameOf(*c) << " \"" << fit->text << "\" needs " << fit->textPx << " pixels, has " << fit->roomPx;
      if (std::getenv("KORVALO_SHOW_FIT"))
        std::printf("%s \"%s\" %d/%d\n", NameOf(*c).c_str(), fit->text.c_str(), fit->textPx, fit->roomPx);
    }
    // The design's captions and the grid's: row buttons, course labels.
    EXPECT_GT(measured, 1000);
    editor.reset();
  }
}

}  // namespace
}  // namespace korvalo::editor::test
