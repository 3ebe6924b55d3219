#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "tools/printer_sim/answer_mode.h"
#include "tools/printer_sim/printer_state.h"

namespace {

using printer_sim::PrinterState;

TEST(PrinterState, FrameCarriesTheFieldsBetweenItsMarkers) {
  PrinterState state;
  ASSERT_FALSE(state.Set("pid", "7584"));
  ASSERT_FALSE(state.Set("sensor_type", "2"));
  auto frame = state.Frame();
  EXPECT_EQ(frame[0], 0x40);
  EXPECT_EQ(frame[63], 0x40);
  EXPECT_EQ(std::string(frame.begin() + 1, frame.begin() + 3), "15");
  EXPECT_EQ(std::string(frame.begin() + 9, frame.begin() + 13), "7584");
  EXPECT_EQ(frame[14], 2);  // raw value, not a digit
  EXPECT_EQ(std::string(frame.begin() + 34, frame.begin() + 42), "20171106");
}

TEST(PrinterState, SettingCommandsChangeTheirFields) {
  PrinterState state;
  EXPECT_TRUE(state.Apply("LIMITED 10002011"));
  EXPECT_EQ(state.Get("speed_limit"), "1");
  EXPECT_EQ(state.Get("front_sensor"), "0");
  EXPECT_EQ(state.Get("external_power"), "0");
  EXPECT_EQ(state.Get("head_protection"), "0");
  EXPECT_EQ(state.Get("offset_index"), "20");
  EXPECT_EQ(state.Get("density"), "1");
  EXPECT_EQ(state.Get("sensor_off"), "1");
  EXPECT_TRUE(state.Apply("SENSORTYPE 1"));
  EXPECT_EQ(state.Frame()[14], 1);
  EXPECT_TRUE(state.Apply("SUPPORT 1"));
  EXPECT_EQ(state.Get("compat"), "1");
  EXPECT_TRUE(state.Apply("USBHANDC"));
  EXPECT_EQ(state.Get("usb_handshake"), "0");
}

TEST(PrinterState, MalformedCommandsLeaveTheStateAlone) {
  PrinterState state;
  std::string before = state.Dump();
  for (const char* line : {"LIMITED 1000201", "LIMITED 1000201x", "SENSORTYPE", "SENSORTYPE 12", "SUPPORT 2",
                           "usbhando", "HELLO"}) {
    EXPECT_FALSE(state.Apply(line)) << line;
  }
  EXPECT_EQ(state.Dump(), before);
}

TEST(PrinterState, ValuesMustFitTheirFields) {
  PrinterState state;
  EXPECT_TRUE(state.Set("pid", "75841"));
  EXPECT_TRUE(state.Set("offset_index", "256"));
  EXPECT_TRUE(state.Set("offset_index", "x"));
  EXPECT_TRUE(state.Set("nonsense", "1"));
  EXPECT_FALSE(state.Set("byte62", "255"));
}

TEST(PrinterState, IgnoredSettingsAreAcceptedButKeepTheirValue) {
  PrinterState state;
  ASSERT_FALSE(state.Ignore("speed_limit"));
  ASSERT_FALSE(state.Ignore("usb_handshake"));
  EXPECT_TRUE(state.Apply("LIMITED 10002011"));
  EXPECT_TRUE(state.Apply("USBHANDC"));
  EXPECT_EQ(state.Get("speed_limit"), "0");
  EXPECT_EQ(state.Get("usb_handshake"), "1");
  EXPECT_EQ(state.Get("front_sensor"), "0");  // the others still change
  EXPECT_EQ(state.Get("offset_index"), "20");
  EXPECT_TRUE(state.Ignore("no_such_field"));
}

TEST(LineSplitter, JoinsPiecesAndSplitsSeveralLines) {
  printer_sim::LineSplitter splitter;
  EXPECT_TRUE(splitter.Feed("RETURN VA").empty());
  EXPECT_EQ(splitter.Feed("LUE\r\nSUPPORT 1\r\nUSBH"), (std::vector<std::string>{"RETURN VALUE", "SUPPORT 1"}));
  EXPECT_EQ(splitter.Feed("ANDO\n"), std::vector<std::string>{"USBHANDO"});
  EXPECT_EQ(splitter.Feed("\r\n"), std::vector<std::string>{""});
}

TEST(AnswerMode, ParsesBothSpellings) {
  EXPECT_EQ(printer_sim::ParseAnswerMode("late:250")->value, 250);
  EXPECT_EQ(printer_sim::ParseAnswerMode("short 10")->kind, printer_sim::AnswerMode::Short);
  EXPECT_FALSE(printer_sim::ParseAnswerMode("short:65"));
  EXPECT_FALSE(printer_sim::ParseAnswerMode("late:-1"));
  EXPECT_FALSE(printer_sim::ParseAnswerMode("loud"));
  EXPECT_EQ(printer_sim::ParseAnswerMode("stray:64")->kind, printer_sim::AnswerMode::Stray);
  EXPECT_EQ(printer_sim::ParseAnswerMode("stray 3")->value, 3);
  EXPECT_FALSE(printer_sim::ParseAnswerMode("stray:0"));
  EXPECT_FALSE(printer_sim::ParseAnswerMode("stray:1025"));
  EXPECT_EQ(printer_sim::ParseAnswerMode("split:40")->kind, printer_sim::AnswerMode::Split);
  EXPECT_FALSE(printer_sim::ParseAnswerMode("split:64"));
  EXPECT_FALSE(printer_sim::ParseAnswerMode("split:0"));
  EXPECT_EQ(printer_sim::ParseAnswerMode("stall")->kind, printer_sim::AnswerMode::Stall);
  EXPECT_EQ(printer_sim::ParseAnswerMode("slow:81920")->value, 81920);
  EXPECT_EQ(printer_sim::ParseAnswerMode("slow 1")->kind, printer_sim::AnswerMode::Slow);
  EXPECT_FALSE(printer_sim::ParseAnswerMode("slow:0"));
}

// The real program on a real pseudo-terminal.
class RunningSimulator : public ::testing::Test {
 protected:
  void Start(std::vector<std::string> extra) {
    dir_ = std::filesystem::temp_directory_path() / ("printer_sim_test_" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir_);
    link_ = dir_ / "device";
    std::vector<std::string> args = {PRINTER_SIM_PATH, "--link", link_, "--ready", dir_ / "ready",
                                     "--state-file", dir_ / "state", "--log", dir_ / "log"};
    args.insert(args.end(), extra.begin(), extra.end());
    pid_ = ::fork();
    if (pid_ == 0) {
      std::vector<char*> argv;
      for (auto& arg : args) argv.push_back(arg.data());
      argv.push_back(nullptr);
      ::execv(argv[0], argv.data());
      ::_exit(127);
    }
    for (int i = 0; i < 200 && !std::filesystem::exists(dir_ / "ready"); ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    ASSERT_TRUE(std::filesystem::exists(dir_ / "ready"));
    fd_ = ::open(link_.c_str(), O_RDWR | O_NOCTTY);
    ASSERT_GE(fd_, 0);
  }
  void TearDown() override {
    if (fd_ >= 0) ::close(fd_);
    if (pid_ > 0) {
      ::kill(pid_, SIGTERM);
      ::waitpid(pid_, nullptr, 0);
    }
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(link_)));  // link removed on exit
    std::filesystem::remove_all(dir_);
  }
  void Send(const std::string& text) { ASSERT_EQ(::write(fd_, text.data(), text.size()), (ssize_t)text.size()); }
  std::string ReadFor(int milliseconds, size_t wanted = 64) {
    std::string received;
    auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    while (std::chrono::steady_clock::now() < end && received.size() < wanted) {
      pollfd p{fd_, POLLIN, 0};
      if (::poll(&p, 1, 20) > 0) {
        char buffer[128];
        ssize_t n = ::read(fd_, buffer, sizeof(buffer));
        if (n > 0) received.append(buffer, static_cast<size_t>(n));
      }
    }
    return received;
  }
  // Every byte the log says the printer took, in order.
  std::string Taken() {
    std::istringstream log(FileText("log"));
    std::string taken;
    for (std::string line; std::getline(log, line);) {
      if (!line.starts_with("rx ")) continue;
      std::istringstream bytes(line.substr(3));
      for (unsigned byte; bytes >> std::hex >> byte;) taken += static_cast<char>(byte);
    }
    return taken;
  }
  // The log once it holds `text` (the simulator writes a line after the bytes have gone out), or as it is after 3 s.
  std::string LogHolding(std::string_view text) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(3);
    std::string log = FileText("log");
    while (log.find(text) == std::string::npos && std::chrono::steady_clock::now() < deadline) {
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
      log = FileText("log");
    }
    return log;
  }
  std::string FileText(const char* name) {
    std::ifstream file(dir_ / name);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
  }

  std::filesystem::path dir_, link_;
  pid_t pid_ = -1;
  int fd_ = -1;
};

