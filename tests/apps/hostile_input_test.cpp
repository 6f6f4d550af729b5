#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "apps/startup.h"
#include "common/edition.h"
#include "common/utf8.h"
#include "editor/message_boxes.h"
#include "platform/forms/testing.h"
#include "platform/print/printer.h"
#include "platform/shell/shell.h"
#include "storage/messages.h"
#include "storage/parcel_save.h"
#include "storage/program_state.h"
#include "storage/project_db.h"
#include "storage/project_open.h"
#include "storage/system_db.h"
#include "support/program_checks.h"
#include "support/damaged_projects.h"
#include "support/program_start.h"
#include "support/temp_folder.h"
#include "linked_program_fixture.h"

// Bad input given through the linked editor's real windows: files that are
// no project or whose courses were damaged outside the program, parcel names
// and course values a careless user types or pastes. Each must be told
// clearly and lose or change nothing stored.
namespace korvalo::apps {
namespace {

using forms::testing::UserChooseMenu;
using forms::testing::UserClick;
using forms::testing::UserSelect;
using forms::testing::UserType;
using program_checks::Sql;

std::string Deg(const std::string& text) { return utf8::ReplaceAll(text, "d", utf8::kDegree); }

// A careless user's session: every prompt is recorded and answered as a user
// in a hurry answers it (Yes, OK, the open dialog with the file given), so a
// check can ask what was told. The unknown-error box means an exception
// escaped a window's handler.
struct Recorder {
  std::optional<std::string> openAnswer;
  std::string popupItem;  // the pop-up item chosen, by name
  std::vector<std::string> seen;
  forms::PromptHandler previous;
  Recorder() {
    previous = forms::SetPromptHandler([this](const forms::Prompt& p) {
      forms::PromptAnswer a;
      seen.push_back(std::to_string(static_cast<int>(p.kind)) + ":" + std::to_string(p.buttons) + ":" + p.text);
      if (p.kind == forms::PromptKind::OpenFile) a.text = openAnswer;
      if (p.kind == forms::PromptKind::PopupMenu && p.menu) {
        for (forms::Menu* item : p.menu->Items()) {
          if (item->Name() == popupItem) a.item = item;
        }
      }
      if (p.kind == forms::PromptKind::Message) {
        const int set = p.ButtonSet();
        a.button = set == forms::vbYesNo || set == forms::vbYesNoCancel ? forms::vbYes : forms::vbOK;
      }
      return a;
    });
  }
  ~Recorder() { forms::SetPromptHandler(previous); }
  Recorder(const Recorder&) = delete;
  Recorder& operator=(const Recorder&) = delete;
};

class HostileTest : public LinkedProgramTest {
 protected:
  void SetUp() override {
    LinkedProgramTest::SetUp();
    program_start::MarkStartedBefore();
  }
  std::string Figures() const {
    return e->lblClosure.Caption() + " | " + e->lblArea.Caption() + " | " + e->lblPrecision.Caption();
  }
  // Starts the program and opens a new empty project through File > Open.
  std::string StartOnNewProject(Recorder& r, const std::string& name) {
    Start();
    EXPECT_TRUE(CreateProjectDatabase(dir.Path() + "/", name, ""));
    const std::string project = dir.File(name + ".kvx");
    r.openAnswer = project;
    UserChooseMenu(e->mnuOpen);
    EXPECT_EQ(Program().ProjectPath, project);
    return project;
  }
  void TypeSquare() {
    const bool az = e->lblBearing.Caption() == "Azimuth";
    const char* b[] = {"N0d00'00\"E", "N90d00'00\"E", "S0d00'00\"E", "S90d00'00\"W"};
    const char* a[] = {"0d00'00\"", "90d00'00\"", "180d00'00\"", "270d00'00\""};
    for (int i = 0; i < 4; ++i) { UserType(e->txtBearingLine(i), az ? a[i] : b[i]); UserType(e->txtDistanceLine(i), "10"); }
  }
};

void Write(const std::string& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary);
  out << text;
}

// A square of four 100 courses stored as another session stored it.
std::int64_t StoreSquare(const std::string& project, const std::string& name) {
  ParcelToSave p;
  p.name = name;
  for (const char* d : {"N0d00'00\"E", "N90d00'00\"E", "S0d00'00\"E", "S90d00'00\"W"}) {
    p.rows.push_back(geometry::CourseRow::Line(Deg(d), "100"));
  }
  p.rows.resize(80);
  return SaveNewParcel(ParcelStoreContext{project, 2, 80, Edition::A2004}, p).value_or(0);
}

bool SawUnknownError(const std::vector<std::string>& seen) {
  for (const std::string& s : seen) {
    if (s.find("Unknown Error Number") != std::string::npos) return true;
  }
  return false;
}

int TimesSeen(const std::vector<std::string>& seen, const std::string& text) {
  int times = 0;
  for (const std::string& s : seen) {
    if (s.find(text) != std::string::npos) ++times;
  }
  return times;
}

bool Saw(const std::vector<std::string>& seen, const std::string& text) { return TimesSeen(seen, text) > 0; }

// Files that are no project or cannot be read truly, and projects whose
// courses were damaged with the sqlite3 tool: a clear message, the open
// project kept where the file is refused, no other parcel's figures shown,
// and the file left as it was.
TEST_F(HostileTest, ForeignAndDamagedFilesAreToldAndLeftAlone) {
  Recorder r;
  Start();
  ASSERT_TRUE(CreateProjectDatabase(dir.Path() + "/", "Good", ""));
  const std::string good = dir.File("Good.kvx");
  ASSERT_NE(StoreSquare(good, "Lot A"), 0);
  r.openAnswer = good;
  UserChooseMenu(e->mnuOpen);
  ASSERT_EQ(Program().ProjectPath, good);
  ASSERT_EQ(Figures(), "0 | 10000 | Perfect");

  // Files that are no project, and copies of the project harmed so that
  // they cannot be read truly (empty, a format or layout that does not
  // read, a courses index that misses Lot A's courses).
  struct Foreign {
    std::string label;
    std::function<void(const std::string&)> make;
    int error;  // the cause told
  };
  std::vector<Foreign> foreign = {
      {"text file", [](const std::string& f) { Write(f, "hello\nworld\n"); }, dao::err::kNotADatabase},
      {"other database", [](const std::string& f) { Sql(f, "CREATE TABLE t(a); INSERT INTO t VALUES(1);", true); },
       dao::err::kNotADatabase},
  };
  for (const damaged_projects::Harm& harm : damaged_projects::UnopenableHarms()) {
    foreign.push_back({harm.what,
                       [good, apply = harm.apply](const std::string& f) {
                         std::filesystem::copy_file(good, f);
                         apply(f);
                       },
                       harm.error});
  }
  for (const Foreign& c : foreign) {
    SCOPED_TRACE(c.label);
    const std::string file = dir.File(c.label + ".kvx");
    c.make(file);
    const std::string bytes = damaged_projects::FileBytes(file);
    r.seen.clear();
    r.openAnswer = file;
    UserChooseMenu(e->mnuOpen);
    EXPECT_TRUE(Saw(r.seen, ProjectUnreadableText(file, c.error))) << (r.seen.empty() ? "" : r.seen.back());
    EXPECT_FALSE(SawUnknownError(r.seen));
    EXPECT_EQ(Program().ProjectPath, good);
    EXPECT_EQ(Figures(), "0 | 10000 | Perfect");
    EXPECT_TRUE(damaged_projects::FileBytes(file) == bytes) << "the file was changed";
  }

  // A header that asks for a newer writer than the engine: the project
  // opens for viewing and says so, and a save is refused with that cause,
  // not as a read-only file (the file system would let it be written).
  const std::string marked = dir.File("marked.kvx");
  std::filesystem::copy_file(good, marked);
  damaged_projects::SetByte(marked, 18, 3);
  const std::string markedBytes = damaged_projects::FileBytes(marked);
  r.seen.clear();
  r.openAnswer = marked;
  UserChooseMenu(e->mnuOpen);
  EXPECT_EQ(Program().ProjectPath, marked);
  EXPECT_TRUE(Saw(r.seen, ReadOnlyFormatProjectText(marked)));
  EXPECT_EQ(Figures(), "0 | 10000 | Perfect");
  UserClick(e->cmdInsert);
  UserType(e->txtParcel, "Lot B");
  TypeSquare();
  UserClick(e->cmdSave);
  EXPECT_TRUE(Saw(r.seen, "can read but not write"));
  EXPECT_FALSE(Saw(r.seen, "read-only"));
  EXPECT_FALSE(SawUnknownError(r.seen));
  if (e->Editing()) UserClick(e->cmdCancel);
  EXPECT_TRUE(damaged_projects::FileBytes(marked) == markedBytes) << "the file was written";

  struct Damage {
    const char* label;
    const char* sql;
    const char* message;  // a box that must be shown, or ""
    const char* figures;  // what the editor shows for the damaged parcel
  };
  const Damage damage[] = {
      // The field rules refuse text, so the trigger is dropped first.
      {"text length",
       "DROP TRIGGER korvalo_rules_tblMeasurements_UPDATE; UPDATE tblMeasurements SET Length='abc' WHERE RowNo=1",
       "The parcel could not be read.", " |  | "},
      {"null row number", "UPDATE tblMeasurements SET RowNo=NULL WHERE RowNo=1", "The parcel could not be read.",
       " |  | "},
      {"row number above the limit", "UPDATE tblMeasurements SET RowNo=30000 WHERE RowNo=3", "",
       "0 | 10000 | Perfect"},
      {"duplicate row number", "UPDATE tblMeasurements SET RowNo=0 WHERE RowNo=1", "", "0 | 10000 | Perfect"},
      // A length too large to compute with reads as not typed: the figures
      // are those of the courses before it, as while typing.
      {"huge length", "UPDATE tblMeasurements SET Length=1e308 WHERE RowNo=1", "", "100 | 0 | 1:1"},
  };
  for (const Damage& c : damage) {
    SCOPED_TRACE(c.label);
    const std::string file = dir.File(std::string(c.label) + ".kvx");
    std::filesystem::copy_file(good, file);
    const std::string query = "SELECT RowNo, RowType, Length, typeof(Length), Direction FROM tblMeasurements";
    const std::vector<std::string> stored = Sql(file, std::string(c.sql) + "; " + query, true);
    ASSERT_EQ(stored.size(), 4u) << stored.front();
    r.seen.clear();
    r.openAnswer = file;
    UserChooseMenu(e->mnuOpen);
    EXPECT_EQ(Program().ProjectPath, file);
    if (*c.message) {
      // Told once: the first parcel is loaded once.
      EXPECT_EQ(TimesSeen(r.seen, c.message), 1);
    }
    EXPECT_FALSE(SawUnknownError(r.seen));
    EXPECT_EQ(Figures(), c.figures);
    // Closing it asks nothing and writes nothing.
    EXPECT_FALSE(e->Editing());
    EXPECT_EQ(Sql(file, query), stored);
    EXPECT_EQ(Sql(file, "PRAGMA integrity_check"), std::vector<std::string>{"ok"});
  }
}

// Parcel names a careless user types or pastes: what is refused is told and
// stores nothing; what is taken is stored as the name rule says, once.
constexpr const char* kControlRefusal =
    "The parcel name holds a tab, a line break or another control character. Please remove it, then save again.";

TEST_F(HostileTest, ParcelNamesAreStoredOrRefusedWithAMessage) {
  Recorder r;
  const std::string project = StartOnNewProject(r, "Names");
  ASSERT_NE(StoreSquare(project, "Lot A"), 0);

  std::string e50, k50;
  for (int i = 0; i < 50; ++i) e50 += "\u00E9", k50 += "\u6F22";
  struct Case {
    std::string typed;
    bool paste;
    const char* refusal;  // "" when the name is taken
    std::string stored;
  };
  const Case cases[] = {
      {e50, false, "", e50},
      {k50, true, "", k50},
      {e50 + "\u00E9", false, "The parcel name is longer than 50 characters. Please shorten it, then save again.", ""},
      {"  Lot B  ", false, "", "  Lot B  "},
      {"O'Neil \"x\"; DROP TABLE tblParcel", true, "", "O'Neil \"x\"; DROP TABLE tblParcel"},
      {"lot a", false, "The lot lot a already exists. Please rename the parcel before saving again.", ""},
      {"L\u00D6T A", true, "", " L\u00D6T A"},
      {"LOT A", true, "The lot LOT A already exists. Please rename the parcel before saving again.", ""},
      {"Lot\tC", true, kControlRefusal, ""},
      {"Lot\u0001D", true, kControlRefusal, ""},
  };
  int expectedCount = 1;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.typed);
    r.seen.clear();
    UserClick(e->cmdInsert);
    if (c.paste) {
      forms::testing::SetClipboardText(c.typed);
      forms::testing::UserFocus(e->txtParcel);
      forms::testing::UserContextPaste(e->txtParcel);
    } else {
      UserType(e->txtParcel, c.typed);
    }
    TypeSquare();
    UserClick(e->cmdSave);
    EXPECT_FALSE(SawUnknownError(r.seen));
    if (*c.refusal) {
      EXPECT_TRUE(Saw(r.seen, c.refusal));
      EXPECT_TRUE(e->Editing());
      UserClick(e->cmdCancel);
    } else {
      ++expectedCount;
      EXPECT_FALSE(e->Editing());
      EXPECT_EQ(Sql(project, "SELECT count(*) FROM tblParcel WHERE Parcel = '" +
                                 utf8::ReplaceAll(utf8::ReplaceAll(c.stored, "'", "''"), "\"", "\\\"") + "'"),
                std::vector<std::string>{"1"});
    }
    EXPECT_EQ(Sql(project, "SELECT count(*) FROM tblParcel"), std::vector<std::string>{std::to_string(expectedCount)});
  }
  // The first parcel is untouched by every refusal.
  EXPECT_EQ(Sql(project, "SELECT sum(Length), count(*) FROM tblParcel JOIN tblMeasurements USING (ParcelID) "
                         "WHERE Parcel = ' Lot A'"),
            std::vector<std::string>{"400.0|4"});
}

