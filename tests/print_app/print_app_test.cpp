// The printer application's own rules: its options, who owns a local connection, its USB printers' addresses, how
// a job's bytes reach a printer that holds off, a picture's resolution, and the sensor that follows the media.
#include <gtest/gtest.h>

#include <deque>

#include "print_app/job_writer.h"
#include "print_app/local_peer.h"
#include "print_app/png_resolution.h"
#include "print_app/sensor_step.h"
#include "print_app/server_options.h"
#include "print_app/usb_printer_uri.h"
#include "tests/ctl/simulated_printer.h"

namespace {

using namespace std::chrono_literals;

TEST(ServerOptions, ValuesAreCheckedAndTheStateFolderFollowsTheEnvironment) {
  struct Case {
    std::map<std::string, std::string> options, environment;
    std::string problem;  // a word of it; empty: accepted
    std::string stateDir;
  };
  const std::vector<Case> cases = {
      {{}, {{"HOME", "/home/a"}}, "", "/home/a/.local/state/quorvelprint"},
      {{}, {{"HOME", "/home/a"}, {"XDG_STATE_HOME", "/x"}}, "", "/x/quorvelprint"},
      {{}, {{"STATE_DIRECTORY", "/var/lib/quorvelprint:/other"}, {"HOME", "/h"}}, "", "/var/lib/quorvelprint"},
      {{{"state-directory", "/s"}}, {}, "", "/s"},
      {{}, {}, "HOME", ""},
      {{{"server-port", "8631x"}}, {{"HOME", "/h"}}, "server-port", ""},
      {{{"server-port", "70000"}}, {{"HOME", "/h"}}, "server-port", ""},
      {{{"stall-limit", "0"}}, {{"HOME", "/h"}}, "stall-limit", ""},
      {{{"sensor-settle", "-1"}}, {{"HOME", "/h"}}, "sensor-settle", ""},
      {{{"log-level", "loud"}}, {{"HOME", "/h"}}, "log-level", ""},
      {{{"auto-add", "maybe"}}, {{"HOME", "/h"}}, "auto-add", ""},
      {{{"socket-file", "relative.sock"}}, {{"HOME", "/h"}}, "absolute", ""},
      {{{"server-options", "no-tls,dnssd-host"}}, {{"HOME", "/h"}}, "dnssd-host", ""},
  };
  for (const Case& c : cases) {
    print_app::ServerOptions parsed;
    const std::string problem = print_app::ParseServerOptions(c.options, c.environment, parsed);
    if (c.problem.empty()) {
      EXPECT_EQ(problem, "");
      EXPECT_EQ(parsed.stateDir, c.stateDir);
    } else {
      EXPECT_NE(problem.find(c.problem), std::string::npos) << problem;
    }
  }
  print_app::ServerOptions parsed;
  ASSERT_EQ(print_app::ParseServerOptions({{"stall-limit", "12"}, {"auto-add", "false"}, {"sensor-settle", "0"}},
                                          {{"HOME", "/h"}}, parsed),
            "");
  EXPECT_EQ(parsed.stallLimit, 12s);
  EXPECT_EQ(parsed.sensorSettle, 0s);
  EXPECT_FALSE(parsed.autoAdd);
  EXPECT_EQ(parsed.listenHost, "localhost");
}

TEST(LocalPeer, TheClientsEndOfAConnectionNamesItsOwner) {
  const std::string table =
      "  sl  local_address rem_address   st tx_queue rx_queue tr tm->when retrnsmt   uid  timeout inode\n"
      "   0: 0100007F:21CA 00000000:0000 0A 00000000:00000000 00:00000000 00000000 65534        0 1 1\n"
      "   1: 0100007F:21CA 0100007F:C350 01 00000000:00000000 00:00000000 00000000 65534        0 2 1\n"
      "   2: 0100007F:C350 0100007F:21CA 01 00000000:00000000 00:00000000 00000000  1000        0 3 1\n";
  EXPECT_EQ(print_app::SocketOwner(table, 0xC350, 0x21CA), 1000u);  // the client's socket, not the server's
  EXPECT_EQ(print_app::SocketOwner(table, 0xC351, 0x21CA), std::nullopt);
  EXPECT_EQ(print_app::SocketOwner("heading only\n", 1, 2), std::nullopt);
  EXPECT_EQ(print_app::SocketOwner("h\n   0: zz:zz 0100007F:21CA 01 0:0 0:0 0 7 0 3 1\n", 0, 0x21CA), std::nullopt);
}

TEST(UsbPrinterUri, APrinterIsFoundByItsSerialWhereverItIsAndByItsPlaceWithoutOne) {
  ctl::AttachedPrinter withSerial{"/dev/bus/usb/001/004", "1A86", "1000", "Vollenby LP-420B", {}, "A&B 7", "1-1.4"};
  const ctl::AttachedPrinter withoutSerial{"/dev/bus/usb/001/005", "1A86", "1000", "", {}, "", "1-2"};
  EXPECT_EQ(print_app::UsbPrinterUri(withSerial), "quorvel-usb://1-1.4?serial=A%26B%207");
  EXPECT_EQ(print_app::UsbPrinterUri(withoutSerial), "quorvel-usb://1-2");

  ctl::AttachedPrinter moved = withSerial;
  moved.location = "1-3";
  moved.device = "/dev/bus/usb/001/009";
  const auto found = print_app::FindUsbPrinter({withoutSerial, moved}, print_app::UsbPrinterUri(withSerial));
  ASSERT_TRUE(found);
  EXPECT_EQ(found->device, moved.device);
  EXPECT_EQ(print_app::FindUsbPrinter({withoutSerial}, "quorvel-usb://1-2")->device, withoutSerial.device);
  EXPECT_FALSE(print_app::FindUsbPrinter({withoutSerial}, "quorvel-usb://1-9"));
  EXPECT_FALSE(print_app::FindUsbPrinter({withoutSerial}, "socket://1-2"));
  EXPECT_EQ(print_app::AutoPrinterName(withSerial), "Vollenby_LP-420B_A_B_7");
}

// A printer whose writes follow a script: each entry is how many bytes one write takes before the limit (-1: the
// device is gone).
class ScriptedPrinter : public platform::PrinterConnection {
 public:
  explicit ScriptedPrinter(std::deque<long> script) : script_(std::move(script)) {}
  platform::WriteResult Write(std::span<const uint8_t> bytes) override {
    const long step = script_.empty() ? static_cast<long>(bytes.size()) : script_.front();
    if (!script_.empty()) script_.pop_front();
    if (step < 0) {
      gone_ = true;
      return {platform::WriteResult::Failed, 0};
    }
    const size_t taken = std::min(bytes.size(), static_cast<size_t>(step));
    received.insert(received.end(), bytes.begin(), bytes.begin() + static_cast<long>(taken));
    return {taken == bytes.size() ? platform::WriteResult::Complete : platform::WriteResult::TimedOut, taken};
  }
  platform::ReadResult Read(size_t, std::chrono::milliseconds) override { return {}; }
  void DiscardPending() override {}
  std::optional<platform::UsbIds> DriverUsbIds() override { return std::nullopt; }
  void LimitWrites(std::chrono::milliseconds limit) override { limits.push_back(limit); }
  bool Unplugged() override { return gone_; }

