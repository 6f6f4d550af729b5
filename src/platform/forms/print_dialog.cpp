#include "platform/forms/print_dialog.h"

#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QRadioButton>
#include <QVBoxLayout>

#include "platform/forms/application.h"
#include "platform/forms/internal.h"
#include "platform/forms/prompts.h"

namespace korvalo::forms {

using detail::Q;
using detail::S;

std::optional<PrintChoice> PrintDialog(const PrintDialogOptions& options) {
  Prompt p;
  p.kind = PromptKind::Print;
  p.title = "Print";
  p.print = options;
  return Ask(p).print;
}

std::optional<PrintChoice> detail::ShowRealPrintDialog(const PrintDialogOptions& options) {
  if (options.printers.empty()) return std::nullopt;
  Form* active = ActiveForm();
  QDialog dialog(active ? active->Window() : nullptr);
  dialog.setWindowTitle(QStringLiteral("Print"));
  auto* layout = new QVBoxLayout(&dialog);
  auto* form = new QFormLayout;
  auto* printers = new QComboBox(&dialog);
  for (const std::string& name : options.printers) printers->addItem(Q(name));
  form->addRow(QStringLiteral("&Printer:"), printers);
  layout->addLayout(form);
  QRadioButton* all = nullptr;
  QRadioButton* selection = nullptr;
  if (options.selection) {
    all = new QRadioButton(QStringLiteral("&All"), &dialog);
    selection = new QRadioButton(QStringLiteral("&Selection"), &dialog);
    selection->setChecked(true);
    layout->addWidget(all);
    layout->addWidget(selection);
  }
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
  QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
  QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
  layout->addWidget(buttons);
  int ok = 0;
  {
    NestedLoop nested;
    ok = dialog.exec();
  }
  if (!ok) return std::nullopt;
  PrintChoice choice;
  choice.printer = S(printers->currentText());
  choice.selectionOnly = selection && selection->isChecked();
  if (!options.pdfEntry.empty() && choice.printer == options.pdfEntry) {
    // A name typed without an ending gets ".pdf" before the dialog asks
    // about replacing a file, so that it asks about the file to be written.
    QFileDialog files(dialog.parentWidget(), QStringLiteral("Print to PDF file"), QString(),
                      QStringLiteral("PDF file (*.pdf)"));
    files.setAcceptMode(QFileDialog::AcceptSave);
    files.setFileMode(QFileDialog::AnyFile);
    files.setDefaultSuffix(QStringLiteral("pdf"));
    int chosen = 0;
    {
      NestedLoop nested;
      chosen = files.exec();
    }
    if (!chosen || files.selectedFiles().isEmpty() || files.selectedFiles().front().isEmpty()) return std::nullopt;
    choice.pdfPath = S(files.selectedFiles().front());
  }
  return choice;
}

}  // namespace korvalo::forms