// Course values the key filters let through or that do not read: figures of
// what reads, never a value that is not a number, and a save that refuses a
// course it cannot store.
TEST_F(HostileTest, CourseValuesThatDoNotReadAreNeverStored) {
  Recorder r;
  const std::string project = StartOnNewProject(r, "C");
  struct Case {
    std::string distance;
    std::string shown;    // the box after the key filter
    const char* figures;  // closure, area, precision
    const char* refusal;  // "" when the parcel is stored
  };
  const Case cases[] = {
      {std::string(1000, '9'), std::string(1000, '9'), "10 | 0 | 1:1",
       "Course #2 holds a length, arc or radius that is not a number. The parcel was not saved."},
      {"1e308", "1308", "1298 | 13080 | 1:1", ""},
      {"-100", "100", "90 | 1000 | 1:1", ""},
      {"nan", "", "10 | 0 | 1:1", ""},
      {"1.2.3", "1.2.3", "10 | 0 | 1:1",
       "Course #2 holds a length, arc or radius that is not a number. The parcel was not saved."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.distance.substr(0, 10));
    r.seen.clear();
    UserClick(e->cmdInsert);
    UserType(e->txtParcel, "P " + c.distance.substr(0, 10));
    TypeSquare();
    UserType(e->txtDistanceLine(1), "\b\b" + c.distance);
    EXPECT_EQ(e->txtDistanceLine(1).Text(), c.shown);
    EXPECT_EQ(Figures(), c.figures);
    UserClick(e->cmdSave);
    EXPECT_FALSE(SawUnknownError(r.seen));
    if (*c.refusal) {
      EXPECT_TRUE(Saw(r.seen, c.refusal));
      UserClick(e->cmdCancel);
    }
  }
  // Nothing stored is other than a finite number.
  EXPECT_EQ(Sql(project, "SELECT count(*) FROM tblParcel WHERE Parcel LIKE '%999%' OR Parcel LIKE '%1.2.3%'"),
            std::vector<std::string>{"0"});
  EXPECT_EQ(Sql(project, "SELECT count(*) FROM tblMeasurements WHERE typeof(Length) <> 'real' OR abs(Length) > 1e300"),
            std::vector<std::string>{"0"});
  EXPECT_EQ(Sql(project, "SELECT count(*) FROM tblParcel WHERE typeof(Area) <> 'real' OR typeof(Closure) <> 'real'"),
            std::vector<std::string>{"0"});
}

