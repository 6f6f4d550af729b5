// Goals: each program started as a process to its first idle state (its
// windows shown and painted, nothing waiting), against a bare Qt program
// that shows one main window and ends the same way, in the same run:
// KorvaloSA within 1.5 times, KorvaloA2004 within 1.3 times. The memory
// each holds at its first idle is reported beside it (KorvaloSA's must not
// grow).
//
// A second baseline does the program's own work with Qt and SQLite alone:
// the same windows, widgets, menus and texts (the program describes them
// once, at its first idle; korvalo_same_windows builds them from that
// description) and the system database's rows the start reads. `ratio` is
// against the bare program, `same_windows_ratio` against the same windows.
//
// Each iteration starts the program and both baselines once, in turns
// (which goes first moves on each time), from a program folder that has
// been started before (no first-run questions); the figures are the
// medians of the runs and of their ratios. A start ends at the first idle
// the program tells on a pipe: its end afterwards is not counted.

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "common/edition.h"
#include "paired_runs.h"
#include "platform/dao/dao.h"
#include "storage/program_state.h"
#include "storage/system_db.h"

extern char** environ;

using namespace korvalo;

namespace {

using korvalo::bench::Median;

namespace fs = std::filesystem;

struct Run {
  double seconds = 0;  // from the start to the first idle
  double megabytes = 0;  // the largest resident size
  bool ok = false;
};

// Starts the program offscreen, asked to end at its first idle, and waits.
Run Start(const std::vector<std::string>& command, const std::vector<std::string>& extraEnv = {}) {
  std::vector<std::string> env;
  for (char** e = environ; *e; ++e) {
    const std::string entry = *e;
    if (entry.rfind("QT_QPA_PLATFORM=", 0) != 0 && entry.rfind("KORVALO_", 0) != 0) env.push_back(entry);
  }
  env.push_back("QT_QPA_PLATFORM=offscreen");
  env.push_back("KORVALO_EXIT_AT_IDLE=1");
  for (const std::string& e : extraEnv) env.push_back(e);
  // The program tells its first idle on a pipe: the time it then takes to
  // end (its windows destroyed, its threads awaited) is no part of a start.
  int idlePipe[2];
  if (::pipe2(idlePipe, O_CLOEXEC) != 0) return Run{};
  constexpr int kIdleFd = 3;
  env.push_back("KORVALO_IDLE_FD=" + std::to_string(kIdleFd));
  std::vector<char*> envp;
  for (std::string& e : env) envp.push_back(e.data());
  envp.push_back(nullptr);
  std::vector<std::string> args = command;
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_adddup2(&actions, idlePipe[1], kIdleFd);
  Run run;
  const auto start = std::chrono::steady_clock::now();
  pid_t pid = 0;
  const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), envp.data());
  posix_spawn_file_actions_destroy(&actions);
  ::close(idlePipe[1]);
  if (spawned != 0) {
    ::close(idlePipe[0]);
    return run;
  }
  char told = 0;
  const bool idle = ::read(idlePipe[0], &told, 1) == 1;
  const auto idleAt = std::chrono::steady_clock::now();
  ::close(idlePipe[0]);
  int status = 0;
  struct rusage usage {};
  if (wait4(pid, &status, 0, &usage) != pid || !idle) return run;
  run.seconds = std::chrono::duration<double>(idleAt - start).count();
  run.megabytes = static_cast<double>(usage.ru_maxrss) / 1024.0;
  run.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
  return run;
}

// A program folder started before: both system databases, the programs.
class ProgramFolder {
 public:
  ProgramFolder() {
    folder_ = fs::temp_directory_path() / ("korvalo-startup-bench-" + std::to_string(::getpid()));
    fs::create_directories(folder_);
    for (const Edition edition : {Edition::A2004, Edition::Standalone}) {
      ResetProgramState();
      SetEdition(edition);
      Program().ProgramFolder = folder_.string();
      BuildSystemDatabase(SystemDatabasePath(), edition);
      dao::Database db =
          dao::Database::Open(SystemDatabasePath(), {true, false, std::string(";Pwd=") + kSystemDatabasePassword});
      db.Execute("UPDATE tblSetting SET Demo = False, DemoMenu = False");
    }
    ResetProgramState();
  }
  ~ProgramFolder() {
    std::error_code ec;
    fs::remove_all(folder_, ec);
  }
  ProgramFolder(const ProgramFolder&) = delete;
  ProgramFolder& operator=(const ProgramFolder&) = delete;

