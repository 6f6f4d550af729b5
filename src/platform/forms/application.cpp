#include "platform/forms/application.h"

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QCursor>
#include <QGuiApplication>
#include <QScreen>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <system_error>
#include <thread>

#include "common/first_idle.h"
#include "platform/forms/desktop.h"
#include "platform/forms/form.h"
#include "platform/forms/internal.h"

namespace korvalo::forms {

namespace {
int g_pointer = vbDefault;
}

Application::Application(int& argc, char** argv) {
  if (!QApplication::instance()) {
    // Qt's own event loop rather than GLib's: GLib's wakes its loop with a
    // write on every posted event, and building a window posts several per
    // control (the course grid takes twice as long with it).
    if (!qEnvironmentVariableIsSet("QT_NO_GLIB")) qputenv("QT_NO_GLIB", "1");
    app_ = new QApplication(argc, argv);
    ownsApp_ = true;
  }
  for (int i = 1; i < argc; ++i) {
    if (i > 1) commandLine_ += ' ';
    commandLine_ += argv[i];
  }
}

Application::~Application() {
  if (ownsApp_) {
    delete static_cast<QApplication*>(app_);
    AwaitOtherThreadsEnded();
  }
}

void AwaitOtherThreadsEnded() {
  // The application's end tells Qt's pool threads (the painter fills large
  // areas on them) to stop and waits until they say they have, but each may
  // still be running its thread's own clean-up for a moment after.
  namespace fs = std::filesystem;
  for (int waited = 0; waited < 200; ++waited) {
    std::error_code ec;
    int threads = 0;
    for (fs::directory_iterator it("/proc/self/task", ec), end; !ec && it != end; it.increment(ec)) ++threads;
    if (ec || threads <= 1) return;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
}

int Application::Run() { return QApplication::exec(); }

int Application::RunToFirstIdle() {
  // The loop is about to block only when no posted event (a paint, a
  // layout, a deferred task) waits.
  QAbstractEventDispatcher* dispatcher = QAbstractEventDispatcher::instance();
  const auto idle = QObject::connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, [] {
    // A measurement from outside learns the moment, and, when asked, what
    // the windows the program started with are made of.
    static bool described = false;
    if (const char* describe = std::getenv("KORVALO_DESCRIBE_WINDOWS"); describe && !described) {
      described = true;
      DescribeWindows(describe);
    }
    TellFirstIdle();
    QCoreApplication::exit(0);
  });
  const int code = QApplication::exec();
  QObject::disconnect(idle);
  return code;
}

void Application::Quit(int code) { QApplication::exit(code); }

std::string ProgramFolder() { return detail::S(QCoreApplication::applicationDirPath()); }

void DoEvents() {
  detail::NestedLoop nested;
  QCoreApplication::processEvents();
}

int ScreenWidth() { return TwipsFromPixels(ScreenWidthPixels()); }

int ScreenHeight() { return TwipsFromPixels(ScreenHeightPixels()); }

int MousePointer() { return g_pointer; }

void SetMousePointer(int pointer) {
  if (pointer == g_pointer) return;
  if (g_pointer != vbDefault) QApplication::restoreOverrideCursor();
  g_pointer = pointer;
  if (pointer == vbHourglass) {
    QApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
  } else if (pointer != vbDefault) {
    QApplication::setOverrideCursor(QCursor(Qt::ArrowCursor));
  }
}

HourglassPointer::HourglassPointer() : previous_(MousePointer()) { SetMousePointer(vbHourglass); }
HourglassPointer::~HourglassPointer() { SetMousePointer(previous_); }

bool SaveWindowImage(Form& form, const std::string& path) {
  detail::Access::RealisePending(form);
  return form.Window()->grab().save(detail::Q(path), "PNG");
}

}  // namespace korvalo::forms
