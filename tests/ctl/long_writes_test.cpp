// Jobs through the Windows connection (the main window's device-file access, here on its fakes): written in
// pieces, each bounded by --timeout, so that a printer that takes data slowly gets the whole job and one that takes
// nothing is given up on after one piece, with how far it got and what to look at.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "cli/ctl_app.h"
#include "cli/device_file_printers.h"
#include "cli/firmware_download.h"
#include "platform/fakes/fake_device_files.h"
#include "platform/linux/passthrough_text_codec.h"

namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;

const std::string kPath = "\\\\?\\USB#VID_1A86&PID_1000#LONG#{28d78fad-5a12-11d1-ae5b-0000f803a8c2}";
constexpr char kCauses[] = "it may be out of paper, have its cover open, be busy or be switched off";

struct NoDiscovery : ctl::PrinterSource {
  std::vector<ctl::AttachedPrinter> List() override { return {}; }
};

struct Outcome {
  int code = -1;
  std::string out, err;
};

class LongWrites : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = fs::temp_directory_path() /
              ("ctl_long_writes_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    fs::create_directories(folder_);
  }
  void TearDown() override { fs::remove_all(folder_); }

  // The bytes 0, 1, ... 250, 0, 1, ...: a piece sent twice or left out shows.
  std::string Job(size_t size) {
    std::string bytes(size, '\0');
    for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>(i % 251);
    const fs::path path = folder_ / "job.bin";
    std::ofstream(path, std::ios::binary) << bytes;
    job_ = bytes;
    return path.string();
  }

  Outcome Ctl(std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(), "quorvelctl");
    std::vector<const char*> argv;
    for (const std::string& argument : arguments) argv.push_back(argument.c_str());
    std::ostringstream out, err;
    std::istringstream in;
    ctl::CtlContext context{source_, printers_, codec_, ctl::HostSystem::Windows, ctl::Io{out, err, in, false, false},
                            [](std::chrono::milliseconds) {}};
    Outcome run;
    run.code = ctl::RunCtl(static_cast<int>(argv.size()), argv.data(), context);
    run.out = out.str();
    run.err = err.str();
    return run;
  }

  std::string Received() {
    std::string all;
    for (const auto& write : endpoint_.writes) all.append(write.begin(), write.end());
    return all;
  }

  fakes::FakeDeviceFiles files_;
  fakes::FakeEndpoint& endpoint_ = files_.Endpoint(kPath);
  ctl::DeviceFilePrinters printers_{files_, [] { return platform::OpenFailure{}; }};
  NoDiscovery source_;
  linux_platform::PassThroughTextCodec codec_;
  fs::path folder_;
  std::string job_;
};

// How the printer takes each piece it is handed.
struct Printer {
  const char* name;
  std::optional<uint32_t> takenBeforeTimeout;  // a slow printer: this much of each piece, then the time is up
  int piecesBeforeStall;                       // after this many writes it takes nothing (-1: never)
};

struct SendCase {
  Printer printer;
  int code;
  std::string err;  // what the error output holds; the job arrives whole when it is empty
};

TEST_F(LongWrites, SendGoesOnWhileThePrinterTakesDataAndStopsWhenItTakesNone) {
  const SendCase cases[] = {
      {{"takes every piece", std::nullopt, -1}, ctl::kDone, ""},
      {{"takes a little of each piece", 1000, -1}, ctl::kDone, ""},
      {{"takes one byte of each piece", 1, -1}, ctl::kDone, ""},
      {{"takes nothing", std::nullopt, 0}, ctl::kDeviceFailed,
       kPath + ": the printer took 0 of 10000 bytes, then nothing for 2 s: " + kCauses},
      {{"stops after two pieces", std::nullopt, 2}, ctl::kDeviceFailed,
       kPath + ": the printer took 8192 of 10000 bytes, then nothing for 2 s: " + kCauses},
      {{"stops after two slow pieces", 1000, 2}, ctl::kDeviceFailed,
       kPath + ": the printer took 2000 of 10000 bytes, then nothing for 2 s: " + kCauses},
  };
  for (const SendCase& test : cases) {
    SCOPED_TRACE(test.printer.name);
    endpoint_ = fakes::FakeEndpoint{};
    endpoint_.takenBeforeTimeout = test.printer.takenBeforeTimeout;
    int writes = 0;
    endpoint_.duringWrite = [&, stallAfter = test.printer.piecesBeforeStall] {
      if (writes++ == stallAfter) endpoint_.stalled = true;
    };
    const Outcome run = Ctl({"send", "--device", kPath, "--file", Job(10000), "--timeout", "2"});
    EXPECT_EQ(run.code, test.code);
    for (const auto& limit : endpoint_.writeLimits) EXPECT_EQ(limit, 2s);
    const std::string received = Received();
    if (test.err.empty()) {
      EXPECT_EQ(received.size(), job_.size());
      EXPECT_TRUE(received == job_);
      EXPECT_EQ(run.out, kPath + ": sent 10000 bytes\n");
    } else {
      EXPECT_EQ(run.err, "quorvelctl: " + test.err + "\n");
      EXPECT_TRUE(received == job_.substr(0, received.size()));
      // One piece that the printer took nothing of, and no piece after it.
      EXPECT_EQ(endpoint_.writeLimits.size(), endpoint_.writes.size() + 1);
    }
    for (const auto& write : endpoint_.writes) EXPECT_LE(write.size(), platform::kWritePiece);
  }
}

struct LimitCase {
  const char* name;
  std::vector<std::string> command;  // the device is added
  std::chrono::milliseconds limit;   // of every write
};

TEST_F(LongWrites, EveryWriteOfACommandThatSendsHasItsLimit) {
  const std::string image = Job(6000);
  const LimitCase cases[] = {
      {"send", {"send", "--hex", "1B 40"}, 30s},
      {"send --timeout 2", {"send", "--hex", "1B 40", "--timeout", "2"}, 2s},
      {"selftest --timeout 0.25", {"selftest", "--timeout", "0.25"}, 250ms},
      {"firmware", {"firmware", image, "--yes"}, ctl::kFlashEraseWriteLimit},
      {"firmware --timeout 2", {"firmware", image, "--yes", "--timeout", "2"}, 2s},
      {"firmware --timeout 90", {"firmware", image, "--yes", "--timeout", "90"}, 90s},
  };
  for (const LimitCase& test : cases) {
    std::vector<std::string> command = test.command;
    command.insert(command.end(), {"--device", kPath});
    SCOPED_TRACE(test.name);
    endpoint_ = fakes::FakeEndpoint{};
    EXPECT_EQ(Ctl(command).code, ctl::kDone);
    ASSERT_FALSE(endpoint_.writeLimits.empty());
    for (const auto& limit : endpoint_.writeLimits) EXPECT_EQ(limit, test.limit);
  }
}

TEST_F(LongWrites, AFirmwareImageThePrinterStopsTakingSaysHowMuchWent) {
  const std::string image = Job(10000);
  int writes = 0;
  endpoint_.duringWrite = [&] {
    if (writes++ == 2) endpoint_.stalled = true;  // the command line and one piece of the image go
  };
  const Outcome run = Ctl({"firmware", image, "--yes", "--device", kPath});
  EXPECT_EQ(run.code, ctl::kDeviceFailed);
  EXPECT_EQ(run.err, "quorvelctl: " + kPath + ": the image broke off: the printer took 4096 of 10000 bytes, then "
                         "nothing for 30 s: " + kCauses +
                         "; the firmware image is incomplete, and the printer may need the download again before it "
                         "works\n");
}

}  // namespace
