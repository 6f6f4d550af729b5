#include "apps/standalone_test_input.h"

#include <chrono>
#include <deque>
#include <fstream>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "apps/standalone_startup.h"
#include "platform/forms/forms.h"
#include "platform/print/printer.h"
#include "standalone/standalone_state.h"

namespace korvalo::apps {

using namespace forms;

namespace {

// A step that cannot be done as a user would do it.
struct StepFailed : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// Lets the windows and the window manager work for a while.
void Settle(int milliseconds) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
  do {
    DoEvents();
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  } while (std::chrono::steady_clock::now() < end);
  DoEvents();
}

std::vector<std::string> Words(const std::string& line) {
  std::istringstream in(line);
  std::vector<std::string> words;
  for (std::string w; in >> w;) words.push_back(w);
  return words;
}

// The text after the first `count` words of the line, blanks kept inside.
std::string Rest(const std::string& line, int count) {
  std::size_t at = 0;
  for (int i = 0; i < count; ++i) {
    at = line.find_first_not_of(" \t", at);
    at = at == std::string::npos ? line.size() : line.find_first_of(" \t", at);
    if (at == std::string::npos) return {};
  }
  at = line.find_first_not_of(" \t", at);
  return at == std::string::npos ? std::string() : line.substr(at);
}

const char* KindName(PromptKind kind) {
  switch (kind) {
    case PromptKind::Message: return "message";
    case PromptKind::OpenFile: return "open-file";
    case PromptKind::SaveFile: return "save-file";
    case PromptKind::Folder: return "folder";
    case PromptKind::Input: return "input";
    case PromptKind::PopupMenu: return "pop-up";
    case PromptKind::ModalForm: return "modal-form";
    case PromptKind::Print: return "print";
  }
  return "prompt";
}

std::optional<int> ButtonNamed(const std::string& name) {
  if (name == "Yes") return vbYes;
  if (name == "No") return vbNo;
  if (name == "OK") return vbOK;
  if (name == "Cancel") return vbCancel;
  return std::nullopt;
}

std::string ButtonName(int button) {
  switch (button) {
    case vbYes: return "Yes";
    case vbNo: return "No";
    case vbOK: return "OK";
    case vbCancel: return "Cancel";
    default: return std::to_string(button);
  }
}

class Player {
 public:
  Player(StandaloneProgram& program, const std::string& logPath) : program_(program), log_(logPath) {
    previous_ = SetPromptHandler([this](const Prompt& p) { return Answer(p); });
  }
  ~Player() { SetPromptHandler(previous_); }
  Player(const Player&) = delete;
  Player& operator=(const Player&) = delete;

  bool Run(const std::vector<std::string>& lines) {
    int number = 0;
    for (const std::string& line : lines) {
      ++number;
      const std::vector<std::string> words = Words(line);
      if (words.empty() || words[0].starts_with('#')) continue;
      log_ << "step " << number << ": " << line << std::endl;
      try {
        Step(words, line);
      } catch (const StepFailed& e) {
        Fail(e.what());
      } catch (const std::exception& e) {
        Fail(std::string("error: ") + e.what());
      }
      if (failed_) return false;
      Settle(150);
      if (failed_) return false;
    }
    return true;
  }

  // Closes what the script left open, without questions.
  void CloseRemaining() {
    bool any = false;
    for (Form* f : LoadedForms()) {
      log_ << "still open: " << f->Name() << std::endl;
      any = true;
    }
    if (!any) return;
    standalone::Standalone().ExitConfirmed = true;
    quiet_ = true;
    for (int round = 0; round < 3 && !LoadedForms().empty(); ++round) {
      for (Form* f : LoadedForms()) f->Unload();
    }
  }

  bool Failed() const { return failed_; }
  void Note(const std::string& line) { log_ << line << std::endl; }
  bool Closed() const { return LoadedForms().empty(); }

 private:
  void Fail(const std::string& why) {
    if (!failed_) log_ << "failed: " << why << std::endl;
    failed_ = true;
  }

  PromptAnswer Answer(const Prompt& p) {
    log_ << "prompt: " << KindName(p.kind) << " \"" << p.text << "\"";
    if (p.kind == PromptKind::Message) log_ << " title \"" << p.title << "\"";
    PromptAnswer a;
    if (p.kind == PromptKind::Message && !buttons_.empty()) {
      a.button = buttons_.front();
      buttons_.pop_front();
      log_ << " -> " << ButtonName(a.button) << std::endl;
      return a;
    }
    if (p.kind == PromptKind::Print && !prints_.empty()) {
      a.print = PrintChoice{print::kPdfFileName, prints_.front(), false};
      prints_.pop_front();
      log_ << " -> " << a.print->pdfPath << std::endl;
      return a;
    }
    // Not answered by the script: the most cautious answer.
    a = CautiousAnswer(p);
    log_ << " -> not answered by the script" << std::endl;
    if (!quiet_) Fail("a prompt the script did not answer");
    return a;
  }

