#include "platform/forms/prompts.h"

#include <QApplication>
#include <QFileDialog>
#include <QInputDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>
#include <algorithm>

#include "platform/forms/application.h"
#include "platform/forms/internal.h"

namespace korvalo::forms {

using detail::Q;
using detail::S;

namespace {

std::string& Title() {
  static std::string title = "Korvalo";
  return title;
}

PromptHandler& Handler() {
  static PromptHandler handler;
  return handler;
}

QWidget* DialogParent() {
  Form* f = ActiveForm();
  return f ? f->Window() : nullptr;
}

// While a window of the program stays on top of the others, a prompt must
// too, or it would open behind that window.
void KeepAboveTopMost(QWidget& dialog) {
  for (Form* f : LoadedForms()) {
    if (f->Visible() && f->TopMost()) {
      dialog.setWindowFlag(Qt::WindowStaysOnTopHint, true);
      return;
    }
  }
}

// The patterns of a list "*.a;*.b" (or "*.a *.b").
QStringList PatternsOf(const QString& list) {
  static const QRegularExpression separators(QStringLiteral("[;\\s]+"));
  return list.split(separators, Qt::SkipEmptyParts);
}

// "Desc|*.a;*.b|All|*.*" as Qt's "Desc (*.a *.b);;All (*.*)". The dialog
// filters by the patterns in the last brackets of an entry; a description
// that already ends in its own patterns there ("TEXT (*.txt)", "Rich Text
// File(*.rtf)") is shown as it stands, any other gets them added.
QString QtFilter(const std::string& filter) {
  const QStringList parts = Q(filter).split(QLatin1Char('|'));
  QStringList out;
  for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
    const QString description = parts[i].trimmed();
    const QStringList patterns = PatternsOf(parts[i + 1]);
    const qsizetype open = description.lastIndexOf(QLatin1Char('('));
    const bool shown = description.endsWith(QLatin1Char(')')) && open >= 0 &&
                       PatternsOf(description.mid(open + 1, description.size() - open - 2)) == patterns;
    out << (shown ? parts[i] : parts[i] + QStringLiteral(" (") + patterns.join(QLatin1Char(' ')) + QLatin1Char(')'));
  }
  return out.join(QStringLiteral(";;"));
}

// The text with places where a line may break inside a long word: after
// each folder separator of a path, and every 40 characters of a run without
// one, so that a long path or name wraps inside the box.
QString BreakableText(const QString& text) {
  constexpr QChar kBreak(0x200B);  // zero-width space
  constexpr int kLongestRun = 40;
  QString out;
  out.reserve(text.size() + text.size() / 16);
  int run = 0;
  for (const QChar c : text) {
    out += c;
    if (c.isSpace()) {
      run = 0;
      continue;
    }
    // A surrogate pair stays whole.
    if (c.isHighSurrogate()) continue;
    ++run;
    if (c == QLatin1Char('/') || c == QLatin1Char('\\') || run >= kLongestRun) {
      out += kBreak;
      run = 0;
    }
  }
  return out;
}

// The message box lays its text out no wider than a limit of its own and
// breaks any longer line where it can. A line the screen has room for is
// kept whole, and the text never gets wider than the box can be.
void FitMessageText(QMessageBox& box) {
  QLabel* label = box.findChild<QLabel*>(QStringLiteral("qt_msgbox_label"));
  QScreen* screen = box.screen();
  if (!label || !screen) return;
  const int screenWidth = screen->availableGeometry().width();
  // The widest the box makes itself, less room for its margins and icon.
  const int boxLimit = screenWidth <= 1024 ? screenWidth : std::min(screenWidth - 480, 1000);
  const int textLimit = std::max(200, boxLimit - 120);
  box.ensurePolished();
  const QFontMetrics metrics(label->font());
  int widest = 0;
  for (const QString& line : box.text().split(QRegularExpression(QStringLiteral("\\r\\n|\\r|\\n")))) {
    widest = std::max(widest, metrics.horizontalAdvance(line));
  }
  label->setMinimumWidth(std::min(widest + 4, textLimit));
}

int RealMessageBox(const Prompt& p) {
  QMessageBox box(DialogParent());
  KeepAboveTopMost(box);
  box.setWindowTitle(Q(p.title));
  // As written: a name in the text that looks like markup is not markup.
  box.setTextFormat(Qt::PlainText);
  box.setText(BreakableText(Q(p.text)));
  switch (p.Icon()) {
    case vbCritical: box.setIcon(QMessageBox::Critical); break;
    case vbQuestion: box.setIcon(QMessageBox::Question); break;
    case vbExclamation: box.setIcon(QMessageBox::Warning); break;
    case vbInformation: box.setIcon(QMessageBox::Information); break;
    default: box.setIcon(QMessageBox::NoIcon); break;
  }
  std::vector<std::pair<QMessageBox::StandardButton, int>> buttons;
  switch (p.ButtonSet()) {
    case vbOKCancel: buttons = {{QMessageBox::Ok, vbOK}, {QMessageBox::Cancel, vbCancel}}; break;
    case vbAbortRetryIgnore:
      buttons = {{QMessageBox::Abort, vbAbort}, {QMessageBox::Retry, vbRetry}, {QMessageBox::Ignore, vbIgnore}};
      break;
    case vbYesNoCancel:
      buttons = {{QMessageBox::Yes, vbYes}, {QMessageBox::No, vbNo}, {QMessageBox::Cancel, vbCancel}};
      break;
    case vbYesNo: buttons = {{QMessageBox::Yes, vbYes}, {QMessageBox::No, vbNo}}; break;
    case vbRetryCancel: buttons = {{QMessageBox::Retry, vbRetry}, {QMessageBox::Cancel, vbCancel}}; break;
    default: buttons = {{QMessageBox::Ok, vbOK}}; break;
  }
  QMessageBox::StandardButtons set;
  for (const auto& b : buttons) set |= b.first;
  box.setStandardButtons(set);
  const std::size_t def = (p.buttons & vbDefaultButton3) ? 2 : (p.buttons & vbDefaultButton2) ? 1 : 0;
  box.setDefaultButton(buttons[std::min(def, buttons.size() - 1)].first);
  FitMessageText(box);
  int result = 0;
  {
    detail::NestedLoop nested;
    result = box.exec();
  }
  for (const auto& b : buttons) {
    if (b.first == result) return b.second;
  }
  for (const auto& b : buttons) {
    if (b.second == vbCancel) return vbCancel;
  }
  return buttons.front().second;
}

}  // namespace

