#include "standalone/editor_layout.h"

#include <string>

namespace korvalo::standalone {

namespace {

constexpr const char* kPickTip =
    "Double click to minimize this window and select text from the drawing, or single click to "
    "select text or type in this cell";
constexpr const char* kGrabTip = "Double click to Grab data from AutoCAD, single click to type";

editor::ControlDesign Place(const char* name, const char* container, int left, int top, int width = -1,
                            int height = -1) {
  editor::ControlDesign d;
  d.name = name;
  d.container = container;
  d.left = left;
  d.top = top;
  d.width = width;
  d.height = height;
  return d;
}

editor::ControlDesign Texts(editor::ControlDesign d, const char* caption, const char* tip = nullptr) {
  if (caption) d.caption = caption;
  if (tip) d.toolTip = tip;
  return d;
}

editor::EditionDescriptor Build() {
  editor::EditionDescriptor layout;
  layout.width = 6615;
  layout.height = 5750;
  layout.invalidDirectionNotice = kInvalidBearingNotice;
  // Every menu is the frame's; the editor has only the row pop-up.
  layout.menuBar = false;
  // No modes, no previous-parcel box and no cover over the list.
  layout.absent = {"frameOptmodel", "Label3", "txtPrevious", "txtCover"};
  layout.controls = {
      Texts(Place("cbxParcel", "", 0, 120, 2220, 315), nullptr, kGrabTip),
      Texts(Place("cmdPrevious", "", 2280, 120, 255, 300), "&<", "Move to previous parcel"),
      Texts(Place("cmdNext", "", 2640, 120, 255, 315), "&>", "Move to next parcel"),
      Place("Frame1", "", 0, 480, 3855, 1335),
      Texts(Place("lblParcel", "Frame1", 120, 240, 855, 375), "Parcel:"),
      Texts(Place("txtParcel", "Frame1", 720, 200, 1980, 315), "Region"),
      Texts(Place("cmdZoom", "Frame1", 3000, 120, 735, 285), "Zoom ->",
            "Magnify the picture to fit the entire window."),
      Texts(Place("cmdEdit", "Frame1", 120, 600, 975, 300), "&Edit", "Make changes to the current parcel"),
      Texts(Place("cmdInsert", "Frame1", 1440, 600, 975, 300), "&New", "Create a new parcel"),
      Texts(Place("cmdAutoInverse", "Frame1", 2760, 600, 975, 300), "&Auto",
            "Automatically invert appropriate bearing(s) to obtain the best possible closure"),
      Texts(Place("cmdSave", "Frame1", 120, 960, 975, 300), "&Save/New",
            "Save the current Parcel and all it's courses"),
      Texts(Place("cmdDelete", "Frame1", 1440, 960, 975, 300), "&Delete", "Remove this parcel from the database"),
      Texts(Place("cmdCancel", "Frame1", 2760, 960, 975, 300), "&Cancel", "Undo changes since last save"),
      Place("Frame3", "", 0, 1800, 3855, 855),
      Texts(Place("lblClosureLabel", "Frame3", 120, 195), "Closure:"),
      Texts(Place("lblClosure", "Frame3", 720, 180), "0"),
      Texts(Place("Label5", "Frame3", 1920, 195), "Area:"),
      Texts(Place("lblArea", "Frame3", 2640, 180), "0"),
      Texts(Place("lblBearing", "Frame3", 120, 480), "Bearing:"),
      Texts(Place("lblDirection", "Frame3", 720, 480), "0"),
      Texts(Place("Label7", "Frame3", 1920, 480), "Precision:"),
      Texts(Place("lblPrecision", "Frame3", 2640, 480), "0"),
      Texts(Place("picParcel", "", 3840, 0, 2655, 2655), nullptr, "Double click to zoom"),
      Place("frameBase", "", 0, 2640, 6615, 2655),
      Place("VScroll1", "frameBase", 6120, 0, 375, 2415),
      Texts(Place("cmdNo", "frameBase", 0, 120, 340, 285), " 1", "Menu button - click for course editing menu"),
      Place("frameLine", "frameBase", 360, 0, 5775, 400),
      Texts(Place("lblB", "frameLine", 120, 100), "B"),
      Texts(Place("txtBearingLine", "frameLine", 360, 100, 1455, 285), nullptr, kPickTip),
      Texts(Place("lblD", "frameLine", 2520, 100), "D"),
      Texts(Place("txtDistanceLine", "frameLine", 2760, 100, 1455, 285), nullptr, kPickTip),
      Texts(Place("cmdLineInvert", "frameLine", 4680, 100, 735, 255), "N<-->S", "Invert the bearing"),
      Place("frameArc", "frameBase", 360, 0, 5775, 800),
      Texts(Place("lblArcB", "frameArc", 120, 120), "B"),
      Texts(Place("txtBearingArc", "frameArc", 360, 120, 1440, 285), nullptr, kPickTip),
      Texts(Place("lblA", "frameArc", 1920, 120), "A"),
      Texts(Place("txtArc", "frameArc", 2160, 120, 1455, 285), nullptr, kPickTip),
      Texts(Place("lblC", "frameArc", 3720, 120), "C"),
      Texts(Place("txtChord", "frameArc", 3960, 120, 1455, 285), nullptr, kGrabTip),
      Texts(Place("lblR", "frameArc", 120, 450), "R"),
      Texts(Place("txtRadius", "frameArc", 360, 460, 1455, 285), nullptr, kPickTip),
      Texts(Place("chksign", "frameArc", 2400, 480, 615, 255), "+",
            "ARC area is to be added to the overall parcel area"),
      Texts(Place("cmdArcInvert", "frameArc", 4680, 480, 735, 280), "N<-->S", "Invert the bearing"),
  };
  return layout;
}

}  // namespace

const editor::EditionDescriptor& StandaloneEditorLayout() {
  static const editor::EditionDescriptor layout = Build();
  return layout;
}

}  // namespace korvalo::standalone
