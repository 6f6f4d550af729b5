#include <cmath>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include <fstream>
#include <iterator>

#include "platform/viewer/drawing.h"
#include "standalone/frm_main_commands.h"
#include "viewer_fixture.h"

// Drawings a careless user gives the standalone edition: empty, huge texts,
// odd folder names, files that went away, were cut off or are no drawing.
// Each loads or is refused with the viewer's message; none hangs, and a pick
// places only a sane value.
namespace korvalo::standalone::test {
namespace {

using namespace forms;

class HostileDrawingTest : public ViewerWindowTest {
 protected:
  void Press(double x, double y) { View().Dbcocx1.OnViewerMouseDown(vbLeftButton, x, y); }
  // Paints viewer 1: the count of pixels that are not the background.
  std::size_t Painted() {
    View().Dbcocx1.ViewerZoom(100);
    const auto picture = View().Dbcocx1.ViewerPicture();
    std::size_t drawn = 0;
    for (const std::uint32_t p : picture.pixels) drawn += p != picture.pixels.front();
    return drawn;
  }
};

const std::string kBearing = "N 45%%D30'15\" E 100.00";

// Drawings that load: what a pick at the text places, and whether anything
// is painted.
TEST_F(HostileDrawingTest, OddDrawingsLoadAndPickSaneValues) {
  const std::string longText(10000, 'A');
  struct Case {
    std::string file;
    Pairs entities;
    const char* parcel;   // the name box after a press at the origin
    std::string bearing;  // the first course after a press below it
    bool painted;
  };
  const Case cases[] = {
      {"empty.dxf", {}, "", "", false},
      {"long text.dxf",
       Join({Text("T1", "0", 0, 0, 2, 0, longText), Text("T2", "0", 0, 20, 2, 0, kBearing)}), "", "N45\u00B030'15\"E",
       true},
      {"F\u00E9lix \u00D8rsted plat.dxf",
       Join({Text("T1", "0", 0, 0, 2, 0, "LOT 5"), Text("T2", "0", 0, 20, 2, 0, kBearing)}), "LOT 5",
       "N45\u00B030'15\"E", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    const std::string path = Dxf(c.file, LayerTable({{"0", 7, 0}}), c.entities);
    ASSERT_EQ(Load(path), 0);
    EXPECT_EQ(Program().DrawingPath, path);
    EXPECT_EQ(Painted() > 0, c.painted);
    Fresh();
    editor->txtParcel.SetFocus();
    Press(1.0, 1.0);
    // A text too long for a name arrives cut short (the save then refuses
    // it with its length message); it never hangs the pick.
    if (c.entities.empty() || c.parcel[0] != '\0') {
      EXPECT_EQ(editor->txtParcel.Text(), c.parcel);
    } else {
      EXPECT_FALSE(editor->txtParcel.Text().empty());
      EXPECT_EQ(longText.rfind(editor->txtParcel.Text(), 0), 0u);
      EXPECT_LT(editor->txtParcel.Text().size(), longText.size());
    }
    Press(1.0, 21.0);
    EXPECT_EQ(editor->txtBearingLine(0).Text(), c.bearing);
  }
}

std::string Bytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// Drawings that cannot be read, given through File > Drawing file link >
// "Current drawing file path" after a good one loaded: the viewer's message,
// the item off, the file left as it was and the path kept for the user.
TEST_F(HostileDrawingTest, UnreadableDrawingsAreToldAndLeftAlone) {
  MainCommands commands(*editor, *main, *policy, *link);
  policy->EnableProjectUI(true);
  main->mnuCurrentCAD.SetEnabled(true);
  const std::string good =
      Dxf("good.dxf", LayerTable({{"0", 7, 0}}), Join({Text("T1", "0", 0, 0, 2, 0, "LOT 5")}));
  const std::string whole = Bytes(good);
  std::string binary;
  for (int i = 0; i < 4096; ++i) binary += static_cast<char>((i * 7919) % 256);
  struct Case {
    const char* label;
    std::string path;
    std::function<void(const std::string&)> make;  // after the good drawing loaded
  };
  const std::string moved = folder.File("moved \u00E9t\u00E9.dxf");
  const Case cases[] = {
      {"deleted after it loaded", moved,
       [&](const std::string& f) {
         WriteFile(f, whole);
         Program().DrawingPath = f;
         ASSERT_EQ(link->LoadDrawing(true), 0);
         std::filesystem::remove(f);
       }},
      {"binary named dwg", folder.File("noise.dwg"), [&](const std::string& f) { WriteFile(f, binary); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    ASSERT_EQ(Load(good), 0);
    c.make(c.path);
    const std::string before = Bytes(c.path);
    Program().DrawingPath = c.path;
    prompts.ExpectMsgBox(kOpenDrawingError, vbOKOnly);
    forms::testing::UserChooseMenu(main->mnuCurrentCAD);
    EXPECT_EQ(prompts.Pending(), 0);
    EXPECT_FALSE(main->mnuCurrentCAD.Enabled());
    EXPECT_EQ(Program().DrawingPath, c.path);
    EXPECT_EQ(Bytes(c.path), before);
    main->mnuCurrentCAD.SetEnabled(true);
  }
  EXPECT_EQ(Bytes(good), whole);
}

// A block bomb (a few kilobytes of blocks inserting blocks, 10^9 lines once
// expanded): the load stops at once with the reason, the drawing shown
// before stays, and the program goes on.
TEST_F(HostileDrawingTest, ABlockBombIsToldAsTooLargeToShow) {
  const std::string good =
      Dxf("good.dxf", LayerTable({{"0", 7, 0}}), Join({Text("T1", "0", 0, 0, 2, 0, "LOT 5")}));
  ASSERT_EQ(Load(good), 0);
  const std::string bomb = folder.File("bomb.dxf");
  WriteFile(bomb, viewer::testing::BlockBombDxf(8, 10));
  const std::string before = Bytes(bomb);
  prompts.ExpectMsgBox(std::string(kOpenDrawingError) +
                           "\n\nThe drawing is too large to show: with its blocks expanded it holds more than "
                           "5,000,000 entities: " +
                           bomb,
                       vbOKOnly);
  EXPECT_EQ(Load(bomb), 1);
  EXPECT_EQ(prompts.Pending(), 0);
  EXPECT_EQ(Bytes(bomb), before);
  // The next drawing loads as ever.
  ASSERT_EQ(Load(good), 0);
  Fresh();
  editor->txtParcel.SetFocus();
  Press(1.0, 1.0);
  EXPECT_EQ(editor->txtParcel.Text(), "LOT 5");
}

// Lines at ±1e308 and of no number are left out and told once; the rest of
// the drawing shows and picks; loading the same file again (a colour
// change) does not tell it again.
TEST_F(HostileDrawingTest, EntitiesThatCannotBeShownAreLeftOutAndTold) {
  const Pairs nanLine = {{0, "LINE"}, {5, "N1"}, {100, "AcDbEntity"}, {8, "0"}, {100, "AcDbLine"}, {10, "nan"},
                         {20, "0"}, {30, "0"}, {11, "1"}, {21, "1"}, {31, "0"}};
  const std::string path =
      Dxf("far.dxf", LayerTable({{"0", 7, 0}}),
          Join({viewer::testing::Line("F1", "0", -1e308, -1e308, 1e308, 1e308), nanLine,
                Text("T1", "0", 0, 0, 2, 0, "LOT 5"), Text("T2", "0", 0, 20, 2, 0, kBearing)}));
  prompts.ExpectMsgBox(
      "2 entities of this drawing could not be shown and were left out: their coordinates are no numbers or lie too "
      "far out.\nLeft out: 2 LINE.",
      vbOKOnly + vbExclamation);
  ASSERT_EQ(Load(path), 0);
  EXPECT_EQ(prompts.Pending(), 0);
  EXPECT_GT(Painted(), 0u);
  ASSERT_EQ(Load(path), 0);
  Fresh();
  editor->txtParcel.SetFocus();
  Press(1.0, 1.0);
  EXPECT_EQ(editor->txtParcel.Text(), "LOT 5");
  Press(1.0, 21.0);
  EXPECT_EQ(editor->txtBearingLine(0).Text(), "N45\u00B030'15\"E");
}

}  // namespace
}  // namespace korvalo::standalone::test
