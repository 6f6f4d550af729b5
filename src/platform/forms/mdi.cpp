#include "platform/forms/mdi.h"

#include <QEvent>
#include <QMdiArea>
#include <QIcon>
#include <QMdiSubWindow>
#include <QPixmap>
#include <QPointer>
#include <map>

#include "platform/forms/errors.h"
#include "platform/forms/internal.h"

namespace korvalo::forms {

using detail::Access;

namespace {

struct Child {
  Form* frame = nullptr;
  QPointer<QMdiSubWindow> sub;
};

std::map<const Form*, QMdiArea*> g_frames;
std::map<const Form*, Child> g_children;

void ShowFrameTitle(const Form& frame);

// The workspace of a frame. Before it goes, the child forms' windows are
// taken out of their sub-windows: the forms own them.
class Workspace : public QMdiArea {
 public:
  Workspace(Form& frame, QWidget* parent) : QMdiArea(parent), frame_(frame) {}
  ~Workspace() override {
    for (auto it = g_children.begin(); it != g_children.end();) {
      if (it->second.frame == &frame_) {
        if (QMdiSubWindow* sub = it->second.sub) {
          QWidget* w = sub->widget();
          sub->setWidget(nullptr);
          if (w) w->setParent(nullptr);
        }
        it = g_children.erase(it);
      } else {
        ++it;
      }
    }
    g_frames.erase(&frame_);
  }

 private:
  Form& frame_;
};

// Reports the user's and the frame's changes of a child's sub-window to its
// form: moves, sizes, maximise and restore.
class ChildWatch : public QObject {
 public:
  ChildWatch(Form& child, QObject* parent) : QObject(parent), child_(child) {}

 protected:
  bool eventFilter(QObject* watched, QEvent* e) override {
    // A sub-window on its way out (no longer a sub-window) or one whose
    // form has gone first, or left its frame with it, reports nothing: the
    // form may not exist any more.
    auto* sub = qobject_cast<QMdiSubWindow*>(watched);
    if (!sub) return false;
    const auto it = g_children.find(&child_);
    if (it == g_children.end() || it->second.sub != sub) return false;
    detail::QtBoundary boundary;
    switch (e->type()) {
      case QEvent::Show:
      case QEvent::Hide:
        ShowFrameTitle(*it->second.frame);
        break;
      case QEvent::WindowStateChange: {
        ShowFrameTitle(*it->second.frame);
        const Qt::WindowStates st = sub->windowState();
        const int state = (st & Qt::WindowMinimized)   ? vbMinimized
                          : (st & Qt::WindowMaximized) ? vbMaximized
                                                       : vbNormal;
        if (state != child_.WindowState()) Access::FormStateChangedByUser(child_, state);
        break;
      }
      case QEvent::Resize:
        if (child_.WindowState() == vbMaximized) {
          Access::MdiChildResized(child_, sub->width(), sub->height());
        } else if (child_.WindowState() == vbNormal && (Px(child_.Width()) != sub->width() ||
                                                        Px(child_.Height()) != sub->height())) {
          Access::MdiChildResized(child_, sub->width(), sub->height());
        }
        break;
      case QEvent::Move:
        if (child_.WindowState() == vbNormal &&
            (Px(child_.Left()) != sub->x() || Px(child_.Top()) != sub->y())) {
          Access::FormMovedByUser(child_, sub->x(), sub->y());
        }
        break;
      default:
        break;
    }
    return false;
  }

