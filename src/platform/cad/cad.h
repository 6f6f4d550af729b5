#pragma once

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

// The CAD program as the link drives it: an application with its open
// drawings, their system variables and window states, and selection sets
// filled by the user's selection on screen. These are the only members the
// link calls.
//
// Every member can fail: it throws CadError with the number and description
// the CAD side gave. Objects are handles to the CAD program's own objects;
// they may outlive the object they name (a closed drawing), and then their
// members fail.
namespace korvalo::cad {

// A failed call into the CAD program.
class CadError : public std::runtime_error {
 public:
  CadError(long number, std::string description)
      : std::runtime_error(description), number_(number), description_(std::move(description)) {}
  long Number() const { return number_; }
  const std::string& Description() const { return description_; }

 private:
  long number_;
  std::string description_;
};

// Numbers of the failures the link tells apart or produces itself.
inline constexpr long kCannotCreateObject = 429;  // "ActiveX component can't create object"
inline constexpr long kObjectNotSet = 91;         // a member called on no object
// The CAD program runs but takes no connection now (at its limit of
// connections, or not answering): starting another would not help. The
// number an automation server that rejects a call gives.
inline constexpr long kServerBusy = -2147418111;

// A picked entity of the drawing.
class Entity {
 public:
  virtual ~Entity() = default;
  // "AcDbText", "AcDbMText" or another "AcDb..." name.
  virtual std::string EntityName() = 0;
  // The text as stored in the drawing, format codes included.
  virtual std::string TextString() = 0;
};

// A named selection set of a drawing.
class SelectionSet {
 public:
  virtual ~SelectionSet() = default;
  // Removes the set from the drawing (its entities stay).
  virtual void Delete() = 0;
  // Lets the user select entities on screen; returns when the user ends the
  // selection. The set then holds the selected entities in selection order.
  virtual void SelectOnScreen() = 0;
  virtual int Count() = 0;
  // 0-based.
  virtual std::shared_ptr<Entity> Item(int index) = 0;
  // Takes the entities out of the set; the drawing is not changed.
  virtual void RemoveItems(const std::vector<std::shared_ptr<Entity>>& entities) = 0;
};

class SelectionSets {
 public:
  virtual ~SelectionSets() = default;
  // The set of that name; fails when there is none.
  virtual std::shared_ptr<SelectionSet> Item(const std::string& name) = 0;
  // A new empty set; fails when one of that name exists.
  virtual std::shared_ptr<SelectionSet> Add(const std::string& name) = 0;
};

// An open drawing.
class Document {
 public:
  virtual ~Document() = default;
  // Full path of the drawing; "" for a new untitled drawing.
  virtual std::string FullName() = 0;
  // Replaces the drawing in this document by the file.
  virtual void Open(const std::string& path) = 0;
  // System variables ("SDI", "OSMODE"), as 16-bit integers.
  virtual int GetVariable(const std::string& name) = 0;
  virtual void SetVariable(const std::string& name, int value) = 0;
  // 3 maximised.
  virtual void SetWindowState(int state) = 0;
  virtual std::shared_ptr<cad::SelectionSets> SelectionSets() = 0;
};

// The open drawings.
class Documents {
 public:
  virtual ~Documents() = default;
  virtual int Count() = 0;
  // Opens the file as a new document, which becomes the active one.
  virtual std::shared_ptr<Document> Open(const std::string& path) = 0;
};

using WindowHandle = std::uint64_t;

class Application {
 public:
  virtual ~Application() = default;
  virtual void SetVisible(bool visible) = 0;
  // Fails when no drawing is open.
  virtual std::shared_ptr<Document> ActiveDocument() = 0;
  virtual std::shared_ptr<cad::Documents> Documents() = 0;
  // 3 maximised.
  virtual void SetWindowState(int state) = 0;
  // The native id of the CAD program's main window.
  virtual WindowHandle Hwnd() = 0;
};

// Reaching the CAD program by its program identifier, and the window
// services the link needs beside it.
class Automation {
 public:
  virtual ~Automation() = default;
  // The running instance; fails when none runs.
  virtual std::shared_ptr<Application> GetObject(const std::string& programId) = 0;
  // Starts a new instance; fails when it cannot be started.
  virtual std::shared_ptr<Application> CreateObject(const std::string& programId) = 0;
  // Gives the window the keyboard focus (activates it).
  virtual void SetFocus(WindowHandle window) = 0;
};

// The program identifier the CAD program is registered under.
inline constexpr const char* kProgramId = "AutoCAD.Application";

}  // namespace korvalo::cad
