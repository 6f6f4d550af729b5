// The editor window as a new user first sees it: every caption whole in the
// window's own font, the parcel buttons not covered by the results frame,
// the "Previous:" box read-only and out of the way of the start focus, and
// each edition's own menu captions.

#include <gtest/gtest.h>

#include <QObject>
#include <QWidget>
#include <cstdio>
#include <cstdlib>
#include <optional>

#include <string>
#include <vector>

#include "editor_fixture.h"

namespace korvalo::editor::test {
namespace {

using forms::Control;
using forms::vbKeyBack;
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
    // The grid's captions too: eleven in each of the 80 rows.
    EXPECT_GT(measured, 80 * 11);
    editor.reset();
  }
}

TEST_F(EditorLookTest, TheParcelButtonsAreInFrontOfTheResultsFrame) {
  // The results frame's top strip lies under the last row of parcel
  // buttons; the buttons' frame is stacked in front of it.
  LoadEditor();
  ASSERT_LT(editor->Frame3.Top(), editor->Frame1.Top() + editor->cmdSave.Top() + editor->cmdSave.Height());
  forms::DoEvents();
  QWidget* front = editor->Frame1.Widget();
  QWidget* back = editor->Frame3.Widget();
  ASSERT_NE(nullptr, front);
  ASSERT_NE(nullptr, back);
  const QObjectList& stack = front->parentWidget()->children();  // back to front
  EXPECT_GT(stack.indexOf(front), stack.indexOf(back));
  // The "Previous:" box and the Zoom button reach into the parcel frame's
  // top strip: they are in front of it, so they show whole.
  for (forms::Control* c : std::initializer_list<forms::Control*>{&editor->txtPrevious, &editor->cmdZoom}) {
    ASSERT_GT(c->Top() + c->Height(), editor->Frame1.Top()) << c->Name();
    ASSERT_NE(nullptr, c->Widget());
    EXPECT_GT(stack.indexOf(c->Widget()), stack.indexOf(front)) << c->Name();
  }
  // And the results stay clear of the buttons' frame.
  EXPECT_GE(editor->Frame3.Top() + editor->lblClosure.Top(), editor->Frame1.Top() + editor->Frame1.Height());
}

TEST_F(EditorLookTest, PreviousBoxIsReadOnlyAndTheFocusStartsOnTheFirstTabStop) {
  LoadEditor();
  EXPECT_TRUE(editor->txtPrevious.Locked());
  EXPECT_FALSE(editor->txtPrevious.TabStop());
  ASSERT_NE(nullptr, editor->ActiveControl());
  EXPECT_EQ("cmdZoom", NameOf(*editor->ActiveControl()));
  editor->txtPrevious.SetText("Lot 12");  // the program still writes it
  forms::testing::UserType(editor->txtPrevious, "x");
  forms::testing::UserKey(editor->txtPrevious, vbKeyBack);
  EXPECT_EQ("Lot 12", editor->txtPrevious.Text());
}

TEST_F(EditorLookTest, EachLinkedEditionShowsItsOwnVideoCaptions) {
  struct Case {
    Edition edition;
    const char* quick;
    const char* configuration;
  };
  for (const Case& c : {Case{Edition::A2004, "&Quick start video", "Configuration video"},
                        Case{Edition::A2000, "&Quick start video", "Configuration video"},
                        Case{Edition::R14, "&Quick video", "Configuation video"}}) {
    SCOPED_TRACE(static_cast<int>(c.edition));
    LoadEditor(c.edition);
    EXPECT_EQ(c.quick, editor->mnuVideoQuick.Caption());
    EXPECT_EQ(c.configuration, editor->mnuVideoConfg.Caption());
    EXPECT_EQ("&Training videos", editor->mnuVideos.Caption());
    editor.reset();
  }
}

}  // namespace
}  // namespace korvalo::editor::test
