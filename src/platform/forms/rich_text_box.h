#pragma once

// The rich-text box of the forms layer, as the report window uses it: a
// preview of a long plain text with a selection. The text is kept as given
// (CR LF line ends included); the box shows it in a fixed-pitch face, lines
// as they are, without wrapping. Positions and lengths count code points of
// the text, a CR LF being two.

#include <string>

#include "platform/forms/controls.h"

namespace korvalo::forms {

// What LoadFile reads the file as.
inline constexpr int rtfRTF = 0;
inline constexpr int rtfText = 1;

// Change when the text changes (program or user); SelChange when the
// selection moves. The box is read-only while Locked (the preview is).
class RichTextBox : public Control, public ChangeEvents {
 public:
  using Events = ChangeEvents;
  // Default font: Courier 9.75 point (the system's monospace face).
  RichTextBox(Container& container, const std::string& name);
  ~RichTextBox() override;

  const std::string& Text() const { return text_; }
  // Replaces the whole text; the selection goes to the start, empty.
  void SetText(const std::string& text);
  // Reads the file (UTF-8) into the box as its text. Raises RuntimeError 75
  // (path/file access error) when it cannot be read; the text stays.
  void LoadFile(const std::string& path, int fileType = rtfText);

  int SelStart() const { return selStart_; }
  // Beyond the end goes to the end; a negative value raises RuntimeError 380.
  void SetSelStart(int start);
  int SelLength() const { return selLength_; }
  // Cut at the end of the text; a negative value raises RuntimeError 380.
  void SetSelLength(int length);
  // The selected part of the text.
  std::string SelText() const;

  bool Locked() const { return locked_; }
  void SetLocked(bool locked);

  IndexHandler OnSelChange;

  // For the layer's own use: the widget reports the user's selection.
  void SelectionFromWidget(int start, int length);

 protected:
  const ControlEvents& CommonHandlers() const override { return Handlers(*this); }
  QWidget* CreateWidget(QWidget* parent) override;
  void ApplyColours() override;

 private:
  void ShowSelection();
  std::string text_;
  int length_ = 0;  // code points of text_
  int selStart_ = 0;
  int selLength_ = 0;
  bool locked_ = false;
};

}  // namespace korvalo::forms