  std::vector<uint8_t> received;
  std::vector<std::chrono::milliseconds> limits;

 private:
  std::deque<long> script_;
  bool gone_ = false;
};

TEST(JobWriter, AJobWaitsForAPrinterThatHoldsOffAndStopsOnlyWithAReason) {
  const std::vector<uint8_t> job(10000, 0x55);
  struct Case {
    const char* what;
    std::deque<long> script;
    std::chrono::milliseconds limit;
    bool cancel;
    bool complete;
    std::vector<long> stalledSeconds;  // what the job showed at each look that found nothing taken
    int resumed;
    std::string problem;
  };
  const std::vector<Case> cases = {
      {"takes it all", {}, 300s, false, true, {}, 0, ""},
      {"held off twice, then all", {100, 0, 0, 100000}, 300s, false, true, {5, 10}, 1, ""},
      {"a little at a time is progress", {10, 10, 10, 10, 100000}, 12s, false, true, {}, 0, ""},
      {"never again", {100, 0, 0, 0}, 12s, false, false, {5, 10}, 0, "took no data for 12 s"},
      {"unplugged", {100, -1}, 300s, false, false, {}, 0, "unplugged"},
      {"cancelled while held off", {100, 0}, 300s, true, false, {}, 0, "cancelled"},
  };
  for (const Case& c : cases) {
    ScriptedPrinter printer(c.script);
    std::vector<long> stalled;
    int resumed = 0;
    print_app::StallReport report{[&](std::chrono::seconds s) { stalled.push_back(static_cast<long>(s.count())); },
                                  [&] { ++resumed; }, [&] { return c.cancel; }};
    const print_app::JobWrite written = print_app::WriteJobBytes(printer, job, c.limit, report);
    EXPECT_EQ(written.complete, c.complete) << c.what;
    EXPECT_EQ(written.taken, printer.received.size()) << c.what;
    EXPECT_EQ(stalled, c.stalledSeconds) << c.what;
    EXPECT_EQ(resumed, c.resumed) << c.what;
    EXPECT_NE(written.problem.find(c.problem), std::string::npos) << c.what << ": " << written.problem;
    if (c.complete) {
      EXPECT_EQ(printer.received, job) << c.what;
    }
    // Each look is bounded, and the last one ends at the limit.
    for (const auto limit : printer.limits) EXPECT_LE(limit, print_app::kStallLook) << c.what;
  }
}

std::vector<uint8_t> Png(std::initializer_list<std::pair<const char*, std::vector<uint8_t>>> chunks) {
  std::vector<uint8_t> file{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  for (const auto& [type, data] : chunks) {
    const uint32_t size = static_cast<uint32_t>(data.size());
    file.insert(file.end(), {uint8_t(size >> 24), uint8_t(size >> 16), uint8_t(size >> 8), uint8_t(size)});
    file.insert(file.end(), type, type + 4);
    file.insert(file.end(), data.begin(), data.end());
    file.insert(file.end(), 4, 0);  // the CRC, not checked here
  }
  return file;
}

TEST(PngResolution, TheResolutionIsTakenOnlyWhenTheFileStatesIt) {
  const std::vector<uint8_t> dpi203{0, 0, 0x1F, 0x3C, 0, 0, 0x1F, 0x3C, 1};  // 7996 per metre
  const std::vector<uint8_t> unitless{0, 0, 0x1F, 0x3C, 0, 0, 0x1F, 0x3C, 0};
  const std::vector<uint8_t> notSquare{0, 0, 0x1F, 0x3C, 0, 0, 0x0F, 0x9E, 1};
  EXPECT_EQ(print_app::PngPixelsPerInch(Png({{"IHDR", std::vector<uint8_t>(13)}, {"pHYs", dpi203}})), 203);
  EXPECT_EQ(print_app::PngPixelsPerInch(Png({{"IHDR", std::vector<uint8_t>(13)}, {"pHYs", unitless}})), 0);
  EXPECT_EQ(print_app::PngPixelsPerInch(Png({{"IHDR", std::vector<uint8_t>(13)}, {"pHYs", notSquare}})), 0);
  EXPECT_EQ(print_app::PngPixelsPerInch(Png({{"IDAT", {1, 2}}, {"pHYs", dpi203}})), 0);  // after the data
  auto truncated = Png({{"IHDR", std::vector<uint8_t>(13)}, {"pHYs", dpi203}});
  truncated.resize(truncated.size() - 10);
  EXPECT_EQ(print_app::PngPixelsPerInch(truncated), 0);
  EXPECT_EQ(print_app::PngPixelsPerInch(std::vector<uint8_t>{'G', 'I', 'F'}), 0);
}

TEST(SensorStep, TheSensorIsSetOnlyWhenTheMediaNeedsAnother) {
  struct Case {
    std::string mediaType;
    std::string sensorBefore;
    bool silent;
    print_app::SensorStep::Kind kind;
    std::string sensorAfter;
  };
  const std::vector<Case> cases = {
      {"labels", "0", false, print_app::SensorStep::AlreadySet, "0"},
      {"continuous", "0", false, print_app::SensorStep::Changed, "2"},
      {"labels-black-mark", "2", false, print_app::SensorStep::Changed, "1"},
      {"stationery", "0", false, print_app::SensorStep::NotNeeded, "0"},
      {"continuous", "0", true, print_app::SensorStep::NoAnswer, "0"},
  };
  for (const Case& c : cases) {
    fakes::FakePrinterDevices devices;
    const auto printer = ctl_test::Attach(devices, "p");
    printer->state.Set("sensor_type", c.sensorBefore);
    printer->silent = c.silent;
    platform::OpenFailure failure;
    const auto connection = devices.Open("p", failure);
    const print_app::SensorStep step =
        print_app::FollowMediaType(*connection, "p", c.mediaType, [](std::chrono::milliseconds) {}, 0ms);
    EXPECT_EQ(step.kind, c.kind) << c.mediaType << ": " << step.text;
    EXPECT_EQ(printer->state.Get("sensor_type"), c.sensorAfter) << c.mediaType;
    EXPECT_EQ(devices.At("p").opens, 1) << "the job's own connection, never a second open";
  }
}

}  // namespace
