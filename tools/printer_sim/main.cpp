// printer_sim: one simulated USB thermal printer on a pseudo-terminal, reached by Wine through a symlink.
//   printer_sim --link PATH [--set KEY=VALUE]... [--mode MODE] [--log FILE] [--state-file FILE]
//               [--control FIFO] [--ready FILE] [--ignore KEY]...
// Modes: see answer_mode.h. Control lines on the FIFO: "quit", "mode MODE", "set KEY VALUE".
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <fstream>
#include <memory>
#include <string>

#include "tools/printer_sim/answer_mode.h"
#include "tools/printer_sim/printer_state.h"

namespace {

using Clock = std::chrono::steady_clock;
// How often slow mode takes its next bytes: short against the time a piece of a job takes at its rate.
constexpr int kDrainIntervalMs = 10;
volatile sig_atomic_t stopRequested = 0;

class UniqueFd {
 public:
  explicit UniqueFd(int fd = -1) : fd_(fd) {}
  ~UniqueFd() {
    if (fd_ >= 0) ::close(fd_);
  }
  UniqueFd(const UniqueFd&) = delete;
  UniqueFd& operator=(const UniqueFd&) = delete;
  int get() const { return fd_; }

 private:
  int fd_;
};

struct Options {
  std::string link, log, stateFile, control, ready;
  printer_sim::AnswerMode mode;
  printer_sim::PrinterState state;
};

[[noreturn]] void Usage(const std::string& problem) {
  std::fprintf(stderr, "printer_sim: %s\n", problem.c_str());
  std::exit(2);
}

Options Parse(int argc, char** argv) {
  Options options;
  for (int i = 1; i < argc; ++i) {
    std::string flag = argv[i];
    if (i + 1 >= argc) Usage(flag + " needs a value");
    std::string value = argv[++i];
    if (flag == "--link") options.link = value;
    else if (flag == "--log") options.log = value;
    else if (flag == "--state-file") options.stateFile = value;
    else if (flag == "--control") options.control = value;
    else if (flag == "--ready") options.ready = value;
    else if (flag == "--mode") {
      auto mode = printer_sim::ParseAnswerMode(value);
      if (!mode) Usage("unknown mode '" + value + "'");
      options.mode = *mode;
    } else if (flag == "--ignore") {
      if (auto error = options.state.Ignore(value)) Usage(*error);
    } else if (flag == "--set") {
      size_t equals = value.find('=');
      if (equals == std::string::npos) Usage("--set takes KEY=VALUE");
      if (auto error = options.state.Set(value.substr(0, equals), value.substr(equals + 1))) Usage(*error);
    } else {
      Usage("unknown option " + flag);
    }
  }
  if (options.link.empty()) Usage("--link is required");
  return options;
}

class Simulator {
 public:
  explicit Simulator(Options options) : o_(std::move(options)) {}

  int Run() {
    UniqueFd master(::posix_openpt(O_RDWR | O_NOCTTY));
    if (master.get() < 0 || ::grantpt(master.get()) != 0 || ::unlockpt(master.get()) != 0) return Fail("pty");
    std::string slaveName = ::ptsname(master.get());
    // Our own slave handle keeps the line open while Windows has the device closed (no EIO loop).
    UniqueFd slave(::open(slaveName.c_str(), O_RDWR | O_NOCTTY));
    if (slave.get() < 0) return Fail("slave");
    termios raw{};
    ::tcgetattr(slave.get(), &raw);
    ::cfmakeraw(&raw);
    ::tcsetattr(slave.get(), TCSANOW, &raw);

    slaveName_ = slaveName;
    ::unlink(o_.link.c_str());
    if (::symlink(slaveName.c_str(), o_.link.c_str()) != 0) return Fail("symlink " + o_.link);
    if (Diverted(o_.mode) && !Divert()) return Fail("device fifo");
    UniqueFd control = OpenControl();
    if (!o_.control.empty() && control.get() < 0) return Fail("control fifo " + o_.control);
    WriteState();
    if (!o_.ready.empty()) std::ofstream(o_.ready) << slaveName << "\n";

    while (!stopRequested) {
      pollfd fds[2] = {{master.get(), POLLIN, 0}, {control.get(), POLLIN, 0}};
      ::poll(fds, control.get() >= 0 ? 2 : 1, NextTimeout());
      if (fds[0].revents & POLLIN) Receive(master.get());
      if (o_.mode.kind == printer_sim::AnswerMode::Slow) Drain();
      if (control.get() >= 0 && (fds[1].revents & POLLIN)) ReadControl(control.get());
      SendDueAnswers(master.get());
    }
    ::unlink(o_.link.c_str());
    if (!o_.control.empty()) ::unlink(o_.control.c_str());
    fifo_.reset();
    ::unlink(FifoPath().c_str());
    return 0;
  }

