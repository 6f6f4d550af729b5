#include <string>

#include "editor/edition_policy.h"
#include "editor/frm_editor.h"

// Applying an edition's layout to the shared editor window.
namespace korvalo::editor {

using namespace forms;

namespace {

Control* FindControl(const Form& form, const std::string& name) {
  for (Control* c : FormControls(form)) {
    if (c->Name() == name && c->Index() == 0) return c;
  }
  return nullptr;
}

Container* FindContainer(Form& form, const std::string& name) {
  if (name.empty()) return &form;
  return dynamic_cast<Container*>(FindControl(form, name));
}

void SetShownText(Control& control, const std::string& text) {
  if (auto* label = dynamic_cast<Label*>(&control)) {
    label->SetCaption(text);
  } else if (auto* button = dynamic_cast<CommandButton*>(&control)) {
    button->SetCaption(text);
  } else if (auto* check = dynamic_cast<CheckBox*>(&control)) {
    check->SetCaption(text);
  } else if (auto* frame = dynamic_cast<Frame*>(&control)) {
    frame->SetCaption(text);
  } else if (auto* box = dynamic_cast<TextBox*>(&control)) {
    box->SetText(text);
  } else if (auto* option = dynamic_cast<OptionButton*>(&control)) {
    option->SetCaption(text);
  }
}

}  // namespace

void ApplyEditionDescriptor(FrmEditor& editor, const EditionDescriptor& descriptor) {
  if (descriptor.width > 0 && descriptor.height > 0) {
    editor.Move(editor.Left(), editor.Top(), descriptor.width, descriptor.height);
  }
  if (!descriptor.menuBar) {
    // A window whose top menus are all hidden shows no menu bar.
    for (Menu* menu : {&editor.mnuFile, &editor.mnuEdit, &editor.mnuView, &editor.mnuOptions, &editor.mnuReport,
                       &editor.mnuHelpMain}) {
      menu->SetVisible(false);
    }
  }
  for (const std::string& name : descriptor.absent) {
    if (Control* c = FindControl(editor, name)) c->SetVisible(false);
  }
  for (const ControlDesign& design : descriptor.controls) {
    Control* c = FindControl(editor, design.name);
    // A descriptor naming a control the window lacks is a programming
    // error the tests catch; the rest of the layout still applies.
    if (!c) continue;
    if (Container* container = FindContainer(editor, design.container);
        container && &c->Parent() != container) {
      c->SetContainer(*container);
    }
    const int width = design.width >= 0 ? design.width : c->Width();
    const int height = design.height >= 0 ? design.height : c->Height();
    c->Move(design.left, design.top, width, height);
    if (design.caption) SetShownText(*c, *design.caption);
    if (design.toolTip) c->SetToolTipText(*design.toolTip);
  }
}

}  // namespace korvalo::editor