TEST_F(RunningSimulator, AnswersReturnValueWithItsFrameAndAppliesSettings) {
  Start({"--set", "pid=7584"});
  Send("SUPPORT 1\r\nRETURN VALUE\r\n");
  std::string frame = ReadFor(2000);
  ASSERT_EQ(frame.size(), 64u);
  EXPECT_EQ(frame[0], '@');
  EXPECT_EQ(frame[63], '@');
  EXPECT_EQ(frame.substr(9, 4), "7584");
  EXPECT_EQ(frame[15], '1');
  EXPECT_NE(FileText("state").find("compat=1\n"), std::string::npos);
  EXPECT_NE(FileText("log").find("rx 53 55 50 50 4f 52 54 20 31 0d 0a"), std::string::npos);
}

TEST_F(RunningSimulator, StrayModeSendsItsBytesThenTheFrameInAChunkOfItsOwn) {
  Start({"--mode", "stray:3"});
  Send("RETURN VALUE\r\n");
  std::string received = ReadFor(3000, 3 + 64);
  ASSERT_EQ(received.size(), 3u + 64u);
  EXPECT_EQ(received.substr(0, 3), std::string(3, '\0'));
  EXPECT_EQ(received[3], '@');
  EXPECT_EQ(received[66], '@');
  EXPECT_NE(LogHolding("tx 3\ntx 64\n").find("tx 3\ntx 64\n"), std::string::npos);  // two writes
}