// Arc and closing-course values that make no figure: radius 0, an arc
// shorter than its chord, a chord longer than the diameter, a closing course
// of no length, azimuths of a full turn and past it. The figures show a
// number or nothing, never a value that is not one, and what is saved is
// finite.
TEST_F(HostileTest, ImpossibleArcsAndDirectionsShowNoFalseFigures) {
  Recorder r;
  Start();
  ASSERT_TRUE(CreateProjectDatabase(dir.Path() + "/", "Arcs", ""));
  const std::string project = dir.File("Arcs.kvx");
  struct Case {
    const char* label;
    bool azimuth;
    // The last course: a direction and a length, or with arc values an arc.
    const char* direction;
    const char* length;
    const char* arc;
    const char* radius;
    const char* figures;
    const char* message;  // a box the save shows
  };
  const Case cases[] = {
      // The chord closes the figure; an arc that cannot be drawn has no area.
      {"radius 0", false, "S90d00'00\"W", "10", "10", "0", "0 | N/A | Perfect",
       "ERROR: The chord length can not be greater than 2 x radius."},
      {"arc shorter than its chord", false, "S90d00'00\"W", "10", "5", "50", "0 | N/A | Perfect",
       "ERROR: The arc length must be greater than the chord length."},
      {"chord longer than the diameter", false, "S90d00'00\"W", "10", "20", "4", "0 | N/A | Perfect",
       "ERROR: The chord length can not be greater than 2 x radius."},
      // Stored once the user accepts the failed closure.
      {"closing course of length 0", false, "S90d00'00\"W", "0", nullptr, nullptr, "10 | 100 | 1:3",
       "This parcel has failed the closure tolerance. Would you like to save?"},
      // Kept as typed when the user says so, read as the same direction
      // less whole turns, and refused by the save.
      {"azimuth 360", true, "360d00'00\"", "10", nullptr, nullptr, "14.14 | 50 | 1:3", "The bearing value is invalid."},
      {"azimuth 400", true, "400d00'00\"", "10", nullptr, nullptr, "18.13 | 61.7 | 1:2", "The bearing value is invalid."},
  };
  r.openAnswer = project;
  bool azimuth = true;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    if (c.azimuth != azimuth) {
      // The project's mode changed, then the project opened again.
      azimuth = c.azimuth;
      Sql(project, std::string("UPDATE tblSetting SET Bearing = ") + (azimuth ? "0" : "1"), true);
      UserChooseMenu(e->mnuOpen);
      ASSERT_EQ(Program().ProjectPath, project);
      ASSERT_EQ(e->lblBearing.Caption(), azimuth ? "Azimuth" : "Bearing");
    }
    r.seen.clear();
    UserClick(e->cmdInsert);
    UserType(e->txtParcel, c.label);
    TypeSquare();
    if (c.arc) {
      r.popupItem = "mnuPopChangeLineCurve";
      forms::testing::UserMouseClick(e->cmdNo(3), forms::vbRightButton);
      // The line's direction and length go over into the arc's boxes.
      const std::string clear(20, '\b');
      UserType(e->txtBearingArc(3), clear + c.direction);
      UserType(e->txtArc(3), clear + c.arc);
      UserType(e->txtChord(3), clear + c.length);
      UserType(e->txtRadius(3), clear + c.radius);
    } else {
      UserType(e->txtBearingLine(3), std::string(20, '\b') + c.direction);
      UserType(e->txtDistanceLine(3), std::string("\b\b") + c.length);
    }
    EXPECT_EQ(Figures(), c.figures);
    UserClick(e->cmdSave);
    EXPECT_FALSE(SawUnknownError(r.seen));
    EXPECT_TRUE(Saw(r.seen, c.message));
    if (e->Editing()) UserClick(e->cmdCancel);
  }
  // Nothing stored is other than a finite number.
  for (const char* field : {"Length", "Arc", "Radius"}) {
    EXPECT_EQ(Sql(project, std::string("SELECT count(*) FROM tblMeasurements WHERE ") + field + " IS NOT NULL AND (typeof(" +
                               field + ") <> 'real' OR abs(" + field + ") > 1e300)"),
              std::vector<std::string>{"0"})
        << field;
  }
  EXPECT_EQ(Sql(project, "SELECT count(*) FROM tblParcel WHERE typeof(Area) <> 'real' OR typeof(Closure) <> 'real' "
                         "OR abs(Area) > 1e300 OR abs(Closure) > 1e300"),
            std::vector<std::string>{"0"});
  // Only the parcel the user agreed to is stored.
  EXPECT_EQ(Sql(project, "SELECT Parcel, Area, Closure FROM tblParcel"),
            std::vector<std::string>{"closing course of length 0|100.0|10.0"});
}

}  // namespace
}  // namespace korvalo::apps