const std::string& AppTitle() { return Title(); }
void SetAppTitle(const std::string& title) { Title() = title; }

PromptHandler SetPromptHandler(PromptHandler handler) {
  PromptHandler previous = std::move(Handler());
  Handler() = std::move(handler);
  return previous;
}

PromptAnswer CautiousAnswer(const Prompt& p) {
  PromptAnswer a;
  switch (p.ButtonSet()) {
    case vbOKCancel:
    case vbYesNoCancel:
    case vbRetryCancel: a.button = vbCancel; break;
    case vbYesNo: a.button = vbNo; break;
    case vbAbortRetryIgnore: a.button = vbAbort; break;
    default: a.button = vbOK; break;
  }
  if (p.kind == PromptKind::ModalForm && p.form) p.form->Hide();
  return a;
}

PromptAnswer Ask(const Prompt& prompt) {
  if (Handler()) {
    // A copy: the handler may replace itself.
    PromptHandler h = Handler();
    return h(prompt);
  }
  return detail::ShowRealPrompt(prompt);
}

int MsgBox(const std::string& text, int buttons, const std::string& title) {
  Prompt p;
  p.kind = PromptKind::Message;
  p.text = text;
  p.buttons = buttons;
  p.title = title.empty() ? AppTitle() : title;
  return Ask(p).button;
}

namespace {
std::optional<std::string> AskFileName(PromptKind kind, const FileDialogOptions& options) {
  Prompt p;
  p.kind = kind;
  p.title = options.title;
  p.file = options;
  return Ask(p).text;
}
}  // namespace

std::optional<std::string> OpenFileName(const FileDialogOptions& options) {
  return AskFileName(PromptKind::OpenFile, options);
}

std::optional<std::string> SaveFileName(const FileDialogOptions& options) {
  return AskFileName(PromptKind::SaveFile, options);
}

std::optional<std::string> PickFolder(const std::string& title, const std::string& startFolder) {
  Prompt p;
  p.kind = PromptKind::Folder;
  p.title = title;
  p.file.initialDir = startFolder;
  return Ask(p).text;
}

std::optional<std::string> InputBox(const std::string& prompt, const std::string& title,
                                    const std::string& defaultText) {
  Prompt p;
  p.kind = PromptKind::Input;
  p.text = prompt;
  p.title = title.empty() ? AppTitle() : title;
  p.defaultText = defaultText;
  return Ask(p).text;
}

PromptAnswer detail::ShowRealPrompt(const Prompt& p) {
  PromptAnswer a;
  switch (p.kind) {
    case PromptKind::Message: a.button = RealMessageBox(p); break;
    case PromptKind::OpenFile:
    case PromptKind::SaveFile: {
      QString start = Q(p.file.initialDir);
      if (!p.file.fileName.empty()) start = start.isEmpty() ? Q(p.file.fileName) : start + QLatin1Char('/') + Q(p.file.fileName);
      QFileDialog dialog(DialogParent(), Q(p.title), start, QtFilter(p.file.filter));
      KeepAboveTopMost(dialog);
      dialog.setAcceptMode(p.kind == PromptKind::OpenFile ? QFileDialog::AcceptOpen : QFileDialog::AcceptSave);
      dialog.setFileMode(p.kind == PromptKind::OpenFile && (p.file.flags & 4096) ? QFileDialog::ExistingFile
                                                                                 : QFileDialog::AnyFile);
      if (!p.file.defaultExt.empty()) dialog.setDefaultSuffix(Q(p.file.defaultExt));
      int ok = 0;
      {
        NestedLoop nested;
        ok = dialog.exec();
      }
      if (ok && !dialog.selectedFiles().isEmpty()) a.text = S(dialog.selectedFiles().front());
      break;
    }
    case PromptKind::Folder: {
      QString dir;
      {
        NestedLoop nested;
        dir = QFileDialog::getExistingDirectory(DialogParent(), Q(p.title), Q(p.file.initialDir));
      }
      if (!dir.isEmpty()) a.text = S(dir);
      break;
    }
    case PromptKind::Input: {
      bool ok = false;
      QString text;
      {
        NestedLoop nested;
        text = QInputDialog::getText(DialogParent(), Q(p.title), Q(p.text), QLineEdit::Normal, Q(p.defaultText), &ok);
      }
      if (ok) a.text = S(text);
      break;
    }
    case PromptKind::PopupMenu:
      if (p.menu) a.item = RunPopup(*p.menu);
      break;
    case PromptKind::ModalForm:
      if (p.form) RunModalForm(*p.form);
      break;
    case PromptKind::Print: a.print = ShowRealPrintDialog(p.print); break;
  }
  return a;
}

}  // namespace korvalo::forms
