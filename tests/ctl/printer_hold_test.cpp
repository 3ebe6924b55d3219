// `set` and `apply` hold their printer from the first read to the read-back; a printer another program holds is
// reported or waited for; a profile from another model is refused unless forced.
#include <gtest/gtest.h>

#include "cli/settings_session.h"
#include "tests/ctl/simulated_printer.h"

namespace {

using namespace std::chrono_literals;

const std::string kPath = "/dev/bus/usb/001/002";

struct Hold : ::testing::Test {
  fakes::FakePrinterDevices devices;
  std::shared_ptr<ctl_test::SimulatedPrinter> printer = ctl_test::Attach(devices, kPath);
  std::vector<std::chrono::milliseconds> pauses;

  ctl::SetRequest Request() {
    ctl::SetRequest request;
    request.change.speedLimit = true;
    request.timeout = 200ms;
    return request;
  }
  ctl::SetOutcome Set(const ctl::SetRequest& request, const ctl::Pause& pause) {
    return ctl::SetPrinterSettings(devices, kPath, request, pause, ctl::HostSystem::Linux);
  }
};

TEST_F(Hold, ThePrinterStaysOpenThroughTheWaitAndTheReadBack) {
  int openDuringWait = -1;
  const ctl::SetOutcome outcome =
      Set(Request(), [&](std::chrono::milliseconds) { openDuringWait = devices.At(kPath).openConnections; });
  EXPECT_EQ(outcome.code, ctl::kDone) << outcome.result;
  EXPECT_EQ(openDuringWait, 1);
  EXPECT_EQ(devices.At(kPath).opens, 1);  // one open for the read, the batch and the read-back
  EXPECT_EQ(devices.At(kPath).openConnections, 0);
}

TEST_F(Hold, ABusyPrinterIsNamedAndGetsNothing) {
  devices.At(kPath).openFailure = platform::OpenFailure{platform::OpenFailure::Busy, "Resource busy"};
  const ctl::SetOutcome outcome = Set(Request(), [&](std::chrono::milliseconds time) { pauses.push_back(time); });
  EXPECT_EQ(outcome.code, ctl::kDeviceFailed);
  EXPECT_NE(outcome.result.find("the printer " + kPath + " is busy"), std::string::npos) << outcome.result;
  EXPECT_NE(outcome.result.find("--wait"), std::string::npos) << outcome.result;
  EXPECT_TRUE(devices.At(kPath).writes.empty());
  EXPECT_TRUE(pauses.empty());
}

TEST_F(Hold, WaitLooksAgainUntilThePrinterIsFreeOrTheTimeIsUp) {
  devices.At(kPath).openFailure = platform::OpenFailure{platform::OpenFailure::Busy, "Resource busy"};
  ctl::SetRequest request = Request();
  request.wait = 250ms;
  request.settle = 0ms;
  // Freed by the other program after our second look.
  const ctl::SetOutcome freed = Set(request, [&](std::chrono::milliseconds time) {
    pauses.push_back(time);
    if (pauses.size() == 2) devices.At(kPath).openFailure.reset();
  });
  EXPECT_EQ(freed.code, ctl::kDone) << freed.result;
  EXPECT_EQ(pauses, (std::vector<std::chrono::milliseconds>{100ms, 100ms}));  // no settle time: no pause after it

  pauses.clear();
  devices.At(kPath).openFailure = platform::OpenFailure{platform::OpenFailure::Busy, "Resource busy"};
  const size_t writes = devices.At(kPath).writes.size();
  const ctl::SetOutcome never = Set(request, [&](std::chrono::milliseconds time) { pauses.push_back(time); });
  EXPECT_EQ(never.code, ctl::kDeviceFailed);
  EXPECT_EQ(pauses, (std::vector<std::chrono::milliseconds>{100ms, 100ms, 50ms}));  // 250 ms in all, no more
  // It says that it waited, and does not offer the wait it has just done.
  EXPECT_NE(never.result.find("still busy after waiting 0.25 s"), std::string::npos) << never.result;
  EXPECT_EQ(never.result.find("give --wait"), std::string::npos) << never.result;
  EXPECT_EQ(devices.At(kPath).writes.size(), writes);
}

TEST_F(Hold, OnlyABusyPrinterIsWaitedFor) {
  devices.At(kPath).openFailure = platform::OpenFailure{platform::OpenFailure::AccessDenied, "Permission denied"};
  ctl::SetRequest request = Request();
  request.wait = 10s;
  const ctl::SetOutcome outcome = Set(request, [&](std::chrono::milliseconds time) { pauses.push_back(time); });
  EXPECT_EQ(outcome.code, ctl::kDeviceFailed);
  EXPECT_TRUE(pauses.empty());
  EXPECT_NE(outcome.result.find("70-quorvelctl.rules"), std::string::npos) << outcome.result;
  EXPECT_NE(outcome.result.find("'lp'"), std::string::npos) << outcome.result;
}

TEST_F(Hold, APathThatIsNoPrinterIsAUsageError) {
  devices.At("/tmp/file").openFailure = platform::OpenFailure{platform::OpenFailure::NotADevice, "not USB"};
  const ctl::Opened opened = ctl::OpenPrinter(devices, "/tmp/file", ctl::HostSystem::Linux);
  EXPECT_EQ(opened.code, ctl::kUsage);
  EXPECT_NE(opened.error.find("nothing was sent"), std::string::npos) << opened.error;
}

TEST_F(Hold, AProfileFromAnotherModelIsRefusedUnlessForced) {
  ASSERT_FALSE(printer->state.Set("pid", "2000"));
  ctl::SetRequest request = Request();
  request.settle = 0ms;
  request.profileModel = "Vollenby LP-420B";
  const ctl::SetOutcome refused = Set(request, [](std::chrono::milliseconds) {});
  EXPECT_EQ(refused.code, ctl::kBadFile);
  EXPECT_NE(refused.result.find("saved from a Vollenby LP-420B, but this printer is a KESTRAMO K-108"),
            std::string::npos)
      << refused.result;
  EXPECT_EQ(devices.At(kPath).writes.size(), 1u);  // the read only
  request.force = true;
  EXPECT_EQ(Set(request, [](std::chrono::milliseconds) {}).code, ctl::kDone);
  request.force = false;
  request.profileModel = "KESTRAMO K-108";
  EXPECT_EQ(Set(request, [](std::chrono::milliseconds) {}).code, ctl::kDone);
}

}  // namespace
