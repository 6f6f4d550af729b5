// Writes what the program's windows are made of, for the start-up
// benchmark's baseline (window_description.h).

#include "platform/forms/window_description.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTabBar>
#include <fstream>
#include <sstream>

#include "platform/forms/application.h"

namespace korvalo::forms {

namespace {

using description::Escaped;

std::string Text(const QString& text) { return Escaped(text.toStdString()); }

std::string ClassOf(const QWidget* w) {
  if (qobject_cast<const QMdiArea*>(w)) return "QMdiArea";
  if (qobject_cast<const QPlainTextEdit*>(w)) return "QPlainTextEdit";
  if (const auto* combo = qobject_cast<const QComboBox*>(w))
    return combo->isEditable() ? "QComboBox+edit" : "QComboBox";
  if (qobject_cast<const QMenuBar*>(w)) return "QMenuBar";
  if (qobject_cast<const QTabBar*>(w)) return "QTabBar";
  if (qobject_cast<const QLineEdit*>(w)) return "QLineEdit";
  if (qobject_cast<const QPushButton*>(w)) return "QPushButton";
  if (qobject_cast<const QRadioButton*>(w)) return "QRadioButton";
  if (qobject_cast<const QCheckBox*>(w)) return "QCheckBox";
  if (qobject_cast<const QScrollBar*>(w)) return "QScrollBar";
  if (qobject_cast<const QLabel*>(w)) return "QLabel";
  if (qobject_cast<const QFrame*>(w)) return "QFrame";
  return "QWidget";
}

// The widget's own font, or "-" when it takes its parent's.
std::string FontOf(const QWidget* w) {
  if (!w->testAttribute(Qt::WA_SetFont)) return "-";
  const QFont& f = w->font();
  std::ostringstream out;
  if (f.pixelSize() > 0) {
    out << f.family().toStdString() << ',' << f.pixelSize() << ",px," << (f.bold() ? 1 : 0);
  } else {
    out << f.family().toStdString() << ',' << f.pointSizeF() << ",pt," << (f.bold() ? 1 : 0);
  }
  return Escaped(out.str());
}

std::string BackgroundOf(const QWidget* w) {
  if (!w->testAttribute(Qt::WA_SetPalette)) return "-";
  return w->palette().color(w->backgroundRole()).name().toStdString();
}

std::string TextOf(const QWidget* w) {
  if (const auto* label = qobject_cast<const QLabel*>(w)) return Text(label->text());
  if (const auto* button = qobject_cast<const QAbstractButton*>(w)) return Text(button->text());
  if (const auto* edit = qobject_cast<const QLineEdit*>(w)) return Text(edit->text());
  if (const auto* combo = qobject_cast<const QComboBox*>(w)) return Text(combo->currentText());
  if (const auto* plain = qobject_cast<const QPlainTextEdit*>(w)) return Text(plain->toPlainText());
  return {};
}

std::string StateOf(const QWidget* w) {
  if (w->windowState() & Qt::WindowMaximized) return "maximized";
  if (w->windowState() & Qt::WindowMinimized) return "minimized";
  return "normal";
}

class Describer {
 public:
  explicit Describer(std::ostream& out) : out_(out) {}

  void Window(QWidget* w) {
    const int id = next_++;
    const QRect g = w->geometry();
    out_ << "window\t" << id << '\t' << ClassOf(w) << '\t' << g.x() << '\t' << g.y() << '\t' << g.width()
         << '\t' << g.height() << '\t' << (w->isVisible() ? 1 : 0) << '\t' << StateOf(w) << '\t' << FontOf(w)
         << '\t' << Text(w->windowTitle()) << '\n';
    Children(w, id);
  }

