#pragma once

// The print dialog: which destination a document goes to (a printer, or a
// PDF file named in the dialog) and, for a text with a selection, whether
// all of it or only the selection prints. It is a prompt like the others
// (prompts.h): tests script it with PromptScript::ExpectPrintDialog.

#include <optional>
#include <string>
#include <vector>

namespace korvalo::forms {

struct PrintDialogOptions {
  // The destinations offered, in order (the print layer's Printers()).
  std::vector<std::string> printers;
  // The entry among them that writes a PDF file: choosing it asks for the
  // file's name. Empty: none does.
  std::string pdfEntry;
  // The range "Selection" can be chosen; the dialog opens with it chosen.
  bool selection = false;
};

struct PrintChoice {
  std::string printer;       // one of the offered destinations
  std::string pdfPath;       // the file's name when `printer` is the PDF entry
  bool selectionOnly = false;
};

// The user's choice; nothing when the dialog was cancelled.
std::optional<PrintChoice> PrintDialog(const PrintDialogOptions& options);

}  // namespace korvalo::forms
