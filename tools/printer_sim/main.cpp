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
    if (o_.mode.kind == printer_sim::AnswerMode::Stall && !Stall()) return Fail("stall fifo");
    UniqueFd control = OpenControl();
    if (!o_.control.empty() && control.get() < 0) return Fail("control fifo " + o_.control);
    WriteState();
    if (!o_.ready.empty()) std::ofstream(o_.ready) << slaveName << "\n";

    while (!stopRequested) {
      pollfd fds[2] = {{master.get(), POLLIN, 0}, {control.get(), POLLIN, 0}};
      ::poll(fds, control.get() >= 0 ? 2 : 1, NextTimeout());
      if (fds[0].revents & POLLIN) Receive(master.get());
      if (control.get() >= 0 && (fds[1].revents & POLLIN)) ReadControl(control.get());
      SendDueAnswers(master.get());
    }
    ::unlink(o_.link.c_str());
    if (!o_.control.empty()) ::unlink(o_.control.c_str());
    stallFifo_.reset();
    ::unlink(StallPath().c_str());
    return 0;
  }

 private:
  int Fail(const std::string& what) {
    std::fprintf(stderr, "printer_sim: %s: %s\n", what.c_str(), std::strerror(errno));
    return 1;
  }

  std::string StallPath() const { return o_.link + ".stalled"; }

  // Points the device link at `target` in one step, so that an open never finds it missing.
  bool Relink(const std::string& target) {
    const std::string temporary = o_.link + ".relink";
    ::unlink(temporary.c_str());
    return ::symlink(target.c_str(), temporary.c_str()) == 0 && ::rename(temporary.c_str(), o_.link.c_str()) == 0;
  }

  // The device becomes a FIFO with a full pipe buffer that nobody reads: a write to it blocks.
  bool Stall() {
    if (stallFifo_) return true;
    const std::string path = StallPath();
    ::unlink(path.c_str());
    if (::mkfifo(path.c_str(), 0600) != 0) return false;
    auto fifo = std::make_unique<UniqueFd>(::open(path.c_str(), O_RDWR | O_NONBLOCK));
    if (fifo->get() < 0) return false;
    ::fcntl(fifo->get(), F_SETPIPE_SZ, 4096);
    const std::string filler(4096, 'x');
    while (::write(fifo->get(), filler.data(), filler.size()) > 0) {
    }
    stallFifo_ = std::move(fifo);
    if (!Relink(path)) return false;
    Log("stalled");
    return true;
  }

  // The printer takes data again: the link points back at it, and what the FIFO held is dropped.
  void Resume() {
    if (!stallFifo_) return;
    if (!Relink(slaveName_)) Log("relink-error " + o_.link);
    stallFifo_.reset();
    ::unlink(StallPath().c_str());
    Log("resumed");
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
    std::string hex = "rx";
    for (ssize_t i = 0; i < count; ++i) {
      char byte[4];
      std::snprintf(byte, sizeof(byte), " %02x", static_cast<unsigned char>(buffer[i]));
      hex += byte;
    }
    Log(hex);
    for (const std::string& line : splitter_.Feed(std::string_view(buffer, static_cast<size_t>(count)))) {
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
    if (answers_.empty()) return 200;
    auto wait = std::chrono::duration_cast<std::chrono::milliseconds>(answers_.front().due - Clock::now()).count();
    return wait < 0 ? 0 : static_cast<int>(wait);
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
          o_.mode = *mode;
          if (mode->kind == printer_sim::AnswerMode::Stall) {
            if (!Stall()) Log("stall-error " + std::string(std::strerror(errno)));
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
  std::unique_ptr<UniqueFd> stallFifo_;  // our end of the stalled device, while the mode is on
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