 private:
  int Widget(QWidget* w, int parent) {
    const int id = next_++;
    const QRect g = w->geometry();
    out_ << "widget\t" << id << '\t' << parent << '\t' << ClassOf(w) << '\t' << g.x() << '\t' << g.y() << '\t'
         << g.width() << '\t' << g.height() << '\t' << (w->isHidden() ? 0 : 1) << '\t'
         << (w->testAttribute(Qt::WA_ForceDisabled) ? 0 : 1) << '\t' << (w->autoFillBackground() ? 1 : 0)
         << '\t' << BackgroundOf(w) << '\t' << FontOf(w) << '\t' << TextOf(w) << '\n';
    if (auto* combo = qobject_cast<QComboBox*>(w)) {
      for (int i = 0; i < combo->count(); ++i)
        out_ << "item\t" << id << '\t' << Text(combo->itemText(i)) << '\n';
    } else if (auto* tabs = qobject_cast<QTabBar*>(w)) {
      for (int i = 0; i < tabs->count(); ++i) out_ << "tab\t" << id << '\t' << Text(tabs->tabText(i)) << '\n';
    } else if (auto* bar = qobject_cast<QScrollBar*>(w)) {
      out_ << "scroll\t" << id << '\t' << (bar->orientation() == Qt::Vertical ? "vertical" : "horizontal")
           << '\t' << bar->minimum() << '\t' << bar->maximum() << '\t' << bar->pageStep() << '\t'
           << bar->value() << '\n';
    } else if (auto* button = qobject_cast<QAbstractButton*>(w); button && !button->icon().isNull()) {
      out_ << "icon\t" << id << '\t' << button->iconSize().width() << '\t' << button->iconSize().height()
           << '\n';
    } else if (auto* label = qobject_cast<QLabel*>(w)) {
      const QPixmap picture = label->pixmap();
      if (!picture.isNull())
        out_ << "pixmap\t" << id << '\t' << picture.width() << '\t' << picture.height() << '\n';
    } else if (auto* menus = qobject_cast<QMenuBar*>(w)) {
      Menus(menus->actions(), id, true);
    } else if (auto* area = qobject_cast<QMdiArea*>(w)) {
      for (QMdiSubWindow* sub : area->subWindowList(QMdiArea::CreationOrder)) {
        const int subId = next_++;
        const QRect s = sub->geometry();
        out_ << "sub\t" << subId << '\t' << id << '\t' << s.x() << '\t' << s.y() << '\t' << s.width() << '\t'
             << s.height() << '\t' << (sub->isHidden() ? 0 : 1) << '\t' << StateOf(sub) << '\t'
             << Text(sub->windowTitle()) << '\n';
        if (QWidget* inner = sub->widget()) Children(inner, Widget(inner, subId));
      }
    }
    return id;
  }

  // The widgets of a plain container; a toolkit widget's own parts are its
  // own business.
  void Children(QWidget* w, int id) {
    for (QObject* child : w->children()) {
      auto* cw = qobject_cast<QWidget*>(child);
      if (!cw || cw->isWindow()) continue;
      const int childId = Widget(cw, id);
      const std::string type = ClassOf(cw);
      if (type == "QWidget" || type == "QFrame") Children(cw, childId);
    }
  }

  void Menus(const QList<QAction*>& actions, int parent, bool top) {
    for (QAction* action : actions) {
      const int id = next_++;
      const char* kind = action->isSeparator() ? "separator"
                         : action->menu()      ? (top ? "top" : "sub")
                                               : "item";
      out_ << "menu\t" << id << '\t' << parent << '\t' << kind << '\t' << (action->isEnabled() ? 1 : 0)
           << '\t' << (action->isVisible() ? 1 : 0) << '\t' << (action->isChecked() ? 1 : 0) << '\t'
           << Text(action->text()) << '\n';
      if (QMenu* menu = action->menu()) Menus(menu->actions(), id, false);
    }
  }

  std::ostream& out_;
  int next_ = 1;
};

}  // namespace

bool DescribeWindows(const std::string& path) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  if (!out) return false;
  Describer describer(out);
  // The forms' windows: plain widgets of ours at the top (the toolkit's
  // pop-ups, tips and lists are made by the toolkit when wanted).
  for (QWidget* w : QApplication::topLevelWidgets()) {
    if (std::string(w->metaObject()->className()) == "QWidget") describer.Window(w);
  }
  out.flush();
  return static_cast<bool>(out);
}

}  // namespace korvalo::forms