 private:
  int Fail(const std::string& what) {
    std::fprintf(stderr, "printer_sim: %s: %s\n", what.c_str(), std::strerror(errno));
    return 1;
  }

  std::string FifoPath() const { return o_.link + ".fifo"; }

  // Modes in which the device is a FIFO rather than the printer's line.
  static bool Diverted(const printer_sim::AnswerMode& mode) {
    return mode.kind == printer_sim::AnswerMode::Stall || mode.kind == printer_sim::AnswerMode::Slow;
  }

  // Points the device link at `target` in one step, so that an open never finds it missing.
  bool Relink(const std::string& target) {
    const std::string temporary = o_.link + ".relink";
    ::unlink(temporary.c_str());
    return ::symlink(target.c_str(), temporary.c_str()) == 0 && ::rename(temporary.c_str(), o_.link.c_str()) == 0;
  }

  // The device becomes a FIFO with a small pipe buffer. Stalled, the buffer is full and nobody reads it: a write
  // blocks. Slow, the simulator drains it at the mode's rate.
  bool Divert() {
    if (fifo_) return true;
    const std::string path = FifoPath();
    ::unlink(path.c_str());
    if (::mkfifo(path.c_str(), 0600) != 0) return false;
    auto fifo = std::make_unique<UniqueFd>(::open(path.c_str(), O_RDWR | O_NONBLOCK));
    if (fifo->get() < 0) return false;
    ::fcntl(fifo->get(), F_SETPIPE_SZ, printer_sim::kSlowPipeBytes);
    const bool stalled = o_.mode.kind == printer_sim::AnswerMode::Stall;
    if (stalled) {
      const std::string filler(4096, 'x');
      while (::write(fifo->get(), filler.data(), filler.size()) > 0) {
      }
    }
    fifo_ = std::move(fifo);
    credit_ = 0;
    lastDrain_ = Clock::now();
    if (!Relink(path)) return false;
    Log(stalled ? "stalled" : "slow " + std::to_string(o_.mode.value));
    return true;
  }

  // The printer takes data again: the link points back at it, and what the FIFO held is dropped.
  void Resume() {
    if (!fifo_) return;
    if (!Relink(slaveName_)) Log("relink-error " + o_.link);
    fifo_.reset();
    ::unlink(FifoPath().c_str());
    Log("resumed");
  }

  // Slow mode: takes from the FIFO what the rate allows since the last look. The credit is capped at what the
  // FIFO holds, so that a pause of the host is not made up by a burst.
  void Drain() {
    if (!fifo_) return;
    const Clock::time_point now = Clock::now();
    const double seconds = std::chrono::duration<double>(now - lastDrain_).count();
    lastDrain_ = now;
    credit_ = std::min(credit_ + seconds * o_.mode.value, static_cast<double>(printer_sim::kSlowPipeBytes));
    char buffer[printer_sim::kSlowPipeBytes];
    const auto wanted = static_cast<size_t>(credit_);
    if (wanted == 0) return;
    const ssize_t count = ::read(fifo_->get(), buffer, wanted);
    if (count <= 0) return;
    credit_ -= static_cast<double>(count);
    Take(std::string_view(buffer, static_cast<size_t>(count)));
  }

  UniqueFd OpenControl() {
    if (o_.control.empty()) return UniqueFd();
    ::unlink(o_.control.c_str());
    if (::mkfifo(o_.control.c_str(), 0600) != 0) return UniqueFd();
    // Opened for writing too, so that writers coming and going never give us end-of-file.
    return UniqueFd(::open(o_.control.c_str(), O_RDWR | O_NONBLOCK));
  }

  void Log(const std::string& line) {
    if (o_.log.empty()) return;
    std::ofstream(o_.log, std::ios::app) << line << "\n";
  }

  void WriteState() {
    if (o_.stateFile.empty()) return;
    std::string temporary = o_.stateFile + ".tmp";
    std::ofstream(temporary) << o_.state.Dump();
    if (std::rename(temporary.c_str(), o_.stateFile.c_str()) != 0) Log("state-file-error " + o_.stateFile);
  }

  void Receive(int master) {
    char buffer[4096];
    ssize_t count = ::read(master, buffer, sizeof(buffer));
    if (count <= 0) return;
    Take(std::string_view(buffer, static_cast<size_t>(count)));
  }

