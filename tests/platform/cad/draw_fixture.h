#pragma once

// KorvaloDraw in a process of its own for the tests: a private runtime
// folder per test (so that tests never meet each other's program or a
// user's), the test input hook switched on, and every KorvaloDraw a test
// reached ended when it finishes.

#include <QProcess>
#include <QStringList>
#include <QThread>
#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>
#include <unistd.h>

#include <QJsonArray>
#include <QJsonObject>
#include <chrono>
#include <filesystem>
#include <functional>
#include <set>
#include <string>
#include <thread>

#include "platform/cad/draw_client.h"
#include "platform/cad/protocol.h"
#include "platform/viewer/drawing_files.h"

namespace korvalo::cad::test {

namespace vt = viewer::testing;

// A drawing whose entities the selection tests aim at (file order):
// 0 a line crossing the first text, 1 the bearing text, 2 the distance
// text, 3 a multi-line text, 4 a line far right.
inline std::string PickDrawing() {
  return vt::DxfText(vt::Join({
             vt::Header("AC1015"),
             vt::Section("ENTITIES",
                         vt::Join({vt::Line("10", "0", 0, 11, 60, 11),
                                   vt::Text("11", "0", 10, 10, 2.5, 0, "N45%%d30'15\"E"),
                                   vt::Text("12", "0", 10, 20, 2.5, 0, "100.00"),
                                   vt::MText("13", "0", 10, 30, 2.5, "{\\A1;R=150.00}"),
                                   vt::Line("14", "0", 200, 0, 200, 100)})),
         })) +
         vt::Eof();
}

inline bool Alive(long long pid) { return wire::ProcessRunning(pid); }

// The number a call fails with; 0 when it succeeds.
inline long NumberOf(const std::function<void()>& call) {
  try {
    call();
  } catch (const CadError& e) {
    return e.Number();
  }
  return 0;
}

class DrawTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char folder[] = "/tmp/korvalo-draw-test-XXXXXX";
    ASSERT_NE(mkdtemp(folder), nullptr);
    dir_ = folder;
    setenv("XDG_RUNTIME_DIR", dir_.c_str(), 1);
    setenv("KORVALO_DRAW_TEST_INPUT", "1", 1);
    // KorvaloDraw of the sanitizer build: Qt's caches at exit are no leaks of ours.
    setenv("ASAN_OPTIONS", "detect_leaks=0", 1);
    options.programFolder = KORVALO_PROGRAM_DIR;
    options.startTimeoutMs = 30000;
    options.callTimeoutMs = 30000;
  }
  void TearDown() override {
    for (long long pid : pids_) End(pid);
    std::error_code error;
    std::filesystem::remove_all(dir_, error);
  }

  static void End(long long pid) {
    if (!Alive(pid)) return;
    kill(static_cast<pid_t>(pid), SIGTERM);
    for (int i = 0; i < 100 && Alive(pid); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(20));
    if (Alive(pid)) kill(static_cast<pid_t>(pid), SIGKILL);
  }

  std::string File(const std::string& name, const std::string& bytes) {
    const std::string path = dir_ + "/" + name;
    vt::WriteFile(path, bytes);
    return path;
  }
  std::string SocketPath() const { return dir_ + "/" + kProgramId; }

  // Options whose program folder (dir_/name) holds a KorvaloDraw that is
  // the shell script given.
  DrawOptions ScriptedProgram(const std::string& name, const std::string& script) {
    const std::string folder = dir_ + "/" + name;
    std::filesystem::create_directory(folder);
    vt::WriteFile(folder + "/KorvaloDraw", "#!/bin/sh\n" + script);
    std::filesystem::permissions(folder + "/KorvaloDraw", std::filesystem::perms::owner_all);
    DrawOptions scripted = options;
    scripted.programFolder = folder;
    return scripted;
  }

  // Starts KorvaloDraw as the link does.
  std::shared_ptr<Application> Start(DrawAutomation& automation) {
    std::shared_ptr<Application> app = automation.CreateObject(kProgramId);
    Remember(automation);
    return app;
  }
  void Remember(DrawAutomation& automation) {
    if (automation.LastConnection()) pids_.insert(automation.LastConnection()->Pid());
  }
  // Starts KorvaloDraw as a user does (on these files) and attaches to it
  // once it listens; null when it never does.
  std::shared_ptr<Application> StartByHandAndAttach(DrawAutomation& automation, const QStringList& files) {
    qint64 pid = 0;
    if (!QProcess::startDetached(QString(KORVALO_PROGRAM_DIR) + "/KorvaloDraw", files, QString(), &pid)) return nullptr;
    pids_.insert(pid);
    std::shared_ptr<Application> app;
    for (int i = 0; i < 300 && !app; ++i) {
      try {
        app = automation.GetObject(kProgramId);
      } catch (const CadError& e) {
        EXPECT_EQ(e.Number(), kCannotCreateObject) << e.Description();
        QThread::msleep(50);
      }
    }
    if (app) {
      EXPECT_EQ(automation.LastConnection()->Pid(), pid);
    }
    return app;
  }

  // The test hook: input played into the running (or next) selection.
  static void Input(DrawAutomation& automation, const QJsonArray& events) {
    QJsonArray args;
    args.append(events);
    automation.LastConnection()->Call(wire::kApplicationObject, "TestInput", args);
  }
  static QJsonObject State(DrawAutomation& automation) {
    return automation.LastConnection()->Call(wire::kApplicationObject, "TestState").toObject();
  }
  static QJsonObject Click(double x, double y, bool shift = false) {
    return {{"do", "click"}, {"x", x}, {"y", y}, {"shift", shift}};
  }
  static QJsonObject Box(double x1, double y1, double x2, double y2) {
    return {{"do", "box"}, {"x1", x1}, {"y1", y1}, {"x2", x2}, {"y2", y2}};
  }
  static QJsonObject Press(const char* key) { return {{"do", "key"}, {"key", key}}; }

  DrawOptions options;
  std::string dir_;
  std::set<long long> pids_;
};

}  // namespace korvalo::cad::test
