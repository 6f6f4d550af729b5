#pragma once

// A CAD program for tests (library korvalo_cad_testing): a script of what
// runs, which drawings are open, which calls fail and what the user selects,
// and a log of every call in order.
//
// Log lines name the member and its arguments:
//   GetObject(AutoCAD.Application)   CreateObject(AutoCAD.Application)
//   Application.Visible=True         Application.ActiveDocument
//   Application.Documents            Application.WindowState=3
//   Application.Hwnd                 SetFocus(42)
//   Documents.Count                  Documents.Open(/p/a.dwg)
//   Document.FullName                Document.Open(/p/a.dwg)
//   Document.GetVariable(SDI)        Document.SetVariable(SDI,1)
//   Document.WindowState=3           Document.SelectionSets
//   SelectionSets.Item(SS1)          SelectionSets.Add(SS1)
//   SelectionSet.Delete(SS1)         SelectionSet.SelectOnScreen(SS1)
//   SelectionSet.Count(SS1)          SelectionSet.Item(SS1,0)
//   SelectionSet.RemoveItems(SS1,AcDbLine)
//   Entity.EntityName(0)             Entity.TextString(0)
// (an entity is named by its place in the scripted selection).

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/cad/cad.h"

namespace korvalo::cad::testing {

// An entity of a scripted selection.
struct FakeEntity {
  std::string name;  // "AcDbText", "AcDbMText", "AcDbLine", ...
  std::string text;
};

// Failures the fake gives on its own.
inline constexpr long kNoActiveDocument = -2145320900;
inline constexpr long kKeyNotFound = -2145386476;
inline constexpr long kDuplicateName = -2145386405;
inline constexpr const char* kCannotCreateText = "ActiveX component can't create object";

class FakeCad : public Automation {
 public:
  enum class State { NotRunning, Running, CannotStart };
  explicit FakeCad(State state = State::Running);
  ~FakeCad() override;

  // The drawings open while the program runs (or once it is started), the
  // first one active. Default: none.
  void SetDrawings(const std::vector<std::string>& fullNames);
  // Makes every call matching `call` fail with the number and description.
  // `call` is a member ("Document.Open") or a whole log line
  // ("Document.Open(/p/a.dwg)").
  void Fail(const std::string& call, long number, const std::string& description);
  // What the next SelectOnScreen selects, in selection order.
  void ScriptSelection(std::vector<FakeEntity> entities);
  // Adds a line of the caller's own to the log (the editor's side of a test).
  void Note(const std::string& line);

  const std::vector<std::string>& Log() const { return log_; }
  void ClearLog() { log_.clear(); }
  State CurrentState() const { return state_; }
  bool Visible() const;
  int ApplicationWindowState() const;
  // The open drawings, active first then in opening order.
  std::vector<std::string> Drawings() const;
  // A system variable of the active drawing; nothing when unset or none.
  std::optional<int> Variable(const std::string& name) const;
  std::optional<int> ActiveWindowState() const;
  // Names of the selection sets of the active drawing, and the texts of the
  // entities a set holds.
  std::vector<std::string> SelectionSetNames() const;
  std::vector<std::string> SetTexts(const std::string& setName) const;
  WindowHandle MainWindow() const { return 42; }

  // Automation.
  std::shared_ptr<Application> GetObject(const std::string& programId) override;
  std::shared_ptr<Application> CreateObject(const std::string& programId) override;
  void SetFocus(WindowHandle window) override;

  // For the fake's objects.
  struct World;
  void Call(const std::string& line);

 private:
  State state_;
  std::vector<std::string> log_;
  std::map<std::string, CadError> failures_;
  std::shared_ptr<World> world_;
  std::shared_ptr<Application> application_;
};

}  // namespace korvalo::cad::testing
