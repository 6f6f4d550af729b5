#pragma once

#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "common/edition.h"
#include "common/utf8.h"
#include "platform/dao/dao.h"
#include "platform/forms/testing.h"
#include "platform/print/printer.h"
#include "reports/frm_report.h"
#include "storage/program_state.h"
#include "storage/schema.h"
#include "support/pdf_text.h"
#include "support/temp_folder.h"

namespace korvalo::reports::test {

// An editor as the report window sees it: a parcel list whose selection
// "loads" the parcel (or refuses it, as the editor does for a parcel it
// cannot show), course rows, result labels and a picture.
class FakeEditor : public ReportEditor {
 public:
  enum class Refusal { None, ClearsSelection, KeepsPrevious };
  struct Parcel {
    std::int64_t id = 0;
    std::string name;
    std::vector<EditorCourseRow> rows;
    EditorFigures figures;
    Refusal refusal = Refusal::None;
  };

  FakeEditor() : window("frmEditor"), list(window, "cbxParcel"), picture(window, "picParcel") {
    window.Move(600, 900, 9000, 7500);
    picture.Move(3870, 500, 3000, 3000);
    picture.SetBackColor(0xC0C0C0);
    list.OnClick = [this](int) { LoadSelected(); };
  }

  // Entries in the order added (the editor's name order).
  void Add(Parcel parcel) {
    list.AddItem(parcel.name);
    list.SetItemData(list.NewIndex(), static_cast<long>(parcel.id));
    parcels.push_back(std::move(parcel));
  }

  forms::Form& Window() override { return window; }
  int SavedTop() const override { return savedTop; }
  int SavedLeft() const override { return savedLeft; }
  bool Editing() const override { return editing; }
  forms::ComboBox& ParcelList() override { return list; }
  std::optional<std::int64_t> ShownParcelId() const override {
    if (!shown) return std::nullopt;
    return shown->id;
  }
  int CourseLimit() const override { return 80; }
  EditorCourseRow Row(int k) const override {
    if (!shown || k >= static_cast<int>(shown->rows.size())) return {};
    return shown->rows[static_cast<std::size_t>(k)];
  }
  EditorFigures Figures() const override { return shown ? shown->figures : EditorFigures{}; }
  forms::PictureBox& Picture() override { return picture; }
  void Drawing() override {
    ++drawings;
    picture.Drawing().Clear();
    picture.Drawing().Rectangle(150, 150, picture.ScaleWidth() - 150, picture.ScaleHeight() - 150, 0);
  }

  forms::Form window;
  forms::ComboBox list;
  forms::PictureBox picture;
  std::vector<Parcel> parcels;
  const Parcel* shown = nullptr;
  std::vector<std::string> loaded;  // names, in the order they were loaded
  int drawings = 0;
  bool editing = false;
  int savedTop = 900;
  int savedLeft = 600;

 private:
  void LoadSelected() {
    const int i = list.ListIndex();
    if (i < 0) return;
    const Parcel& p = parcels[static_cast<std::size_t>(i)];
    switch (p.refusal) {
      case Refusal::ClearsSelection:
        shown = nullptr;
        list.SetListIndex(-1);
        return;
      case Refusal::KeepsPrevious: return;
      case Refusal::None: break;
    }
    shown = &p;
    loaded.push_back(p.name);
    Drawing();
  }
};

inline std::string Deg(const std::string& text) { return utf8::ReplaceAll(text, "d", utf8::kDegree); }

inline std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

// A 185-character drawing path (long folder names).
inline std::string LongDrawingPath() {
  std::string path = "/srv/survey/Oak Ridge Estates phase 2/drawings";
  while (path.size() < 176) path += "/subdivision-plat";
  path.resize(176);
  return path + "/site.dwg";
}

// The words of a PDF file joined without their blanks, in reading order.
inline std::string Joined(const std::vector<pdf_text::Word>& words) {
  std::string out;
  for (const pdf_text::Word& w : words) out += w.text;
  return out;
}

inline void WriteFile(const std::string& path, const std::string& content) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << content;
}

// A project of three parcels whose stored and recomputed closures differ:
// "Alpha" closes (stored 0.01), "Beta" misses by 0.2 (stored 0.2), "Gamma"
// misses by 0.1 but was stored as 0. Tolerance 0.05.
class ReportWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetEdition(Edition::A2004);
    ResetProgramState();
    ProgramState& program = Program();
    program.CourseLimit = 80;
    program.ProjectPath = folder.File("project.kvx");
    program.DrawingPath = "/srv/dwg/site.dwg";
    ProjectSettings& s = program.ProjectSettings;
    s.Bearing = true;
    s.ErrDecimal = 3;
    s.ClosureTolerance = 0.05;
    s.UnitFeet = true;
    s.ToolTipOn = true;
    db = dao::Database::Create(program.ProjectPath);
    db.CreateTable(schema::ParcelTable());
    db.CreateTable(schema::MeasurementsTable(Edition::A2004));
    alpha = AddSquare("Alpha", 0.01, 100);
    beta = AddSquare("Beta", 0.2, 99.8);
    gamma = AddSquare("Gamma", 0.0, 99.9);
    print::SetPrinterListForTesting(&printers);
  }
  void TearDown() override {
    window.reset();
    print::SetPrinterListForTesting(nullptr);
    db.Close();
    ResetProgramState();
  }

  // A square walked N, E, S, W; the west side `last` long.
  std::int64_t AddSquare(const std::string& name, double storedClosure, double last) {
    db.Execute("INSERT INTO tblParcel (Parcel, Closure) VALUES (?, ?)", {name, storedClosure});
    dao::Recordset rs = db.OpenRecordset("SELECT MAX(ParcelID) FROM tblParcel");
    const std::int64_t id = dao::AsLong(rs.Get(0));
    rs.Close();
    const std::pair<const char*, double> courses[] = {
        {"N0dE", 100.0}, {"N90dE", 100.0}, {"S0dE", 100.0}, {"S90dW", last}};
    std::int64_t row = 0;
    for (const auto& [direction, length] : courses) {
      db.Execute(
          "INSERT INTO tblMeasurements (ParcelID, RowNo, RowType, Length, Direction) VALUES (?, ?, 1, ?, ?)",
          {id, row++, length, Deg(direction)});
    }
    return id;
  }

  void Open(ReportKind kind) {
    if (!window) window = std::make_unique<FrmReport>(editor);
    OpenReportWindow(*window, editor, kind);
  }

  // Which of the three parcels the preview shows.
  std::string Shown() const {
    std::string out;
    for (const char* name : {"Alpha", "Beta", "Gamma"}) {
      if (window->rtfReport.Text().find(name) != std::string::npos) out += std::string(out.empty() ? "" : ",") + name;
    }
    return out;
  }

  TempFolder folder;
  dao::Database db;
  std::int64_t alpha = 0, beta = 0, gamma = 0;
  std::vector<std::string> printers{print::kPdfFileName};
  forms::testing::PromptScript prompts;
  FakeEditor editor;
  std::unique_ptr<FrmReport> window;
};

}  // namespace korvalo::reports::test
