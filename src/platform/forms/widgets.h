#pragma once

// Inside the forms layer only: the Qt widgets behind the controls. Each one
// reports its input to its control through detail::Access, in the order the
// windows rely on.

#include <QAbstractListModel>
#include <QCheckBox>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QFocusEvent>
#include <QFrame>
#include <QImage>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPointF>
#include <QPushButton>
#include <QRadioButton>
#include <QRectF>
#include <QScrollBar>
#include <vector>

#include "platform/forms/internal.h"

namespace korvalo::forms::detail {

// Mouse and focus reporting shared by every control widget. Kinds differ in
// whether Click comes from the widget itself (buttons, check boxes) and
// whether it comes before MouseUp (check and option buttons).
enum class ClickOrder {
  Synthesized,   // Click raised here after MouseUp (labels, text boxes, frames)
  WidgetAfterUp, // the widget raises Click; MouseUp first (command buttons)
  WidgetBeforeUp // the widget raises Click; MouseUp after (check and option buttons)
};

template <class Base>
class Hooked : public Base {
 public:
  template <class... A>
  explicit Hooked(Control* owner, ClickOrder order, A&&... args)
      : Base(std::forward<A>(args)...), owner_(owner), order_(order) {
    // MouseMove comes with no button held too, as the pointer passes over.
    this->setMouseTracking(true);
  }
  ~Hooked() override {
    if (owner_) Access::WidgetGone(*owner_);
  }
  Hooked(const Hooked&) = delete;
  Hooked& operator=(const Hooked&) = delete;
  void Release() { owner_ = nullptr; }
  Control* Owner() const { return owner_; }

 protected:
  // Mouse events stop at the control they happened on: a click on a label
  // is not also a click on its frame.
  void mousePressEvent(QMouseEvent* e) override {
    QtBoundary boundary;
    if (!owner_) return Base::mousePressEvent(e);
    // Qt hands a press on a disabled widget to its first enabled parent.
    if (QWidget* hit = this->childAt(e->position().toPoint()); hit && !hit->isEnabled()) {
      Access::PressOnLocked(*owner_);
      if (!owner_) return;
    }
    Access::MouseDown(*owner_, e);
    if (owner_) Base::mousePressEvent(e);
    e->accept();
  }
  void mouseReleaseEvent(QMouseEvent* e) override {
    QtBoundary boundary;
    if (!owner_) return Base::mouseReleaseEvent(e);
    Control* owner = owner_;
    const bool inside = this->rect().contains(e->position().toPoint());
    switch (order_) {
      case ClickOrder::WidgetBeforeUp:
        Base::mouseReleaseEvent(e);
        Access::MouseUp(*owner, e);
        break;
      case ClickOrder::WidgetAfterUp:
        Access::MouseUp(*owner, e);
        Base::mouseReleaseEvent(e);
        break;
      case ClickOrder::Synthesized:
        Base::mouseReleaseEvent(e);
        Access::MouseUp(*owner, e);
        if (inside && e->button() == Qt::LeftButton && !afterDouble_) Access::ReleaseClick(*owner);
        break;
    }
    afterDouble_ = false;
    e->accept();
  }
  void mouseDoubleClickEvent(QMouseEvent* e) override {
    QtBoundary boundary;
    if (!owner_) return Base::mouseDoubleClickEvent(e);
    if (order_ == ClickOrder::Synthesized) {
      Base::mouseDoubleClickEvent(e);
      if (e->button() == Qt::LeftButton) {
        afterDouble_ = true;
        Access::DblClick(*owner_);
      }
    } else {
      // Buttons take the second click as a click of its own.
      mousePressEvent(e);
    }
    e->accept();
  }
  void mouseMoveEvent(QMouseEvent* e) override {
    QtBoundary boundary;
    if (owner_) Access::MouseMove(*owner_, e);
    Base::mouseMoveEvent(e);
    if (owner_) e->accept();
  }
  void focusInEvent(QFocusEvent* e) override {
    QtBoundary boundary;
    Base::focusInEvent(e);
    if (owner_) Access::QtFocusIn(*owner_, e->reason());
  }
  void keyPressEvent(QKeyEvent* e) override {
    QtBoundary boundary;
    if (!owner_ || !reportKeys || !HandleKey(e)) Base::keyPressEvent(e);
  }
  void keyReleaseEvent(QKeyEvent* e) override {
    QtBoundary boundary;
    if (owner_ && reportKeys) Access::KeyUp(*owner_, e);
    Base::keyReleaseEvent(e);
  }
  // True when the key was dealt with and the base must not see it.
  virtual bool HandleKey(QKeyEvent* e) { return Access::PlainKey(*owner_, e); }

