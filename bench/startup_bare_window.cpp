// The baseline of the start-up benchmark: a bare Qt Widgets program that
// does what every program's start does at the least: the application (with
// Qt's own event loop, as the programs run it), one main window with a menu
// bar and a status line, shown, and an end once the event loop is idle for
// the first time, told as the programs tell it (common/first_idle.h).

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QMainWindow>
#include <QMenuBar>
#include <QStatusBar>

#include "common/first_idle.h"

int main(int argc, char** argv) {
  qputenv("QT_NO_GLIB", "1");
  QApplication app(argc, argv);
  QMainWindow window;
  window.setWindowTitle("Korvalo");
  window.menuBar()->addMenu("&File")->addAction("E&xit");
  window.statusBar()->showMessage("Ready");
  window.resize(800, 600);
  window.show();
  QObject::connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::aboutToBlock, [] {
    korvalo::TellFirstIdle();
    QCoreApplication::exit(0);
  });
  return QApplication::exec();
}