 private:
  static int Px(int twips) { return detail::Px(twips); }
  Form& child_;
};

QMdiArea* AreaOf(const Form& frame) {
  auto it = g_frames.find(&frame);
  return it == g_frames.end() ? nullptr : it->second;
}

// The frame's title on the screen: its caption, joined by the caption of a
// child shown maximised (which has no title bar of its own then).
void ShowFrameTitle(const Form& frame) {
  if (!AreaOf(frame)) return;
  QString title = detail::Q(frame.Caption());
  for (const auto& [child, entry] : g_children) {
    if (entry.frame != &frame || !entry.sub || !entry.sub->isVisible() || !entry.sub->isMaximized()) continue;
    if (!child->Caption().empty()) title += QStringLiteral(" - [") + detail::Q(child->Caption()) + QLatin1Char(']');
    break;
  }
  if (frame.Window()->windowTitle() != title) frame.Window()->setWindowTitle(title);
}

}  // namespace

void MakeMdiFrame(Form& frame) {
  if (AreaOf(frame)) return;
  QWidget* content = nullptr;
  // The content widget is the window's first child; the menu bar, when
  // there is one, comes later.
  for (QObject* o : frame.Window()->children()) {
    if (auto* w = qobject_cast<QWidget*>(o)) {
      content = w;
      break;
    }
  }
  // A maximised child shows no title bar of its own: it fills the inner
  // area, and its caption joins the frame's.
  frame.Window()->setAttribute(Qt::WA_CanHostQMdiSubWindowTitleBar);
  auto* area = new Workspace(frame, content);
  area->setBackground(QBrush(detail::ToQColor(vbApplicationWorkspace)));
  area->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  area->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  area->setGeometry(content->rect());
  area->show();
  // The workspace fills the frame's inner area.
  struct Fill : QObject {
    QWidget* area;
    Fill(QWidget* a, QObject* parent) : QObject(parent), area(a) {}
    bool eventFilter(QObject* o, QEvent* e) override {
      if (e->type() == QEvent::Resize) area->setGeometry(static_cast<QWidget*>(o)->rect());
      return false;
    }
  };
  content->installEventFilter(new Fill(area, area));
  g_frames[&frame] = area;
}

void SetMdiParent(Form& child, Form& frame) {
  QMdiArea* area = AreaOf(frame);
  if (!area) throw RuntimeError(kErrInvalidProperty, "The form is not a frame for child windows");
  if (g_children.count(&child)) return;
  QWidget* w = child.Window();
  QMdiSubWindow* sub = area->addSubWindow(w);
  sub->setWindowTitle(w->windowTitle());
  // A sub-window without an icon of its own would show the toolkit's logo.
  if (w->windowIcon().isNull()) {
    QPixmap blank(16, 16);
    blank.fill(Qt::transparent);
    sub->setWindowIcon(QIcon(blank));
  }
  auto* watch = new ChildWatch(child, sub);
  sub->installEventFilter(watch);
  QObject::connect(w, &QWidget::windowTitleChanged, sub, &QWidget::setWindowTitle);
  // The child form going first takes its sub-window with it. The watch goes
  // at once: the sub-window still gets events until it is deleted, and the
  // form they would be reported to is gone.
  QObject::connect(w, &QObject::destroyed, sub, [sub, watch, key = &child] {
    g_children.erase(key);
    sub->removeEventFilter(watch);
    delete watch;
    sub->deleteLater();
  });
  sub->hide();
  g_children[&child] = Child{&frame, sub};
}

void detail::MdiCaptionChanged(const Form& form) {
  if (AreaOf(form)) {
    ShowFrameTitle(form);
  } else if (auto it = g_children.find(&form); it != g_children.end()) {
    ShowFrameTitle(*it->second.frame);
  }
}

Form* MdiParent(const Form& child) {
  auto it = g_children.find(&child);
  return it == g_children.end() ? nullptr : it->second.frame;
}

QWidget* detail::MdiSubWindow(const Form& form) {
  auto it = g_children.find(&form);
  return it == g_children.end() ? nullptr : it->second.sub.data();
}

bool detail::MdiClientSize(const Form& form, int& width, int& height) {
  auto it = g_children.find(&form);
  if (it == g_children.end()) return false;
  width = it->second.frame->ScaleWidth();
  height = it->second.frame->ScaleHeight();
  return true;
}

}  // namespace korvalo::forms