TEST_F(RunningSimulator, ShortAndSilentModesAnswerLessOrNothing) {
  Start({"--mode", "short:10", "--control", (std::filesystem::temp_directory_path() /
                                             ("printer_sim_ctl_" + std::to_string(::getpid()))).string()});
  Send("RETURN VALUE\r\n");
  EXPECT_EQ(ReadFor(500).size(), 10u);
  std::ofstream(std::filesystem::temp_directory_path() / ("printer_sim_ctl_" + std::to_string(::getpid())))
      << "mode silent\n";
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  Send("RETURN VALUE\r\n");
  EXPECT_EQ(ReadFor(500).size(), 0u);
}

TEST_F(RunningSimulator, SplitModeSendsTheFrameInTwoWrites) {
  Start({"--mode", "split:40"});
  Send("RETURN VALUE\r\n");
  std::string received = ReadFor(3000, 64);
  ASSERT_EQ(received.size(), 64u);
  EXPECT_EQ(received[0], '@');
  EXPECT_EQ(received[63], '@');
  EXPECT_NE(LogHolding("tx 40\ntx 24\n").find("tx 40\ntx 24\n"), std::string::npos);
}

// A stalled printer takes no data: the device is a FIFO whose buffer is full. Leaving the mode gives the printer
// back, and it answers again.
TEST_F(RunningSimulator, StallModeTakesNoDataUntilItEnds) {
  const std::string control =
      std::filesystem::temp_directory_path() / ("printer_sim_stall_ctl_" + std::to_string(::getpid()));
  Start({"--mode", "stall", "--control", control});
  ::close(fd_);
  fd_ = -1;
  struct stat device {};
  ASSERT_EQ(::stat(link_.c_str(), &device), 0);
  EXPECT_TRUE(S_ISFIFO(device.st_mode));
  {
    int stalled = ::open(link_.c_str(), O_RDWR | O_NONBLOCK);
    ASSERT_GE(stalled, 0);
    EXPECT_EQ(::write(stalled, "RETURN VALUE\r\n", 14), -1);
    EXPECT_EQ(errno, EAGAIN);
    ::close(stalled);
  }
  std::ofstream(control) << "mode normal\n";
  for (int i = 0; i < 300; ++i) {
    if (::stat(link_.c_str(), &device) == 0 && S_ISCHR(device.st_mode)) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  ASSERT_TRUE(S_ISCHR(device.st_mode)) << "waited for the device link to lead to the printer again";
  fd_ = ::open(link_.c_str(), O_RDWR | O_NOCTTY);
  ASSERT_GE(fd_, 0);
  Send("RETURN VALUE\r\n");
  EXPECT_EQ(ReadFor(2000).size(), 64u);
  EXPECT_NE(FileText("log").find("stalled\nresumed\n"), std::string::npos);
  ::unlink(control.c_str());
}

// A slow printer takes what the host writes through a FIFO with a small buffer, drained at the mode's rate: a write
// gets no further ahead of the printer than that buffer, and everything arrives in order, its commands applied.
TEST_F(RunningSimulator, SlowModeTakesAJobThroughASmallBuffer) {
  Start({"--mode", "slow:200000"});
  struct stat device {};
  ASSERT_EQ(::stat(link_.c_str(), &device), 0);
  EXPECT_TRUE(S_ISFIFO(device.st_mode));
  std::string job;
  for (int i = 0; job.size() < 100000; ++i) job += "LINE " + std::to_string(i) + "\r\n";
  job += "SUPPORT 1\r\n";
  ::fcntl(fd_, F_SETFL, O_NONBLOCK);
  const ssize_t first = ::write(fd_, job.data(), job.size());
  ASSERT_GT(first, 0);
  EXPECT_LE(first, printer_sim::kSlowPipeBytes);
  size_t sent = static_cast<size_t>(first);
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  while (sent < job.size() && std::chrono::steady_clock::now() < deadline) {
    pollfd room{fd_, POLLOUT, 0};
    if (::poll(&room, 1, 100) <= 0) continue;
    const ssize_t count = ::write(fd_, job.data() + sent, job.size() - sent);
    if (count > 0) sent += static_cast<size_t>(count);
  }
  ASSERT_EQ(sent, job.size());
  while (FileText("state").find("compat=1\n") == std::string::npos && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  EXPECT_NE(FileText("state").find("compat=1\n"), std::string::npos);
  const std::string taken = Taken();
  EXPECT_EQ(taken.size(), job.size());
  EXPECT_TRUE(taken == job);
}

}  // namespace
