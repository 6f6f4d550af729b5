// The second baseline of the start-up benchmark: the same windows built
// with Qt alone. It reads the description a program wrote of the windows it
// started with (KORVALO_DESCRIBE_WINDOWS, platform/forms/window_description.h),
// reads the rows the start reads from the system database with SQLite
// alone, builds every window with its widgets, menus and texts as plain Qt
// widgets, shows the ones that were shown, and ends once the event loop is
// idle for the first time, told as the programs tell it
// (common/first_idle.h).
//
//   korvalo_same_windows DESCRIPTION [SYSTEM-DATABASE]

#include <sqlite3.h>
#include <QAbstractEventDispatcher>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QIcon>
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
#include <cstdlib>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "common/first_idle.h"
#include "platform/forms/window_description.h"

namespace {

using korvalo::forms::description::Fields;

QString Q(const std::string& s) { return QString::fromStdString(s); }

template <class T, class Map>
T* Find(const Map& map, int id) {
  const auto it = map.find(id);
  return it == map.end() ? nullptr : qobject_cast<T*>(it->second);
}

int N(const std::string& s) { return std::atoi(s.c_str()); }

void SetFont(QWidget* w, const std::string& font) {
  if (font == "-") return;
  std::vector<std::string> p;
  std::string part;
  for (const char c : font) {
    if (c == ',') {
      p.push_back(part);
      part.clear();
    } else {
      part += c;
    }
  }
  p.push_back(part);
  if (p.size() < 4) return;
  QFont f(Q(p[0]));
  if (p[2] == "px") {
    f.setPixelSize(N(p[1]));
  } else {
    f.setPointSizeF(std::atof(p[1].c_str()));
  }
  f.setBold(p[3] == "1");
  w->setFont(f);
}

QWidget* Make(const std::string& type, QWidget* parent) {
  if (type == "QMdiArea") return new QMdiArea(parent);
  if (type == "QPlainTextEdit") return new QPlainTextEdit(parent);
  if (type == "QComboBox") return new QComboBox(parent);
  if (type == "QComboBox+edit") {
    auto* combo = new QComboBox(parent);
    combo->setEditable(true);
    return combo;
  }
  if (type == "QMenuBar") return new QMenuBar(parent);
  if (type == "QTabBar") return new QTabBar(parent);
  if (type == "QLineEdit") return new QLineEdit(parent);
  if (type == "QPushButton") return new QPushButton(parent);
  if (type == "QRadioButton") return new QRadioButton(parent);
  if (type == "QCheckBox") return new QCheckBox(parent);
  if (type == "QScrollBar") return new QScrollBar(parent);
  if (type == "QLabel") return new QLabel(parent);
  if (type == "QFrame") return new QFrame(parent);
  return new QWidget(parent);
}

void SetText(QWidget* w, const QString& text) {
  if (auto* label = qobject_cast<QLabel*>(w)) {
    label->setText(text);
  } else if (auto* button = qobject_cast<QAbstractButton*>(w)) {
    button->setText(text);
  } else if (auto* edit = qobject_cast<QLineEdit*>(w)) {
    edit->setText(text);
  } else if (auto* combo = qobject_cast<QComboBox*>(w)) {
    if (combo->isEditable()) combo->setEditText(text);
  } else if (auto* plain = qobject_cast<QPlainTextEdit*>(w)) {
    plain->setPlainText(text);
  }
}

// The rows the programs' start reads from the system database.
void ReadSystemDatabase(const char* path) {
  sqlite3* db = nullptr;
  if (sqlite3_open_v2(path, &db, SQLITE_OPEN_READWRITE, nullptr) == SQLITE_OK) {
    for (const char* sql :
         {"SELECT * FROM korvalo_meta", "SELECT * FROM tblSetting", "SELECT * FROM tblRecentProject"}) {
      sqlite3_stmt* statement = nullptr;
      if (sqlite3_prepare_v2(db, sql, -1, &statement, nullptr) != SQLITE_OK) continue;
      while (sqlite3_step(statement) == SQLITE_ROW) {
        for (int c = 0; c < sqlite3_column_count(statement); ++c) sqlite3_column_text(statement, c);
      }
      sqlite3_finalize(statement);
    }
  }
  sqlite3_close(db);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  qputenv("QT_NO_GLIB", "1");
  QApplication app(argc, argv);
  if (argc > 2) ReadSystemDatabase(argv[2]);

  std::ifstream in(argv[1], std::ios::binary);
  if (!in) return 2;
  std::map<int, QWidget*> widgets;
  std::map<int, QMdiSubWindow*> subs;
  std::map<int, QMenuBar*> bars;
  std::map<int, QMenu*> menus;
  struct Shown {
    QWidget* window;
    bool maximized;
  };
  std::vector<Shown> shown;
  std::string line;
  while (std::getline(in, line)) {
    const std::vector<std::string> f = Fields(line);
    const std::string& kind = f[0];
    if (kind == "window" && f.size() >= 11) {
      QWidget* w = Make(f[2], nullptr);
      w->setGeometry(N(f[3]), N(f[4]), N(f[5]), N(f[6]));
      SetFont(w, f[9]);
      w->setWindowTitle(Q(f[10]));
      widgets[N(f[1])] = w;
      if (f[7] == "1") shown.push_back({w, f[8] == "maximized"});
    } else if (kind == "widget" && f.size() >= 14) {
      const int parent = N(f[2]);
      QWidget* w = nullptr;
      if (const auto sub = subs.find(parent); sub != subs.end()) {
        w = Make(f[3], nullptr);
        sub->second->setWidget(w);
      } else {
        const auto container = widgets.find(parent);
        if (container == widgets.end()) continue;
        w = Make(f[3], container->second);
      }
      w->setGeometry(N(f[4]), N(f[5]), N(f[6]), N(f[7]));
      if (f[8] == "0") w->hide();
      if (f[9] == "0") w->setEnabled(false);
      w->setAutoFillBackground(f[10] == "1");
      if (f[11] != "-") {
        QPalette palette = w->palette();
        palette.setColor(w->backgroundRole(), QColor(Q(f[11])));
        w->setPalette(palette);
      }
      SetFont(w, f[12]);
      SetText(w, Q(f[13]));
      widgets[N(f[1])] = w;
      if (auto* bar = qobject_cast<QMenuBar*>(w)) bars[N(f[1])] = bar;
    } else if (kind == "item" && f.size() >= 3) {
      if (auto* combo = Find<QComboBox>(widgets, N(f[1]))) combo->addItem(Q(f[2]));
    } else if (kind == "tab" && f.size() >= 3) {
      if (auto* tabs = Find<QTabBar>(widgets, N(f[1]))) tabs->addTab(Q(f[2]));
    } else if (kind == "scroll" && f.size() >= 7) {
      if (auto* bar = Find<QScrollBar>(widgets, N(f[1]))) {
        bar->setOrientation(f[2] == "vertical" ? Qt::Vertical : Qt::Horizontal);
        bar->setRange(N(f[3]), N(f[4]));
        bar->setPageStep(N(f[5]));
        bar->setValue(N(f[6]));
      }
    } else if (kind == "pixmap" && f.size() >= 4) {
      if (auto* label = Find<QLabel>(widgets, N(f[1]))) {
        QPixmap picture(N(f[2]), N(f[3]));
        picture.fill(Qt::lightGray);
        label->setPixmap(picture);
      }
    } else if (kind == "icon" && f.size() >= 4) {
      if (auto* button = Find<QAbstractButton>(widgets, N(f[1]))) {
        QPixmap picture(N(f[2]), N(f[3]));
        picture.fill(Qt::darkBlue);
        button->setIcon(QIcon(picture));
        button->setIconSize(picture.size());
      }
    } else if (kind == "sub" && f.size() >= 10) {
      auto* area = Find<QMdiArea>(widgets, N(f[2]));
      if (!area) continue;
      auto* sub = new QMdiSubWindow;
      area->addSubWindow(sub);
      sub->setGeometry(N(f[3]), N(f[4]), N(f[5]), N(f[6]));
      sub->setWindowTitle(Q(f[9]));
      if (f[7] == "0") {
        sub->hide();
      } else if (f[8] == "maximized") {
        sub->showMaximized();
      }
      subs[N(f[1])] = sub;
    } else if (kind == "menu" && f.size() >= 8) {
      const int parent = N(f[2]);
      QMenuBar* bar = Find<QMenuBar>(bars, parent);
      QMenu* owner = Find<QMenu>(menus, parent);
      if (!bar && !owner) continue;
      QAction* action = nullptr;
      if (f[3] == "top" || f[3] == "sub") {
        QMenu* menu = bar ? bar->addMenu(Q(f[7])) : owner->addMenu(Q(f[7]));
        menus[N(f[1])] = menu;
        action = menu->menuAction();
      } else if (!owner) {
        continue;
      } else if (f[3] == "separator") {
        action = owner->addSeparator();
      } else {
        action = owner->addAction(Q(f[7]));
        if (f[6] == "1") {
          action->setCheckable(true);
          action->setChecked(true);
        }
      }
      action->setEnabled(f[4] == "1");
      action->setVisible(f[5] == "1");
    }
  }
  for (const Shown& s : shown) {
    if (s.maximized) {
      s.window->showMaximized();
    } else {
      s.window->show();
    }
  }

  QObject::connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::aboutToBlock, [] {
    korvalo::TellFirstIdle();
    QCoreApplication::exit(0);
  });
  return QApplication::exec();
}
