#pragma once

// The program around the forms: the event loop, the screen, the mouse
// pointer.

#include <string>
#include <vector>

namespace korvalo::forms {

class Form;

// Brings up the windowing system (or uses the one a test already started).
// One per program, created first in main. Benchmarks should create it too,
// so they run the same event loop as the program.
class Application {
 public:
  Application(int& argc, char** argv);
  ~Application();
  Application(const Application&) = delete;
  Application& operator=(const Application&) = delete;

  // Runs the event loop until the last visible form is unloaded or Quit.
  int Run();
  static void Quit(int code = 0);
  // Runs the event loop until it has handled everything the start left
  // waiting (windows shown, laid out and painted) and would wait for more,
  // then ends it with 0: a start measured or checked from outside.
  int RunToFirstIdle();

  // The command line after the program name, arguments joined by blanks.
  const std::string& CommandLine() const { return commandLine_; }

 private:
  bool ownsApp_ = false;
  void* app_ = nullptr;
  std::string commandLine_;
};

// Waits (at most 0.2 s) until this process runs no thread but the calling
// one: after the application has ended, so that nothing of a thread that is
// still ending is mistaken for a leak by the sanitizer build's check at exit.
void AwaitOtherThreadsEnded();

// The folder of the running program, without a trailing "/".
std::string ProgramFolder();

// Handles the events waiting now, then returns.
void DoEvents();

// Size of the primary screen in twips.
int ScreenWidth();
int ScreenHeight();

// The program's active form, null when none is.
Form* ActiveForm();

// Mouse pointer of the whole program.
inline constexpr int vbDefault = 0;
inline constexpr int vbArrow = 1;
inline constexpr int vbHourglass = 11;
int MousePointer();
void SetMousePointer(int pointer);

// The hourglass for the lifetime of the object; the previous pointer after.
class HourglassPointer {
 public:
  HourglassPointer();
  ~HourglassPointer();
  HourglassPointer(const HourglassPointer&) = delete;
  HourglassPointer& operator=(const HourglassPointer&) = delete;

 private:
  int previous_;
};

// Writes an image of the form's window as PNG; false when it cannot.
bool SaveWindowImage(Form& form, const std::string& path);

// Writes what the program's windows are made of (window_description.h):
// every form's window, shown or not, with its widgets, menus and texts, so
// that a measurement can build the same windows with the toolkit alone.
bool DescribeWindows(const std::string& path);

}  // namespace korvalo::forms