 public:
  // Containers pass on the keys their children leave (Return to the form's
  // default button) without raising key events of their own.
  bool reportKeys = true;

 protected:

  Control* owner_;
  ClickOrder order_;
  bool afterDouble_ = false;
};

class LabelWidget : public Hooked<QLabel> {
 public:
  explicit LabelWidget(Control* owner, QWidget* parent) : Hooked(owner, ClickOrder::Synthesized, parent) {}

 protected:
  // A label sized to its caption takes the size of the caption in every new
  // font (its own or its window's).
  void changeEvent(QEvent* e) override;
};

// The caption of a frame, sized to its text in whatever font the frame
// shows, also after a font change of the frame or its window.
class FrameCaptionWidget : public QLabel {
 public:
  using QLabel::QLabel;

 protected:
  void changeEvent(QEvent* e) override {
    QLabel::changeEvent(e);
    if (e->type() == QEvent::FontChange) adjustSize();
  }
};

class FrameWidget : public Hooked<QFrame> {
 public:
  explicit FrameWidget(Control* owner, QWidget* parent) : Hooked(owner, ClickOrder::Synthesized, parent) {}
};

// A line edit whose keys go through KeyPress of its control (a text box or
// a combo box's edit part).
class LineEditWidget : public Hooked<QLineEdit> {
 public:
  explicit LineEditWidget(Control* owner, QWidget* parent, bool primary)
      : Hooked(owner, ClickOrder::Synthesized, parent), primary_(primary) {}
  ~LineEditWidget() override {
    if (!primary_) Release();
  }
  LineEditWidget(const LineEditWidget&) = delete;
  LineEditWidget& operator=(const LineEditWidget&) = delete;

 protected:
  bool HandleKey(QKeyEvent* e) override { return Access::LineEditKey(*owner_, this, e); }
  // The middle button pastes the X11 selection: through KeyPress as well.
  void mouseReleaseEvent(QMouseEvent* e) override {
    if (!owner_ || e->button() != Qt::MiddleButton) return Hooked::mouseReleaseEvent(e);
    QtBoundary boundary;
    Control* owner = owner_;
    Access::MouseUp(*owner, e);
    Access::SelectionPaste(*owner, this);
    e->accept();
  }
  // Characters an input method commits (dead keys, compose sequences) are
  // typed characters as well: each goes through KeyPress. The edit keeps
  // the pre-edit text it shows while a sequence is under way.
  void inputMethodEvent(QInputMethodEvent* e) override {
    QtBoundary boundary;
    if (!owner_ || !reportKeys || e->commitString().isEmpty()) return QLineEdit::inputMethodEvent(e);
    const QString committed = e->commitString();
    QInputMethodEvent rest(e->preeditString(), e->attributes());
    rest.setCommitString(QString(), e->replacementStart(), e->replacementLength());
    QLineEdit::inputMethodEvent(&rest);
    Control* owner = owner_;
    Access::ComposedText(*owner, this, committed);
    e->accept();
  }
  void contextMenuEvent(QContextMenuEvent* e) override {
    QtBoundary boundary;
    if (!owner_) return QLineEdit::contextMenuEvent(e);
    QMenu* menu = Access::BuildContextMenu(*owner_, this);
    {
      NestedLoop loop;
      menu->exec(e->globalPos());
    }
    delete menu;
  }

 private:
  bool primary_;
};

class ButtonWidget : public Hooked<QPushButton> {
 public:
  explicit ButtonWidget(Control* owner, QWidget* parent) : Hooked(owner, ClickOrder::WidgetAfterUp, parent) {}
};

class CheckWidget : public Hooked<QCheckBox> {
 public:
  explicit CheckWidget(Control* owner, QWidget* parent) : Hooked(owner, ClickOrder::WidgetBeforeUp, parent) {
    setTristate(true);
  }

 protected:
  // The user's click toggles between unchecked and checked only; a greyed
  // box becomes checked.
  void nextCheckState() override { setCheckState(checkState() == Qt::Checked ? Qt::Unchecked : Qt::Checked); }
  // A click anywhere on the control counts, not only on the box and text.
  bool hitButton(const QPoint& pos) const override { return rect().contains(pos); }
};

class OptionWidget : public Hooked<QRadioButton> {
 public:
  explicit OptionWidget(Control* owner, QWidget* parent) : Hooked(owner, ClickOrder::WidgetBeforeUp, parent) {}

