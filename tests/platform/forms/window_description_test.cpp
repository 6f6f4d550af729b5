#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "platform/forms/forms.h"
#include "platform/forms/window_description.h"

// What the program writes of its windows for the start-up benchmark's
// baseline, which builds the same windows from it.
namespace korvalo::forms {
namespace {

using description::Escaped;
using description::Fields;

TEST(WindowDescriptionTest, TextsComeBackAsWrittenWhateverTheyHold) {
  const std::vector<std::string> texts = {"", "plain", "a\tb", "first\nsecond", "back\\slash", "\\t not a tab",
                                          "N 45\xC2\xB0"};
  for (const std::string& text : texts) {
    const std::vector<std::string> fields = Fields("widget\t" + Escaped(text) + "\tlast");
    ASSERT_EQ(fields.size(), 3u) << text;
    EXPECT_EQ(fields[1], text);
    EXPECT_EQ(fields[2], "last");
  }
}

TEST(WindowDescriptionTest, EveryFormsWindowWithItsWidgetsListsAndMenusParentsFirst) {
  Form editor("editor");
  editor.SetCaption("Korvalo");
  Frame frame(editor, "frame");
  Label label(frame, "label", "Parcel:");
  ComboBox parcels(frame, "parcels");
  parcels.AddItem("Lot 1");
  parcels.AddItem("Lot 2");
  CommandButton save(editor, "save", "&Save");
  save.SetEnabled(false);
  frame.Move(120, 120, 3000, 1000);
  label.Move(120, 240, 600, 255);
  parcels.Move(720, 200, 2000, 315);
  save.Move(120, 1200, 975, 300);
  Menu file(editor, "file", "&File");
  Menu open(file, "open", "&Open");
  Menu line(file, "line", "-");
  Menu recent(file, "recent", "Recent");
  Menu first(recent, "first", "One");
  Form hidden("hidden");  // built at the start but not shown
  editor.Show();
  DoEvents();  // as at the first idle: the controls inside frames are made

  const std::string path = (std::filesystem::temp_directory_path() / "korvalo-window-description.txt").string();
  ASSERT_TRUE(DescribeWindows(path));
  std::ifstream in(path);
  std::vector<std::vector<std::string>> records;
  for (std::string text; std::getline(in, text);) records.push_back(Fields(text));
  std::filesystem::remove(path);

  std::map<std::string, std::string> seen;  // id -> what it is
  std::map<std::string, std::vector<std::string>> byText;
  std::vector<std::string> windows;  // title and whether shown
  for (const auto& r : records) {
    ASSERT_GE(r.size(), 3u);
    if (r[0] == "window") {
      ASSERT_EQ(r.size(), 11u);
      windows.push_back(r[10] + "/" + r[7]);
      seen[r[1]] = "window";
    } else if (r[0] == "widget") {
      ASSERT_EQ(r.size(), 14u);
      EXPECT_TRUE(seen.count(r[2])) << "a parent comes before its children: " << r[13];
      seen[r[1]] = r[3];
      byText[r[13]] = r;
    } else if (r[0] == "menu") {
      ASSERT_EQ(r.size(), 8u);
      EXPECT_TRUE(seen.count(r[2])) << r[7];
      seen[r[1]] = r[3];
      byText[r[7]] = r;
    } else if (r[0] == "item") {
      EXPECT_EQ(seen[r[1]], "QComboBox+edit");
      byText["item:" + r[2]] = r;
    }
  }
  std::sort(windows.begin(), windows.end());
  EXPECT_EQ(windows, (std::vector<std::string>{"/0", "Korvalo/1"}));

  ASSERT_TRUE(byText.count("Parcel:"));
  EXPECT_EQ(byText["Parcel:"][3], "QLabel");
  EXPECT_EQ(seen[byText["Parcel:"][2]], "QFrame");
  ASSERT_TRUE(byText.count("&Save"));
  EXPECT_EQ(byText["&Save"][3], "QPushButton");
  EXPECT_EQ(byText["&Save"][9], "0");  // disabled
  EXPECT_TRUE(byText.count("item:Lot 1") && byText.count("item:Lot 2"));

  ASSERT_TRUE(byText.count("&File") && byText.count("&Open") && byText.count("Recent") && byText.count("One"));
  EXPECT_EQ(byText["&File"][3], "top");
  EXPECT_EQ(seen[byText["&File"][2]], "QMenuBar");
  EXPECT_EQ(byText["&Open"][3], "item");
  EXPECT_EQ(byText["&Open"][2], byText["&File"][1]);
  EXPECT_EQ(byText["Recent"][3], "sub");
  EXPECT_EQ(byText["One"][2], byText["Recent"][1]);
  int separators = 0;
  for (const auto& r : records) separators += r[0] == "menu" && r[3] == "separator";
  EXPECT_EQ(separators, 1);
}

}  // namespace
}  // namespace korvalo::forms
