// `set` and `apply` on simulated printers: the batch, the wait, the read-back, and each way it can fail.
#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>

#include <algorithm>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

#include "cli/parallel_runs.h"
#include "cli/settings_session.h"
#include "tests/ctl/simulated_printer.h"

namespace {

using namespace std::chrono_literals;

struct Session : ::testing::Test {
  fakes::FakePrinterDevices devices;
  std::vector<std::chrono::milliseconds> pauses;
  ctl::Pause pause = [this](std::chrono::milliseconds time) { pauses.push_back(time); };

  ctl::SetOutcome Set(const std::string& path, const ctl::SetRequest& request) {
    return ctl::SetPrinterSettings(devices, path, request, pause, ctl::HostSystem::Linux);
  }
  static ctl::SetRequest Request(ctl::SettingsChange change) {
    ctl::SetRequest request;
    request.change = change;
    request.timeout = 200ms;
    return request;
  }
};

TEST_F(Session, ChangesOnlyTheNamedSettingsInOneWriteThenReadsBack) {
  auto printer = ctl_test::Attach(devices, "/dev/usb/lp0");
  ASSERT_FALSE(printer->state.Set("sensor_type", "1"));
  ASSERT_FALSE(printer->state.Set("density", "1"));
  ASSERT_FALSE(printer->state.Set("offset_index", "7"));
  ctl::SettingsChange change;
  change.speedLimit = true;
  change.frontSensorOff = true;
  const ctl::SetOutcome outcome = Set("/dev/usb/lp0", Request(change));
  EXPECT_EQ(outcome.code, ctl::kDone) << outcome.result;
  EXPECT_EQ(outcome.result, "/dev/usb/lp0: settings written and read back");
  const auto& writes = devices.At("/dev/usb/lp0").writes;
  ASSERT_EQ(writes.size(), 3u);  // the read, the batch, the read-back
  EXPECT_EQ(ctl_test::Text(writes[0]), "RETURN VALUE\r\n");
  EXPECT_EQ(ctl_test::Text(writes[1]), "SENSORTYPE 1\r\nSUPPORT 0\r\nUSBHANDO\r\nLIMITED 11110711\r\n");
  EXPECT_EQ(ctl_test::Text(writes[2]), "RETURN VALUE\r\n");
  // The main window's wait by default, in steps short enough to notice a signal.
  EXPECT_EQ(std::accumulate(pauses.begin(), pauses.end(), 0ms), 15000ms);
  EXPECT_EQ(*std::max_element(pauses.begin(), pauses.end()), ctl::kHoldCheck);
  EXPECT_EQ(printer->state.Get("speed_limit"), "1");
  EXPECT_EQ(devices.At("/dev/usb/lp0").openConnections, 0);
}

TEST_F(Session, ASettingThePrinterDoesNotTakeIsAReadBackDifference) {
  auto printer = ctl_test::Attach(devices, "/dev/usb/lp0");
  ASSERT_FALSE(printer->state.Ignore("offset_index"));
  ctl::SettingsChange change;
  change.offsetIndex = 12;
  const ctl::SetOutcome outcome = Set("/dev/usb/lp0", Request(change));
  EXPECT_EQ(outcome.code, ctl::kReadBackDiffers);
  EXPECT_EQ(outcome.differences, std::vector<std::string>{"offset_mm: wrote +4 mm, reads 0 mm"});
  EXPECT_NE(outcome.result.find("read back different: offset_mm"), std::string::npos);
}

TEST_F(Session, DryRunReadsButWritesNothing) {
  ctl_test::Attach(devices, "/dev/usb/lp0");
  ctl::SetRequest request = Request({});
  request.change.sensorType = 2;
  request.dryRun = true;
  const ctl::SetOutcome outcome = Set("/dev/usb/lp0", request);
  EXPECT_EQ(outcome.code, ctl::kDone);
  EXPECT_EQ(outcome.batch, "SENSORTYPE 2\r\nSUPPORT 0\r\nUSBHANDO\r\nLIMITED 01110000\r\n");
  EXPECT_EQ(ctl_test::Text(devices.At("/dev/usb/lp0").Received()), "RETURN VALUE\r\n");
  EXPECT_TRUE(pauses.empty());
}

TEST_F(Session, WithoutVerifyThereIsNoReadBack) {
  ctl_test::Attach(devices, "/dev/usb/lp0");
  ctl::SetRequest request = Request({});
  request.change.usbHandshake = false;
  request.verify = false;
  request.settle = 0ms;
  const ctl::SetOutcome outcome = Set("/dev/usb/lp0", request);
  EXPECT_EQ(outcome.code, ctl::kDone);
  EXPECT_EQ(devices.At("/dev/usb/lp0").writes.size(), 2u);
  EXPECT_EQ(outcome.result, "/dev/usb/lp0: settings written (not read back)");
}

TEST_F(Session, ASilentPrinterGetsNothingWritten) {
  auto printer = ctl_test::Attach(devices, "/dev/usb/lp0");
  printer->silent = true;
  ctl::SettingsChange change;
  change.speedLimit = true;
  const ctl::SetOutcome outcome = Set("/dev/usb/lp0", Request(change));
  EXPECT_EQ(outcome.code, ctl::kDeviceFailed);
  EXPECT_EQ(outcome.result, "/dev/usb/lp0: the printer did not answer within 0.2 s; nothing written");
  EXPECT_EQ(devices.At("/dev/usb/lp0").writes.size(), 1u);
}

TEST_F(Session, APrinterThatFallsSilentAfterTheWriteFailsTheReadBack) {
  auto printer = ctl_test::Attach(devices, "/dev/usb/lp0");
  pause = [&](std::chrono::milliseconds) { printer->silent = true; };
  ctl::SettingsChange change;
  change.speedLimit = true;
  const ctl::SetOutcome outcome = Set("/dev/usb/lp0", Request(change));
  EXPECT_EQ(outcome.code, ctl::kDeviceFailed);
  EXPECT_EQ(outcome.result.rfind("settings written, but the read-back failed", 0), 0u) << outcome.result;
}

TEST_F(Session, AFailedWriteIsADeviceFailure) {
  ctl_test::Attach(devices, "/dev/usb/lp0");
  fakes::FakePrinter& fake = devices.At("/dev/usb/lp0");
  auto respond = fake.respond;
  fake.respond = [&fake, respond](std::span<const uint8_t> bytes) {
    fake.failWrites = true;  // the read goes through; the batch after it does not
    return respond(bytes);
  };
  ctl::SettingsChange change;
  change.compatibility = true;
  const ctl::SetOutcome outcome = Set("/dev/usb/lp0", Request(change));
  EXPECT_EQ(outcome.code, ctl::kDeviceFailed);
  EXPECT_NE(outcome.result.find("writing the settings failed"), std::string::npos);
}

TEST_F(Session, DevicesThatCannotBeOpenedSayWhy) {
  EXPECT_EQ(Set("/dev/usb/lp9", Request({})).code, ctl::kNoSuchPrinter);
  devices.At("/dev/usb/lp1").openFailure = platform::OpenFailure{platform::OpenFailure::AccessDenied, "Permission denied"};
  const ctl::SetOutcome denied = Set("/dev/usb/lp1", Request({}));
  EXPECT_EQ(denied.code, ctl::kDeviceFailed);
  EXPECT_NE(denied.result.find("cannot open /dev/usb/lp1: permission denied (Permission denied)"), std::string::npos);
  EXPECT_NE(denied.result.find("udev rule"), std::string::npos);
}

// A script that retries must tell a busy printer from a silent one, and both from one that took the batch.
TEST_F(Session, EachWayOfEndingHasItsOwnName) {
  struct Case {
    const char* what;
    std::function<void(fakes::FakePrinter&, ctl_test::SimulatedPrinter&, ctl::SetRequest&)> arrange;
    ctl::ExitCode code;
    const char* name;
    bool written;
  };
  const Case cases[] = {
      {"done", [](auto&, auto&, auto&) {}, ctl::kDone, "done", true},
      {"busy",
       [](fakes::FakePrinter& fake, auto&, auto&) {
         fake.openFailure = platform::OpenFailure{platform::OpenFailure::Busy, "Device or resource busy"};
       },
       ctl::kDeviceFailed, "busy", false},
      {"not a printer",
       [](fakes::FakePrinter& fake, auto&, auto&) {
         fake.openFailure = platform::OpenFailure{platform::OpenFailure::NotADevice, "a regular file"};
       },
       ctl::kUsage, "not_a_printer", false},
      {"silent", [](auto&, ctl_test::SimulatedPrinter& printer, auto&) { printer.silent = true; }, ctl::kDeviceFailed,
       "no_answer", false},
      {"read back different", [](auto&, ctl_test::SimulatedPrinter& printer,
                                 auto&) { ASSERT_FALSE(printer.state.Ignore("speed_limit")); },
       ctl::kReadBackDiffers, "readback_differs", true},
      {"another model", [](auto&, auto&, ctl::SetRequest& request) { request.profileModel = "KESTRAMO K-108"; },
       ctl::kBadFile, "other_model", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    fakes::FakePrinterDevices fresh;
    auto printer = ctl_test::Attach(fresh, "/dev/usb/lp0");
    ctl::SetRequest request = Request({});
    request.change.speedLimit = true;
    c.arrange(fresh.At("/dev/usb/lp0"), *printer, request);
    const ctl::SetOutcome outcome = ctl::SetPrinterSettings(fresh, "/dev/usb/lp0", request, pause, ctl::HostSystem::Linux);
    EXPECT_EQ(outcome.code, c.code) << outcome.result;
    EXPECT_STREQ(ctl::SetEndName(outcome.end), c.name);
    EXPECT_EQ(outcome.written, c.written);
  }
}

TEST_F(Session, SeveralPrintersAtTheSameTimeEachWithItsOwnOutcome) {
  std::vector<std::string> paths = {"/dev/usb/lp0", "/dev/usb/lp1", "/dev/usb/lp2", "/dev/usb/lp3"};
  std::vector<std::shared_ptr<ctl_test::SimulatedPrinter>> printers;
  for (const std::string& path : paths) printers.push_back(ctl_test::Attach(devices, path));
  ASSERT_FALSE(printers[2]->state.Ignore("sensor_type"));
  // Each run waits in its settle time until all four are in theirs, or gives up after a long bound. Runs one
  // after the other never meet there, so the most ever seen together is what tells them apart.
  std::mutex mutex;
  std::condition_variable arrived;
  int settling = 0;
  int mostAtOnce = 0;
  ctl::Pause together = [&](std::chrono::milliseconds) {
    std::unique_lock lock(mutex);
    mostAtOnce = std::max(mostAtOnce, ++settling);
    arrived.notify_all();
    arrived.wait_for(lock, 10s, [&] { return mostAtOnce == 4; });
    --settling;
  };
  ctl::SetRequest request = Request({});
  request.change.sensorType = 1;
  const auto outcomes = ctl::RunForEach(paths, [&](const std::string& path) {
    return ctl::SetPrinterSettings(devices, path, request, together, ctl::HostSystem::Linux);
  });
  EXPECT_EQ(mostAtOnce, 4) << "the printers were not handled at the same time";
  ASSERT_EQ(outcomes.size(), 4u);
  for (size_t i = 0; i < 4; ++i) EXPECT_EQ(outcomes[i].device, paths[i]);
  EXPECT_EQ(outcomes[0].code, ctl::kDone);
  EXPECT_EQ(outcomes[2].code, ctl::kReadBackDiffers);
  EXPECT_EQ(outcomes[3].code, ctl::kDone);
  EXPECT_EQ(ctl::FirstFailure(outcomes), ctl::kReadBackDiffers);
}

TEST(FirstFailure, TheFirstInListOrder) {
  std::vector<ctl::SetOutcome> outcomes(3);
  EXPECT_EQ(ctl::FirstFailure(outcomes), ctl::kDone);
  outcomes[2].code = ctl::kReadBackDiffers;
  outcomes[1].code = ctl::kDeviceFailed;
  EXPECT_EQ(ctl::FirstFailure(outcomes), ctl::kDeviceFailed);
}

// 1 promises that nothing was written: with a printer refused as a usage error beside one that was written, the run
// cannot say so.
TEST(FirstFailure, AUsageRefusalBesideAWrittenPrinterIsNoPrinterThere) {
  std::vector<ctl::SetOutcome> outcomes(2);
  outcomes[1].code = ctl::kUsage;
  EXPECT_EQ(ctl::FirstFailure(outcomes), ctl::kUsage);  // nothing written anywhere
  outcomes[0].written = true;
  EXPECT_EQ(ctl::FirstFailure(outcomes), ctl::kNoSuchPrinter);
  outcomes[0].code = ctl::kReadBackDiffers;
  EXPECT_EQ(ctl::FirstFailure(outcomes), ctl::kReadBackDiffers);  // still the first that failed
}

TEST(RunForEach, AThrowingRunIsAFailedOutcomeOfItsDevice) {
  const auto outcomes = ctl::RunForEach({"a", "b"}, [](const std::string& device) -> ctl::SetOutcome {
    if (device == "b") throw std::runtime_error("broken");
    ctl::SetOutcome outcome;
    outcome.device = device;
    outcome.result = "fine";
    return outcome;
  });
  EXPECT_EQ(outcomes[0].result, "fine");
  EXPECT_EQ(outcomes[1].code, ctl::kDeviceFailed);
  EXPECT_EQ(outcomes[1].result, "b: broken");
}

}  // namespace
