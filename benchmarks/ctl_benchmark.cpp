// quorvelctl's own time, against simulated printers on pseudo-terminals:
//   - `read` of one printer: the printer's answer time plus our own. RawExchange is the answer alone (the query
//     written and the 64 bytes read on the device, nothing else); CtlRead is the whole program, started as a
//     script starts it. Their difference is ours: start-up, the device open, the decoding and the report.
//   - `apply` to 1 and to 4 printers: the printers are handled at the same time, so four take about as long as one.
// Run from a Release build: build/<dir>/benchmarks/ctl_benchmark (QUORVELCTL=path measures another build's program).
//
// On the 2-core build machine, with the Release program of the Debian package build:
//   RawExchange/prompt 0.12 ms, CtlRead/prompt 7.4 ms; RawExchange/answers_in_50ms 50.4 ms, CtlRead 58.6 ms:
//   about 8 ms of our own per read, the program's start included.
//   CtlApply/1 1111 ms, CtlApply/4 1116 ms (one second of settle time each): four printers take 1.005 times one.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace {

namespace fs = std::filesystem;

pid_t Spawn(const std::vector<std::string>& arguments, bool quiet) {
  std::vector<char*> argv;
  for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  if (quiet) {
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
  }
  pid_t child = 0;
  const int error = posix_spawn(&child, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (error != 0) throw std::runtime_error("cannot start " + arguments[0]);
  return child;
}

int Wait(pid_t child) {
  int status = 0;
  ::waitpid(child, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// One printer_sim process for the life of a benchmark.
class Simulator {
 public:
  Simulator(const fs::path& folder, const std::string& name, const std::string& mode) {
    link_ = folder / name;
    const fs::path ready = folder / (name + ".ready");
    fs::remove(ready);
    process_ = Spawn({PRINTER_SIM_PATH, "--link", link_.string(), "--mode", mode, "--ready", ready.string()}, true);
    for (int i = 0; i < 500 && !fs::exists(ready); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    if (!fs::exists(ready)) throw std::runtime_error("printer_sim did not start");
  }
  ~Simulator() {
    ::kill(process_, SIGTERM);
    Wait(process_);
  }
  Simulator(const Simulator&) = delete;
  Simulator& operator=(const Simulator&) = delete;
  std::string Device() const { return link_.string(); }

 private:
  fs::path link_;
  pid_t process_ = 0;
};

// The program measured: the one built beside this benchmark, or $QUORVELCTL (a Release build's, say).
std::string Quorvelctl() {
  const char* chosen = std::getenv("QUORVELCTL");
  return chosen && *chosen ? chosen : QUORVELCTL_PATH;
}

fs::path Folder() {
  fs::path folder = fs::temp_directory_path() / ("ctl_benchmark_" + std::to_string(::getpid()));
  fs::create_directories(folder);
  return folder;
}

// The printer's part: the query out and the frame back, on a device opened as quorvelctl opens it.
void RawExchange(benchmark::State& state, const std::string& mode) {
  const fs::path folder = Folder();
  Simulator printer(folder, "raw", mode);
  const std::string query = "RETURN VALUE\r\n";
  for (auto _ : state) {
    const int fd = ::open(printer.Device().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (::write(fd, query.data(), query.size()) != static_cast<ssize_t>(query.size())) state.SkipWithError("write");
    size_t got = 0;
    char buffer[64];
    while (got < 64) {
      pollfd wanted{fd, POLLIN, 0};
      if (::poll(&wanted, 1, 2000) <= 0) {
        state.SkipWithError("no answer");
        break;
      }
      const ssize_t count = ::read(fd, buffer + got, 64 - got);
      if (count > 0) got += static_cast<size_t>(count);
    }
    ::close(fd);
  }
  fs::remove_all(folder);
}

void CtlRead(benchmark::State& state, const std::string& mode) {
  const fs::path folder = Folder();
  Simulator printer(folder, "ctl", mode);
  for (auto _ : state) {
    if (Wait(Spawn({Quorvelctl(), "read", "--device", printer.Device(), "--json"}, true)) != 0) {
      state.SkipWithError("quorvelctl read failed");
    }
  }
  fs::remove_all(folder);
}

// A printer answering at once, and one taking 50 ms as a real one may.
BENCHMARK_CAPTURE(RawExchange, prompt, std::string("normal"))->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(CtlRead, prompt, std::string("normal"))->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(RawExchange, answers_in_50ms, std::string("late:50"))->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(CtlRead, answers_in_50ms, std::string("late:50"))->Unit(benchmark::kMillisecond)->UseRealTime();

// `apply` with a second of settle time to printers answering in 50 ms: one printer, then four at once.
void CtlApply(benchmark::State& state) {
  const fs::path folder = Folder();
  std::vector<std::unique_ptr<Simulator>> printers;
  for (int i = 0; i < state.range(0); ++i) {
    printers.push_back(std::make_unique<Simulator>(folder, "p" + std::to_string(i), "late:50"));
  }
  const fs::path profile = folder / "profile.json";
  if (Wait(Spawn({Quorvelctl(), "save", profile.string(), "--device", printers.front()->Device()}, true)) != 0) {
    state.SkipWithError("quorvelctl save failed");
  }
  std::vector<std::string> command = {Quorvelctl(), "apply", profile.string(), "--all", "--settle", "1"};
  for (const auto& printer : printers) {
    command.push_back("--device");
    command.push_back(printer->Device());
  }
  for (auto _ : state) {
    if (Wait(Spawn(command, true)) != 0) state.SkipWithError("quorvelctl apply failed");
  }
  printers.clear();
  fs::remove_all(folder);
}
BENCHMARK(CtlApply)->Arg(1)->Arg(4)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

}  // namespace

BENCHMARK_MAIN();
