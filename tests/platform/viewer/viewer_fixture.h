#pragma once

// A form holding one viewer control of 400 × 300 pixels, and a small plat
// with known geometry.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/forms/forms.h"
#include "platform/viewer/drawing_files.h"
#include "platform/viewer/drawing_viewer.h"
#include "support/temp_folder.h"

namespace korvalo::viewer::testing {

// Layers: "0" (colour 7), "Bounds" (1, red), "Off" (-3, off), "Frozen" (5,
// frozen), "Notes" (3, green). The lines run round (0,0)-(100,100).
inline std::string SmallPlat() {
  const Pairs tables = Section(
      "TABLES", LayerTable({{"0", 7, 0}, {"Bounds", 1, 0}, {"Off", -3, 0}, {"Frozen", 5, 1}, {"Notes", 3, 0}}));
  const Pairs entities = Section(
      "ENTITIES",
      Join({Line("10", "Bounds", 0, 0, 100, 0), Line("11", "Bounds", 0, 0, 100, 0),
            Line("12", "Bounds", 100, 0, 100, 100), Line("13", "Notes", 100, 100, 0, 100, 2),
            Line("14", "Bounds", 0, 100, 0, 0), Line("15", "Off", 20, 80, 40, 80),
            Line("16", "Frozen", 20, 70, 40, 70), Text("17", "Notes", 50, 50, 5, 90, "ABCD"),
            Text("18", "Notes", 10, 20, 4, 0, "N45%%d30'15\"E")}));
  return DxfText(Join({Header("AC1015"), tables, entities})) + Eof();
}

class ViewerTest : public ::testing::Test {
 protected:
  ViewerTest() : form("frmViewer"), viewer(form, "Dbcocx1") {
    form.Move(0, 0, 9000, 7000);
    viewer.Move(0, 0, 400 * 15, 300 * 15);
    viewer.OnViewerViewChanged = [this] { ++viewChanges; };
    platPath = dir.File("plat.dxf");
    WriteFile(platPath, SmallPlat());
  }
  void LoadPlat() { viewer.ViewerLoadFile(platPath); }

  struct ViewValues {
    double xmin, ymin, xmax, ymax, zoom, sixth;
    double cx() const { return (xmin + xmax) / 2; }
    double cy() const { return (ymin + ymax) / 2; }
    double width() const { return xmax - xmin; }
    double height() const { return ymax - ymin; }
  };
  ViewValues View() const {
    ViewValues v{};
    viewer.ViewerGetView(v.xmin, v.ymin, v.xmax, v.ymax, v.zoom, v.sixth);
    return v;
  }

  TempFolder dir;
  std::string platPath;
  forms::Form form;
  DrawingViewer viewer;
  int viewChanges = 0;
};

}  // namespace korvalo::viewer::testing