 protected:
  bool hitButton(const QPoint& pos) const override { return rect().contains(pos); }
};

// The list of a combo box: its texts and nothing else. The standard item
// model makes an item object for every row; this one keeps one string a row,
// and takes a long list in one insertion.
class ComboListModel : public QAbstractListModel {
 public:
  using QAbstractListModel::QAbstractListModel;

  int rowCount(const QModelIndex& parent = QModelIndex()) const override {
    return parent.isValid() ? 0 : static_cast<int>(texts_.size());
  }
  QVariant data(const QModelIndex& index, int role) const override {
    if (!Holds(index) || (role != Qt::DisplayRole && role != Qt::EditRole)) return {};
    return texts_.at(index.row());
  }
  bool setData(const QModelIndex& index, const QVariant& value, int role) override {
    if (!Holds(index) || (role != Qt::DisplayRole && role != Qt::EditRole)) return false;
    texts_[index.row()] = value.toString();
    emit dataChanged(index, index, {Qt::DisplayRole, Qt::EditRole});
    return true;
  }
  Qt::ItemFlags flags(const QModelIndex& index) const override {
    return Holds(index) ? Qt::ItemIsSelectable | Qt::ItemIsEnabled : Qt::NoItemFlags;
  }
  bool insertRows(int row, int count, const QModelIndex& parent = QModelIndex()) override {
    if (parent.isValid() || row < 0 || row > rowCount() || count <= 0) return false;
    beginInsertRows(QModelIndex(), row, row + count - 1);
    texts_.insert(row, count, QString());
    endInsertRows();
    return true;
  }
  bool removeRows(int row, int count, const QModelIndex& parent = QModelIndex()) override {
    if (parent.isValid() || row < 0 || count <= 0 || row + count > rowCount()) return false;
    beginRemoveRows(QModelIndex(), row, row + count - 1);
    texts_.remove(row, count);
    endRemoveRows();
    return true;
  }
  // Appends the texts as rows in one insertion.
  void Append(const QStringList& texts) {
    if (texts.isEmpty()) return;
    beginInsertRows(QModelIndex(), rowCount(), rowCount() + static_cast<int>(texts.size()) - 1);
    texts_.append(texts);
    endInsertRows();
  }

 private:
  bool Holds(const QModelIndex& index) const {
    return index.isValid() && !index.parent().isValid() && index.column() == 0 && index.row() < texts_.size();
  }
  QStringList texts_;
};

class ComboWidget : public Hooked<QComboBox> {
 public:
  explicit ComboWidget(Control* owner, QWidget* parent) : Hooked(owner, ClickOrder::Synthesized, parent) {
    list_ = new ComboListModel(this);
    setModel(list_);
  }
  ComboListModel& List() const { return *list_; }

 private:
  ComboListModel* list_;
};

class ScrollWidget : public Hooked<QScrollBar> {
 public:
  explicit ScrollWidget(Control* owner, QWidget* parent)
      : Hooked(owner, ClickOrder::WidgetAfterUp, Qt::Vertical, parent) {}
  int dragStart = 0;
};

// One drawing call on a picture box, in pixels of its kept image.
struct Stroke {
  enum class Kind { Line, Rectangle, Arc } kind = Kind::Line;
  QPointF p1, p2;        // Line
  QRectF box;            // Rectangle; Arc: the circle's bounding box
  int start16 = 0;       // Arc: start and span in sixteenths of a degree
  int span16 = 0;
  QColor colour;
  int width = 1;         // pen width in pixels
};

// The inner area of a picture box: paints the kept image, holds the child
// controls and reports the mouse for the picture box.
//
// Strokes wait in `waiting` until the image is painted, read or changes
// size, and are then drawn together with one painter: a figure of many
// lines costs one painter, not one a line.
class CanvasWidget : public Hooked<QWidget> {
 public:
  explicit CanvasWidget(Control* owner, QWidget* parent) : Hooked(owner, ClickOrder::Synthesized, parent) {}
  ~CanvasWidget() override { Release(); }
  CanvasWidget(const CanvasWidget&) = delete;
  CanvasWidget& operator=(const CanvasWidget&) = delete;
  QImage image;
  QColor background;
  std::vector<Stroke> waiting;
  // Gives the image the widget's size, keeping what was drawn. A hidden
  // widget's resize event waits until it is shown; drawing must not.
  void FitImage();
  // Fills the image with the background; waiting strokes are dropped.
  void Clear();
  // Draws the waiting strokes onto the image, in order.
  void DrawWaiting();

 protected:
  void paintEvent(QPaintEvent* e) override;
  void resizeEvent(QResizeEvent* e) override;
};

}  // namespace korvalo::forms::detail