  // The executable placed in the folder (a hard link, else a copy).
  std::string Place(const std::string& executable) {
    const fs::path placed = folder_ / fs::path(executable).filename();
    std::error_code ec;
    if (!fs::exists(placed)) {
      fs::create_hard_link(executable, placed, ec);
      if (ec) fs::copy_file(executable, placed);
    }
    return placed.string();
  }

 private:
  fs::path folder_;
};

ProgramFolder& Folder() {
  static ProgramFolder folder;
  return folder;
}

void StartToIdle(benchmark::State& state, const char* executable, Edition edition) {
  const std::string program = Folder().Place(executable);
  const std::string bare = Folder().Place(KORVALO_BARE_WINDOW);
  const std::string same = Folder().Place(KORVALO_SAME_WINDOWS);
  const std::string description = program + ".windows";
  ResetProgramState();
  SetEdition(edition);
  Program().ProgramFolder = fs::path(program).parent_path().string();
  const std::string database = SystemDatabasePath();
  ResetProgramState();
  // One start of each first, so that all are read from the page cache; in
  // its first start the program describes its windows.
  const std::vector<std::string> sameCommand{same, description, database};
  if (!Start({program}, {"KORVALO_DESCRIBE_WINDOWS=" + description}).ok || !Start({bare}).ok ||
      !Start(sameCommand).ok) {
    state.SkipWithError("a program did not start and end at its first idle");
    return;
  }
  std::vector<double> programTimes, bareTimes, sameTimes, ratios, sameRatios, programMemory, bareMemory;
  int turn = 0;
  for (auto _ : state) {
    Run runs[3];
    const std::function<Run()> starts[3] = {[&] { return Start({program}); }, [&] { return Start({bare}); },
                                            [&] { return Start(sameCommand); }};
    for (int k = 0; k < 3; ++k) {
      const int which = (turn + k) % 3;
      runs[which] = starts[which]();
    }
    ++turn;
    const Run& p = runs[0];
    const Run& b = runs[1];
    const Run& w = runs[2];
    if (!p.ok || !b.ok || !w.ok) {
      state.SkipWithError("a program did not start and end at its first idle");
      return;
    }
    state.SetIterationTime(p.seconds);
    programTimes.push_back(p.seconds);
    bareTimes.push_back(b.seconds);
    sameTimes.push_back(w.seconds);
    ratios.push_back(p.seconds / b.seconds);
    sameRatios.push_back(p.seconds / w.seconds);
    programMemory.push_back(p.megabytes);
    bareMemory.push_back(b.megabytes);
  }
  state.counters["program_ms"] = Median(programTimes) * 1000;
  state.counters["bare_ms"] = Median(bareTimes) * 1000;
  state.counters["same_windows_ms"] = Median(sameTimes) * 1000;
  state.counters["ratio"] = Median(ratios);
  state.counters["same_windows_ratio"] = Median(sameRatios);
  state.counters["program_mb"] = Median(programMemory);
  state.counters["bare_mb"] = Median(bareMemory);
  state.counters["memory_ratio"] = Median(bareMemory) > 0 ? Median(programMemory) / Median(bareMemory) : 0;
}

void BM_StandaloneStartToIdle(benchmark::State& state) { StartToIdle(state, KORVALO_SA, Edition::Standalone); }
BENCHMARK(BM_StandaloneStartToIdle)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(21);

void BM_LinkedStartToIdle(benchmark::State& state) { StartToIdle(state, KORVALO_A2004, Edition::A2004); }
BENCHMARK(BM_LinkedStartToIdle)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(21);

}  // namespace

BENCHMARK_MAIN();
