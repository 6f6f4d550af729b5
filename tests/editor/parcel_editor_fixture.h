#pragma once

#include <gtest/gtest.h>

#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "cadlink/mod_link.h"
#include "common/utf8.h"
#include "editor/frm_editor.h"
#include "editor/message_boxes.h"
#include "platform/dao/dao.h"
#include "platform/forms/forms.h"
#include "storage/parcel_save.h"
#include "storage/program_state.h"
#include "storage/project_settings.h"
#include "../storage/storage_fixture.h"

namespace korvalo::editor::test {

// The CAD link as a script: the status ConnectCAD answers and a log of the
// calls the editor makes.
class ScriptedLink : public LinkServices {
 public:
  void EnableProjectUI(bool enabled) override {
    if (editor) cadlink::EnableProjectUI(*editor, enabled);
  }
  void ShowLinkState() override {}
  int ConnectCAD() override {
    calls.push_back("ConnectCAD");
    return status;
  }
  void SetCADSDI(int value) override { calls.push_back("SetCADSDI(" + std::to_string(value) + ")"); }
  void ReleaseCad() override { calls.push_back("ReleaseCad"); }

  FrmEditor* editor = nullptr;
  int status = 0;
  std::vector<std::string> calls;
};

// A message box as the user saw it.
struct Box {
  std::string text;
  int buttons = 0;
  bool operator==(const Box&) const = default;
};
inline std::ostream& operator<<(std::ostream& os, const Box& b) {
  return os << "[" << b.buttons << "] " << b.text;
}

// The real editor over a real project in a program folder of its own. Every
// message box is recorded (storage messages included) and answered from a
// queue of answers; boxes without a queued answer get their first button.
class ParcelEditorTest : public StorageTest {
 protected:
  void SetUp() override {
    StorageTest::SetUp();
    ShowStorageMessagesInMessageBoxes();
    previous_ = forms::SetPromptHandler([this](const forms::Prompt& p) {
      forms::PromptAnswer answer;
      if (p.kind != forms::PromptKind::Message) {
        ADD_FAILURE() << "unexpected prompt: " << p.text;
        return answer;
      }
      boxes.push_back({p.text, p.buttons});
      if (!answers.empty()) {
        answer.button = answers.front();
        answers.pop_front();
      } else {
        answer.button = p.ButtonSet() == forms::vbYesNo ? forms::vbYes : forms::vbOK;
      }
      return answer;
    });
  }
  void TearDown() override {
    editor.reset();
    forms::SetPromptHandler(previous_);
    EXPECT_TRUE(answers.empty()) << "answers left: " << answers.size();
    StorageTest::TearDown();
  }

  void LoadEditor(Edition edition = Edition::A2004) {
    SetEdition(edition);
    Program().CourseLimit = CourseLimitFor(edition);
    editor = std::make_unique<FrmEditor>(Program().CourseLimit);
    link.editor = editor.get();
    editor->SetLinkServices(&link);
    editor->Load();
  }

  // A new project made the open one, as the project roads leave it: its
  // settings loaded and shown, the project's controls on, the Review model.
  void OpenProject(const std::string& name = "Lots") {
    NewProject(name);
    ASSERT_TRUE(LoadProjectSettings());
    ProjectSettings& s = Program().ProjectSettings;
    s.Bearing = true;
    s.ErrDecimal = 2;
    s.ClosureTolerance = 1e6;
    s.AddAreaCheck = false;
    s.TangentCheck = false;
    s.TangentTolerance = 0.01;
    s.WarningRange = 5.0;
    s.AutoInvert = false;
    editor->ShowProjectSettings();
    link.EnableProjectUI(true);
    editor->optmodel_Click(1);
  }

  static std::string Dir(const std::string& text) { return utf8::ReplaceAll(text, "d", utf8::kDegree); }

  static geometry::CourseRow Line(const std::string& direction, const std::string& distance) {
    return geometry::CourseRow::Line(Dir(direction), distance);
  }

  // Stores a parcel directly, as another session of the program would have.
  ParcelId Store(const std::string& name, std::vector<geometry::CourseRow> rows, int courseLimit = 80) {
    ParcelToSave p;
    p.name = name;
    rows.resize(static_cast<std::size_t>(courseLimit));
    p.rows = std::move(rows);
    ParcelStoreContext context = CurrentParcelContext();
    context.courseLimit = courseLimit;
    const auto id = ::korvalo::SaveNewParcel(context, p);
    EXPECT_TRUE(id) << name;
    return id.value_or(0);
  }
  ParcelId StoreSquare(const std::string& name, const std::string& side = "100") {
    return Store(name, {Line("N0dE", side), Line("N90dE", side), Line("S0dE", side), Line("S90dW", side)});
  }

  void SetLine(int row, const std::string& direction, const std::string& distance) {
    editor->txtBearingLine(row).SetText(Dir(direction));
    editor->txtDistanceLine(row).SetText(distance);
  }
  // Turns a line row into an arc row and fills it; sign: 0 "+", 1 "-", 2 greyed.
  void SetArc(int row, const std::string& direction, const std::string& arc, const std::string& chord,
              const std::string& radius, int sign) {
    if (editor->frameLine(row).Visible()) editor->ToggleLineCurve(row);
    editor->chksign(2 * row).SetValue(sign == 0 ? forms::vbChecked : forms::vbUnchecked);
    editor->chksign(2 * row + 1).SetValue(sign == 1 ? forms::vbChecked : (sign == 2 ? forms::vbGrayed : 0));
    editor->txtBearingArc(row).SetText(Dir(direction));
    editor->txtArc(row).SetText(arc);
    editor->txtChord(row).SetText(chord);
    editor->txtRadius(row).SetText(radius);
  }

  std::vector<std::string> ListTexts() const {
    std::vector<std::string> out;
    for (int i = 0; i < editor->cbxParcel.ListCount(); ++i) out.push_back(editor->cbxParcel.List(i));
    return out;
  }

  dao::Database Db() { return dao::Database::Open(Program().ProjectPath); }
  long Count(const std::string& table) {
    dao::Database db = Db();
    return db.OpenRecordset(table).RecordCount();
  }
  std::vector<StoredCourse> Courses(ParcelId id) {
    dao::Database db = Db();
    return ReadCourses(db, id);
  }
  std::vector<int> RowNos(ParcelId id) {
    std::vector<int> out;
    for (const StoredCourse& c : Courses(id)) out.push_back(c.RowNo);
    return out;
  }

  std::unique_ptr<FrmEditor> editor;
  ScriptedLink link;
  std::vector<Box> boxes;
  std::deque<int> answers;

 private:
  forms::PromptHandler previous_;
};

}  // namespace korvalo::editor::test
