// Goals: each program started as a process to its first idle state (its
// windows shown and painted, nothing waiting), against a bare Qt program
// that shows one main window and ends the same way, in the same run:
// KorvaloSA within 1.5 times, KorvaloA2004 within 1.3 times. The memory
// each holds at its end is reported beside it (KorvaloSA's must not grow).
//
// Each iteration starts the bare program and the program once, in turns,
// from a program folder that has been started before (no first-run
// questions); the figures are the medians of the paired runs and the median
// of their ratios.

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
  double seconds = 0;
  double megabytes = 0;  // the largest resident size
  bool ok = false;
};

// Starts the program offscreen, asked to end at its first idle, and waits.
Run Start(const std::string& program) {
  std::vector<std::string> env;
  for (char** e = environ; *e; ++e) {
    const std::string entry = *e;
    if (entry.rfind("QT_QPA_PLATFORM=", 0) != 0 && entry.rfind("KORVALO_", 0) != 0) env.push_back(entry);
  }
  env.push_back("QT_QPA_PLATFORM=offscreen");
  env.push_back("KORVALO_EXIT_AT_IDLE=1");
  std::vector<char*> envp;
  for (std::string& e : env) envp.push_back(e.data());
  envp.push_back(nullptr);
  std::string arg0 = program;
  char* argv[] = {arg0.data(), nullptr};
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  Run run;
  const auto start = std::chrono::steady_clock::now();
  pid_t pid = 0;
  const int spawned = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv, envp.data());
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) return run;
  int status = 0;
  struct rusage usage {};
  if (wait4(pid, &status, 0, &usage) != pid) return run;
  run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
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

void StartToIdle(benchmark::State& state, const char* executable) {
  const std::string program = Folder().Place(executable);
  const std::string bare = Folder().Place(KORVALO_BARE_WINDOW);
  // One start each first, so that both are read from the page cache.
  if (!Start(bare).ok || !Start(program).ok) {
    state.SkipWithError("a program did not start and end at its first idle");
    return;
  }
  std::vector<double> programTimes, bareTimes, ratios, programMemory, bareMemory;
  bool programFirst = false;
  for (auto _ : state) {
    const auto [p, b] = korvalo::bench::InTurns(programFirst, [&] { return Start(program); }, [&] { return Start(bare); });
    if (!p.ok || !b.ok) {
      state.SkipWithError("a program did not start and end at its first idle");
      return;
    }
    state.SetIterationTime(p.seconds);
    programTimes.push_back(p.seconds);
    bareTimes.push_back(b.seconds);
    ratios.push_back(p.seconds / b.seconds);
    programMemory.push_back(p.megabytes);
    bareMemory.push_back(b.megabytes);
  }
  state.counters["program_ms"] = Median(programTimes) * 1000;
  state.counters["bare_ms"] = Median(bareTimes) * 1000;
  state.counters["ratio"] = Median(ratios);
  state.counters["program_mb"] = Median(programMemory);
  state.counters["bare_mb"] = Median(bareMemory);
  state.counters["memory_ratio"] = Median(bareMemory) > 0 ? Median(programMemory) / Median(bareMemory) : 0;
}

void BM_StandaloneStartToIdle(benchmark::State& state) { StartToIdle(state, KORVALO_SA); }
BENCHMARK(BM_StandaloneStartToIdle)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(21);

void BM_LinkedStartToIdle(benchmark::State& state) { StartToIdle(state, KORVALO_A2004); }
BENCHMARK(BM_LinkedStartToIdle)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(21);

}  // namespace

BENCHMARK_MAIN();