  void Step(const std::vector<std::string>& w, const std::string& line) {
    const std::string& verb = w[0];
    if (verb == "answer" && w.size() == 2) {
      const std::optional<int> button = ButtonNamed(w[1]);
      if (!button) throw StepFailed("no such button: " + w[1]);
      buttons_.push_back(*button);
    } else if (verb == "print" && w.size() >= 2) {
      prints_.push_back(Rest(line, 1));
    } else if (verb == "menu" && w.size() >= 2) {
      ChooseMenu({w.begin() + 1, w.end()});
    } else if (verb == "click" && w.size() == 3) {
      Click(w[1], w[2]);
    } else if (verb == "select" && w.size() == 4) {
      Select(w[1], w[2], std::stoi(w[3]));
    } else if (verb == "type" && w.size() >= 2) {
      PlayTyping(Rest(line, 1));
    } else if (verb == "press" && w.size() == 5) {
      Press(std::stoi(w[1]), w[2], std::stod(w[3]), std::stod(w[4]));
    } else if (verb == "wait" && w.size() == 2) {
      Settle(std::stoi(w[1]));
    } else {
      throw StepFailed("not a step: " + line);
    }
  }

  void ChooseMenu(const std::vector<std::string>& names) {
    Menu* menu = nullptr;
    for (Form* f : LoadedForms()) {
      for (Menu* m : MenuBarMenus(*f)) {
        if (m->Name() == names[0] && m->Visible() && f->Visible()) menu = m;
      }
      if (menu) break;
    }
    if (!menu) throw StepFailed("no menu " + names[0] + " on a window shown");
    for (std::size_t i = 1; i < names.size(); ++i) {
      Menu* next = nullptr;
      for (Menu* item : menu->Items()) {
        if (item->Name() == names[i]) next = item;
      }
      if (!next) throw StepFailed("menu " + menu->Name() + " has no item " + names[i]);
      menu = next;
    }
    if (!PlayMenuChoice(*menu)) throw StepFailed("menu " + menu->Name() + " cannot be chosen (hidden or disabled)");
  }

  static Form& FormNamed(const std::string& name) {
    for (Form* f : LoadedForms()) {
      if (f->Name() == name) return *f;
    }
    throw StepFailed("no window " + name + " is loaded");
  }

  // The control of a loaded form that a user can reach (shown and enabled).
  static Control& Reachable(const std::string& formName, const std::string& controlName) {
    Form& form = FormNamed(formName);
    std::string name = controlName;
    int index = 0;
    if (const std::size_t open = name.find('('); open != std::string::npos && name.ends_with(')')) {
      index = std::stoi(name.substr(open + 1, name.size() - open - 2));
      name = name.substr(0, open);
    }
    for (Control* c : FormControls(form)) {
      if (c->Name() != name || c->Index() != index) continue;
      if (!form.Visible() || !c->IsEffectivelyVisible() || !c->IsEffectivelyEnabled()) {
        throw StepFailed(controlName + " cannot be reached (hidden or disabled)");
      }
      return *c;
    }
    throw StepFailed(formName + " has no control " + controlName);
  }

  void Click(const std::string& formName, const std::string& controlName) {
    PlayMouseClick(Reachable(formName, controlName), vbLeftButton);
  }

  void Select(const std::string& formName, const std::string& controlName, int index) {
    auto* combo = dynamic_cast<ComboBox*>(&Reachable(formName, controlName));
    if (!combo) throw StepFailed(controlName + " is no list");
    if (index < 0 || index >= combo->ListCount()) throw StepFailed(controlName + " has no entry " + std::to_string(index));
    PlaySelect(*combo, index);
  }

  void Press(int which, const std::string& button, double x, double y) {
    standalone::FrmMain* main = program_.Main();
    if (!main) throw StepFailed("no drawing window");
    viewer::DrawingViewer& v = main->frmView.Viewer(which);
    if (!main->frmView.Visible() || !v.IsEffectivelyVisible()) {
      throw StepFailed("viewer " + std::to_string(which) + " is not shown");
    }
    double xmin = 0, ymin = 0, xmax = 0, ymax = 0, zoom = 0, sixth = 0;
    v.ViewerGetView(xmin, ymin, xmax, ymax, zoom, sixth);
    if (x < xmin || x > xmax || y < ymin || y > ymax) throw StepFailed("the point is not in the viewer's view");
    const int code = button == "right" ? vbRightButton : vbLeftButton;
    PlayMouseClick(v, code, (x - xmin) / (xmax - xmin) * v.Width(), (ymax - y) / (ymax - ymin) * v.Height());
  }

  StandaloneProgram& program_;
  std::ofstream log_;
  PromptHandler previous_;
  std::deque<int> buttons_;
  std::deque<std::string> prints_;
  bool failed_ = false;
  bool quiet_ = false;
};

}  // namespace

int PlayTestInput(StandaloneProgram& program, const std::string& scriptPath) {
  std::ifstream in(scriptPath);
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  Player player(program, scriptPath + ".log");
  Settle(300);
  const bool ran = in.eof() && player.Run(lines);
  if (!in.eof()) player.Note("failed: the script cannot be read");
  Settle(150);
  const bool closed = player.Closed();
  if (!closed) player.CloseRemaining();
  return ran && closed && !player.Failed() ? 0 : 3;
}

}  // namespace korvalo::apps
