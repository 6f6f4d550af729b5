#include "platform/forms/rich_text_box.h"

#include <QPlainTextEdit>
#include <QSignalBlocker>
#include <QTextBlock>
#include <QTextCursor>
#include <algorithm>
#include <fstream>
#include <iterator>
#include <sstream>
#include <utility>

#include "common/utf8.h"
#include "platform/forms/internal.h"

namespace korvalo::forms {

using detail::Access;
using detail::Q;
using detail::Raise;

namespace {

// The widget shows the text with each CR LF as one line break; its positions
// count UTF-16 units with a line break as one. Walk goes through the kept
// text's code points while `more(codePoint, widgetPos)` holds and gives both
// counts where it stopped.
template <class More>
std::pair<int, int> Walk(const std::string& text, More more) {
  std::size_t pos = 0;
  int cp = 0, w = 0;
  while (pos < text.size() && more(cp, w)) {
    const char32_t c = utf8::DecodeNext(text, pos);
    ++cp;
    if (c == U'\r' && pos < text.size() && text[pos] == '\n') continue;  // the LF stands for both
    w += c > 0xFFFF ? 2 : 1;
  }
  return {cp, w};
}

int WidgetPosOf(const std::string& text, int codePoint) {
  return Walk(text, [codePoint](int cp, int) { return cp < codePoint; }).second;
}

int CodePointOf(const std::string& text, int widgetPos) {
  return Walk(text, [widgetPos](int, int w) { return w < widgetPos; }).first;
}

QString Shown(const std::string& text) {
  QString q = Q(text);
  q.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  return q;
}

class RichTextWidget : public QPlainTextEdit {
 public:
  RichTextWidget(RichTextBox* owner, QWidget* parent) : QPlainTextEdit(parent), owner_(owner) {}
  ~RichTextWidget() override {
    if (owner_) Access::WidgetGone(*owner_);
  }
  RichTextWidget(const RichTextWidget&) = delete;
  RichTextWidget& operator=(const RichTextWidget&) = delete;

 protected:
  void focusInEvent(QFocusEvent* e) override {
    detail::QtBoundary boundary;
    QPlainTextEdit::focusInEvent(e);
    if (owner_) Access::QtFocusIn(*owner_, e->reason());
  }

 private:
  RichTextBox* owner_;
};

}  // namespace

RichTextBox::RichTextBox(Container& container, const std::string& name) : Control(container, name) {
  SetDefaultColours(vbWindowBackground, vbWindowText);
  Font font;
  font.name = "Courier";
  font.size = 9.75;
  SetFont(font);
}

RichTextBox::~RichTextBox() = default;

QWidget* RichTextBox::CreateWidget(QWidget* parent) {
  auto* w = new RichTextWidget(this, parent);
  w->setLineWrapMode(QPlainTextEdit::NoWrap);
  w->setReadOnly(locked_);
  // Long previews: no undo history to keep.
  w->setUndoRedoEnabled(false);
  w->setPlainText(Shown(text_));
  QObject::connect(w, &QPlainTextEdit::textChanged, w, [this, w] {
    detail::QtBoundary boundary;
    // The user's typing: the kept text follows the widget (line ends CR LF).
    QString shown = w->toPlainText();
    shown.replace(QStringLiteral("\n"), QStringLiteral("\r\n"));
    const std::string now = detail::S(shown);
    if (now == text_) return;
    text_ = now;
    length_ = static_cast<int>(utf8::Length(text_));
    Raise(OnChange, Index());
  });
  QObject::connect(w, &QPlainTextEdit::selectionChanged, w, [this, w] {
    detail::QtBoundary boundary;
    const QTextCursor c = w->textCursor();
    const int start = CodePointOf(text_, c.selectionStart());
    const int end = CodePointOf(text_, c.selectionEnd());
    SelectionFromWidget(start, end - start);
  });
  QObject::connect(w, &QPlainTextEdit::cursorPositionChanged, w, [this, w] {
    detail::QtBoundary boundary;
    const QTextCursor c = w->textCursor();
    if (c.hasSelection()) return;
    SelectionFromWidget(CodePointOf(text_, c.position()), 0);
  });
  ShowSelection();
  return w;
}

void RichTextBox::ApplyColours() {
  QWidget* w = Widget();
  if (!w) return;
  QPalette pal = w->palette();
  pal.setColor(QPalette::Base, detail::ToQColor(BackColor()));
  pal.setColor(QPalette::Text, detail::ToQColor(ForeColor()));
  w->setPalette(pal);
}

void RichTextBox::SetText(const std::string& text) {
  const bool changed = text != text_;
  text_ = text;
  length_ = static_cast<int>(utf8::Length(text_));
  selStart_ = 0;
  selLength_ = 0;
  if (auto* w = static_cast<QPlainTextEdit*>(Widget())) {
    QSignalBlocker block(w);
    w->setPlainText(Shown(text_));
    ShowSelection();
  }
  if (changed) Raise(OnChange, Index());
}

void RichTextBox::LoadFile(const std::string& path, int fileType) {
  static_cast<void>(fileType);  // both kinds are read as the text they hold
  std::ifstream in(path, std::ios::binary);
  if (!in) throw RuntimeError(75, "Path/File access error");
  std::ostringstream content;
  content << in.rdbuf();
  if (in.bad()) throw RuntimeError(75, "Path/File access error");
  SetText(content.str());
}

void RichTextBox::SetSelStart(int start) {
  if (start < 0) throw RuntimeError(kErrInvalidProperty, "Invalid property value");
  const int before = selStart_, beforeLength = selLength_;
  selStart_ = std::min(start, length_);
  selLength_ = 0;
  ShowSelection();
  if (before != selStart_ || beforeLength != 0) Raise(OnSelChange, Index());
}

void RichTextBox::SetSelLength(int length) {
  if (length < 0) throw RuntimeError(kErrInvalidProperty, "Invalid property value");
  const int before = selLength_;
  selLength_ = std::min(length, length_ - selStart_);
  ShowSelection();
  if (before != selLength_) Raise(OnSelChange, Index());
}

std::string RichTextBox::SelText() const {
  if (selLength_ <= 0) return {};
  return utf8::Substr(text_, static_cast<std::size_t>(selStart_), static_cast<std::size_t>(selLength_));
}

void RichTextBox::SetLocked(bool locked) {
  locked_ = locked;
  if (auto* w = static_cast<QPlainTextEdit*>(Widget())) w->setReadOnly(locked);
}

void RichTextBox::SelectionFromWidget(int start, int length) {
  if (start == selStart_ && length == selLength_) return;
  selStart_ = start;
  selLength_ = length;
  Raise(OnSelChange, Index());
}

void RichTextBox::ShowSelection() {
  auto* w = static_cast<QPlainTextEdit*>(Widget());
  if (!w) return;
  QSignalBlocker block(w);
  QTextCursor c = w->textCursor();
  c.setPosition(WidgetPosOf(text_, selStart_));
  c.setPosition(WidgetPosOf(text_, selStart_ + selLength_), QTextCursor::KeepAnchor);
  w->setTextCursor(c);
}

}  // namespace korvalo::forms
