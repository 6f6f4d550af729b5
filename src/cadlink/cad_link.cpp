#include "cadlink/cad_link.h"

#include <filesystem>
#include <system_error>

#include "common/utf8.h"
#include "geometry/tokens.h"
#include "platform/forms/forms.h"
#include "storage/program_state.h"
#include "storage/project_settings.h"

namespace korvalo::cadlink {
namespace {

constexpr int kMaximised = 3;
constexpr const char* kRelocateHint =
    "File>Auto CAD link>Relocate CAD file.";
constexpr const char* kMayNotWork = ". This may cause your application does not work properly.";

// A member called through no object fails as the automation does.
template <class T>
T& Obj(const std::shared_ptr<T>& object) {
  if (!object) throw cad::CadError(cad::kObjectNotSet, "Object variable or With block variable not set");
  return *object;
}

void Message(const std::string& text) { forms::MsgBox(text, forms::vbOKOnly); }

std::string DefaultDrawing() { return FileBesideProgram("default.dwg"); }

}  // namespace

bool SameDrawing(const std::string& a, const std::string& b) {
  if (a.empty() || b.empty()) return false;
  namespace fs = std::filesystem;
  std::error_code error;
  const fs::path pa = fs::absolute(fs::path(a), error).lexically_normal();
  const fs::path pb = fs::absolute(fs::path(b), error).lexically_normal();
  return pa == pb;
}

CadLink::CadLink(cad::Automation& automation, CadLinkPolicy policy, LinkHost& host)
    : automation_(automation), policy_(policy), host_(host) {}

template <class F>
bool CadLink::Try(F&& call) {
  try {
    call();
    return true;
  } catch (const cad::CadError& error) {
    pending_ = error;
    return false;
  }
}

std::string CadLink::PendingText() const {
  return "Error " + std::to_string(pending_->Number()) + ": " + pending_->Description();
}

void CadLink::ShowPending(const std::string& text) {
  Message(text);
  pending_.reset();
}

int CadLink::ConnectCAD() {
  pending_.reset();
  host_.SetTopMost(false);
  int result = kLinked;
  const std::string& drawing = Program().DrawingPath;

  app_.reset();
  // A CAD program that runs but takes no connection (busy, or at its limit
  // of connections) is no missing one: its cause alone is told, and no
  // second one is started.
  const auto busy = [&] { return pending_->Number() == cad::kServerBusy; };
  if (!Try([&] { app_ = automation_.GetObject(cad::kProgramId); })) {
    bool started = false;
    if (!busy()) {
      pending_.reset();
      started = Try([&] { app_ = automation_.CreateObject(cad::kProgramId); });
    }
    if (!started) {
      Message(pending_->Description());
      if (!busy()) Message("Can't find AutoCAD application!");
      pending_.reset();
      return kCadNotFound;
    }
  }

  // The project drawing failed to open: say so, then open the fallback. After
  // a failed open in the active document the fallback replaces that
  // document, in every build: a drawing added beside it would make two, and
  // the next link would be refused.
  auto openDefault = [&](const std::string& message, bool inDocument) {
    ShowPending(message);
    host_.ProcessPendingEvents();
    if (inDocument) {
      Try([&] { Obj(doc_).Open(DefaultDrawing()); });
    } else {
      Try([&] { Obj(Obj(app_).Documents()).Open(DefaultDrawing()); });
    }
    result = kDefaultDrawing;
  };
  // A project without a drawing (created so, on the user's word) is linked
  // with the fallback drawing without a word: nothing failed to load. It
  // replaces the drawing shown, unless that is the fallback already.
  auto openQuietDefault = [&](bool named, const std::string& fullName) {
    if (!named || !SameDrawing(fullName, DefaultDrawing())) {
      Try([&] { Obj(doc_).Open(DefaultDrawing()); });
    }
    result = kDefaultDrawing;
  };
  const std::string failedToLoad = ". " + drawing +
                                   " failed to load . Try to relocate the DWG file through: " +
                                   kRelocateHint;

  if (policy_.countsDocuments) {
    if (policy_.visibleFirst) Try([&] { Obj(app_).SetVisible(true); });
    int count = 0;
    Try([&] { count = Obj(Obj(app_).Documents()).Count(); });
    if (count >= 2) {
      Message(
          "You had AutoCAD open with 2 or more drawing loaded. Please close all loaded drawing "
          "and try again.");
      pending_.reset();
      return kSeveralDrawings;
    }
    if (count == 1) {
      Try([&] { doc_ = Obj(app_).ActiveDocument(); });
      if (policy_.writesSdiOnConnect) Try([&] { Obj(doc_).SetVariable("SDI", 1); });
      std::string fullName;
      const bool named = Try([&] { fullName = Obj(doc_).FullName(); });
      // The open is judged by its own result: an earlier failure still
      // pending does not make a drawing that opened count as missing.
      if (drawing.empty()) {
        openQuietDefault(named, fullName);
      } else if (!named || !SameDrawing(fullName, drawing)) {
        if (!Try([&] { Obj(doc_).Open(drawing); })) {
          openDefault(PendingText() + failedToLoad, true);
        }
      }
    } else if (drawing.empty()) {
      Try([&] { Obj(Obj(app_).Documents()).Open(DefaultDrawing()); });
      result = kDefaultDrawing;
      Try([&] { doc_ = Obj(app_).ActiveDocument(); });
    } else {
      if (!Try([&] { Obj(Obj(app_).Documents()).Open(drawing); })) {
        openDefault(PendingText() + ". The " + drawing +
                        " does not exist. You should relocate the DWG file through: " +
                        kRelocateHint,
                    false);
      }
      Try([&] { doc_ = Obj(app_).ActiveDocument(); });
    }
    if (policy_.reportsActiveDocumentError && pending_) {
      ShowPending(PendingText() + " at getting active document: " + pending_->Description() +
                  kMayNotWork);
    }
  } else {
    if (policy_.visibleFirst) Try([&] { Obj(app_).SetVisible(true); });
    Try([&] { doc_ = Obj(app_).ActiveDocument(); });
    std::string fullName;
    const bool named = Try([&] { fullName = Obj(doc_).FullName(); });
    if (drawing.empty()) {
      openQuietDefault(named, fullName);
    } else if (!named || !SameDrawing(fullName, drawing)) {
      if (!Try([&] { Obj(doc_).Open(drawing); })) {
        openDefault(PendingText() + failedToLoad, true);
      }
    }
  }

  if (!Try([&] { Obj(doc_).SetVariable("OSMODE", 0); })) {
    ShowPending("Error " + std::to_string(pending_->Number()) +
                " at setting OSMODE: " + pending_->Description() + kMayNotWork);
  }
  if (policy_.writesSdiOnConnect) {
    if (!Try([&] { Obj(doc_).SetVariable("SDI", 1); })) {
      ShowPending("Error " + std::to_string(pending_->Number()) +
                  " at setting SDI: " + pending_->Description() + kMayNotWork);
    }
    // Single-document mode stays off between picks.
    Try([&] { Obj(doc_).SetVariable("SDI", 0); });
  }

  Try([&] { Obj(app_).SetVisible(true); });
  Try([&] { Obj(app_).SetWindowState(kMaximised); });
  Try([&] { Obj(doc_).SetWindowState(kMaximised); });
  pending_.reset();
  host_.SetTopMost(true);
  return result;
}

void CadLink::SetCADSDI(int value) {
  std::shared_ptr<cad::Application> app;
  try {
    app = automation_.GetObject(cad::kProgramId);
  } catch (const cad::CadError& error) {
    // Only a pick may start the CAD program; switching single-document
    // mode off needs none running, and one that runs busy needs no second.
    if (value == 0 || error.Number() == cad::kServerBusy) return;
    try {
      app = automation_.CreateObject(cad::kProgramId);
    } catch (const cad::CadError&) {
      return;
    }
  }
  app_ = app;
  try {
    doc_ = app_->ActiveDocument();
  } catch (const cad::CadError&) {
  }
  try {
    Obj(doc_).SetVariable("SDI", value);
  } catch (const cad::CadError&) {
  }
}

std::vector<std::string> CadLink::TextsToTokens(cad::SelectionSet& set) {
  for (int i = set.Count() - 1; i >= 0; --i) {
    const std::shared_ptr<cad::Entity> entity = set.Item(i);
    const std::string name = Obj(entity).EntityName();
    if (!utf8::EqualsNoCase(name, "AcDbMText") && !utf8::EqualsNoCase(name, "AcDbText")) {
      set.RemoveItems({entity});
    }
  }
  const geometry::TokenSettings settings{Program().ProjectSettings.DegreeSymbol};
  std::vector<std::string> tokens;
  const int count = set.Count();
  for (int i = 0; i < count; ++i) {
    geometry::AppendTextTokens(Obj(set.Item(i)).TextString(), settings, tokens);
  }
  return tokens;
}

std::optional<std::vector<std::string>> CadLink::PickTextsInCad() {
  SetCADSDI(1);
  if (Program().ProjectSettings.Minimize) host_.Minimize();
  if (policy_.focusesCadBeforePick) {
    try {
      automation_.SetFocus(Obj(app_).Hwnd());
    } catch (const cad::CadError&) {
    }
  }

  // A set left by the last pick is replaced; failures here are ignored.
  std::shared_ptr<cad::SelectionSets> sets;
  std::shared_ptr<cad::SelectionSet> picked;
  try {
    sets = Obj(doc_).SelectionSets();
  } catch (const cad::CadError&) {
  }
  for (const char* name : {"SS1", "SS2"}) {
    try {
      Obj(Obj(sets).Item(name)).Delete();
    } catch (const cad::CadError&) {
    }
  }
  try {
    picked = Obj(sets).Add("SS1");
  } catch (const cad::CadError&) {
  }
  try {
    Obj(sets).Add("SS2");
  } catch (const cad::CadError&) {
  }

  std::vector<std::string> tokens;
  try {
    Obj(picked).SelectOnScreen();
    tokens = TextsToTokens(*picked);
  } catch (const cad::CadError& error) {
    // The editor comes back before the message, so that the user sees it.
    host_.Restore();
    Message(error.Description());
    SetCADSDI(0);
    return std::nullopt;
  }
  host_.Restore();
  SetCADSDI(0);
  host_.SetCalcEnabled(tokens.empty());
  return tokens;
}

void CadLink::CurrentCadClicked() {
  const int status = ConnectCAD();
  host_.SetCurrentCadEnabled(status == kLinked);
}

void CadLink::RelocateCadClicked() {
  forms::FileDialogOptions options;
  options.flags = 4;
  options.filter = "AutoCAD Files (*.dwg)|*.dwg|All Files (*.*)|*.*";
  const std::optional<std::string> chosen = forms::OpenFileName(options);
  if (!chosen) return;

  ProgramState& program = Program();
  const std::string old = program.DrawingPath;
  program.DrawingPath = *chosen;
  std::error_code error;
  if (!std::filesystem::is_regular_file(program.DrawingPath, error)) {
    program.DrawingPath = old;
    return;
  }
  if (!SetProjectSetting(setting::kAutoCADFile, dao::Value(program.DrawingPath))) {
    Message("Error setting drawing file!");
    program.DrawingPath = old;
    return;
  }
  host_.SetCurrentCadCaption(program.DrawingPath);
  host_.ReloadProjectSettings();
  // Choosing the Grab model links by itself: the drawing is linked once,
  // and a drawing that does not open is told once.
  if (!host_.SelectGrabModel()) {
    const int status = ConnectCAD();
    host_.SetCurrentCadEnabled(status == kLinked);
  }
  host_.SetTopMost(true);
}

void CadLink::Release() {
  doc_.reset();
  app_.reset();
}

}  // namespace korvalo::cadlink
