// KorvaloDraw given hostile drawings, through the link and on its command
// line: each refused with its number, and the program goes on answering.

#include "platform/cad/draw_fixture.h"
#include "support/fixtures.h"

namespace korvalo::cad::test {
namespace {

struct Hostile {
  const char* file;
  int number;
};
// A block bomb whose first line reads like a DWG version, a bomb reached
// through an INSERT's second block name, and a damaged file GDAL's DXF
// driver never comes back from.
constexpr Hostile kHostile[] = {
    {"ac_first_line_bomb.dxf", 7}, {"two_block_names_bomb.dxf", 7}, {"gdal_spin.dxf", 321}};

std::string HostileFixture(const char* file) { return test_data::FixturePath(std::string("drawings/") + file); }

TEST_F(DrawTest, HostileDrawingsAreRefusedAndTheProgramAnswersOn) {
  DrawAutomation automation(options);
  auto app = Start(automation);
  auto doc = app->ActiveDocument();
  const std::string good = File("good.dxf", PickDrawing());
  doc->Open(good);
  for (const Hostile& h : kHostile) {
    SCOPED_TRACE(h.file);
    EXPECT_EQ(NumberOf([&] { doc->Open(HostileFixture(h.file)); }), h.number);
    EXPECT_EQ(NumberOf([&] { app->Documents()->Open(HostileFixture(h.file)); }), h.number);
    EXPECT_EQ(doc->FullName(), good);
    EXPECT_EQ(app->Documents()->Count(), 1);
  }
}

// Given them at its start, KorvaloDraw opens its empty drawing and answers
// the link (the failures it tells in a box of its own).
TEST_F(DrawTest, HostileDrawingsOnTheCommandLineLeaveTheProgramAnswering) {
  QStringList files;
  for (const Hostile& h : kHostile) files << QString::fromStdString(HostileFixture(h.file));
  DrawAutomation automation(options);
  const auto app = StartByHandAndAttach(automation, files);
  ASSERT_TRUE(app);
  EXPECT_EQ(app->Documents()->Count(), 1);
  EXPECT_EQ(app->ActiveDocument()->FullName(), "");
}

}  // namespace
}  // namespace korvalo::cad::test