  // Bytes the printer took: logged, and their command lines applied.
  void Take(std::string_view bytes) {
    std::string hex = "rx";
    for (size_t i = 0; i < bytes.size(); ++i) {
      char byte[4];
      std::snprintf(byte, sizeof(byte), " %02x", static_cast<unsigned char>(bytes[i]));
      hex += byte;
    }
    Log(hex);
    for (const std::string& line : splitter_.Feed(bytes)) {
      std::string before = o_.state.Dump();
      if (!o_.state.Apply(line)) {
        Log("unknown " + line);
        continue;
      }
      Log("cmd " + line);
      if (o_.state.Dump() != before) WriteState();
      if (line == "RETURN VALUE") QueueAnswer();
    }
  }

  void QueueAnswer() {
    if (o_.mode.kind == printer_sim::AnswerMode::Silent) return;
    auto due = Clock::now();
    if (o_.mode.kind == printer_sim::AnswerMode::Late) due += std::chrono::milliseconds(o_.mode.value);
    std::array<uint8_t, 64> frame = o_.state.Frame();
    size_t length = frame.size();
    if (o_.mode.kind == printer_sim::AnswerMode::Short) length = static_cast<size_t>(o_.mode.value);
    if (o_.mode.kind == printer_sim::AnswerMode::Corrupt) frame[63] = 0x00;
    if (o_.mode.kind == printer_sim::AnswerMode::Split) {
      const auto first = static_cast<long>(o_.mode.value);
      answers_.push_back({due, std::string(frame.begin(), frame.begin() + first)});
      answers_.push_back({due + std::chrono::milliseconds(printer_sim::kSplitPauseMs),
                          std::string(frame.begin() + first, frame.end())});
      return;
    }
    if (o_.mode.kind == printer_sim::AnswerMode::Stray) {
      answers_.push_back({due, std::string(static_cast<size_t>(o_.mode.value), '\0')});
      due += std::chrono::milliseconds(printer_sim::kStrayPauseMs);
    }
    answers_.push_back({due, std::string(frame.begin(), frame.begin() + static_cast<long>(length))});
  }

  int NextTimeout() const {
    const int idle = o_.mode.kind == printer_sim::AnswerMode::Slow ? kDrainIntervalMs : 200;
    if (answers_.empty()) return idle;
    auto wait = std::chrono::duration_cast<std::chrono::milliseconds>(answers_.front().due - Clock::now()).count();
    return wait < 0 ? 0 : static_cast<int>(std::min<long long>(wait, idle));
  }

  void SendDueAnswers(int master) {
    while (!answers_.empty() && answers_.front().due <= Clock::now()) {
      const std::string& bytes = answers_.front().bytes;
      ssize_t written = ::write(master, bytes.data(), bytes.size());
      Log("tx " + std::to_string(written));
      answers_.pop_front();
    }
  }

  void ReadControl(int control) {
    char buffer[1024];
    ssize_t count = ::read(control, buffer, sizeof(buffer));
    if (count <= 0) return;
    for (const std::string& line : controlSplitter_.Feed(std::string_view(buffer, static_cast<size_t>(count)))) {
      if (line == "quit") {
        stopRequested = 1;
      } else if (line.starts_with("mode ")) {
        if (auto mode = printer_sim::ParseAnswerMode(line.substr(5))) {
          // A FIFO of another mode is replaced: a stalled one is full of filler, not of the host's bytes.
          if (Diverted(o_.mode) && Diverted(*mode) && mode->kind != o_.mode.kind) Resume();
          o_.mode = *mode;
          if (Diverted(*mode)) {
            if (!Divert()) Log("divert-error " + std::string(std::strerror(errno)));
          } else {
            Resume();
          }
        } else {
          Log("bad-control " + line);
        }
      } else if (line.starts_with("set ")) {
        size_t blank = line.find(' ', 4);
        if (blank == std::string::npos || o_.state.Set(line.substr(4, blank - 4), line.substr(blank + 1))) {
          Log("bad-control " + line);
        } else {
          WriteState();
        }
      } else {
        Log("bad-control " + line);
      }
    }
  }

  struct Answer {
    Clock::time_point due;
    std::string bytes;
  };
  Options o_;
  std::string slaveName_;
  std::unique_ptr<UniqueFd> fifo_;  // our end of the device's FIFO, while a stalled or slow mode is on
  double credit_ = 0;               // slow mode: bytes it may take now
  Clock::time_point lastDrain_;
  printer_sim::LineSplitter splitter_, controlSplitter_;
  std::deque<Answer> answers_;
};

}  // namespace

int main(int argc, char** argv) {
  Options options = Parse(argc, argv);
  struct sigaction stop {};
  stop.sa_handler = [](int) { stopRequested = 1; };
  ::sigaction(SIGTERM, &stop, nullptr);
  ::sigaction(SIGINT, &stop, nullptr);
  return Simulator(std::move(options)).Run();
}
