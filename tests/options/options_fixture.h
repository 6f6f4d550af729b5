#pragma once

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <map>
#include <memory>
#include <string>

#include "cadlink/mod_link.h"
#include "editor/editor_fixture.h"
#include "editor/message_boxes.h"
#include "options/project_options.h"
#include "platform/dao/dao.h"
#include "storage/messages.h"
#include "storage/project_db.h"
#include "storage/schema.h"
#include "storage/system_db.h"
#include "support/temp_folder.h"

namespace korvalo::options::test {

// One settings row as SQLite holds it: each field's value as text ("NULL"
// for none), by field name.
using RawRow = std::map<std::string, std::string>;

inline RawRow ReadRaw(const std::string& path) {
  RawRow row;
  sqlite3* db = nullptr;
  if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
    ADD_FAILURE() << "cannot open " << path;
    sqlite3_close(db);
    return row;
  }
  sqlite3_stmt* stmt = nullptr;
  if (sqlite3_prepare_v2(db, "SELECT * FROM tblSetting LIMIT 1", -1, &stmt, nullptr) == SQLITE_OK &&
      sqlite3_step(stmt) == SQLITE_ROW) {
    for (int i = 0; i < sqlite3_column_count(stmt); ++i) {
      const unsigned char* text = sqlite3_column_text(stmt, i);
      row[sqlite3_column_name(stmt, i)] = text ? reinterpret_cast<const char*>(text) : "NULL";
    }
  } else {
    ADD_FAILURE() << "no settings row in " << path << ": " << sqlite3_errmsg(db);
  }
  sqlite3_finalize(stmt);
  sqlite3_close(db);
  return row;
}

inline void ExecRaw(const std::string& path, const std::string& sql) {
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
  char* error = nullptr;
  const int rc = sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &error);
  EXPECT_EQ(rc, SQLITE_OK) << (error ? error : "") << " in " << sql;
  sqlite3_free(error);
  sqlite3_close(db);
}

// The project file made read-only for the rest of the scope. A test run by
// root, to whom file modes mean nothing, acts meanwhile as an unprivileged
// user.
class ReadOnlyFile {
 public:
  ReadOnlyFile(std::string folder, std::string file) : folder_(std::move(folder)), file_(std::move(file)) {
    ::chmod(file_.c_str(), 0444);
    ::chmod(folder_.c_str(), 0555);
    if (::geteuid() == 0) asNobody_ = ::seteuid(65534) == 0;
  }
  ~ReadOnlyFile() {
    if (asNobody_ && ::seteuid(0) != 0) std::abort();
    ::chmod(folder_.c_str(), 0700);
    ::chmod(file_.c_str(), 0644);
  }
  ReadOnlyFile(const ReadOnlyFile&) = delete;
  ReadOnlyFile& operator=(const ReadOnlyFile&) = delete;

 private:
  std::string folder_;
  std::string file_;
  bool asNobody_ = false;
};

// Answers every prompt with OK and keeps what it showed, for messages that
// carry an engine's error text; the test's script is back afterwards.
class CapturedPrompts {
 public:
  CapturedPrompts() {
    previous_ = forms::SetPromptHandler([this](const forms::Prompt& p) {
      seen.push_back(p);
      forms::PromptAnswer answer;
      answer.button = forms::vbOK;
      return answer;
    });
  }
  ~CapturedPrompts() { forms::SetPromptHandler(previous_); }
  CapturedPrompts(const CapturedPrompts&) = delete;
  CapturedPrompts& operator=(const CapturedPrompts&) = delete;

  std::vector<forms::Prompt> seen;

 private:
  forms::PromptHandler previous_;
};

// A running linked program: a program folder with its system database held
// for the run, storage messages in message boxes, the editor loaded and the
// options dialog wired to its menu. Projects are real files.
class OptionsTest : public editor::test::EditorTest {
 protected:
  void SetUp() override {
    EditorTest::SetUp();
    Program().ProgramFolder = dir.Path();
    BuildSystemDatabase(SystemPath(), Edition::A2004);
    ASSERT_TRUE(OpenSystemDatabase());
    editor::ShowStorageMessagesInMessageBoxes();
    LoadEditor();
    projectOptions = std::make_unique<ProjectOptions>(*editor);
  }
  void TearDown() override {
    projectOptions.reset();
    SetMessageSink({});
    EditorTest::TearDown();
  }

  std::string SystemPath() const { return dir.File(SystemDatabaseName(Edition::A2004)); }

  // A project made as the program makes it: its row copied from the
  // program defaults.
  std::string NewProject(const std::string& name) {
    EXPECT_TRUE(CreateProjectDatabase(dir.Path() + "/", name, ""));
    return dir.File(name + ".kvx");
  }

  // A project file of an older version: its settings table ends before
  // `Bearing` (20 fields) or before `DegreeSymbol` (21 fields).
  std::string OldProject(const std::string& name, std::size_t fields) {
    dao::TableDef table = schema::ProjectSettingTable(Edition::A2004);
    table.fields.resize(fields);
    const std::string path = dir.File(name + ".kvx");
    dao::Database db = dao::Database::Create(path, schema::kDatabaseLocale);
    db.CreateTable(table);
    db.CreateTable(schema::ParcelTable());
    db.CreateTable(schema::MeasurementsTable(Edition::A2004));
    db.Execute(
        "INSERT INTO tblSetting (txtBearing, txtArc, txtChord, txtRadius, ClosureTolerance, UnitFeet, SquareX, "
        "AutoCADFile, Minimize, ErrDecimal, AddAreaCheck, AutoInvert, TangentCheck, WarningRanged, "
        "TangentToleranced, ToolTipOn, TangentTolerancem, TangentTolerances, WarningRangem, WarningRanges) "
        "VALUES (1, 2, 3, 4, 0.01, 1, 1, '', 0, 2, 0, 0, 0, 5, 1, 1, 0, 0, 0, 0)");
    return path;
  }

  // What the project roads do: the project becomes current, its settings
  // are loaded and shown, its controls enabled.
  void OpenProject(const std::string& project) {
    Program().ProjectPath = project;
    ASSERT_TRUE(editor->ReloadProjectSettings());
    cadlink::EnableProjectUI(*editor, true);
    editor->ArrangeArcFields();
  }

  // Options > Project options.
  FrmSetting& ShowDialog() {
    forms::testing::UserChooseMenu(editor->mnuSetting);
    return projectOptions->Dialog();
  }
  FrmSetting& Dialog() { return projectOptions->Dialog(); }

  // Replaces the box's text as the user does: select all, then type.
  static void Retype(forms::TextBox& box, const std::string& text) {
    forms::testing::UserFocus(box);
    box.SetSelStart(0);
    box.SetSelLength(static_cast<int>(utf8::Length(box.Text())));
    if (text.empty()) {
      forms::testing::UserKey(box, forms::vbKeyBack);
    } else {
      forms::testing::UserType(box, text);
    }
  }

  std::array<std::string, 4> Cells() {
    std::array<std::string, 4> cells;
    for (int i = 0; i < 4; ++i) cells[static_cast<std::size_t>(i)] = Dialog().lblOrder(i).Caption();
    return cells;
  }

  TempFolder dir;
  std::unique_ptr<ProjectOptions> projectOptions;
};

}  // namespace korvalo::options::test
