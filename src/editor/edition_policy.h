#pragma once

// Where the standalone edition's editor window differs from the linked one
// in its load and its size: the program sets a policy before the load, and
// without one the window keeps the linked edition's ways.
namespace korvalo::editor {

class FrmEditor;

class EditionPolicy {
 public:
  virtual ~EditionPolicy() = default;
  // The end of the load, once the grid is built, the window shown and its
  // state set: the first-run questions, the other windows, the window's
  // place and the command line's project.
  virtual void FinishLoad(FrmEditor& editor) = 0;
  // The window's size rules after a change of its size or state.
  virtual void Resize(FrmEditor& editor) = 0;
};

}  // namespace korvalo::editor
